// The end of a day by time: after the whistle the site winds down, and the
// day moves on only once every worker waits in its place, the archaeologist
// has nothing left to do and the carrier has walked home.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/sprite/Button.h"
#include "source/game/DelvorWorker.h"
#include "source/game/Dovidi.h"
#include "source/game/Vuru.h"
#include "source/main/DelvorMain.h"
#include "source/scenes/SceneGame.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/game/BossTestSupport.h"

using gametest::Var;

namespace {

// Vuru's walk, so that she can be sent somewhere and come back.
std::string VuruWalkXml() {
    return Var("VURU_WALKSPEED", 200) + Var("VURU_HOME_X", 300) + Var("VURU_HOME_Y", 300) +
           Var("VURU_WALK_PIXELS_PER_FRAME", 10) + Var("VURU_TENT_X", 20) + Var("VURU_TENT_Y", 30);
}

// Vuru's table with the hourglass button.
const char* const kVuruTable =
    "<Sprite name=\"TABLE_VURU\" x=\"600\" y=\"100\" width=\"100\" height=\"40\">"
    "  <Vector id=\"children\"><Button name=\"BUTTON_HOURGLASS\" x=\"10\" y=\"10\" width=\"20\" height=\"20\"/>"
    "  </Vector>"
    "</Sprite>";

class DayEnd : public ::testing::Test {
public:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        Start();
    }
    // A fresh day, running, with both figures standing at home.
    void Start() {
        m_spItem = nullptr;
        m_pHarness.reset();
        m_Pictures.Define("DOVIDI_DEFAULT", 40, 60, 1);
        // Day 1 has no upgrade shop, whatever day an earlier test left behind.
        DelvorMain::m_nCurCountry = 1;
        DelvorMain::m_nCurDay = 1;
        m_pHarness = std::make_unique<gametest::LevelHarness>(
            Var("points_win", 100) + Var("points_expert", 200) + Var("total_seconds", 1), "LEVEL1_1", 1234, true,
            kVuruTable, bosstest::BossConstantsXml() + bosstest::DovidiConstantsXml() + VuruWalkXml());
        // The workers' walk-in ends before the day starts.
        ASSERT_GE(m_pHarness->StepUntilState(SceneGame::STATE_START_DIALOG), 0);
        ASSERT_TRUE(Level()->AreAllWorkersInWaitArea());
        Level()->OnStartStageDialogClosed();
        // The day has put both figures at home.
        ASSERT_TRUE(Vuru_()->IsInHomePosition());
        ASSERT_TRUE(Dovidi_()->IsInHomePosition());
        ASSERT_EQ(Dovidi_()->GetState(), DelvorCharacter::STATE_HOME);
    }

    SceneGame* Level() const { return m_pHarness->Level(); }
    Vuru* Vuru_() const { return Level()->GetVuru(); }
    Dovidi* Dovidi_() const { return Level()->GetDovidi(); }
    void StandDovidiAtTable(int table) const {
        int x = 0;
        int y = 0;
        Dovidi_()->GetTableXY(table, x, y);
        Dovidi_()->SetLocation(static_cast<float>(x), static_cast<float>(y));
        Dovidi_()->SetRealPosToCurPos();
    }
    DelvorWorker* Worker() const { return Level()->GetWorkers()[0].Get(); }

    // Steps to the time-up. The next frame ends the whistle, and the clock
    // looks at the winding-down site in that same frame.
    void RunOutOfTime() {
        ASSERT_GT(m_pHarness->StepUntilStateChanges(200), 0);
        ASSERT_EQ(Level()->GetGameState(), SceneGame::STATE_TIME_UP);
    }
    // The states the day passes through until it reaches the end of the stage.
    std::vector<int> StepToEndStage(int maxFrames, const std::function<void()>& watch = {}) {
        std::vector<int> states{Level()->GetGameState()};
        for (int i = 0; i < maxFrames && states.back() != SceneGame::STATE_END_STAGE; ++i) {
            m_pHarness->Step(1);
            if (watch)
                watch();
            if (Level()->GetGameState() != states.back())
                states.push_back(Level()->GetGameState());
        }
        return states;
    }
    bool EveryoneHome() const {
        for (const auto& worker : Level()->GetWorkers())
            if (!worker->IsCharacterInWaitingArea() || worker->GetState() == DelvorCharacter::STATE_WALKING)
                return false;
        return Vuru_()->GetVuruState() == Vuru::VURU_IDLE && Vuru_()->GetState() != DelvorCharacter::STATE_WALKING &&
               Dovidi_()->IsInHomePosition() && Dovidi_()->GetState() == DelvorCharacter::STATE_HOME;
    }

    bosstest::Pictures m_Pictures;
    std::unique_ptr<gametest::LevelHarness> m_pHarness;
    ZQ2::SmartPtr<bosstest::FakeItem> m_spItem;
};

}  // namespace

TEST_F(DayEnd, WithEveryoneHomeTheStageEndsAtOnce) {
    ASSERT_NE(Level()->GetHourglassButton(), nullptr);
    Level()->GetHourglassButton()->SetEnabled(true);
    RunOutOfTime();
    EXPECT_EQ(StepToEndStage(1), (std::vector<int>{SceneGame::STATE_TIME_UP, SceneGame::STATE_END_STAGE}));
    EXPECT_TRUE(EveryoneHome());
    EXPECT_FALSE(Level()->GetHourglassButton()->IsEnabled());
}

TEST_F(DayEnd, TheSiteWindsDownUntilEveryWorkerWaitsAndVuruIsDone) {
    struct Hold {
        const char* what;
        std::function<void(DayEnd&)> hold;
        std::function<void(DayEnd&)> release;  // nothing: it ends by itself
    };
    const Hold holds[] = {
        {"a worker outside the waiting area",
         [](DayEnd& t) {
             t.Worker()->SetLocation(300.0f, 150.0f);
             t.Worker()->SetState(DelvorCharacter::STATE_ELSEWHERE);
         },
         [](DayEnd& t) { t.Level()->SendDiggerHome(t.Worker()); }},
        {"Vuru waiting for her tools",
         [](DayEnd& t) { t.Vuru_()->SetVuruState(Vuru::VURU_WAITING_FOR_TOOLS); },
         [](DayEnd& t) { t.Vuru_()->SetVuruState(Vuru::VURU_IDLE); }},
        {"Vuru on a walk", [](DayEnd& t) { t.Vuru_()->WalkToSpot(450, 450, 1, 0, -1, -1); }, nullptr},
    };
    for (const Hold& h : holds) {
        Start();
        RunOutOfTime();
        h.hold(*this);
        m_pHarness->Step(40);
        EXPECT_EQ(Level()->GetGameState(), SceneGame::STATE_WINDING_DOWN) << h.what;
        if (h.release)
            h.release(*this);
        const std::vector<int> states = StepToEndStage(2000);
        EXPECT_EQ(states.back(), SceneGame::STATE_END_STAGE) << h.what;
        EXPECT_TRUE(EveryoneHome()) << h.what;
    }
}

TEST_F(DayEnd, DovidiAwayFromHomeIsSentHomeAndHerArrivalEndsTheStage) {
    struct Away {
        const char* what;
        std::function<void(DayEnd&)> place;
    };
    const Away aways[] = {
        {"at the tool table with an item in her hands",
         [](DayEnd& t) {
             t.StandDovidiAtTable(DelvorBoss::TABLE_TOOLS);
             t.m_spItem = new bosstest::FakeItem("ITEM_SIFTER", t.Dovidi_());
             t.Dovidi_()->AddItem(t.m_spItem.Get());
         }},
        {"waiting at the food table for an item",
         [](DayEnd& t) {
             t.StandDovidiAtTable(DelvorBoss::TABLE_FOOD);
             t.m_spItem = new bosstest::FakeItem("ITEM_APPLE", t.Dovidi_());
             t.m_spItem->m_bReady = false;
             t.Dovidi_()->AddToStack(t.m_spItem.Get());
             t.Dovidi_()->SetBossActivity(DelvorBoss::ACTIVITY_WAITING_FOR_ITEM);
         }},
        {"still in her tent",
         [](DayEnd& t) {
             t.Dovidi_()->GotoTent();
             t.Dovidi_()->SetState(DelvorCharacter::STATE_ELSEWHERE);
         }},
        {"on her way to the site", [](DayEnd& t) { t.Dovidi_()->WalkToSpot(300, 400, 0, 1, -1, -1); }},
    };
    for (const Away& a : aways) {
        Start();
        RunOutOfTime();
        a.place(*this);
        bool walkedHomeIn11 = false;
        const std::vector<int> states = StepToEndStage(3000, [&] {
            walkedHomeIn11 = walkedHomeIn11 || (Level()->GetGameState() == SceneGame::STATE_DOVIDI_GOING_HOME &&
                                                Dovidi_()->GetState() == DelvorCharacter::STATE_WALKING);
        });
        EXPECT_EQ(states, (std::vector<int>{SceneGame::STATE_TIME_UP, SceneGame::STATE_DOVIDI_GOING_HOME,
                                            SceneGame::STATE_END_STAGE}))
            << a.what;
        EXPECT_TRUE(walkedHomeIn11) << a.what;
        EXPECT_TRUE(EveryoneHome()) << a.what;
        EXPECT_EQ(Dovidi_()->GetNumItems(), 0) << a.what;
        EXPECT_TRUE(Dovidi_()->GetStack().empty()) << a.what;
        EXPECT_EQ(Dovidi_()->GetBossActivity(), DelvorBoss::ACTIVITY_NONE) << a.what;
    }
}

TEST_F(DayEnd, AWalkHomeCutShortIsTakenUpAgain) {
    Dovidi_()->GotoTent();
    Dovidi_()->SetState(DelvorCharacter::STATE_ELSEWHERE);
    RunOutOfTime();
    m_pHarness->Step(10);
    ASSERT_EQ(Level()->GetGameState(), SceneGame::STATE_DOVIDI_GOING_HOME);
    ASSERT_EQ(Dovidi_()->GetState(), DelvorCharacter::STATE_WALKING);
    Dovidi_()->ClearCurrentRoutine();
    Dovidi_()->SetState(DelvorCharacter::STATE_ELSEWHERE);
    EXPECT_EQ(StepToEndStage(3000).back(), SceneGame::STATE_END_STAGE);
    EXPECT_TRUE(EveryoneHome());
}
