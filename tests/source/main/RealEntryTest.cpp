// The game as a player reaches it rather than as a test posts into it: the
// window's own messages and the level entered through a scene transition.
#include <gtest/gtest.h>

#include <vector>

#include "engine/framework/GameWindow.h"
#include "engine/io/PlayerManager.h"
#include "source/game/DelvorHole.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/SceneGame.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/AppHarness.h"

using gametest::AppHarness;

namespace {

constexpr int START_FRAMES = 20000;

class RealEntry : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
};

void CollectHoles(ZQ2::GameNode* node, std::vector<DelvorHole*>& found) {
    for (ZQ2::GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (auto* hole = ZQ2::DynamicCast<DelvorHole>(child))
            found.push_back(hole);
        CollectHoles(child, found);
    }
}

}  // namespace

// The manifest makes the input handler before the window: the window's
// mouse messages must still reach it.
TEST_F(RealEntry, TheWindowsMouseMessagesReachTheInputHandler) {
    AppHarness game;
    ASSERT_TRUE(game.Started());
    ASSERT_NE(ZQ2::GameWindow::g_Instance, nullptr);
    ZQ2::GameWindow::g_Instance->GetMessageHandler().ProcessMessage(
        ZQ2::Message(ZQ2::MESSAGE_MOUSE_MOVED, new ZQ2::MouseMessageData(123.0f, 45.0f, 0, false)));
    game.Step(1);
    EXPECT_EQ(ZQ2::InputHandler::g_Instance->GetMouseX(), 123.0f);
    EXPECT_EQ(ZQ2::InputHandler::g_Instance->GetMouseY(), 45.0f);
}

// Entered as the menu's and map's Play enter it, through a transition, the
// level's holes are set up from its own depths: deeper than its least depth.
TEST_F(RealEntry, HolesOfALevelEnteredThroughATransitionHaveTheirDepth) {
    AppHarness game;
    ASSERT_TRUE(game.Started());
    ASSERT_TRUE(game.StepUntilLoaded(START_FRAMES));
    ASSERT_GE(game.StepUntil([&] { return game.CurrentSceneName() == "SCENE_SELECTION"; }, START_FRAMES), 0);
    ZQ2::PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Ann"));
    auto* level = ZQ2::DynamicCast<SceneGame>(ZQ2::SceneManager::g_Instance->CreateScene("LEVEL1_1"));
    ASSERT_NE(level, nullptr);
    ZQ2::SceneManager::g_Instance->CreateSceneTransition("TRANSITION_DEFAULT");
    DelvorMain::StartScene("LEVEL1_1");
    ASSERT_GE(game.StepUntil([&] { return level->GetGameState() == SceneGame::STATE_START_DIALOG; }, 3000), 0);
    std::vector<DelvorHole*> holes;
    CollectHoles(level, holes);
    int started = 0;
    for (DelvorHole* hole : holes) {
        if (hole->GetHoleState() == DelvorHole::HOLE_INACTIVE)
            continue;
        ++started;
        EXPECT_GT(hole->GetLayerCount(), level->GetVariables().iMinDepth) << hole->GetName() << " " << hole->GetLayers();
    }
    EXPECT_GT(started, 0);
}
