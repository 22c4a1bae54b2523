#include "engine/sprite/InputHandler.h"

#include <algorithm>

#include "engine/core/MutexLock.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/ScrollMessageData.h"
#include "engine/io/BasicProperties.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/iInputListener.h"

namespace ZQ2 {

const RTTI* const InputHandler::rttis[] = {&iMessageListener::rtti, &iTask::rtti, nullptr};
const RTTI InputHandler::rtti("InputHandler", InputHandler::rttis);

namespace {

bool IsInputMessage(int number) {
    return (number >= MESSAGE_MOUSE_MOVED && number <= MESSAGE_MOUSE_SCROLL) || number == MESSAGE_KEY_DOWN ||
           number == MESSAGE_KEY_UP || number == MESSAGE_KEY_TYPED;
}

iInputListener* ListenerOf(GameNode* node) { return QueryInterface<iInputListener>(node); }

void ResetSubtree(GameNode* node) {
    for (GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (iInputListener* listener = ListenerOf(child))
            listener->ResetInputState();
        ResetSubtree(child);
    }
}

}  // namespace

InputHandler::InputHandler(GameTree* gameTree)
    : m_pMutex(Mutex::Create("INPUTHANDLER_" + BasicProperties::GetGameName())), m_spGameTree(gameTree) {
    if (GameWindow::g_Instance)
        GameWindow::g_Instance->GetMessageHandler().AddMessageListener(this);
}

InputHandler::~InputHandler() = default;

void InputHandler::CreateInstance(GameTree* gameTree) {
    g_Instance = new InputHandler(gameTree);
    g_Instance->AddRef();
}

void InputHandler::ProcessMessage(const Message& message) {
    if (!IsInputMessage(message.GetNumber()))
        return;
    MutexLock lock(m_pMutex.get());
    m_Messages.push_back(message);
}

InputHandler::Entry InputHandler::MakeEntry(iInputListener* listener) {
    return Entry{listener, SmartPtr<BaseObject>(listener->QueryBaseObject())};
}

void InputHandler::AddCustomListener(iInputListener* listener, bool atFront) {
    if (!listener)
        return;
    RemoveCustomListener(listener);
    Entry entry = MakeEntry(listener);
    if (atFront)
        m_CustomListeners.insert(m_CustomListeners.begin(), std::move(entry));
    else
        m_CustomListeners.push_back(std::move(entry));
}

void InputHandler::RemoveCustomListener(iInputListener* listener) {
    // The entry's reference is dropped after the list is consistent again:
    // releasing it may destroy the listener, which comes back here.
    std::vector<Entry> removed;
    for (auto it = m_CustomListeners.begin(); it != m_CustomListeners.end();) {
        if (it->m_pListener != listener) {
            ++it;
            continue;
        }
        removed.push_back(std::move(*it));
        it = m_CustomListeners.erase(it);
    }
}

void InputHandler::ForgetListener(iInputListener* listener) {
    for (Entry& entry : m_ActiveListeners) {
        if (entry.m_pListener == listener)
            entry.m_pListener = nullptr;
    }
    RemoveCustomListener(listener);
}

void InputHandler::ClearMessages() {
    MutexLock lock(m_pMutex.get());
    m_Messages.clear();
}

void InputHandler::ResetInputStateOfChildren(GameNode* node) {
    if (node)
        ResetSubtree(node);
}

void InputHandler::CollectListeners(GameNode* node) {
    if (node->IsObsolete() || !node->IsVisible()) {
        ResetSubtree(node);
        return;
    }
    iInputListener* listener = ListenerOf(node);
    if (!listener) {
        CollectChildren(node);
        return;
    }
    if (listener->IsExclusiveInput()) {
        for (Entry& entry : m_ActiveListeners) {
            if (entry.m_pListener)
                entry.m_pListener->ResetInputState();
        }
        m_ActiveListeners.clear();
    }
    if (listener->IsInputListenerActive())
        m_ActiveListeners.push_back(MakeEntry(listener));
    if (listener->DoChildrenReceiveInput())
        CollectChildren(node);
    else
        ResetSubtree(node);
}

void InputHandler::CollectChildren(GameNode* node) {
    for (GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
        CollectListeners(child);
}

bool InputHandler::IsRemoved(const Entry& entry) {
    if (!entry.m_pListener)
        return true;
    for (GameNode* node = DynamicCast<GameNode>(entry.m_spObject.Get()); node; node = node->GetParent()) {
        if (node->IsObsolete())
            return true;
    }
    return false;
}

bool InputHandler::Offer(iInputListener* listener, const Message& message) {
    const int number = message.GetNumber();
    if (number == MESSAGE_MOUSE_SCROLL) {
        const ScrollMessageData* scroll = message.GetData<ScrollMessageData>();
        return scroll && listener->OnMouseScroll(*scroll);
    }
    if (number >= MESSAGE_KEY_DOWN) {
        const KeyboardMessageData* key = message.GetData<KeyboardMessageData>();
        if (!key)
            return false;
        if (number == MESSAGE_KEY_DOWN)
            return listener->OnKeyDown(*key);
        if (number == MESSAGE_KEY_UP)
            return listener->OnKeyUp(*key);
        return listener->OnKeyTyped(*key);
    }
    const MouseMessageData* mouse = message.GetData<MouseMessageData>();
    if (!mouse)
        return false;
    switch (number) {
        case MESSAGE_MOUSE_MOVED: return listener->OnMouseMoved(*mouse);
        case MESSAGE_MOUSE_LEFT_DOWN: return listener->OnMouseLeftDown(*mouse);
        case MESSAGE_MOUSE_LEFT_UP: return listener->OnMouseLeftUp(*mouse);
        case MESSAGE_MOUSE_MIDDLE_DOWN: return listener->OnMouseMiddleDown(*mouse);
        case MESSAGE_MOUSE_MIDDLE_UP: return listener->OnMouseMiddleUp(*mouse);
        case MESSAGE_MOUSE_RIGHT_DOWN: return listener->OnMouseRightDown(*mouse);
        case MESSAGE_MOUSE_RIGHT_UP: return listener->OnMouseRightUp(*mouse);
        default: return false;
    }
}

void InputHandler::Dispatch(const Message& message) {
    if (message.GetNumber() <= MESSAGE_MOUSE_RIGHT_UP) {
        if (const MouseMessageData* mouse = message.GetData<MouseMessageData>()) {
            m_fMouseX = mouse->GetX();
            m_fMouseY = mouse->GetY();
            m_MouseState = mouse->GetState();
        }
    }
    // Indexes, not iterators: a handler may add or drop custom listeners.
    for (size_t i = 0; i < m_ActiveListeners.size(); ++i) {
        const Entry& entry = m_ActiveListeners[i];
        if (IsRemoved(entry))
            continue;
        if (Offer(entry.m_pListener, message))
            return;
    }
}

void InputHandler::OnUpdate(int) {
    MutexLock lock(m_pMutex.get());
    m_ActiveListeners.clear();
    if (m_spGameTree)
        CollectListeners(m_spGameTree.Get());
    m_ActiveListeners.insert(m_ActiveListeners.end(), m_CustomListeners.begin(), m_CustomListeners.end());
    std::reverse(m_ActiveListeners.begin(), m_ActiveListeners.end());
    while (!m_Messages.empty()) {
        const Message message = m_Messages.front();
        m_Messages.pop_front();
        Dispatch(message);
    }
    if (GameWindow::g_Instance)
        GameWindow::g_Instance->ResetCursorToSelectedType();
    // Released outside the walk: a release may destroy a listener, which
    // then looks for itself in this list.
    std::vector<Entry> done;
    done.swap(m_ActiveListeners);
}

}  // namespace ZQ2
