// The transitions' effects frame by frame, with fixed frame steps, through
// the frame tasks the application runs: the manager's switch, the tick of
// both trees and the purge.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/PropertyValue.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneTransitionAlpha.h"
#include "engine/scene/SceneTransitionFadeBlack.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "tests/engine/scene/SceneTestSupport.h"

using namespace ZQ2;
using test::CallLog;
using test::LoggingScene;

namespace {

// A loader that has finished only when the test says so.
class SlowLoader : public ResourceManager {
public:
    void Stop() override {}
    void Suspend() override {}
    void Resume() override {}

    static SlowLoader* Install() {
        auto* loader = new SlowLoader();
        loader->AddRef();
        g_Instance = loader;
        return loader;
    }
};

template <class T>
class Logged : public T {
public:
    Logged(PropertyNode* data, CallLog* log) : T(data), m_pLog(log) {}
    void OnActivate() override {
        m_pLog->push_back("T.OnActivate");
        T::OnActivate();
    }
    void OnEnter() override {
        m_pLog->push_back("T.OnEnter");
        T::OnEnter();
    }
    void OnDeactivate() override {
        m_pLog->push_back("T.OnDeactivate");
        T::OnDeactivate();
    }
    void ActivateNextScene() override {
        m_pLog->push_back("T.ActivateNextScene");
        T::ActivateNextScene();
    }
    void GotoNextScene() override {
        m_pLog->push_back("T.GotoNextScene");
        T::GotoNextScene();
    }

private:
    CallLog* m_pLog;
};

class SceneTransitionTest : public ::testing::Test {
protected:
    void SetUp() override {
        BasicProperties::CreateInstance();
        GameTree::CreateInstance();
        AnimTree::CreateInstance();
        SceneManager::CreateInstance();
        m_pTick = new TaskTickUpdate(GameTree::g_Instance, AnimTree::g_Instance);
        m_pPurge = new TaskPurge(GameTree::g_Instance, AnimTree::g_Instance);
        m_pA = Add("A");
        m_pB = Add("B");
        SceneManager::g_Instance->EnterScene(m_pA);
        Frame(16);
    }

    void TearDown() override {
        m_pTick = nullptr;
        m_pPurge = nullptr;
        iInstance<ResourceManager>::ReleaseInstance();
        SceneManager::ReleaseInstance();
        AnimTree::ReleaseInstance();
        GameTree::ReleaseInstance();
        BasicProperties::ReleaseInstance();
    }

    LoggingScene* Add(const std::string& name) {
        auto* scene = new LoggingScene(name, &m_Log);
        SceneManager::g_Instance->AddScene(name, scene);
        return scene;
    }

    static SmartPtr<PropertyNode> Data(const std::string& type,
                                       const std::vector<std::pair<std::string, std::string> >& keys) {
        SmartPtr<PropertyNode> node(new PropertyNode("TRANSITION", type));
        for (const auto& [key, value] : keys)
            node->InsertProperty(new PropertyValue(key, value, true));
        return node;
    }

    // What the frame tasks do, in the application's order.
    void Frame(int deltaMs) {
        SceneManager::g_Instance->OnUpdate(deltaMs);
        m_pTick->OnUpdate(deltaMs);
        m_pPurge->OnUpdate(deltaMs);
    }

    // Frames until the manager has a scene to switch to; the count.
    int FramesUntilPending(int deltaMs, int limit) {
        for (int i = 1; i <= limit; ++i) {
            Frame(deltaMs);
            if (SceneManager::g_Instance->GetPendingScene())
                return i;
        }
        return -1;
    }

    SmartPtr<TaskTickUpdate> m_pTick;
    SmartPtr<TaskPurge> m_pPurge;
    CallLog m_Log;
    LoggingScene* m_pA = nullptr;
    LoggingScene* m_pB = nullptr;
};

}  // namespace

TEST_F(SceneTransitionTest, KeysOfTheTransitionsAndTheirDefaults) {
    SmartPtr<SceneTransitionAlpha> alpha(new SceneTransitionAlpha(Data("AlphaTransition", {})));
    EXPECT_EQ(alpha->GetTime(), 1000);
    EXPECT_TRUE(alpha->IsWait());
    alpha = new SceneTransitionAlpha(Data("AlphaTransition", {{"time", "250"}, {"wait", "false"}}));
    EXPECT_EQ(alpha->GetTime(), 250);
    EXPECT_FALSE(alpha->IsWait());

    SmartPtr<SceneTransitionFadeBlack> fade(new SceneTransitionFadeBlack(Data("FadeBlackTransition", {})));
    EXPECT_EQ(fade->GetFadeTime(), 1000);
    EXPECT_EQ(fade->GetShowDelay(), 3000);
    EXPECT_EQ(fade->GetShowTime(), 1500);
    EXPECT_TRUE(fade->IsWait());
    EXPECT_EQ(fade->GetColor(), 0);
    EXPECT_EQ(fade->GetAlpha(), 0);
    EXPECT_TRUE(fade->IsUseColorToFillPolygon());
    fade = new SceneTransitionFadeBlack(Data("FadeBlackTransition", {{"color", "16711680"},
                                                                     {"time", "400"},
                                                                     {"wait", "false"},
                                                                     {"showdelay", "20"},
                                                                     {"showtime", "30"}}));
    EXPECT_EQ(fade->GetColor(), 0xFF0000);
    EXPECT_EQ(fade->GetAlpha(), 0);
    EXPECT_EQ(fade->GetFadeTime(), 400);
    EXPECT_FALSE(fade->IsWait());
    EXPECT_EQ(fade->GetShowDelay(), 20);
    EXPECT_EQ(fade->GetShowTime(), 30);
}

// The picture of the old scene fades out over the new one, which is
// activated at once and entered on the first update after the fade.
TEST_F(SceneTransitionTest, AlphaTransitionFadesASnapshotAndEntersAfterItsTime) {
    auto* t = new Logged<SceneTransitionAlpha>(Data("AlphaTransition", {{"wait", "false"}}), &m_Log);
    SceneManager::g_Instance->SetSceneTransition(t);
    SceneManager::g_Instance->EnterScene(m_pB);
    m_Log.clear();
    Frame(100);
    EXPECT_EQ(m_Log, (CallLog{"T.OnActivate", "T.OnEnter", "T.ActivateNextScene", "A.OnDeactivate", "B.OnActivate",
                              "B.Initialize"}));
    Sprite* snapshot = t->GetSnapshot();
    ASSERT_NE(snapshot, nullptr);
    EXPECT_EQ(snapshot->GetParent(), t);
    EXPECT_TRUE(m_pB->IsVisible());
    EXPECT_TRUE(m_pB->IsSuspended());  // drawn, not yet run
    EXPECT_FALSE(m_pB->IsInputListenerActive());
    EXPECT_FALSE(m_pA->IsVisible());

    // The fade runs from the snapshot's frame on: 500 ms after five frames.
    for (int i = 0; i < 4; ++i)
        Frame(100);
    EXPECT_EQ(snapshot->GetAlpha(), 127);
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentMainScene(), m_pB);
    m_Log.clear();
    EXPECT_EQ(FramesUntilPending(100, 20), 5);
    EXPECT_EQ(snapshot->GetAlpha(), 0);
    EXPECT_EQ(m_Log, (CallLog{"T.GotoNextScene"}));

    m_Log.clear();
    Frame(100);
    EXPECT_EQ(m_Log, (CallLog{"B.OnEnter", "T.OnDeactivate"}));
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentScene(), m_pB);
    EXPECT_FALSE(m_pB->IsSuspended());
    EXPECT_TRUE(m_pB->IsInputListenerActive());
    EXPECT_EQ(SceneManager::g_Instance->GetSceneTransition(), nullptr);
}

// Waiting for loading: the old scene stays on screen without input.
TEST_F(SceneTransitionTest, AlphaTransitionWaitsForLoading) {
    SlowLoader* loader = SlowLoader::Install();
    loader->SetReady(false);
    auto* t = new SceneTransitionAlpha(Data("AlphaTransition", {{"time", "200"}}));
    SceneManager::g_Instance->SetSceneTransition(t);
    SceneManager::g_Instance->EnterScene(m_pB);
    for (int i = 0; i < 10; ++i)
        Frame(100);
    EXPECT_EQ(t->GetSnapshot(), nullptr);
    EXPECT_TRUE(m_pA->IsVisible());
    EXPECT_FALSE(m_pA->IsInputListenerActive());
    EXPECT_EQ(m_pB->GetState(), Scene::STATE_NEW);

    loader->SetReady(true);
    Frame(100);
    EXPECT_NE(t->GetSnapshot(), nullptr);
    EXPECT_EQ(FramesUntilPending(100, 10), 1);
    Frame(100);
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentScene(), m_pB);
}

namespace {

// The fade-to-black transition over a loader that finishes when told, with
// a loading label among its components.
class FadeBlackTest : public SceneTransitionTest {
protected:
    void Start(const std::vector<std::pair<std::string, std::string> >& keys, bool withLabel) {
        m_pLoader = SlowLoader::Install();
        m_pLoader->SetReady(false);
        m_pFade = new Logged<SceneTransitionFadeBlack>(Data("FadeBlackTransition", keys), &m_Log);
        if (withLabel) {
            m_pLabel = new Label(nullptr, 10.0f, 10.0f, 0.0f, 0.0f, TEXTWRAP_AUTOWIDTH);
            m_pLabel->SetText("Loading");
            m_pLabel->SetName("LOADING_LABEL");
            m_pFade->AddComponent(m_pLabel, false);
        }
        SceneManager::g_Instance->SetSceneTransition(m_pFade);
        SceneManager::g_Instance->EnterScene(m_pB);
        m_Log.clear();
    }

    // Runs frames of deltaMs for ms milliseconds; what the label showed, one
    // entry per change.
    std::vector<std::string> Run(int ms, int deltaMs) {
        std::vector<std::string> shown;
        for (int t = 0; t < ms; t += deltaMs) {
            Frame(deltaMs);
            const std::string text = m_pLabel && m_pLabel->GetAlpha() > 0 ? m_pLabel->GetText() : "";
            if (shown.empty() || shown.back() != text)
                shown.push_back(text);
        }
        return shown;
    }

    SlowLoader* m_pLoader = nullptr;
    SmartPtr<SceneTransitionFadeBlack> m_pFade;
    Label* m_pLabel = nullptr;
};

}  // namespace

// Defaults and five seconds of loading: a second of fading in, the label
// after three more, dots cycling every 1.2 s, the fade out once loaded.
TEST_F(FadeBlackTest, ShowsTheLoadingLabelWithDotsWhileLoadingIsSlow) {
    Start({}, true);
    Frame(100);
    EXPECT_EQ(m_Log, (CallLog{"T.OnActivate", "T.OnEnter"}));
    EXPECT_EQ(m_pLabel->GetParent(), m_pFade);
    EXPECT_EQ(m_pLabel->GetAlpha(), 0);
    EXPECT_TRUE(m_pA->IsVisible());
    EXPECT_EQ(m_pFade->GetPhase(), SceneTransitionFadeBlack::PHASE_COVERING);

    Run(900, 100);
    EXPECT_EQ(m_pFade->GetAlpha(), 255);
    EXPECT_EQ(m_pFade->GetPhase(), SceneTransitionFadeBlack::PHASE_COVERED);

    // Nothing shows for three seconds of cover; then the label fades in.
    EXPECT_EQ(Run(3000, 100), (std::vector<std::string>{""}));
    EXPECT_EQ(m_pLabel->GetAlpha(), 0);
    Frame(100);
    EXPECT_EQ(m_pLabel->GetText(), "Loading");
    EXPECT_EQ(m_pLabel->GetAlpha(), 85);

    // 300 ms per dot, back to none after three.
    const std::vector<std::string> shown = Run(2400, 100);
    EXPECT_EQ(shown, (std::vector<std::string>{"Loading", "Loading.", "Loading..", "Loading...", "Loading",
                                               "Loading.", "Loading..", "Loading...", "Loading"}));
    EXPECT_EQ(m_pLabel->GetAlpha(), 255);
    EXPECT_EQ(m_pFade->GetPhase(), SceneTransitionFadeBlack::PHASE_COVERED);
    EXPECT_EQ(m_pB->GetState(), Scene::STATE_NEW);

    m_Log.clear();
    m_pLoader->SetReady(true);
    Frame(100);
    EXPECT_EQ(m_pFade->GetPhase(), SceneTransitionFadeBlack::PHASE_UNCOVERING);
    EXPECT_EQ(m_Log, (CallLog{"T.ActivateNextScene", "A.OnDeactivate", "B.OnActivate", "B.Initialize"}));
    EXPECT_FALSE(m_pA->IsVisible());
    EXPECT_TRUE(m_pB->IsVisible());
    Run(500, 100);
    EXPECT_LT(m_pFade->GetAlpha(), 255);
    EXPECT_LT(m_pLabel->GetAlpha(), 255);
    EXPECT_GT(FramesUntilPending(100, 20), 0);
    EXPECT_EQ(m_pFade->GetAlpha(), 0);
    EXPECT_EQ(m_pLabel->GetAlpha(), 0);
    Frame(100);
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentScene(), m_pB);
    // Purged from both trees with its label and modifiers.
    EXPECT_EQ(m_pFade->GetParent(), nullptr);
    EXPECT_EQ(m_pFade->GetAnimContainer()->GetParent(), nullptr);
    EXPECT_EQ(m_pFade->GetRefCount(), 1);
}

// A label that has appeared stays its show time even when loading is done.
TEST_F(FadeBlackTest, AShownLabelStaysItsShowTime) {
    Start({{"time", "100"}, {"showdelay", "200"}, {"showtime", "1000"}}, true);
    Run(200, 100);  // covered
    EXPECT_EQ(m_pFade->GetPhase(), SceneTransitionFadeBlack::PHASE_COVERED);
    Run(300, 100);  // the label appears
    EXPECT_EQ(m_pLabel->GetText(), "Loading");
    m_pLoader->SetReady(true);
    Run(800, 100);
    EXPECT_EQ(m_pFade->GetPhase(), SceneTransitionFadeBlack::PHASE_COVERED);
    Frame(100);
    EXPECT_EQ(m_pFade->GetPhase(), SceneTransitionFadeBlack::PHASE_UNCOVERING);
}

// Nothing to load: covered for one frame, and the label never shows.
TEST_F(FadeBlackTest, WithNothingToLoadItUncoversAtOnce) {
    Start({}, true);
    m_pLoader->SetReady(true);
    Run(1000, 100);
    EXPECT_EQ(m_pFade->GetPhase(), SceneTransitionFadeBlack::PHASE_COVERED);
    Frame(100);
    EXPECT_EQ(m_pFade->GetPhase(), SceneTransitionFadeBlack::PHASE_UNCOVERING);
    EXPECT_EQ(m_pLabel->GetAlpha(), 0);
    EXPECT_GT(FramesUntilPending(100, 20), 0);
    Frame(100);
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentScene(), m_pB);
    EXPECT_EQ(m_pLabel->GetText(), "Loading");
}

// Without a loading label, and without waiting, it only fades.
TEST_F(FadeBlackTest, WithoutALabelOrWaitingItOnlyFades) {
    Start({{"wait", "false"}, {"time", "300"}}, false);
    // Three frames in, then three out from the frame after the cover.
    EXPECT_EQ(FramesUntilPending(100, 20), 6);
    EXPECT_EQ(m_pFade->GetLoadingLabel(), nullptr);
    Frame(100);
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentScene(), m_pB);
}

// Built by name from the scene catalogue, the loading label among the data's
// components.
TEST_F(FadeBlackTest, BuiltFromTheCatalogueItFindsItsLoadingLabel) {
    test::DataFolder data;
    data.Load(
        "<Node id=\"scenes\">"
        "  <FadeBlackTransition id=\"FADE\" time=\"100\" showdelay=\"0\" showtime=\"100\">"
        "    <Vector id=\"scenecomponents\">"
        "      <Label id=\"a\" name=\"LOADING_LABEL\" text=\"Please wait\"/>"
        "    </Vector>"
        "  </FadeBlackTransition>"
        "  <AlphaTransition id=\"ALPHA\" time=\"300\"/>"
        "</Node>");
    SmartPtr<SceneTransition> alpha(SceneManager::g_Instance->CreateSceneTransition("ALPHA"));
    ASSERT_NE(DynamicCast<SceneTransitionAlpha>(alpha.Get()), nullptr);
    EXPECT_EQ(static_cast<SceneTransitionAlpha*>(alpha.Get())->GetTime(), 300);

    m_pLoader = SlowLoader::Install();
    m_pLoader->SetReady(false);
    m_pFade = DynamicCast<SceneTransitionFadeBlack>(SceneManager::g_Instance->CreateSceneTransition("FADE"));
    ASSERT_NE(m_pFade, nullptr);
    EXPECT_TRUE(alpha->IsObsolete());  // replaced before it ran
    SceneManager::g_Instance->EnterScene(m_pB);
    Frame(100);
    m_pLabel = m_pFade->GetLoadingLabel();
    ASSERT_NE(m_pLabel, nullptr);
    EXPECT_EQ(m_pLabel->GetParent(), m_pFade);
    EXPECT_EQ(m_pLabel->GetAlpha(), 0);
    EXPECT_EQ(Run(300, 100), (std::vector<std::string>{"Please wait"}));
    m_pLoader->SetReady(true);
    EXPECT_GT(FramesUntilPending(100, 20), 0);
    Frame(100);
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentScene(), m_pB);
}
