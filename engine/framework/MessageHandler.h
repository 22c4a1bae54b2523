#pragma once
// Delivers messages to its listeners, each message to every listener in the
// order they registered. A message posted during a delivery waits its turn.
#include <deque>

#include "engine/core/BaseObject.h"
#include "engine/core/TransactionVector.h"
#include "engine/framework/Message.h"
#include "engine/framework/iMessageListener.h"

namespace ZQ2 {

class MessageHandler : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    MessageHandler();
    ~MessageHandler() override;
    MessageHandler(const MessageHandler&) = delete;
    MessageHandler& operator=(const MessageHandler&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }

    // A listener added during a delivery hears only later messages.
    void AddMessageListener(iMessageListener* listener);
    // A listener removed during a delivery hears nothing more of it.
    void RemoveMessageListener(iMessageListener* listener);
    // Posts the message and, unless a delivery is running, delivers the queue.
    void ProcessMessage(const Message& message);

    bool IsDelivering() const { return m_Listeners.m_nTransactionDepth > 0; }

    // Called by a dying listener: takes it out of every live handler.
    static void RemoveFromAllHandlers(iMessageListener* listener);

private:
    void DeliverQueue();
    void RemoveEmptySlots();

    TransactionVector<iMessageListener*> m_Listeners{true};
    std::deque<Message> m_Queue;

    // Live handlers, linked so that listeners can reach them from their
    // destructors, even during static destruction.
    static MessageHandler* s_pFirstHandler;
    MessageHandler* m_pPrevHandler = nullptr;
    MessageHandler* m_pNextHandler = nullptr;
};

}  // namespace ZQ2
