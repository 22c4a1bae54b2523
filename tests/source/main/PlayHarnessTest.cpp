// The real game run frame by frame inside the test: from start-up to the
// menu, then a whole first day of Greece through its states with the dialogs
// answered by the test, the exact time-up, the menu on lost focus, replay,
// and the won day leading on through the map to the next day and its shop.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/framework/MouseMessageData.h"
#include "engine/framework/TemplateMessageData.h"
#include "engine/io/PlayerManager.h"
#include "source/game/DelvorClock.h"
#include "source/game/Dovidi.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/SceneFrontStandIn.h"
#include "source/scenes/SceneGame.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/AppHarness.h"
#include "tests/source/GameTestSupport.h"

using gametest::AppHarness;

namespace {

// Frames enough for the loader and the splash; the limit only stops a hang.
constexpr int START_FRAMES = 20000;

class Play : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
    // A won day moves the play position on: later tests start from 1-1.
    void TearDown() override {
        gametest::ResetPlayPosition();
    }
};

void LoseFocus(SceneGame* level) {
    level->ProcessMessage(ZQ2::Message(ZQ2::MESSAGE_ACTIVE_CHANGED, new ZQ2::TemplateMessageData<bool>(false)));
}

// The menu's close, as its own button answers it.
void CloseMenu(SceneGame* level) {
    for (const auto& dialog : level->GetActiveDialogs()) {
        if (dialog && dialog->GetName() == "DIALOG_MENU") {
            SceneGame::OnDialogMenuOrPauseClosed(level, dialog.Get());
            return;
        }
    }
    ADD_FAILURE() << "no menu to close";
}

// Started, loaded, a player chosen and the first day of Greece entered.
SceneGame* EnterFirstDay(AppHarness& game) {
    if (!game.Started() || !game.StepUntilLoaded(START_FRAMES))
        return nullptr;
    // The loading scene hands over to the main menu by itself.
    if (game.StepUntil([&] { return game.CurrentSceneName() == "SCENE_SELECTION"; }, START_FRAMES) < 0)
        return nullptr;
    ZQ2::PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Ann"));
    // As the map's Play does: the level scene is made from its node on demand.
    auto* level = ZQ2::DynamicCast<SceneGame>(ZQ2::SceneManager::g_Instance->CreateScene("LEVEL1_1"));
    DelvorMain::StartScene("LEVEL1_1");
    return level;
}

}  // namespace

TEST_F(Play, TheSameSeedGivesTheSameStart) {
    std::vector<std::string> sounds[2];
    long long draws[2] = {0, 0};
    for (int run = 0; run < 2; ++run) {
        AppHarness game(99);
        ASSERT_TRUE(game.Started());
        ASSERT_TRUE(game.StepUntilLoaded(START_FRAMES));
        game.Step(30);
        sounds[run] = game.Sounds();
        draws[run] = ZQ2::Random::Instance()->NextLong();
    }
    EXPECT_EQ(sounds[0], sounds[1]);
    EXPECT_EQ(draws[0], draws[1]);
}

TEST_F(Play, TheFirstDayWalksItsStatesInTheRealGame) {
    AppHarness game(1234);
    SceneGame* level = EnterFirstDay(game);
    ASSERT_NE(level, nullptr);
    std::vector<int> states{level->GetGameState()};
    auto stepUntil = [&](int state, int maxFrames) {
        const int frames = game.StepUntil(
            [&] {
                if (level->GetGameState() != states.back())
                    states.push_back(level->GetGameState());
                return level->GetGameState() == state;
            },
            maxFrames);
        return frames;
    };
    ASSERT_GE(stepUntil(SceneGame::STATE_START_DIALOG, 2000), 0);
    EXPECT_EQ(game.CurrentSceneName(), "LEVEL1_1");
    // The country's music fades in as the day starts.
    EXPECT_NE(std::find(game.Sounds().begin(), game.Sounds().end(), "level_greece/MUSIC_GREECE"), game.Sounds().end());
    level->OnStartStageDialogClosed();
    ASSERT_EQ(level->GetGameState(), SceneGame::STATE_RUNNING);
    states.push_back(SceneGame::STATE_RUNNING);

    // Lost focus while the day runs: the menu opens and the clock stops.
    game.Step(10);
    LoseFocus(level);
    game.Step(1);
    EXPECT_TRUE(level->IsGamePaused());
    EXPECT_TRUE(level->IsActiveDialog("DIALOG_MENU"));
    const int paused = level->GetClock()->GetElapsedTime();
    game.Step(20);
    EXPECT_EQ(level->GetClock()->GetElapsedTime(), paused);
    CloseMenu(level);
    EXPECT_FALSE(level->IsGamePaused());

    // Time-up exactly at "total_seconds" (150 s), counted from the running clock.
    level->AddPointsByType(16, false);
    const int before = level->GetClock()->GetElapsedTime();
    const int frames = stepUntil(SceneGame::STATE_TIME_UP, 20000);
    ASSERT_GT(frames, 0);
    EXPECT_EQ(before + frames * AppHarness::FRAME_MS, 150000);
    EXPECT_EQ(level->GetClock()->GetElapsedTime(), 150000);

    ASSERT_GE(stepUntil(SceneGame::STATE_MINIGAME, 2000), 0);
    LoseFocus(level);  // in the mini-game too
    game.Step(1);
    EXPECT_TRUE(level->IsGamePaused());
    EXPECT_TRUE(level->IsActiveDialog("DIALOG_MENU"));
    CloseMenu(level);
    level->OnMiniGameClosed();
    states.push_back(level->GetGameState());
    ASSERT_GE(stepUntil(SceneGame::STATE_END_DIALOG, 2000), 0);
    level->OnStageEndDialogClosed();
    states.push_back(level->GetGameState());
    // Set-up (1) finishes inside the frame that enters the scene; the day
    // waits in the walk-in (4) for the workers. Nobody sent Dovidi anywhere
    // today: she is still at home, so the site winds down straight to the end
    // of the stage.
    const std::vector<int> expected{SceneGame::STATE_BUILT,         SceneGame::STATE_WORKERS_WALK_IN,
                                    SceneGame::STATE_START_DIALOG,  SceneGame::STATE_RUNNING,
                                    SceneGame::STATE_TIME_UP,       SceneGame::STATE_WINDING_DOWN,
                                    SceneGame::STATE_END_STAGE,     SceneGame::STATE_MINIGAME,
                                    SceneGame::STATE_WIN_LOSS,      SceneGame::STATE_END_DIALOG,
                                    SceneGame::STATE_LEAVING};
    // Winding down ends in the frame that begins it when nobody is left on
    // the site: a frame-by-frame watch may not see it.
    if (std::find(states.begin(), states.end(), SceneGame::STATE_WINDING_DOWN) == states.end())
        states.insert(std::find(states.begin(), states.end(), SceneGame::STATE_TIME_UP) + 1,
                      SceneGame::STATE_WINDING_DOWN);
    EXPECT_EQ(states, expected);

    // Replay: the day starts again from its set-up with nothing earned.
    level->ReplayLevel();
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_SETUP);
    EXPECT_EQ(level->GetFunds(), 0);
    EXPECT_EQ(level->GetClock()->GetElapsedTime(), 0);
    EXPECT_TRUE(level->GetDovidi()->IsInHomePosition());
    // Every worker already waits in its place: the replayed day opens at once.
    level->RestartLevelAnimationFinished();
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_START_DIALOG);
}

TEST_F(Play, AWonDayLeadsThroughTheMapToTheNextDayAndItsShop) {
    AppHarness game(1234);
    SceneGame* first = EnterFirstDay(game);
    ASSERT_NE(first, nullptr);
    auto stepUntil = [&](SceneGame* level, int state, int maxFrames) {
        return game.StepUntil([&] { return level->GetGameState() == state; }, maxFrames);
    };
    ASSERT_GE(stepUntil(first, SceneGame::STATE_START_DIALOG, 2000), 0);
    first->OnStartStageDialogClosed();
    // Past the goal, and a short day: its length is tested above.
    for (int type = 0; type < SceneGame::SCORE_TYPE_COUNT; ++type)
        first->AddPointsByType(type, false);
    ASSERT_GE(first->GetFunds(), first->GetVariables().iPointsWin);
    first->GetClock()->InitTimer(2);
    ASSERT_GE(stepUntil(first, SceneGame::STATE_MINIGAME, 2000), 0);
    first->OnMiniGameClosed();
    ASSERT_GE(stepUntil(first, SceneGame::STATE_END_DIALOG, 2000), 0);
    ASSERT_TRUE(first->ExceededGoal());

    // The end dialog closes as a click on it closes it.
    ZQ2::Dialog* end = nullptr;
    for (const auto& dialog : first->GetActiveDialogs())
        if (dialog && dialog->GetName() == "DIALOG_STAGEEND")
            end = dialog.Get();
    ASSERT_NE(end, nullptr);
    end->OnMouseLeftUp(ZQ2::MouseMessageData(400, 300, 0, false));
    ASSERT_GE(game.StepUntil([&] { return game.CurrentSceneName() == "SCENE_MAP"; }, 600), 0);
    EXPECT_EQ(DelvorMain::m_nCurCountry, 1);
    EXPECT_EQ(DelvorMain::m_nCurDay, 2);
    EXPECT_FALSE(DelvorMain::ShouldReplayStage());

    // The map's Play starts the second day, whose shop opens before it.
    auto* map = ZQ2::DynamicCast<SceneFrontStandIn>(ZQ2::SceneManager::g_Instance->GetCurrentScene());
    ASSERT_NE(map, nullptr);
    SceneFrontStandIn::OnPlayClick(map, nullptr);
    ASSERT_GE(game.StepUntil([&] { return game.CurrentSceneName() == "LEVEL1_2"; }, 600), 0);
    EXPECT_EQ(ZQ2::SceneManager::g_Instance->GetScene("LEVEL1_1"), nullptr);
    auto* second = ZQ2::DynamicCast<SceneGame>(ZQ2::SceneManager::g_Instance->GetCurrentScene());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetDay(), 2);
    ASSERT_GE(game.StepUntil([&] { return second->IsActiveDialog("DIALOG_UPGRADE"); }, 600), 0);
    EXPECT_EQ(second->GetGameState(), SceneGame::STATE_UPGRADE_SHOP);
}
