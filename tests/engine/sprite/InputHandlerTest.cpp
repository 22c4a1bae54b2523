// The input handler's order of listeners (front-most first, custom ones
// before the tree's), modal listeners, hidden subtrees, consumption and the
// messages it never passes on.
#include "engine/sprite/InputHandler.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/iInputListener.h"

using namespace ZQ2;

namespace {

std::vector<std::string> g_Log;

// A node that logs every call as "<name>:<what>" and consumes on request.
class ProbeNode : public GameNode, public iInputListener {
public:
    explicit ProbeNode(const std::string& name, bool consume = false) : GameNode(name), m_bConsume(consume) {}

    void* QueryInterface(const RTTI& which) override {
        if (&which == &iInputListener::rtti)
            return static_cast<iInputListener*>(this);
        return GameNode::QueryInterface(which);
    }
    BaseObject* QueryBaseObject() override { return this; }

    bool OnMouseLeftDown(const MouseMessageData&) override { return Log("down"); }
    bool OnMouseMoved(const MouseMessageData&) override { return Log("move"); }
    bool OnKeyDown(const KeyboardMessageData&) override { return Log("key"); }
    void ResetInputState() override { g_Log.push_back(GetName() + ":reset"); }

    bool m_bConsume;
    void (*m_pOnDown)() = nullptr;

private:
    bool Log(const char* what) {
        g_Log.push_back(GetName() + ":" + what);
        if (m_pOnDown && std::string(what) == "down")
            m_pOnDown();
        return m_bConsume;
    }
};

class InputHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_Log.clear();
        m_spTree = new GameTree();
        InputHandler::CreateInstance(m_spTree.Get());
    }
    void TearDown() override {
        InputHandler::ReleaseInstance();
        m_spTree->RemoveAllModifiers();
        GameTree::ReleaseChildren(m_spTree.Get());
    }

    ProbeNode* Add(GameNode* parent, const std::string& name, bool consume = false) {
        auto* node = new ProbeNode(name, consume);
        GameTree::LinkNodeUnder(parent, node);
        return node;
    }
    static void Post(int number) {
        if (number >= MESSAGE_KEY_DOWN)
            InputHandler::g_Instance->ProcessMessage(Message(number, new KeyboardMessageData('a', SYSKEY_NONE)));
        else
            InputHandler::g_Instance->ProcessMessage(Message(number, new MouseMessageData(5, 6, 0, false)));
    }
    static void Frame() {
        g_Log.clear();
        InputHandler::g_Instance->OnUpdate(16);
    }

    SmartPtr<GameTree> m_spTree;
};

TEST_F(InputHandlerTest, LaterDrawnListenerIsAskedFirstAndConsumptionStops) {
    Add(m_spTree.Get(), "back");
    ProbeNode* front = Add(m_spTree.Get(), "front");
    Post(MESSAGE_MOUSE_LEFT_DOWN);
    Frame();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"front:down", "back:down"}));

    front->m_bConsume = true;
    Post(MESSAGE_MOUSE_LEFT_DOWN);
    Frame();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"front:down"}));
    EXPECT_EQ(InputHandler::g_Instance->GetQueuedMessageCount(), 0u);
}

TEST_F(InputHandlerTest, ChildrenAreAskedBeforeTheirParent) {
    ProbeNode* panel = Add(m_spTree.Get(), "panel");
    Add(panel, "child");
    Post(MESSAGE_KEY_DOWN);
    Frame();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"child:key", "panel:key"}));
}

TEST_F(InputHandlerTest, ExclusiveListenerResetsAndDropsEarlierOnes) {
    ProbeNode* scene = Add(m_spTree.Get(), "scene");
    Add(scene, "sceneButton");
    ProbeNode* dialog = Add(m_spTree.Get(), "dialog");
    dialog->SetExclusiveInput(true);
    Add(dialog, "dialogButton");
    Add(m_spTree.Get(), "overlay");
    Post(MESSAGE_MOUSE_LEFT_DOWN);
    Frame();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"scene:reset", "sceneButton:reset", "overlay:down",
                                               "dialogButton:down", "dialog:down"}));
}

TEST_F(InputHandlerTest, HiddenOrClosedSubtreesAreResetAndSkipped) {
    ProbeNode* hidden = Add(m_spTree.Get(), "hidden");
    Add(hidden, "underHidden");
    hidden->SetVisible(false);
    ProbeNode* closed = Add(m_spTree.Get(), "closed");
    closed->SetChildrenReceiveInput(false);
    Add(closed, "underClosed");
    ProbeNode* inactive = Add(m_spTree.Get(), "inactive");
    inactive->SetInputListenerActive(false);
    Add(inactive, "underInactive");
    Post(MESSAGE_MOUSE_MOVED);
    Frame();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"underHidden:reset", "underClosed:reset", "underInactive:move",
                                               "closed:move"}));
}

TEST_F(InputHandlerTest, CustomListenersComeFirstInReverseOrder) {
    Add(m_spTree.Get(), "tree");
    SmartPtr<ProbeNode> atFront(new ProbeNode("atFront"));
    SmartPtr<ProbeNode> atBack(new ProbeNode("atBack"));
    SmartPtr<ProbeNode> moved(new ProbeNode("moved"));
    InputHandler* input = InputHandler::g_Instance;
    input->AddCustomListener(moved.Get(), false);
    input->AddCustomListener(atFront.Get(), true);
    input->AddCustomListener(atBack.Get(), false);
    input->AddCustomListener(moved.Get(), true);  // re-adding moves it
    Post(MESSAGE_MOUSE_LEFT_DOWN);
    Frame();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"atBack:down", "atFront:down", "moved:down", "tree:down"}));

    input->RemoveCustomListener(atBack.Get());
    Post(MESSAGE_MOUSE_LEFT_DOWN);
    Frame();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"atFront:down", "moved:down", "tree:down"}));
}

TEST_F(InputHandlerTest, OnlyInputMessagesAreQueued) {
    Add(m_spTree.Get(), "listener");
    InputHandler* input = InputHandler::g_Instance;
    for (int number : std::initializer_list<int>{MESSAGE_ACTIVE_CHANGED, MESSAGE_MINIMIZED_CHANGED, MESSAGE_FULLSCREEN_CHANGED, MESSAGE_QUIT,
                       MESSAGE_PAUSE_KEY, 259, 9, 0})
        input->ProcessMessage(Message(number, new MouseMessageData(1, 2, 0, false)));
    EXPECT_EQ(input->GetQueuedMessageCount(), 0u);
    Frame();
    EXPECT_TRUE(g_Log.empty());

    input->ProcessMessage(Message(MESSAGE_MOUSE_LEFT_DOWN, new MouseMessageData(7, 8, MOUSESTATE_LEFT, false)));
    Post(MESSAGE_KEY_DOWN);
    EXPECT_EQ(input->GetQueuedMessageCount(), 2u);
    input->ClearMessages();
    Frame();
    EXPECT_TRUE(g_Log.empty());
}

TEST_F(InputHandlerTest, MouseMessagesUpdateThePosition) {
    InputHandler* input = InputHandler::g_Instance;
    input->ProcessMessage(Message(MESSAGE_MOUSE_LEFT_DOWN, new MouseMessageData(7, 8, MOUSESTATE_LEFT, false)));
    Frame();
    EXPECT_EQ(input->GetMouseX(), 7.0f);
    EXPECT_EQ(input->GetMouseY(), 8.0f);
    EXPECT_TRUE(input->GetMouseState().IsSet(MOUSESTATE_LEFT));
}

// A handler that removes another listener's node: that listener is not
// asked for this message nor for the ones queued behind it.
ProbeNode* g_pVictim = nullptr;

TEST_F(InputHandlerTest, ListenerRemovedDuringDispatchIsNotAskedAgain) {
    g_pVictim = Add(m_spTree.Get(), "victim");
    Add(g_pVictim, "victimChild");
    ProbeNode* killer = Add(m_spTree.Get(), "killer");
    killer->m_pOnDown = [] { g_pVictim->SetObsolete(true); };
    Post(MESSAGE_MOUSE_LEFT_DOWN);
    Post(MESSAGE_MOUSE_MOVED);
    Frame();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"killer:down", "killer:move"}));
}

TEST_F(InputHandlerTest, DyingCustomListenerLeavesTheHandler) {
    InputHandler* input = InputHandler::g_Instance;
    // No object behind it, so the handler holds no reference.
    struct Loose : iInputListener {
        bool OnMouseLeftDown(const MouseMessageData&) override {
            g_Log.push_back("loose:down");
            return false;
        }
    };
    {
        Loose loose;
        input->AddCustomListener(&loose, false);
        Post(MESSAGE_MOUSE_LEFT_DOWN);
        Frame();
        EXPECT_EQ(g_Log, (std::vector<std::string>{"loose:down"}));
    }
    Post(MESSAGE_MOUSE_LEFT_DOWN);
    Frame();
    EXPECT_TRUE(g_Log.empty());
}

}  // namespace
