#include "engine/sprite/Tooltip.h"

#include "engine/framework/GameWindow.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/framework/TaskManager.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/DataManager.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/sprite/Dialog.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/InputHandler.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/Panel.h"

namespace ZQ2 {

const RTTI* const Tooltip::rttis[] = {&iTask::rtti, &iInputListener::rtti, nullptr};
const RTTI Tooltip::rtti("Tooltip", Tooltip::rttis);

ObjectInitializer Tooltip::m_ObjectInitializer("Tooltip", &Tooltip::OnData);

const char* const PROP_SHOWDELAY = "showdelay";
const char* const PROP_REMOVEDELAY = "removedelay";

namespace {

const char* const kRendererChild = "renderer";
// How far below the mouse the tooltip goes, and how far right of it when
// there is no room below.
constexpr float kBelowMouse = 24.0f;
constexpr float kRightOfMouse = 16.0f;
constexpr float kBoxMargin = 3.0f;

}  // namespace

Tooltip::Tooltip(AbstractProperty* data) {
    PropertyNode* node = data ? data->ToNode() : nullptr;
    if (!node)
        return;
    SetProperties(node);
    if (PropertyNode* rendererData = node->GetNode(kRendererChild)) {
        BaseObject* object = ObjectFactory::Instance()->CreateObject(rendererData);
        Sprite* renderer = DynamicCast<Sprite>(object);
        SmartPtr<BaseObject> made(object);
        if (renderer)
            SetRenderer(renderer);
    }
}

Tooltip::Tooltip(int showDelay, int removeDelay, Sprite*) : m_nShowDelay(showDelay), m_nRemoveDelay(removeDelay) {}

Tooltip::~Tooltip() { RemoveRenderer(); }

BaseObject* Tooltip::OnData(AbstractProperty* data) { return new Tooltip(data); }

void Tooltip::CreateInstance(const std::string& name) {
    if (g_Instance || !DataManager::g_Instance)
        return;
    BaseObject* object = DataManager::g_Instance->ConstructBlueprintObject(name);
    Tooltip* tooltip = DynamicCast<Tooltip>(object);
    if (!tooltip) {
        SmartPtr<BaseObject> drop(object);
        return;
    }
    g_Instance = tooltip;
    g_Instance->AddRef();
    if (TaskManager::g_Instance)
        TaskManager::g_Instance->Attach(g_Instance);
    if (InputHandler::g_Instance)
        InputHandler::g_Instance->AddCustomListener(g_Instance, true);
}

void Tooltip::RemoveInstance() {
    if (!g_Instance)
        return;
    if (TaskManager::g_Instance)
        TaskManager::g_Instance->Detach(g_Instance);
    if (InputHandler::g_Instance)
        InputHandler::g_Instance->RemoveCustomListener(g_Instance);
    ReleaseInstance();
}

void* Tooltip::QueryInterface(const RTTI& which) {
    if (&which == &iInputListener::rtti)
        return static_cast<iInputListener*>(this);
    return nullptr;
}

void Tooltip::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_SHOWDELAY))
        m_nShowDelay = data->GetValue(PROP_SHOWDELAY)->ToInt();
    if (data->HasProperty(PROP_REMOVEDELAY))
        m_nRemoveDelay = data->GetValue(PROP_REMOVEDELAY)->ToInt();
}

// ---- renderer

void Tooltip::SetRenderer(Sprite* renderer) {
    if (renderer == m_pRenderer.Get())
        return;
    RemoveRenderer();
    m_pRenderer = renderer;
    LinkRenderer();
}

void Tooltip::RemoveRenderer() {
    if (!m_pRenderer)
        return;
    m_pRenderer->SetObsolete(true);
    m_pRenderer = nullptr;
}

void Tooltip::LinkRenderer() {
    if (!GameTree::g_Instance || !m_pRoot || !m_pRenderer)
        return;
    m_pRenderer->SetVisible(false);
    GameTree::LinkNodeUnder(m_pRoot.Get(), m_pRenderer.Get());
}

void Tooltip::OnInitialize() {
    m_pRoot = GameTree::g_Instance;
    LinkRenderer();
}

// ---- frame

bool Tooltip::OnMouseMoved(const MouseMessageData& m) {
    m_fMouseX = m.GetX();
    m_fMouseY = m.GetY();
    return false;
}

void Tooltip::VisitAllChildren(GameNode* node) {
    if (node->IsObsolete() || !node->IsVisible())
        return;
    if (Sprite* sprite = DynamicCast<Sprite>(node)) {
        const UTF8String* text = sprite->GetToolTipText();
        const bool isDialog = DynamicCast<Dialog>(node) != nullptr;
        if (text && !text->empty()) {
            if (sprite->IsInside(m_fMouseX, m_fMouseY))
                m_pCandidate = sprite;
            else if (isDialog)
                m_pCandidate = nullptr;
        } else if (isDialog) {
            m_pCandidate = nullptr;
        } else if (DynamicCast<Panel>(node) && sprite->IsInside(m_fMouseX, m_fMouseY)) {
            m_pCandidate = nullptr;
        }
    }
    for (GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
        VisitAllChildren(child);
}

void Tooltip::Hide() {
    m_pRenderer->SetVisible(false);
    m_pTarget = nullptr;
}

void Tooltip::OnUpdate(int deltaMs) {
    if (!m_pRenderer) {
        m_pTarget = nullptr;
        return;
    }
    if (!m_pRoot) {
        Hide();
        return;
    }
    m_pCandidate = nullptr;
    VisitAllChildren(m_pRoot.Get());
    const UTF8String* text = m_pCandidate ? m_pCandidate->GetToolTipText() : nullptr;
    if (!text || text->empty()) {
        Hide();
        return;
    }
    if (m_pCandidate != m_pTarget) {
        m_pTarget = m_pCandidate;
        m_nShowCountdown = m_nShowDelay;
        m_nRemoveCountdown = m_nRemoveDelay;
        m_pRenderer->SetToolTipText(*text);
    } else if (m_nShowCountdown > 0) {
        m_nShowCountdown -= deltaMs;
        if (m_nShowCountdown <= 0) {
            if (Label* label = DynamicCast<Label>(m_pRenderer.Get()))
                label->Update();
            Place();
        }
    }
    const bool visible = m_nShowCountdown <= 0 && m_nRemoveCountdown > 0;
    m_pRenderer->SetVisible(visible);
    if (visible)
        m_nRemoveCountdown -= deltaMs;
}

void Tooltip::Place() {
    const float width = m_pRenderer->GetWidth() + kBoxMargin;
    const float height = m_pRenderer->GetHeight() + kBoxMargin;
    float x = m_fMouseX;
    float y = m_fMouseY + kBelowMouse;
    bool movedAside = false;
    if (GameWindow::g_Instance) {
        const auto screenWidth = static_cast<float>(GameWindow::g_Instance->GetWidth());
        const auto screenHeight = static_cast<float>(GameWindow::g_Instance->GetHeight());
        if (y + height > screenHeight) {
            movedAside = true;
            x = m_fMouseX + kRightOfMouse;
            y = m_fMouseY;
            if (y + height > screenHeight)
                y = screenHeight - height;
        }
        if (x + width > screenWidth)
            x = movedAside ? m_fMouseX - width - 2.0f : screenWidth - width;
    }
    m_pRenderer->SetX(x);
    m_pRenderer->SetY(y);
}

}  // namespace ZQ2
