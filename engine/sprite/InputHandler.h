#pragma once
// Hands the window's mouse and key messages to the input listeners of the
// visible game tree, front-most first, until one consumes each message.
// Messages are queued as they arrive and dispatched once per frame.
#include <deque>
#include <limits>
#include <memory>
#include <vector>

#include "engine/core/BaseObject.h"
#include "engine/core/BitFlags_t.h"
#include "engine/core/Mutex.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/iInstance.h"
#include "engine/framework/Message.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/framework/iMessageListener.h"
#include "engine/framework/iTask.h"

namespace ZQ2 {

class GameNode;
class GameTree;
class iInputListener;

class InputHandler : public iMessageListener, public iTask, public iInstance<InputHandler> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Listens to the game window when there is one.
    explicit InputHandler(GameTree* gameTree);
    ~InputHandler() override;
    InputHandler(const InputHandler&) = delete;
    InputHandler& operator=(const InputHandler&) = delete;

    static void CreateInstance(GameTree* gameTree);

    const RTTI& GetRTTI() const override { return rtti; }

    // Queues the input messages; every other number is ignored.
    void ProcessMessage(const Message& message) override;
    // Listeners asked before the tree's, even when not in the tree. The one
    // nearer the back of the list is asked first.
    void AddCustomListener(iInputListener* listener, bool atFront);
    void RemoveCustomListener(iInputListener* listener);
    void ClearMessages();
    void OnUpdate(int deltaMs) override;

    // Resets every listener below node, not node itself.
    static void ResetInputStateOfChildren(GameNode* node);

    // A dying listener leaves both lists, also during a dispatch.
    void ForgetListener(iInputListener* listener);

    float GetMouseX() const { return m_fMouseX; }
    float GetMouseY() const { return m_fMouseY; }
    BitFlags_t<eMouseState> GetMouseState() const { return m_MouseState; }
    size_t GetQueuedMessageCount() const { return m_Messages.size(); }

private:
    // A listener and, when it has one, a reference to the object behind it.
    struct Entry {
        iInputListener* m_pListener;
        SmartPtr<BaseObject> m_spObject;
    };

    static Entry MakeEntry(iInputListener* listener);
    // The node's own listener and those below it, in drawing order.
    void CollectListeners(GameNode* node);
    void CollectChildren(GameNode* node);
    void Dispatch(const Message& message);
    static bool Offer(iInputListener* listener, const Message& message);
    // A listener that died, or whose node was removed, during this dispatch.
    static bool IsRemoved(const Entry& entry);

    float m_fMouseX = std::numeric_limits<float>::max();
    float m_fMouseY = std::numeric_limits<float>::max();
    BitFlags_t<eMouseState> m_MouseState;
    std::deque<Message> m_Messages;
    std::unique_ptr<Mutex> m_pMutex;
    SmartPtr<GameTree> m_spGameTree;
    std::vector<Entry> m_ActiveListeners;
    std::vector<Entry> m_CustomListeners;
};

}  // namespace ZQ2
