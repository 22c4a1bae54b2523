#include "engine/framework/MessageHandler.h"

namespace ZQ2 {

const RTTI* const MessageHandler::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI MessageHandler::rtti("MessageHandler", MessageHandler::rttis);

MessageHandler* MessageHandler::s_pFirstHandler = nullptr;

MessageHandler::MessageHandler() {
    m_pNextHandler = s_pFirstHandler;
    if (s_pFirstHandler)
        s_pFirstHandler->m_pPrevHandler = this;
    s_pFirstHandler = this;
}

MessageHandler::~MessageHandler() {
    if (m_pPrevHandler)
        m_pPrevHandler->m_pNextHandler = m_pNextHandler;
    else
        s_pFirstHandler = m_pNextHandler;
    if (m_pNextHandler)
        m_pNextHandler->m_pPrevHandler = m_pPrevHandler;
}

void MessageHandler::AddMessageListener(iMessageListener* listener) {
    if (listener)
        m_Listeners.push_back(listener);
}

void MessageHandler::RemoveMessageListener(iMessageListener* listener) {
    if (!listener)
        return;
    // The running delivery walks the list by slot; emptying the slot stops
    // further calls at once, and the queued removal cancels a queued addition.
    if (IsDelivering()) {
        for (iMessageListener*& slot : m_Listeners.m_Items) {
            if (slot == listener)
                slot = nullptr;
        }
    }
    m_Listeners.remove(listener);
}

void MessageHandler::ProcessMessage(const Message& message) {
    m_Queue.push_back(message);
    if (IsDelivering())
        return;
    DeliverQueue();
}

void MessageHandler::DeliverQueue() {
    ++m_Listeners.m_nTransactionDepth;
    while (!m_Queue.empty()) {
        const Message current(m_Queue.front());
        m_Queue.pop_front();
        // Additions are queued and removals only empty slots, so the count
        // stays fixed during the walk.
        for (int i = 0; i < m_Listeners.m_Items.size(); ++i) {
            if (iMessageListener* listener = m_Listeners.m_Items[i])
                listener->ProcessMessage(current);
        }
    }
    --m_Listeners.m_nTransactionDepth;
    m_Listeners.PurgeActions();
    RemoveEmptySlots();
}

void MessageHandler::RemoveEmptySlots() {
    while (m_Listeners.m_Items.contains(nullptr))
        m_Listeners.m_Items.remove(nullptr);
}

void MessageHandler::RemoveFromAllHandlers(iMessageListener* listener) {
    for (MessageHandler* handler = s_pFirstHandler; handler; handler = handler->m_pNextHandler)
        handler->RemoveMessageListener(listener);
}

}  // namespace ZQ2
