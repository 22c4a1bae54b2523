// The loading scene: at least ten seconds and until loading is complete, a
// progress bar that starts empty whatever had loaded before, partner logos
// from an optional file, and the busy cursor while it waits.
#include "source/splash/SceneLoad.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/framework/MouseCursorCounter.h"
#include "engine/io/FileUtils.h"
#include "engine/math/PolygonF.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneTransition.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "tests/engine/io/ResourceFiles.h"
#include "tests/engine/scene/SceneTestSupport.h"
#include "tests/source/splash/SceneWorldTest.h"

using namespace ZQ2;

namespace {

constexpr float kBarWidth = 600.0f;
constexpr float kBarHeight = 20.0f;

class SceneLoadTest : public splashtest::SceneWorldTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        SetUpWorld(
            "<Node id=\"scenes\">"
            "  <Scene id=\"SCENE_SPLASH\"/>"
            "  <SceneLoad id=\"SCENE_LOAD\">"
            "    <Vector id=\"scenecomponents\">"
            "      <Sprite id=\"a\" name=\"BACKGROUND\" width=\"800\" height=\"600\"/>"
            "      <Sprite id=\"b\" name=\"PROGRESS_BAR\" x=\"400\" y=\"510\" width=\"600\" height=\"20\""
            "              anchorpoint=\"center\"/>"
            "    </Vector>"
            "  </SceneLoad>"
            "  <Scene id=\"SCENE_SELECTION\"/>"
            "  <AlphaTransition id=\"TRANSITION_DEFAULT\" time=\"100\"/>"
            "</Node>",
            {splashtest::Section("splash", {"s1"}),
             splashtest::Section("game", {"g0", "g1", "g2", "g3", "g4", "g5", "g6", "g7", "g8", "g9"})});
        SceneManager::g_Instance->CreateScene("SCENE_SPLASH");
        SceneManager::g_Instance->CreateScene("SCENE_SELECTION");
        m_iBusyVotes = g_CursorCount[CURSOR_BUSY];
    }

    void TearDown() override {
        SceneWorldTest::TearDown();
        EXPECT_EQ(g_CursorCount[CURSOR_BUSY], m_iBusyVotes);
    }

    // Enters the scene; the first frame sets it up.
    SceneLoad* Start() {
        m_pLoad = DynamicCast<SceneLoad>(SceneManager::g_Instance->CreateScene("SCENE_LOAD"));
        EXPECT_NE(m_pLoad, nullptr);
        SceneManager::g_Instance->EnterScene("SCENE_LOAD");
        Frame(0);
        return m_pLoad;
    }

    // Loads n more resources of the section "game".
    void Load(int n) {
        for (int i = 0; i < n; ++i)
            m_spResources->LoadNextResource();
    }

    // The width of the bar that shows, or -1 when nothing clips it.
    float ShownWidth() const {
        PolygonF* clip = m_pLoad->GetProgressBar()->GetClipPolygon();
        return clip ? clip->GetWidth() : -1.0f;
    }

    std::string Current() const {
        Scene* scene = SceneManager::g_Instance->GetCurrentMainScene();
        return scene ? scene->GetName() : std::string();
    }

    SceneLoad* m_pLoad = nullptr;
    int m_iBusyVotes = 0;
};

}  // namespace

// Loading is over after 3 s: the scene still stays until 10 s have passed,
// then moves on through the default transition.
TEST_F(SceneLoadTest, StaysTenSecondsThoughLoadingEndsEarly) {
    m_spResources->WaitingFor("game");
    Start();
    ASSERT_NE(m_pLoad->GetProgressBar(), nullptr);
    EXPECT_FLOAT_EQ(ShownWidth(), 0.0f);  // empty at first
    EXPECT_TRUE(m_pLoad->GetBusyCursor().IsUsed());
    EXPECT_EQ(MouseCursorCounter::GetSelectedCursorType(), CURSOR_BUSY);

    Frame(1000);
    Frame(1000);
    Load(10);
    Frame(1000);
    EXPECT_FLOAT_EQ(ShownWidth(), kBarWidth);
    EXPECT_TRUE(m_spResources->IsComplete());
    while (m_iNow < 9000) {
        Frame(1000);
        EXPECT_FALSE(m_pLoad->IsDone()) << m_iNow;
    }
    Frame(999);
    EXPECT_FALSE(m_pLoad->IsDone());
    Frame(1);
    EXPECT_TRUE(m_pLoad->IsDone());
    EXPECT_FALSE(m_pLoad->GetBusyCursor().IsUsed());
    EXPECT_FLOAT_EQ(ShownWidth(), -1.0f);  // the whole bar
    EXPECT_EQ(Current(), "SCENE_LOAD");  // the move runs from the modifier tree
    Frame(10);
    Frame(10);
    EXPECT_EQ(Current(), "SCENE_SELECTION");
    auto* transition = DynamicCast<SceneTransition>(SceneManager::g_Instance->GetCurrentScene());
    ASSERT_NE(transition, nullptr);
    EXPECT_EQ(transition->GetName(), "TRANSITION_DEFAULT");
}

// Loading takes 25 s: the scene waits for it and moves on at once.
TEST_F(SceneLoadTest, WaitsForLoadingBeyondTenSeconds) {
    m_spResources->WaitingFor("game");
    Start();
    for (int i = 0; i < 5; ++i) {
        Frame(5000);
        Load(2);
    }
    EXPECT_FALSE(m_pLoad->IsDone());
    EXPECT_FLOAT_EQ(ShownWidth(), kBarWidth * 0.8f);  // the last two are not seen yet
    Frame(5000);
    EXPECT_TRUE(m_pLoad->IsDone());
    EXPECT_EQ(m_pLoad->GetElapsed(), 30000);
}

// The bar shows the progress made since the first frame: 0.4 then, 0.7
// later, shows half of it, clipped at the bar's top-left corner.
TEST_F(SceneLoadTest, BarStartsEmptyWhateverLoadedBefore) {
    m_spResources->WaitingFor("game");
    Load(4);
    Start();
    Frame(100);
    EXPECT_FLOAT_EQ(m_pLoad->GetStartProgress(), 0.4f);
    EXPECT_FLOAT_EQ(ShownWidth(), 0.0f);
    Load(3);
    Frame(100);
    EXPECT_NEAR(ShownWidth(), kBarWidth / 2.0f, 0.01f);
    const Rectangle_t<float> clip = m_pLoad->GetProgressBar()->GetClipPolygon()->GetBoundingRect();
    EXPECT_FLOAT_EQ(clip.x, 400.0f - 300.0f);
    EXPECT_FLOAT_EQ(clip.y, 510.0f - 10.0f);
    EXPECT_FLOAT_EQ(clip.height, kBarHeight);
}

// Everything had loaded before the first frame: the bar is full, not 0/0.
TEST_F(SceneLoadTest, LoadingDoneBeforeTheFirstFrameShowsTheFullBar) {
    m_spResources->WaitingFor("game");
    Load(10);
    Start();
    Frame(100);
    EXPECT_FLOAT_EQ(m_pLoad->GetStartProgress(), 1.0f);
    EXPECT_FLOAT_EQ(ShownWidth(), kBarWidth);
    const struct {
        float start, p, fraction;
    } cases[] = {{1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 1.0f}, {0.4f, 0.7f, 0.5f}, {0.5f, 0.2f, 0.0f}};
    for (const auto& c : cases)
        EXPECT_NEAR(SceneLoad::BarFraction(c.start, c.p), c.fraction, 1e-6f) << c.start << " " << c.p;
}

// Setting up drops the splash scene and its section (without unloading it).
TEST_F(SceneLoadTest, SetUpDropsTheSplash) {
    m_spResources->WaitingFor("splash");
    m_spResources->Drain();
    Start();
    EXPECT_EQ(m_spResources->GetSection("splash"), nullptr);
    EXPECT_EQ(SceneManager::g_Instance->GetScene("SCENE_SPLASH"), nullptr);
    EXPECT_NE(SceneManager::g_Instance->GetScene("SCENE_SELECTION"), nullptr);
}

TEST_F(SceneLoadTest, PartnersFileAddsItsComponentsAfterTheScenesOwn) {
    const std::string partners =
        "<root><Vector id=\"partners\">"
        "<Sprite id=\"p\" name=\"PARTNER_A\" width=\"50\" height=\"50\"/>"
        "<Sprite id=\"q\" name=\"PARTNER_B\" x=\"60\" width=\"50\" height=\"50\"/>"
        "</Vector></root>";
    ASSERT_TRUE(CreatePath("properties"));
    resfiles::Write("properties/partners.xml", resfiles::Bytes(partners.begin(), partners.end()));
    Start();
    std::string names;
    for (GameNode* node = m_pLoad->GetComponentRoot()->GetFirstChild(); node; node = node->GetNextSibling())
        names += node->GetName() + " ";
    EXPECT_EQ(names, "BACKGROUND PROGRESS_BAR PARTNER_A PARTNER_B ");
}

TEST_F(SceneLoadTest, WithoutPartnersFileOnlyItsOwnComponents) {
    Start();
    int count = 0;
    for (GameNode* node = m_pLoad->GetComponentRoot()->GetFirstChild(); node; node = node->GetNextSibling())
        ++count;
    EXPECT_EQ(count, 2);
}

// A resource that fails to load counts as done: the scene never waits for it
// forever.
TEST_F(SceneLoadTest, AFailedResourceDoesNotHoldTheScene) {
    auto* broken = new ResourceSection("broken", false);
    broken->AddResource("b1", new restest::TestResource("b1", 1, true));
    broken->AddResource("b2", new restest::TestResource("b2", 1));
    m_spResources->AddSection(broken);
    m_spResources->WaitingFor("broken");
    Start();
    Frame(5000);
    m_spResources->Drain();
    Frame(5000);
    EXPECT_TRUE(m_pLoad->IsDone());
    EXPECT_TRUE(m_spResources->GetSection("broken")->GetResource("b1")->HasError());
}
