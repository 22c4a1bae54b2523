// The level scene: its level data and defaults, the day's states walked
// through the harness, the pause and menu rules, scoring with its floors,
// the stored results, and the naming helpers.
#include "source/scenes/SceneGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "engine/app/Application.h"
#include "engine/core/Random.h"
#include "engine/io/DataManager.h"
#include "engine/io/HighScoreTable.h"
#include "engine/scene/SceneManager.h"
#include "engine/sprite/Dialog.h"
#include "engine/sprite/Label.h"
#include "source/dialogs/DialogUpgrade.h"
#include "source/dialogs/DialogYesNo.h"
#include "source/game/DelvorClock.h"
#include "source/game/DelvorWorker.h"
#include "source/game/Dovidi.h"
#include "source/game/Vuru.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/GameHarness.h"
#include "tests/source/dialogs/MenuDialogsSupport.h"
#include "tests/source/UpgradeTestSupport.h"

using gametest::LevelHarness;
using gametest::Var;

namespace {

std::string DayVars(int seconds, int goal = 100, int expert = 200) {
    return Var("points_win", goal) + Var("points_expert", expert) + Var("total_seconds", seconds);
}

// Steps through the time-up and the site's winding down (the workers may
// still be walking in) to the mini-game; false when it is not reached.
bool StepToMiniGame(LevelHarness& h) {
    for (int i = 0; i < 1000; ++i) {
        if (h.Level()->GetGameState() == SceneGame::STATE_MINIGAME)
            return true;
        h.Step(1);
    }
    return false;
}

// The in-level menu's dialogs joined to the level's data.
void AddMenuDialogs() {
    const std::string path = ::testing::TempDir() + "level_menu_dialogs.xml";
    std::ofstream(path) << "<?xml version=\"1.0\"?>\n<root>" << gametest::MenuDialogsXml() << "</root>\n";
    ZQ2::DataManager::g_Instance->AddFile(path);
    ZQ2::DataManager::g_Instance->Reload();
}

class Level : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
};

}  // namespace

TEST_F(Level, VariablesAreReadAndMissingKeysKeepTheirDefaults) {
    LevelHarness h(DayVars(60) + Var("num_pickers", 2) + Var("num_holes_with_2_artifacts", 3) +
                   Var("num_holes_with_5_artifacts", 1) + Var("num_artifacts_gold", 2) +
                   Var("num_artifacts_silver", 3));
    const SceneGame::LevelVariables& v = h.Level()->GetVariables();
    EXPECT_EQ(v.iPointsWin, 100);
    EXPECT_EQ(v.iTotalSeconds, 60);
    EXPECT_EQ(v.iPickers, 2);
    EXPECT_EQ(v.iDiggersMale, 2);
    EXPECT_EQ(v.iDiggerColors, 3);    // the constant
    EXPECT_EQ(v.iTimeSurvey, 8000);   // the constant
    EXPECT_EQ(v.iMiniGameTries, 5);   // the constant
    EXPECT_EQ(h.Level()->GetTotalArtifactsInScene(), 11);
    EXPECT_EQ(h.Level()->GetExpectedNumHolesInScene(), 4);
    EXPECT_EQ(h.Level()->GetArtifactCount(0), 6);  // bronze derived: 11 - 2 - 3
    EXPECT_EQ(h.Level()->GetCountry(), 1);
    EXPECT_EQ(h.Level()->GetDay(), 1);
    // Every worker has taken its place in the day's walk-in.
    EXPECT_EQ(h.Level()->GetWaitAreaSlots(), "XXXX");
}

TEST_F(Level, ANodeWithoutVariablesRunsOnTheBuiltInDefaults) {
    LevelHarness h("", "LEVEL1_2", 7, false);
    const SceneGame::LevelVariables& v = h.Level()->GetVariables();
    EXPECT_EQ(v.iMiniGameTries, 3);
    EXPECT_EQ(v.iMiniGamePreview, 3000);
    EXPECT_EQ(v.iMiniGameCards, 4);
    EXPECT_EQ(v.iTimeSurvey, 10000);
    EXPECT_EQ(h.Level()->GetDay(), 2);
    // No hole counts: every usable hole holds three artifacts.
    EXPECT_EQ(h.Level()->GetHoleCount(3), 8);
    EXPECT_EQ(h.Level()->GetTotalArtifactsInScene(), 24);
    // No time limit: the day runs on and never ends by time.
    ASSERT_TRUE(h.OpenDay());
    h.Step(200);
    EXPECT_EQ(h.Level()->GetGameState(), SceneGame::STATE_RUNNING);
    EXPECT_FALSE(h.Level()->GetClock()->IsFlashing());
}

TEST_F(Level, TheDayWalksItsStatesAndTimeRunsOutExactly) {
    LevelHarness h(DayVars(2));
    SceneGame* level = h.Level();
    ASSERT_TRUE(h.OpenDay());
    ASSERT_EQ(level->GetGameState(), SceneGame::STATE_RUNNING);
    level->AddPointsByType(16, false);  // 1000: past both goals
    // 2000 ms at 16 ms a frame: the 125th frame reaches the total.
    EXPECT_EQ(h.StepUntilStateChanges(400), 125);
    EXPECT_EQ(level->GetClock()->GetElapsedTime(), 2000);
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_TIME_UP);
    // The time-up graphic's end, which the next frame would bring.
    level->DoTimerExpiredFinished();
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_WINDING_DOWN);
    h.Step(1);  // nobody is left on the site: the end-of-stage animation
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_END_STAGE);
    h.Step(1);
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_MINIGAME);
    level->OnMiniGameClosed();
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_WIN_LOSS);
    h.Step(1);
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_END_DIALOG);
    level->OnStageEndDialogClosed();
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_LEAVING);
    EXPECT_EQ(h.Player()->GetMoneyTotal(1, 1), 1000);

    // Replay: a fresh day from its set-up.
    level->ReplayLevel();
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_SETUP);
    EXPECT_EQ(level->GetFunds(), 0);
    EXPECT_EQ(level->GetClock()->GetElapsedTime(), 0);
    level->RestartLevelAnimationFinished();
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_START_DIALOG);
}

TEST_F(Level, TheDayStartDialogComesWhenTheLastWorkerHasWalkedIn) {
    LevelHarness h(DayVars(60) + Var("num_diggers_female", 1) + Var("num_pickers", 1));
    SceneGame* level = h.Level();
    ASSERT_EQ(level->GetWorkers().size(), 4u);
    int frames = 0;
    for (; level->GetGameState() == SceneGame::STATE_WORKERS_WALK_IN && frames < 1000; ++frames) {
        const auto& workers = level->GetWorkers();
        ASSERT_TRUE(std::any_of(workers.begin(), workers.end(), [](const auto& worker) {
            return worker->GetState() == DelvorCharacter::STATE_WALKING;
        })) << "everyone had arrived at frame " << frames << " and the day still waited";
        h.Step(1);
    }
    EXPECT_GT(frames, 10);
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_START_DIALOG);
    for (const auto& worker : level->GetWorkers()) {
        EXPECT_TRUE(worker->IsCharacterInWaitingArea());
        EXPECT_NE(worker->GetState(), DelvorCharacter::STATE_WALKING);
    }
}

TEST_F(Level, ADayWithoutWorkersOpensAtOnce) {
    LevelHarness h(DayVars(60) + Var("num_diggers_male", 0) + Var("num_diggers_female", 0) + Var("num_pickers", 0));
    EXPECT_TRUE(h.Level()->GetWorkers().empty());
    EXPECT_EQ(h.Level()->GetGameState(), SceneGame::STATE_START_DIALOG);
}

TEST_F(Level, EveryDayAndEveryReplayBeginsWithVuruAndDovidiAtHome) {
    LevelHarness h(DayVars(60));
    SceneGame* level = h.Level();
    ASSERT_NE(level->GetVuru(), nullptr);
    ASSERT_NE(level->GetDovidi(), nullptr);
    EXPECT_TRUE(level->GetVuru()->IsInHomePosition());
    EXPECT_TRUE(level->GetDovidi()->IsInHomePosition());
    EXPECT_EQ(level->GetDovidi()->GetState(), DelvorCharacter::STATE_HOME);
    ASSERT_TRUE(h.OpenDay());

    // Replay with both figures away and one worker back where it came from:
    // the others start no walk and count as arrived, so the day waits for
    // that one alone.
    level->GetVuru()->SetLocation(20.0f, 200.0f);
    level->GetDovidi()->SetLocation(30.0f, 250.0f);
    DelvorWorker* worker = level->GetWorkers()[0].Get();
    float x = 0.0f;
    float y = 0.0f;
    worker->GetHoldArea(x, y);
    worker->SetLocation(x, y + worker->GetHeight());
    worker->SetRealPosToCurPos();
    ASSERT_TRUE(worker->IsCharacterInHoldingArea());
    level->ReplayLevel();
    EXPECT_TRUE(level->GetVuru()->IsInHomePosition());
    EXPECT_TRUE(level->GetDovidi()->IsInHomePosition());
    level->RestartLevelAnimationFinished();
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_WORKERS_WALK_IN);
    EXPECT_GT(h.StepUntilState(SceneGame::STATE_START_DIALOG), 0);
    EXPECT_TRUE(worker->IsCharacterInWaitingArea());
}

TEST_F(Level, AShopDayOpensWithTheUpgradeShopAndItsCloseOpensTheDay) {
    DelvorMain::m_nCurCountry = 1;
    DelvorMain::m_nCurDay = 2;
    LevelHarness h(DayVars(60), "LEVEL1_2");
    SceneGame* level = h.Level();
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_UPGRADE_SHOP);
    EXPECT_TRUE(level->IsActiveDialog("DIALOG_UPGRADE"));
    EXPECT_TRUE(level->IsGamePaused());
    EXPECT_FALSE(level->IsActiveDialog("DIALOG_STAGESTART"));
    h.Step(40);  // past the fade-in
    ZQ2::Dialog* shop = level->GetDialog("DIALOG_UPGRADE");
    ASSERT_NE(shop, nullptr);
    h.World().ClickOn(shop);
    h.Step(1);
    EXPECT_TRUE(level->IsActiveDialog("DIALOG_UPGRADE")) << "a click beside the items closes nothing";
    ZQ2::GameNode* item = shop->GetComponent("UPGRADE_ITEM2");
    ASSERT_NE(item, nullptr);
    h.World().ClickOn(item);
    h.Step(1);
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_UPGRADE_SHOP) << "still fading out";
    h.World().ClickOn(shop->GetComponent("UPGRADE_ITEM1"));  // a second click while it fades changes nothing
    ASSERT_EQ(DVUpgradeHandler::g_Instance->GetOwnedList().size(), 1);
    EXPECT_EQ(DVUpgradeHandler::g_Instance->GetOwnedList()[0]->GetID(), "SHOP_BB");
    h.Step(40);
    EXPECT_FALSE(level->IsActiveDialog("DIALOG_UPGRADE"));
    EXPECT_FALSE(level->IsGamePaused());
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_WORKERS_WALK_IN) << "the day's opening went on from the shop";
    EXPECT_GT(h.StepUntilState(SceneGame::STATE_START_DIALOG), 0);
}

TEST_F(Level, WithFewerThanThreeOffersTheEmptyItemsStayQuietAndWithNoneNoShopOpens) {
    DelvorMain::m_nCurCountry = 1;
    DelvorMain::m_nCurDay = 2;
    LevelHarness h(DayVars(60), "LEVEL1_2");
    SceneGame* level = h.Level();
    auto* shop = ZQ2::DynamicCast<DialogUpgrade>(level->GetDialog("DIALOG_UPGRADE"));
    ASSERT_NE(shop, nullptr);
    h.Step(40);
    // Two of Greece's three upgrades owned: one is left for the first item.
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    upgrades->AcquireUpgrade("SHOP_BA", 1, 3);
    upgrades->AcquireUpgrade("SHOP_BC", 1, 4);
    shop->OnActivate();
    ASSERT_EQ(shop->GetOffers().size(), 1);
    EXPECT_TRUE(shop->GetComponent("UPGRADE_ITEM1")->IsVisible());
    for (const char* item : {"UPGRADE_ITEM2", "UPGRADE_ITEM3"}) {
        ZQ2::GameNode* empty = shop->GetComponent(item);
        EXPECT_FALSE(empty->IsVisible()) << item;
        EXPECT_EQ(ZQ2::DynamicCast<ZQ2::Label>(shop->GetComponent(std::string(item) + "_TITLE"))->GetText(), "");
        const float x = empty->GetScreenX() + 40.0f;
        const float y = empty->GetScreenY() + 40.0f;
        EXPECT_EQ(shop->GetOfferAt(x, y), nullptr) << item;
        EXPECT_FALSE(shop->OnMouseLeftUp(gametest::Mouse(x, y))) << item;
    }
    EXPECT_EQ(upgrades->GetOwnedList().size(), 2);

    // With the last one owned too, the next shop day starts as any day.
    upgrades->AcquireUpgrade("SHOP_BB", 1, 2);
    DelvorMain::m_nCurDay = 3;
    ZQ2::SceneManager::g_Instance->EnterScene("SCENE_TEST");
    h.Step(1);
    ZQ2::SceneManager::g_Instance->EnterScene("LEVEL1_2");
    h.Step(1);
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_WORKERS_WALK_IN);
    EXPECT_FALSE(level->IsGamePaused());
    EXPECT_GT(h.StepUntilState(SceneGame::STATE_START_DIALOG), 0);
}

TEST_F(Level, NoShopOnAPlainDayOrADayWhoseUpgradeWasBought) {
    DelvorMain::m_nCurCountry = 1;
    DelvorMain::m_nCurDay = 1;
    LevelHarness h(DayVars(60));
    SceneGame* level = h.Level();
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_WORKERS_WALK_IN) << "day 1 has no shop";
    EXPECT_FALSE(level->IsActiveDialog("DIALOG_UPGRADE"));

    // Day 3 of Greece is a shop day, but its upgrade is owned already.
    ZQ2::SmartPtr<DelvorUpgrade> upgrade(new DelvorUpgrade);
    upgrade->SetID("UPGRADE_SHOVEL1");
    DVUpgradeHandler::g_Instance->AcquireUpgrade(upgrade.Get(), 1, 3);
    EXPECT_FALSE(DVUpgradeHandler::g_Instance->IsUpgradeAlreadyAcquiredForDay(1, 4));
    EXPECT_FALSE(DVUpgradeHandler::g_Instance->IsUpgradeAlreadyAcquiredForDay(2, 3));
    DelvorMain::m_nCurDay = 3;
    ZQ2::SceneManager::g_Instance->EnterScene("SCENE_TEST");
    h.Step(1);
    ZQ2::SceneManager::g_Instance->EnterScene("LEVEL1_1");
    h.Step(1);
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_WORKERS_WALK_IN);
    EXPECT_FALSE(level->IsActiveDialog("DIALOG_UPGRADE"));
    EXPECT_FALSE(level->IsGamePaused());
}

TEST_F(Level, LostFocusPausesOnlyWhileTheDayIsInProgress) {
    LevelHarness h(DayVars(60));
    SceneGame* level = h.Level();
    ASSERT_GE(h.StepUntilState(SceneGame::STATE_START_DIALOG), 0);
    h.LoseFocus();  // during the day-start dialog: nothing
    h.Step(1);
    EXPECT_FALSE(level->IsGamePaused());
    level->OnStartStageDialogClosed();
    h.Step(10);
    const int elapsed = level->GetClock()->GetElapsedTime();
    h.LoseFocus();
    h.Step(1);
    EXPECT_TRUE(level->IsGamePaused());
    EXPECT_FALSE(level->IsGameRunning());
    h.Step(10);
    EXPECT_EQ(level->GetClock()->GetElapsedTime(), elapsed);
    SceneGame::OnDialogMenuOrPauseClosed(level, nullptr);
    EXPECT_FALSE(level->IsGamePaused());
}

TEST_F(Level, TheMenuButtonOpensTheMenuAndHoldsTheDay) {
    LevelHarness h(DayVars(60));
    AddMenuDialogs();
    SceneGame* level = h.Level();
    ASSERT_TRUE(h.OpenDay());
    h.Step(10);
    ZQ2::GameNode* button = level->GetChild("Menu_Button", true);
    ASSERT_NE(button, nullptr);
    h.World().ClickOn(button);
    h.Step(1);
    EXPECT_TRUE(level->IsActiveDialog("DIALOG_MENU"));
    EXPECT_TRUE(level->IsGamePaused());
    const int elapsed = level->GetClock()->GetElapsedTime();
    h.Step(10);
    EXPECT_EQ(level->GetClock()->GetElapsedTime(), elapsed);
}

TEST_F(Level, TheQuitQuestionHoldsTheDayAndNoLetsItGoOn) {
    LevelHarness h(DayVars(60));
    ZQ2::Application::g_ApplicationRunning = true;
    SceneGame* level = h.Level();
    ASSERT_TRUE(h.OpenDay());
    h.Step(10);
    EXPECT_TRUE(level->HandleCloseMessage());
    auto* question = ZQ2::DynamicCast<DialogYesNo>(level->GetDialog(DelvorMain::QUIT_MESSAGE_KEY));
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(level->IsActiveDialog(question));
    EXPECT_TRUE(level->IsGamePaused());
    const int elapsed = level->GetClock()->GetElapsedTime();
    h.Step(10);
    EXPECT_EQ(level->GetClock()->GetElapsedTime(), elapsed) << "the day runs on under the question";

    gametest::Click(question->GetNoButton());
    h.Step(1);
    EXPECT_FALSE(level->IsActiveDialog(DelvorMain::QUIT_MESSAGE_KEY));
    EXPECT_FALSE(level->IsGamePaused());
    h.Step(10);
    EXPECT_GT(level->GetClock()->GetElapsedTime(), elapsed);

    // Asked over the menu, "No" leaves the day held by the menu.
    h.LoseFocus();
    h.Step(1);
    ASSERT_TRUE(level->IsGamePaused());
    EXPECT_TRUE(level->HandleCloseMessage());
    question = ZQ2::DynamicCast<DialogYesNo>(level->GetDialog(DelvorMain::QUIT_MESSAGE_KEY));
    ASSERT_NE(question, nullptr);
    gametest::Click(question->GetNoButton());
    h.Step(1);
    EXPECT_TRUE(level->IsGamePaused());
}

TEST_F(Level, PointsKeepTheirFloors) {
    LevelHarness h(DayVars(60, 100, 200));
    SceneGame* level = h.Level();
    level->AddPointsByType(0, true);  // -30 from 0
    EXPECT_EQ(level->GetFunds(), 0);
    for (int i = 0; i < 10; ++i)
        level->AddPointsByType(0, false);
    EXPECT_EQ(level->GetFunds(), 100);
    EXPECT_EQ(level->GetPassedGoalAnimations(), 1);
    level->AddPointsByType(0, true);  // back below the goal: held at it
    EXPECT_EQ(level->GetFunds(), 100);
    level->AddPointsByType(16, false);  // past the expert goal
    EXPECT_EQ(level->GetFunds(), 1100);
    EXPECT_EQ(level->GetPassedGoalAnimations(), 2);
    level->AddPointsByType(4, true);  // -500 twice: held at the expert goal
    level->AddPointsByType(4, true);
    level->AddPointsByType(4, true);
    EXPECT_EQ(level->GetFunds(), 200);
    EXPECT_EQ(gametest::SoundLog::asked.back(), "delvor/SOUND_INGAME_EARN_FUNDS");
}

TEST_F(Level, DovidisTwoItemFlagAddsTheTwoItemValueToToolsAndFood) {
    struct Case {
        int flag;
        int type;
        int funds;
    };
    // Tool 50, two tools 7; food 40, two meals 3; placing a digger 10 has no bonus.
    const Case cases[] = {{-1, 4, 50}, {0, 4, 50}, {1, 4, 57}, {-1, 5, 40}, {1, 5, 43}, {1, 0, 10}};
    for (const Case& c : cases) {
        LevelHarness h(DayVars(60, 1000, 2000));
        h.Level()->SetDovidiTwoItems(c.flag);
        h.Level()->AddPointsByType(c.type, false);
        EXPECT_EQ(h.Level()->GetFunds(), c.funds) << "flag " << c.flag << " type " << c.type;
    }
}

TEST_F(Level, ArtifactScoresDrawInclusiveRangesAndEmptyRangesGiveTheirMinimum) {
    LevelHarness h(DayVars(60));
    std::set<int> seen;
    for (int i = 0; i < 200; ++i)
        seen.insert(h.Level()->GetScoreValue(11, false));
    EXPECT_EQ(seen, (std::set<int>{20, 21, 22}));
    EXPECT_EQ(h.Level()->GetScoreValue(13, false), 90);
    EXPECT_EQ(h.Level()->GetScoreValue(12, false), 0);
}

TEST_F(Level, TheGuideAddsItsBonusOnceTwiceOrThreeTimesByArtifact) {
    LevelHarness h(DayVars(60));
    struct Case {
        int type;
        int times;
    };
    const Case cases[] = {{11, 1}, {12, 2}, {13, 3}, {3, 0}};
    for (const Case& c : cases) {
        DVUpgradeHandler::g_Instance->RemoveAllBoughtUpgrades(false);
        ZQ2::Random::Instance()->SetSeed(77);
        const int plain = h.Level()->GetScoreValue(c.type, false);
        upgradetest::Own(DelvorUpgrade::TYPE_GUIDE, 10);
        upgradetest::Own(DelvorUpgrade::TYPE_GUIDE, 5);
        ZQ2::Random::Instance()->SetSeed(77);
        EXPECT_EQ(h.Level()->GetScoreValue(c.type, false), plain + 15 * c.times) << c.type;
    }
    // A guide hired in another country does not come along.
    DelvorMain::m_nCurCountry = 2;
    ZQ2::Random::Instance()->SetSeed(77);
    const int abroad = h.Level()->GetScoreValue(13, false);
    DVUpgradeHandler::g_Instance->RemoveAllBoughtUpgrades(false);
    ZQ2::Random::Instance()->SetSeed(77);
    EXPECT_EQ(h.Level()->GetScoreValue(13, false), abroad);
}

TEST_F(Level, ResultsAreStoredOnlyForAWonDayAndUnlockTheNextOne) {
    {
        LevelHarness lost(DayVars(1, 100, 200));
        ASSERT_TRUE(lost.OpenDay());
        ASSERT_TRUE(StepToMiniGame(lost));
        lost.Level()->OnMiniGameClosed();
        EXPECT_EQ(lost.Player()->GetMoneyTotal(1, 1), 0);
        EXPECT_EQ(lost.Player()->GetMoneyTotal(1, 2), -1);
    }
    LevelHarness won(DayVars(1, 100, 200));
    ASSERT_TRUE(won.OpenDay());
    won.Level()->AddPointsByType(16, false);
    won.Level()->SetArtifactsFoundToday(4);
    ASSERT_TRUE(StepToMiniGame(won));
    won.Level()->OnMiniGameClosed();
    EXPECT_EQ(won.Player()->GetMoneyTotal(1, 1), 1000);
    EXPECT_EQ(won.Player()->GetArtifactsFound(1, 1), 4);
    EXPECT_EQ(won.Player()->GetMoneyTotal(1, 2), 0);
    ZQ2::HighScoreTable* table = ZQ2::HighScoreManager::g_Instance->GetHighScoreTable("default");
    ASSERT_NE(table, nullptr);
    // The profile was written: a fresh copy reads it back.
    ZQ2::SmartPtr<DelvorPlayer> again(new DelvorPlayer("Ann"));
    again->LoadData(nullptr);
    EXPECT_EQ(again->GetMoneyTotal(1, 1), 1000);
}

TEST_F(Level, TheLastDayOfTheLastCountryUnlocksNothingAndRevealsTheFinalTrophyOnce) {
    const std::string last = SceneGame::GetLevelNameFromData(7, DelvorMain::GetMaxDayForCountry(7));
    LevelHarness h(DayVars(1, 100, 200), last);
    SceneGame* level = h.Level();
    EXPECT_EQ(level->GetCountry(), 7);
    ASSERT_TRUE(h.OpenDay());
    level->AddPointsByType(16, false);
    ASSERT_TRUE(StepToMiniGame(h));
    level->OnMiniGameClosed();
    int trophy = 0;
    EXPECT_TRUE(level->EarnedTrophy(trophy));
    EXPECT_EQ(trophy, SceneGame::FINAL_TROPHY);
    h.Player()->SetSeenFinalTrophy(true);
    EXPECT_FALSE(level->EarnedTrophy(trophy));
    EXPECT_EQ(h.Player()->GetMoneyTotal(8, 1), -1);
    EXPECT_EQ(SceneGame::ClampCountry(8), 7);
    EXPECT_EQ(SceneGame::ClampCountry(0), 1);
}

TEST_F(Level, AWonDayEarnsTheTrophyItsArtifactsReachAndOnlyThen) {
    struct Case {
        int found;
        int trophy;  // 0: none
    };
    for (const Case& c : {Case{4, 0}, Case{6, 1}, Case{13, 2}}) {
        LevelHarness h(DayVars(1, 100, 200));
        // Thresholds 5, 12 and 20; the trophies without data need 0 and
        // fall to anyone past the third.
        EXPECT_EQ(SceneGame::GetHighestTrophyForNumArtifacts(4), 0);
        EXPECT_EQ(SceneGame::GetHighestTrophyForNumArtifacts(12), 2);
        EXPECT_EQ(SceneGame::GetHighestTrophyForNumArtifacts(20), 11);
        ASSERT_TRUE(h.OpenDay());
        h.Level()->AddPointsByType(16, false);
        h.Level()->SetArtifactsFoundToday(c.found);
        ASSERT_TRUE(StepToMiniGame(h));
        h.Level()->OnMiniGameClosed();
        int trophy = 0;
        EXPECT_EQ(h.Level()->EarnedTrophy(trophy), c.trophy != 0) << c.found;
        h.Step(3);
        EXPECT_EQ(h.Level()->GetTrophyEarned(), c.trophy) << c.found;
    }
}

TEST(LevelNames, EveryCountryAndDay) {
    const char* const upper[] = {"GREECE", "EGYPT", "SIAM", "TAHITI", "USA", "PERU", "ATLANTIS"};
    const char* const lower[] = {"greece", "egypt", "siam", "tahiti", "usa", "peru", "atlantis"};
    for (int country = 1; country <= 7; ++country) {
        EXPECT_EQ(SceneGame::GetCountryResourceName(country), upper[country - 1]);
        EXPECT_EQ(SceneGame::GetLevelSection(country), std::string("level_") + lower[country - 1]);
        for (int day = 1; day <= DelvorMain::GetMaxDayForCountry(country); ++day) {
            const std::string name = SceneGame::GetLevelNameFromData(country, day);
            int c = 0;
            int d = 0;
            ASSERT_TRUE(DelvorMain::GetCountryAndDayFromName(name, c, d)) << name;
            EXPECT_EQ(c, country);
            EXPECT_EQ(d, day);
        }
    }
    EXPECT_EQ(SceneGame::GetLevelNameFromData(1, 10), "LEVEL1_10");
    EXPECT_EQ(SceneGame::GetCountryResourceName(0), "");
    EXPECT_EQ(SceneGame::GetCountryResourceName(8), "");
    EXPECT_EQ(SceneGame::GetLevelSection(8), "");
}

TEST_F(Level, NamingHelpersReadTheirKeys) {
    LevelHarness h(DayVars(60));
    EXPECT_EQ(h.Level()->GetCurLevelMusic(), "MUSIC_GREECE");
    EXPECT_EQ(h.Level()->GetCurrentCountryName(), "Greece");
    EXPECT_EQ(SceneGame::GetNumArtifactsInLevel(1), 30);
    EXPECT_EQ(h.Level()->GetPointsToWinText(), "Goal: 100");
}

// The counters' texts come from the data, so they may ask for what the
// scene never passes; such a conversion shows as written.
TEST_F(Level, CounterTextsShowConversionsTheyAreNotGivenAsWritten) {
    LevelHarness h(DayVars(60), "LEVEL1_1", 1234, true, std::string(),
                   "<String id=\"TEXT_ARTIFACTS_FOUND\" value=\"Found %s%n: %d\"/>"
                   "<String id=\"TEXT_TOTAL_EARNED\" value=\"%d of %d %s\"/>"
                   "<String id=\"TEXT_TOTAL_ARTIFACTS_FOUND\" value=\"%*d %1$d %ld %%\"/>");
    EXPECT_EQ(h.Level()->GetNumArtifactsFoundText(), "Found %s%n: 0");
    EXPECT_EQ(h.Level()->GetTotalPointsText(), std::to_string(h.Level()->GetTotalMoneyEarned()) + " of %d %s");
    EXPECT_EQ(h.Level()->GetTotalArtifactsFoundText(), "%*d %1$d %ld %");
}

TEST_F(Level, DiggerColoursFillEveryDigger) {
    LevelHarness h(DayVars(60));
    struct Case {
        int country, day, diggers, colors;
    };
    for (const Case& c : {Case{1, 1, 0, 3}, Case{1, 1, 1, 3}, Case{1, 2, 5, 3}, Case{1, 3, 6, 3}, Case{2, 1, 6, 1}}) {
        const std::vector<int> order = SceneGame::GetColorDiggerOrder(c.country, c.day, c.diggers, c.colors);
        ASSERT_EQ(order.size(), static_cast<size_t>(c.diggers));
        for (int colour : order) {
            EXPECT_GE(colour, 1);
            EXPECT_LE(colour, 4);
        }
        const size_t distinct = std::set<int>(order.begin(), order.end()).size();
        if (c.colors == 1) {
            EXPECT_LE(distinct, 1u);
        }
        if (c.country == 1 && c.day < 3) {
            EXPECT_LE(distinct, 2u);
        }
    }
}

TEST(LevelNames, AScoreOfDigitsDoesNotOverflowTheDay) {
    int country = 0;
    int day = 0;
    EXPECT_TRUE(DelvorMain::GetCountryAndDayFromName("LEVEL1_11111111111111111111", country, day));
    EXPECT_EQ(country, 1);
    EXPECT_GT(day, 0);
}
