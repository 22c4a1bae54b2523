// Scene switches, once per update of the manager's task, directly or through
// a transition, and the catalogue of scenes.
#include <gtest/gtest.h>
#include <lua.hpp>

#include "engine/core/SmartPtr.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/scene/SceneManager.h"
#include "engine/script/Lua.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/LuaAnimationChain.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/iInputListener.h"
#include "tests/engine/scene/SceneTestSupport.h"

using namespace ZQ2;
using test::CallLog;
using test::LoggingScene;
using test::LoggingTransition;

namespace {

// A widget that counts how often its press or hover state is dropped.
class ResetCounter : public GameNode, public iInputListener {
public:
    ResetCounter() : GameNode("widget") {}
    void* QueryInterface(const RTTI& which) override {
        return &which == &iInputListener::rtti ? static_cast<iInputListener*>(this) : GameNode::QueryInterface(which);
    }
    void ResetInputState() override { ++m_nResets; }
    int m_nResets = 0;
};

// Says when it is destroyed, and with it lets go of the scenes it came
// between.
class MortalTransition : public LoggingTransition {
public:
    MortalTransition(const std::string& name, CallLog* log, bool* gone) : LoggingTransition(name, log), m_pGone(gone) {}
    ~MortalTransition() override { *m_pGone = true; }

private:
    bool* m_pGone;
};

class SceneManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        GameTree::CreateInstance();
        AnimTree::CreateInstance();
        SceneManager::CreateInstance();
        m_pManager = SceneManager::g_Instance;
        m_pA = Add("A");
        m_pB = Add("B");
    }

    void TearDown() override {
        m_pManager = nullptr;
        SceneManager::ReleaseInstance();
        AnimTree::ReleaseInstance();
        GameTree::ReleaseInstance();
    }

    LoggingScene* Add(const std::string& name) {
        auto* scene = new LoggingScene(name, &m_Log);
        m_pManager->AddScene(name, scene);
        return scene;
    }

    LoggingTransition* SetTransition() {
        auto* transition = new LoggingTransition("T", &m_Log);
        m_pManager->SetSceneTransition(transition);
        return transition;
    }

    // One update; the log holds what it called.
    CallLog Update() {
        m_Log.clear();
        m_pManager->OnUpdate(16);
        return m_Log;
    }

    static void ExpectEntered(Scene* scene) {
        EXPECT_EQ(scene->GetState(), Scene::STATE_ENTERED);
        EXPECT_TRUE(scene->IsVisible());
        EXPECT_FALSE(scene->IsSuspended());
        EXPECT_FALSE(scene->GetAnimContainer()->IsPaused());
        EXPECT_TRUE(scene->IsInputListenerActive());
    }

    static void ExpectLeft(Scene* scene) {
        EXPECT_EQ(scene->GetState(), Scene::STATE_INITIALIZED);
        EXPECT_FALSE(scene->IsVisible());
        EXPECT_TRUE(scene->IsSuspended());
        EXPECT_TRUE(scene->GetAnimContainer()->IsPaused());
        EXPECT_FALSE(scene->IsInputListenerActive());
    }

    SmartPtr<SceneManager> m_pManager;
    CallLog m_Log;
    LoggingScene* m_pA = nullptr;
    LoggingScene* m_pB = nullptr;
};

}  // namespace

TEST_F(SceneManagerTest, AddedScenesWaitHiddenAndFrozenUnderTheManagersNodes) {
    EXPECT_EQ(m_pManager->GetScene("A"), m_pA);
    EXPECT_EQ(m_pManager->GetScene("C"), nullptr);
    EXPECT_EQ(m_pA->GetParent(), m_pManager->GetScenesNode());
    EXPECT_EQ(m_pManager->GetScenesNode()->GetParent(), GameTree::g_Instance);
    EXPECT_EQ(m_pA->GetAnimContainer()->GetParent(), m_pManager->GetScenesContainer());
    EXPECT_EQ(m_pA->GetAnimContainer()->GetName(), "A");
    EXPECT_EQ(m_pManager->GetScenesContainer()->GetParent(), AnimTree::g_Instance);
    EXPECT_EQ(m_pA->GetState(), Scene::STATE_NEW);
    EXPECT_FALSE(m_pA->IsVisible());
    EXPECT_TRUE(m_pA->IsSuspended());
    EXPECT_TRUE(m_pA->GetAnimContainer()->IsPaused());
    EXPECT_FALSE(m_pA->IsInputListenerActive());
    EXPECT_EQ(m_pManager->GetCurrentMainScene(), nullptr);
    EXPECT_TRUE(Update().empty());
}

// Initialize runs once per scene, on its first activation.
TEST_F(SceneManagerTest, SwitchesWithoutTransitionInOneUpdate) {
    m_pManager->EnterScene("A");
    EXPECT_TRUE(m_Log.empty());  // nothing until the update
    EXPECT_EQ(Update(), (CallLog{"A.OnActivate", "A.Initialize", "A.OnEnter"}));
    ExpectEntered(m_pA);
    EXPECT_EQ(m_pManager->GetCurrentMainScene(), m_pA);
    EXPECT_EQ(m_pManager->GetPreviousScene(), nullptr);

    m_pManager->EnterScene("B");
    EXPECT_EQ(Update(), (CallLog{"B.OnActivate", "B.Initialize", "B.OnEnter", "A.OnDeactivate"}));
    ExpectEntered(m_pB);
    ExpectLeft(m_pA);
    EXPECT_EQ(m_pManager->GetPreviousScene(), nullptr);

    m_pManager->EnterScene("A");
    EXPECT_EQ(Update(), (CallLog{"A.OnActivate", "A.OnEnter", "B.OnDeactivate"}));
    EXPECT_TRUE(Update().empty());
}

TEST_F(SceneManagerTest, TwoEntriesInOneFrameSwitchToTheLast) {
    Add("C");
    m_pManager->EnterScene("A");
    m_pManager->EnterScene("B");
    m_pManager->EnterScene("C");
    EXPECT_EQ(Update(), (CallLog{"C.OnActivate", "C.Initialize", "C.OnEnter"}));
    EXPECT_EQ(m_pA->GetState(), Scene::STATE_NEW);

    // An unknown name enters null, which clears the pending scene.
    m_pManager->EnterScene("B");
    m_pManager->EnterScene("nowhere");
    EXPECT_EQ(m_pManager->GetPendingScene(), nullptr);
    EXPECT_TRUE(Update().empty());
}

// The game never does this; the order of the steps makes the scene end up
// deactivated although it is current.
TEST_F(SceneManagerTest, EnteringTheCurrentSceneActivatesAndDeactivatesIt) {
    m_pManager->EnterScene("A");
    Update();
    m_pManager->EnterScene("A");
    EXPECT_EQ(Update(), (CallLog{"A.OnActivate", "A.OnEnter", "A.OnDeactivate"}));
    EXPECT_EQ(m_pManager->GetCurrentScene(), m_pA);
    EXPECT_EQ(m_pA->GetState(), Scene::STATE_INITIALIZED);
}

TEST_F(SceneManagerTest, SwitchesThroughATransitionInTheOrderOfItsSteps) {
    m_pManager->EnterScene("A");
    Update();
    LoggingTransition* t = SetTransition();
    SmartPtr<SceneTransition> hold(t);
    EXPECT_EQ(t->GetParent(), m_pManager->GetScenesNode());
    EXPECT_EQ(m_pManager->GetScenesNode()->GetFirstChild()->GetNextSibling()->GetNextSibling(), t);  // above A, B
    EXPECT_EQ(t->GetAnimContainer()->GetParent(), m_pManager->GetScenesContainer());
    EXPECT_EQ(m_pManager->GetScene("T"), nullptr);

    m_pManager->EnterScene("B");
    EXPECT_EQ(Update(), (CallLog{"T.InitWithScenes(A,B)", "T.OnActivate", "T.Initialize", "T.OnEnter"}));
    EXPECT_EQ(m_pManager->GetCurrentScene(), t);
    EXPECT_EQ(m_pManager->GetCurrentMainScene(), m_pB);  // game code finds its level already
    EXPECT_EQ(m_pManager->GetPendingScene(), nullptr);
    ExpectEntered(t);
    // The scene left stays on screen, in state 1, without input.
    EXPECT_TRUE(m_pA->IsVisible());
    EXPECT_EQ(m_pA->GetState(), Scene::STATE_ENTERED);
    EXPECT_FALSE(m_pA->IsInputListenerActive());
    EXPECT_TRUE(Update().empty());  // the base transition never ends by itself

    m_Log.clear();
    t->ActivateNextScene();
    EXPECT_EQ(m_Log, (CallLog{"T.ActivateNextScene", "A.OnDeactivate", "B.OnActivate", "B.Initialize"}));
    ExpectLeft(m_pA);
    EXPECT_FALSE(m_pB->IsInputListenerActive());
    t->GotoNextScene();
    EXPECT_EQ(m_pManager->GetPendingScene(), m_pB);

    EXPECT_EQ(Update(), (CallLog{"B.OnEnter", "T.OnDeactivate"}));
    ExpectEntered(m_pB);
    EXPECT_EQ(m_pManager->GetCurrentScene(), m_pB);
    EXPECT_EQ(m_pManager->GetSceneTransition(), nullptr);
    EXPECT_TRUE(t->IsObsolete());
    EXPECT_TRUE(t->GetAnimContainer()->IsObsolete());
    EXPECT_EQ(m_pManager->GetPreviousScene(), nullptr);

    // Served once: the next switch is direct.
    m_pManager->EnterScene("A");
    EXPECT_EQ(Update(), (CallLog{"A.OnActivate", "A.OnEnter", "B.OnDeactivate"}));
}

// Nothing to come from: the transition is dropped and the scene entered.
TEST_F(SceneManagerTest, FirstSwitchWithATransitionEntersDirectly) {
    SmartPtr<SceneTransition> t(SetTransition());
    m_pManager->EnterScene("A");
    EXPECT_EQ(Update(), (CallLog{"A.OnActivate", "A.Initialize", "A.OnEnter"}));
    ExpectEntered(m_pA);
    EXPECT_EQ(m_pManager->GetSceneTransition(), nullptr);
    EXPECT_TRUE(t->IsObsolete());
    EXPECT_EQ(t->GetState(), Scene::STATE_NEW);
}

TEST_F(SceneManagerTest, ASecondTransitionReplacesOneNotYetRun) {
    SmartPtr<SceneTransition> first(SetTransition());
    SmartPtr<SceneTransition> second(SetTransition());
    EXPECT_TRUE(first->IsObsolete());
    EXPECT_FALSE(second->IsObsolete());
    EXPECT_EQ(m_pManager->GetSceneTransition(), second);
}

// The new transition serves the switch after the one that runs.
TEST_F(SceneManagerTest, ATransitionReplacedWhileItRunsGoesWhenItsSwitchEnds) {
    m_pManager->EnterScene("A");
    Update();
    bool gone = false;
    auto* first = new MortalTransition("T", &m_Log, &gone);
    m_pManager->SetSceneTransition(first);
    m_pManager->EnterScene("B");
    Update();
    ASSERT_EQ(m_pManager->GetCurrentScene(), first);
    SmartPtr<SceneTransition> second(new LoggingTransition("U", &m_Log));
    m_pManager->SetSceneTransition(second);
    EXPECT_FALSE(first->IsObsolete());  // still on screen, running its effect

    first->ActivateNextScene();
    first->GotoNextScene();
    EXPECT_EQ(Update(), (CallLog{"B.OnEnter", "T.OnDeactivate"}));
    ExpectEntered(m_pB);
    EXPECT_EQ(m_pManager->GetSceneTransition(), second);
    SmartPtr<TaskPurge>(new TaskPurge(GameTree::g_Instance, AnimTree::g_Instance))->OnUpdate(16);
    EXPECT_TRUE(gone);

    m_pManager->EnterScene("A");
    EXPECT_EQ(Update(), (CallLog{"U.InitWithScenes(B,A)", "U.OnActivate", "U.Initialize", "U.OnEnter"}));
}

TEST_F(SceneManagerTest, RemovedScenesLeaveTheCatalogueOnceNotCurrent) {
    m_pManager->EnterScene("A");
    Update();
    SmartPtr<Scene> b(m_pB);
    m_pManager->RemoveScene("B");
    EXPECT_TRUE(b->IsObsolete());
    EXPECT_EQ(m_pManager->GetScene("B"), nullptr);
    m_pManager->RemoveScene(nullptr);
    m_pManager->RemoveScene("nowhere");

    // Obsolete while current: kept until another scene is current.
    Add("C");
    m_pA->SetObsolete(true);
    Update();
    EXPECT_EQ(m_pManager->GetScene("A"), m_pA);
    m_pManager->EnterScene("C");
    Update();
    EXPECT_EQ(m_pManager->GetScene("A"), m_pA);  // erased before the switch
    Update();
    EXPECT_EQ(m_pManager->GetScene("A"), nullptr);
}

TEST_F(SceneManagerTest, AddingUnderATakenNameReplacesTheScene) {
    SmartPtr<Scene> old(m_pA);
    LoggingScene* other = Add("A");
    EXPECT_EQ(m_pManager->GetScene("A"), other);
    EXPECT_EQ(old->GetRefCount(), 2);  // ours and the game tree's
    m_pManager->AddScene("X", nullptr);
    EXPECT_EQ(m_pManager->GetScene("X"), nullptr);
}

// The catalogue builds scenes and transitions by name; names it does not
// know, or that name no scene, add nothing.
TEST_F(SceneManagerTest, CreatesScenesAndTransitionsFromTheCatalogue) {
    test::DataFolder data;
    data.Load(
        "<Node id=\"scenes\">"
        "  <Scene id=\"SCENE_MENU\"/>"
        "  <SceneTransition id=\"TRANSITION\"/>"
        "  <Sprite id=\"NOT_A_SCENE\"/>"
        "</Node>");
    Scene* menu = m_pManager->CreateScene("SCENE_MENU");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetRTTI().GetName(), "Scene");
    EXPECT_EQ(menu->GetName(), "SCENE_MENU");
    EXPECT_EQ(m_pManager->GetScene("SCENE_MENU"), menu);
    EXPECT_EQ(menu->GetRefCount(), 2);  // catalogue and game tree

    EXPECT_EQ(m_pManager->CreateScene("NOT_A_SCENE"), nullptr);
    EXPECT_EQ(m_pManager->CreateScene("SCENE_NONE"), nullptr);
    EXPECT_EQ(m_pManager->GetScenes().size(), 3u);

    EXPECT_EQ(m_pManager->CreateSceneTransition("SCENE_MENU"), nullptr);
    EXPECT_EQ(m_pManager->GetSceneTransition(), nullptr);
    SceneTransition* t = m_pManager->CreateSceneTransition("TRANSITION");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(m_pManager->GetSceneTransition(), t);
    EXPECT_EQ(m_pManager->GetScene("TRANSITION"), nullptr);
}

TEST_F(SceneManagerTest, ScriptsSeeTheScenesNodeAndTheCurrentScene) {
    // A manager made while Lua runs publishes its globals.
    m_pManager = nullptr;
    SceneManager::ReleaseInstance();
    Lua::CreateInstance();
    ASSERT_TRUE(Lua::g_Instance->Initialize());
    Lua::g_Instance->SetScriptFolder(test::ScriptFolder());
    lua_State* L = Lua::g_Instance->GetState();
    {
        SmartPtr<SceneManager> manager(new SceneManager(GameTree::g_Instance, AnimTree::g_Instance));
        SmartPtr<Scene> scene(new LoggingScene("A", &m_Log));
        manager->AddScene("A", scene);
        manager->EnterScene(scene);
        manager->OnUpdate(16);

        lua_getglobal(L, "scenes");
        manager->GetScenesNode()->PushLuaObject(L);
        EXPECT_TRUE(lua_istable(L, -1));
        EXPECT_TRUE(lua_rawequal(L, -1, -2));
        lua_getglobal(L, "scene");
        scene->PushLuaObject(L);
        EXPECT_TRUE(lua_istable(L, -1));
        EXPECT_TRUE(lua_rawequal(L, -1, -2));
        lua_settop(L, 0);
    }
    Lua::ReleaseInstance();
}

// The scene left forgets presses and hovers in progress, also when a
// transition covers it.
TEST_F(SceneManagerTest, LeavingASceneResetsTheInputStateOfItsWidgets) {
    auto* widget = new ResetCounter();
    m_pA->AddComponent(widget, false);
    m_pManager->EnterScene("A");
    Update();
    EXPECT_EQ(widget->m_nResets, 0);
    m_pManager->EnterScene("B");
    Update();
    EXPECT_EQ(widget->m_nResets, 1);

    m_pManager->EnterScene("A");
    Update();
    SetTransition();
    m_pManager->EnterScene("B");
    Update();
    EXPECT_EQ(widget->m_nResets, 2);
}

// Script animations that must start a new chain go to the scene shown.
TEST_F(SceneManagerTest, NewScriptChainsStartInTheCurrentMainScene) {
    EXPECT_EQ(LuaAnimationChain::GetContainer(), AnimTree::g_Instance);
    m_pManager->EnterScene("A");
    Update();
    EXPECT_EQ(LuaAnimationChain::GetContainer(), m_pA->GetAnimContainer());
    SetTransition();
    m_pManager->EnterScene("B");
    Update();
    EXPECT_EQ(LuaAnimationChain::GetContainer(), m_pB->GetAnimContainer());
}
