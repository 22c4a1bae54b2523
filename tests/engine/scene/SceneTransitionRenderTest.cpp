// The alpha transition on Mesa through SDL's offscreen driver: the picture
// of the scene left, fading over the scene entered, read back mid-fade.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/PropertyValue.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneTransitionAlpha.h"
#include "engine/scene/SceneTransitionFadeBlack.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskRender.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "tests/engine/scene/SceneTestSupport.h"

using namespace ZQ2;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

class SceneTransitionRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GameWindow::CreateInstance("Scene transitions", kWidth, kHeight, false, true, 0, nullptr));
        Renderer::CreateInstance();
        ASSERT_EQ(Renderer::g_Instance->Initialize(kWidth, kHeight), RENDERERROR_NONE);
        GameTree::CreateInstance();
        AnimTree::CreateInstance();
        SceneManager::CreateInstance();
        m_pTick = new TaskTickUpdate(GameTree::g_Instance, AnimTree::g_Instance);
        m_pPurge = new TaskPurge(GameTree::g_Instance, AnimTree::g_Instance);
        m_pRender = new TaskRender(GameTree::g_Instance);
        m_pRed = Add("RED", 0xFF0000);
        m_pBlue = Add("BLUE", 0x0000FF);
        SceneManager::g_Instance->EnterScene(m_pRed);
        Frame(16);
    }

    void TearDown() override {
        m_pTick = nullptr;
        m_pPurge = nullptr;
        m_pRender = nullptr;
        SceneManager::ReleaseInstance();
        AnimTree::ReleaseInstance();
        GameTree::ReleaseInstance();
        Renderer::RemoveInstance();
        GameWindow::RemoveInstance();
    }

    // A scene covered by one sprite of that colour.
    static Scene* Add(const std::string& name, int color) {
        auto* scene = new Scene(test::SceneData(name));
        auto* cover = new Sprite(0.0f, 0.0f, kWidth, kHeight);
        cover->SetUseColorToFillPolygon(true);
        cover->SetColor(color);
        scene->AddComponent(cover, false);
        SceneManager::g_Instance->AddScene(name, scene);
        return scene;
    }

    void Frame(int deltaMs) {
        SceneManager::g_Instance->OnUpdate(deltaMs);
        m_pTick->OnUpdate(deltaMs);
        m_pPurge->OnUpdate(deltaMs);
        m_pRender->OnUpdate(deltaMs);
    }

    // The back buffer's pixel at x, y from the top, as ARGB.
    static uint32_t Pixel(int x, int y) {
        uint32_t argb = 0;
        glReadPixels(x, kHeight - 1 - y, 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &argb);
        return argb;
    }

    static void ExpectNear(uint32_t argb, int red, int green, int blue) {
        EXPECT_NEAR(static_cast<int>((argb >> 16) & 0xFF), red, 3) << std::hex << argb;
        EXPECT_NEAR(static_cast<int>((argb >> 8) & 0xFF), green, 3) << std::hex << argb;
        EXPECT_NEAR(static_cast<int>(argb & 0xFF), blue, 3) << std::hex << argb;
    }

    SmartPtr<TaskTickUpdate> m_pTick;
    SmartPtr<TaskPurge> m_pPurge;
    SmartPtr<TaskRender> m_pRender;
    Scene* m_pRed = nullptr;
    Scene* m_pBlue = nullptr;
};

}  // namespace

TEST_F(SceneTransitionRenderTest, AlphaTransitionShowsBothScenesMidFade) {
    ExpectNear(Pixel(kWidth / 2, kHeight / 2), 255, 0, 0);

    SmartPtr<PropertyNode> data = test::SceneData("ALPHA", "AlphaTransition");
    data->InsertProperty(new PropertyValue("wait", std::string("false"), true));
    SceneManager::g_Instance->SetSceneTransition(new SceneTransitionAlpha(data));
    SceneManager::g_Instance->EnterScene(m_pBlue);
    // The red scene is gone from the tree's drawing after the first frame;
    // only its picture is left, at alpha 127 after 500 ms.
    for (int i = 0; i < 5; ++i)
        Frame(100);
    EXPECT_FALSE(m_pRed->IsVisible());
    ExpectNear(Pixel(kWidth / 2, kHeight / 2), 127, 0, 128);
    ExpectNear(Pixel(1, 1), 127, 0, 128);

    for (int i = 0; i < 6; ++i)
        Frame(100);
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentScene(), m_pBlue);
    ExpectNear(Pixel(kWidth / 2, kHeight / 2), 0, 0, 255);
}

TEST_F(SceneTransitionRenderTest, FadeToColourCoversTheOldSceneHalfWay) {
    SmartPtr<PropertyNode> data = test::SceneData("FADE", "FadeBlackTransition");
    data->InsertProperty(new PropertyValue("color", std::string("65280"), true));  // green
    SceneManager::g_Instance->SetSceneTransition(new SceneTransitionFadeBlack(data));
    SceneManager::g_Instance->EnterScene(m_pBlue);
    for (int i = 0; i < 5; ++i)
        Frame(100);
    ExpectNear(Pixel(kWidth / 2, kHeight / 2), 128, 127, 0);
}
