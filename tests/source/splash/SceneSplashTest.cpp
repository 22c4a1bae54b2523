// The splash scene's series: publisher animation, backdrop, numbered images
// fading in, staying and out, then the wait for "preloading" and the move to
// the loading scene through its transition.
#include "source/splash/SceneSplash.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/io/FileUtils.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneTransition.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "tests/engine/io/ResourceFiles.h"
#include "tests/engine/io/TestResource.h"
#include "tests/engine/scene/SceneTestSupport.h"
#include "tests/source/splash/SceneWorldTest.h"

using namespace ZQ2;

namespace {

class SceneSplashTest : public splashtest::SceneWorldTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        ASSERT_TRUE(CreatePath("splash"));
        SetUpWorld(
            "<Node id=\"scenes\">"
            "  <SceneSplash id=\"SCENE_SPLASH\">"
            "    <Vector id=\"scenecomponents\"><Sprite id=\"a\" name=\"PUBLISHER\" width=\"10\" height=\"10\"/></Vector>"
            "  </SceneSplash>"
            "  <Scene id=\"SCENE_LOAD\"/>"
            "  <FadeBlackTransition id=\"TRANSITION_SPLASH\" time=\"300\" showdelay=\"0\" showtime=\"0\"/>"
            "</Node>",
            {splashtest::Section("preloading", {"p1", "p2"})});
    }

    void LoadPreloading() {
        m_spResources->WaitingFor("preloading");
        m_spResources->Drain();
    }

    static void WriteBranding(const std::string& values) {
        resfiles::Write("splash/branding.xml", resfiles::Bytes(values.begin(), values.end()));
    }

    // Creates the scene from the catalogue and enters it; the first frame sets it up.
    SceneSplash* Start() {
        SceneManager::g_Instance->CreateScene("SCENE_LOAD");
        m_pSplash = DynamicCast<SceneSplash>(SceneManager::g_Instance->CreateScene("SCENE_SPLASH"));
        EXPECT_NE(m_pSplash, nullptr);
        SceneManager::g_Instance->EnterScene("SCENE_SPLASH");
        Frame(0);
        return m_pSplash;
    }

    // Runs frames of step ms until the time is reached.
    void RunUntil(int ms, int step = 10) {
        while (m_iNow < ms)
            Frame(step);
    }

    // The live splash images, back to front (the backdrop and the scene's own
    // content are not among them).
    std::vector<Sprite*> Images() const {
        std::vector<Sprite*> images;
        for (GameNode* node = m_pSplash->GetComponentRoot()->GetFirstChild(); node; node = node->GetNextSibling()) {
            auto* sprite = DynamicCast<Sprite>(node);
            if (sprite && !sprite->IsObsolete() && sprite != m_pSplash->GetBackdrop() &&
                sprite->GetName() != "PUBLISHER")
                images.push_back(sprite);
        }
        return images;
    }

    Scene* Current() const { return SceneManager::g_Instance->GetCurrentMainScene(); }

    SceneSplash* m_pSplash = nullptr;
};

}  // namespace

TEST_F(SceneSplashTest, PublisherAnimationThenBackdropThenImagesInTurn) {
    resfiles::Write("splash/splash1.jpg", resfiles::Jpeg(640, 480, 200, 10, 10));
    resfiles::Write("splash/splash2.png", resfiles::PatternPng(100, 50));
    LoadPreloading();
    Start();
    EXPECT_EQ(m_pSplash->GetDisplayTime(), 1700);
    EXPECT_EQ(m_pSplash->GetFadeTime(), 500);

    // The publisher animation has the screen for the display time.
    RunUntil(1690);
    EXPECT_EQ(m_pSplash->GetBackdrop(), nullptr);
    RunUntil(1710);
    ASSERT_NE(m_pSplash->GetBackdrop(), nullptr);
    EXPECT_LT(m_pSplash->GetBackdrop()->GetAlpha(), 255);

    // The backdrop fades in; 200 ms later the first image begins, centred
    // (a frame either way: each step of a list starts in the frame its
    // predecessor ends).
    RunUntil(1700 + 500 + 170);
    EXPECT_EQ(m_pSplash->GetBackdrop()->GetAlpha(), 255);
    EXPECT_TRUE(Images().empty());
    RunUntil(1700 + 500 + 230);
    ASSERT_EQ(Images().size(), 1u);
    Sprite* first = Images()[0];
    EXPECT_FLOAT_EQ(first->GetX(), 80.0f);
    EXPECT_FLOAT_EQ(first->GetY(), 60.0f);
    EXPECT_EQ(m_pSplash->GetSplashIndex(), 1);

    // It fades in, stays, fades out, and the second image follows.
    const int firstStart = 1700 + 500 + 200;
    RunUntil(firstStart + 500 + 100);
    EXPECT_EQ(first->GetAlpha(), 255);
    RunUntil(firstStart + 500 + 1700 + 250);
    EXPECT_GT(first->GetAlpha(), 0);
    EXPECT_LT(first->GetAlpha(), 255);
    RunUntil(firstStart + 2700 + 30);
    ASSERT_EQ(Images().size(), 1u);
    EXPECT_NE(Images()[0], first);
    EXPECT_FLOAT_EQ(Images()[0]->GetX(), 350.0f);
    EXPECT_FLOAT_EQ(Images()[0]->GetY(), 275.0f);
    EXPECT_FALSE(m_pSplash->IsSeriesOver());

    // No third image: the series ends and the loading scene is entered
    // through the splash transition, once (the scene ticks on under the
    // transition until it is covered).
    RunUntil(firstStart + 2 * 2700 + 30);
    EXPECT_TRUE(m_pSplash->IsSeriesOver());
    EXPECT_EQ(m_pSplash->GetSplashIndex(), 2);
    auto* transition = DynamicCast<SceneTransition>(SceneManager::g_Instance->GetCurrentScene());
    ASSERT_NE(transition, nullptr);
    EXPECT_EQ(transition->GetName(), "TRANSITION_SPLASH");
    EXPECT_EQ(Current()->GetName(), "SCENE_LOAD");
    RunUntil(m_iNow + 700);  // covering and uncovering
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentScene(), Current());
    EXPECT_EQ(Current()->GetName(), "SCENE_LOAD");
}

TEST_F(SceneSplashTest, JpegWinsOverPngOfTheSameNumber) {
    resfiles::Write("splash/splash1.png", resfiles::PatternPng(16, 16));
    resfiles::Write("splash/splash1.jpg", resfiles::Jpeg(32, 32, 0, 0, 0));
    EXPECT_EQ(SceneSplash::SplashFileName(1), "splash/splash1.jpg");
    EXPECT_EQ(SceneSplash::SplashFileName(2), "");
    WriteBranding("<root><Boolean id=\"SHOW_FABLEWOOD_ANIMATION\" value=\"false\"/></root>");
    Start();
    RunUntil(230);
    ASSERT_EQ(Images().size(), 1u);
    EXPECT_FLOAT_EQ(Images()[0]->GetWidth(), 32.0f);
}

// Without the publisher animation the backdrop is opaque from the start and
// the first image begins 200 ms after the set-up; the branding's times rule.
TEST_F(SceneSplashTest, BrandingSkipsTheAnimationAndSetsTheTimes) {
    resfiles::Write("splash/splash1.png", resfiles::PatternPng(8, 8));
    WriteBranding(
        "<root><Boolean id=\"SHOW_FABLEWOOD_ANIMATION\" value=\"false\"/>"
        "<Integer id=\"SPLASH_FADE_TIME\" value=\"100\"/><Integer id=\"SPLASH_DISPLAY_TIME\" value=\"300\"/></root>");
    Start();
    EXPECT_TRUE(m_pSplash->IsBackdropShown());
    EXPECT_EQ(m_pSplash->GetFadeTime(), 100);
    EXPECT_EQ(m_pSplash->GetDisplayTime(), 300);
    ASSERT_NE(m_pSplash->GetBackdrop(), nullptr);
    EXPECT_EQ(m_pSplash->GetBackdrop()->GetAlpha(), 255);
    RunUntil(190);
    EXPECT_TRUE(Images().empty());
    RunUntil(220);
    EXPECT_EQ(Images().size(), 1u);
    // 100 in, 300 staying, 100 out.
    RunUntil(200 + 500 + 30);
    EXPECT_TRUE(Images().empty());
    EXPECT_TRUE(m_pSplash->IsSeriesOver());
}

TEST_F(SceneSplashTest, InvalidBrandingLeavesTheDefaults) {
    WriteBranding("<root><Integer id=\"SPLASH_FADE_TIME\" value=\"100\"");
    Start();
    EXPECT_FALSE(m_pSplash->IsBackdropShown());
    EXPECT_EQ(m_pSplash->GetFadeTime(), 500);
    EXPECT_EQ(m_pSplash->GetDisplayTime(), 1700);
}

TEST_F(SceneSplashTest, NegativeBrandingTimesCountAsNone) {
    WriteBranding(
        "<root><Integer id=\"SPLASH_FADE_TIME\" value=\"-5\"/>"
        "<Integer id=\"SPLASH_DISPLAY_TIME\" value=\"-2147483648\"/></root>");
    Start();
    EXPECT_EQ(m_pSplash->GetFadeTime(), 0);
    EXPECT_EQ(m_pSplash->GetDisplayTime(), 0);
}

// An image that does not decode ends the series as if there were none.
TEST_F(SceneSplashTest, UnreadableImageEndsTheSeries) {
    resfiles::Write("splash/splash1.jpg", resfiles::Bytes{'n', 'o', 't'});
    resfiles::Write("splash/splash2.png", resfiles::PatternPng(8, 8));
    WriteBranding("<root><Boolean id=\"SHOW_FABLEWOOD_ANIMATION\" value=\"false\"/></root>");
    LoadPreloading();
    Start();
    RunUntil(230);
    EXPECT_TRUE(Images().empty());
    EXPECT_TRUE(m_pSplash->IsSeriesOver());
    EXPECT_EQ(m_pSplash->GetSplashIndex(), 0);
    RunUntil(300);
    EXPECT_EQ(Current()->GetName(), "SCENE_LOAD");
}

// The scene stays on its backdrop until "preloading" has loaded.
TEST_F(SceneSplashTest, WaitsForPreloadingOnTheBackdrop) {
    WriteBranding("<root><Boolean id=\"SHOW_FABLEWOOD_ANIMATION\" value=\"false\"/></root>");
    Start();
    RunUntil(1000);
    EXPECT_TRUE(m_pSplash->IsSeriesOver());
    EXPECT_EQ(Current(), m_pSplash);
    EXPECT_FALSE(m_spResources->IsComplete());  // asked for, still loading
    m_spResources->Drain();
    Frame(10);
    Frame(10);
    EXPECT_EQ(Current()->GetName(), "SCENE_LOAD");
}
