// Click routing on a running level: which figure a click commands, what is
// started, queued or refused with which sound, where the check marks go,
// worker dragging, and the next job taken when a walk ends.
#include "source/game/DVClickHandler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/sprite/GameTree.h"
#include "source/game/DelvorDigger.h"
#include "source/game/DelvorHole.h"
#include "source/game/Dovidi.h"
#include "source/game/Vuru.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/GameHarness.h"

using gametest::LevelHarness;
using gametest::SoundLog;
using gametest::Var;

namespace {

const char* const kClick = "delvor/SOUND_INGAME_CLICK";
const char* const kFail = "delvor/SOUND_CHOOSE_FAIL";

// A request balloon pointing at its hole.
class Balloon : public ClickObject {
public:
    explicit Balloon(ClickObject* hole) : ClickObject(0.0f, 0.0f, nullptr, nullptr, nullptr), m_pHole(hole) {}
    bool IsReqBalloon() const override { return true; }
    ClickObject* GetParentHole() override { return m_pHole; }

private:
    ClickObject* m_pHole;
};

class Routing : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        Start(600);
    }
    void TearDown() override {
        if (!m_pHarness)
            return;
        m_pHarness->Level()->SetCharacters(nullptr, nullptr, nullptr);
        // Holes and their workers hold each other.
        m_spHoleA->RemoveAllWorkers();
        m_spHoleB->RemoveAllWorkers();
    }
    void Start(int seconds) {
        m_pHarness = std::make_unique<LevelHarness>(Var("total_seconds", seconds));
        SceneGame* level = m_pHarness->Level();
        m_spVuru = Add(new Vuru(300.0f, 300.0f, nullptr));
        m_spDovidi = Add(new Dovidi(400.0f, 300.0f, nullptr));
        m_spDigger = Add(new DelvorDigger(500.0f, 300.0f, nullptr));
        m_spHoleA = Add(new DelvorHole(100.0f, 200.0f, nullptr));
        m_spHoleB = Add(new DelvorHole(200.0f, 200.0f, nullptr));
        m_spHoleA->SetupHole(1, 0, 0);
        m_spHoleB->SetupHole(1, 0, 0);
        level->SetCharacters(m_spVuru.Get(), m_spDovidi.Get(), nullptr);
        ASSERT_TRUE(m_pHarness->OpenDay());
        SoundLog::asked.clear();
    }
    template <class T>
    ZQ2::SmartPtr<T> Add(T* object) {
        ZQ2::SmartPtr<T> held(object);
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), object);
        return held;
    }
    DVClickHandler& Router() { return m_pHarness->Level()->GetClickHandler(); }
    std::string LastSound() const { return SoundLog::asked.empty() ? std::string() : SoundLog::asked.back(); }
    // The live marks linked under a hole.
    int MarksUnder(ClickObject* hole) {
        int count = 0;
        for (const auto& mark : Router().GetMarks())
            if (!mark->IsObsolete() && mark->GetParent() == hole)
                ++count;
        return count;
    }

    std::unique_ptr<LevelHarness> m_pHarness;
    ZQ2::SmartPtr<Vuru> m_spVuru;
    ZQ2::SmartPtr<Dovidi> m_spDovidi;
    ZQ2::SmartPtr<DelvorDigger> m_spDigger;
    ZQ2::SmartPtr<DelvorHole> m_spHoleA;
    ZQ2::SmartPtr<DelvorHole> m_spHoleB;
};

}  // namespace

TEST_F(Routing, AHoleClickWithNoOperatorSendsDovidiAndMarksTheHole) {
    EXPECT_TRUE(Router().ProcessClick(m_spHoleA.Get()));
    EXPECT_EQ(Router().GetOperator(), m_spDovidi.Get());
    EXPECT_EQ(m_spDovidi->GetState(), DelvorCharacter::STATE_WALKING);
    EXPECT_EQ(m_spDovidi->GetNextDestination(), m_spHoleA.Get());
    EXPECT_EQ(LastSound(), kClick);
    ASSERT_EQ(Router().GetMarks().size(), 1);
    EXPECT_EQ(Router().GetMarks()[0]->GetParent(), m_spHoleA.Get());
}

TEST_F(Routing, AWalkingOperatorQueuesANewHoleOnceAndRefusesItsOwnTarget) {
    Router().ProcessClick(m_spHoleA.Get());
    // Her own destination is not queued: refused aloud, nothing changes.
    EXPECT_EQ(Router().ProcessNextAction(m_spHoleA.Get(), nullptr), DVClickHandler::ACTION_REFUSED);
    EXPECT_EQ(LastSound(), kFail);
    EXPECT_EQ(Router().ProcessNextAction(m_spHoleB.Get(), nullptr), DVClickHandler::ACTION_QUEUED);
    EXPECT_EQ(LastSound(), kClick);
    EXPECT_EQ(Router().ProcessNextAction(m_spHoleB.Get(), nullptr), DVClickHandler::ACTION_REFUSED);
    ASSERT_EQ(m_spDovidi->GetStack().size(), 1);
    EXPECT_EQ(m_spDovidi->GetStack()[0], m_spHoleB.Get());
    // Marks are rebuilt whole: one on each hole, none left behind.
    EXPECT_EQ(Router().GetMarks().size(), 2);
    EXPECT_EQ(MarksUnder(m_spHoleA.Get()), 1);
    EXPECT_EQ(MarksUnder(m_spHoleB.Get()), 1);
}

TEST_F(Routing, WhoIsSelected) {
    // A hole that needs Vuru selects her; an ordinary hole switches back to Dovidi.
    m_spHoleA->SetHoleState(DelvorHole::HOLE_SURVEY);
    Router().ProcessClick(m_spHoleA.Get());
    EXPECT_EQ(Router().GetOperator(), m_spVuru.Get());
    m_spVuru->ClearCurrentRoutine();
    m_spVuru->SetState(DelvorCharacter::STATE_HOME);
    Router().DetermineOperator(m_spHoleB.Get());
    EXPECT_EQ(Router().GetOperator(), m_spDovidi.Get());
    // A worker away from home cannot be selected; at home it is, and stays.
    m_spDigger->SetLocation(500.0f, 300.0f);
    EXPECT_TRUE(Router().ProcessClick(m_spDigger.Get()));
    EXPECT_EQ(Router().GetOperator(), m_spDovidi.Get());
    m_spDigger->SetLocation(120.0f, 500.0f);  // in the waiting area
    // Clicking the selected digger itself does nothing.
    EXPECT_FALSE(Router().ProcessClick(m_spDigger.Get()));
    EXPECT_EQ(Router().GetOperator(), m_spDigger.Get());
    Router().DetermineOperator(m_spHoleB.Get());
    EXPECT_EQ(Router().GetOperator(), m_spDigger.Get());
    // The worker goes to a hole that takes it; a taken hole refuses it.
    ZQ2::SmartPtr<DelvorDigger> left = Add(new DelvorDigger(0.0f, 0.0f, nullptr));
    ZQ2::SmartPtr<DelvorDigger> right = Add(new DelvorDigger(0.0f, 0.0f, nullptr));
    m_spHoleB->AddWorker(left.Get());
    m_spHoleB->AddWorker(right.Get());
    EXPECT_EQ(Router().ProcessNextAction(m_spHoleB.Get(), nullptr), DVClickHandler::ACTION_REFUSED);
    EXPECT_EQ(LastSound(), kFail);
    m_spHoleA->SetHoleState(DelvorHole::HOLE_REQUEST);  // surveyed: a digger is wanted now
    EXPECT_EQ(Router().ProcessNextAction(m_spHoleA.Get(), nullptr), DVClickHandler::ACTION_STARTED);
    // Clicking a boss is never an order.
    EXPECT_FALSE(Router().ProcessClick(m_spDovidi.Get()));
    // Sent to a hole, the digger is no longer the operator.
    EXPECT_NE(Router().GetOperator(), m_spDigger.Get());
    EXPECT_FALSE(Router().ClearOperator(m_spDigger.Get()));
}

TEST_F(Routing, ABalloonClickActsOnItsHoleAndOtherObjectsAreIgnoredSilently) {
    ZQ2::SmartPtr<Balloon> balloon = Add(new Balloon(m_spHoleB.Get()));
    EXPECT_TRUE(Router().ProcessClick(balloon.Get()));
    EXPECT_EQ(m_spDovidi->GetNextDestination(), m_spHoleB.Get());
    SoundLog::asked.clear();
    ZQ2::SmartPtr<ClickObject> rock = Add(new ClickObject(0.0f, 0.0f, nullptr, nullptr, nullptr));
    EXPECT_TRUE(Router().ProcessClick(rock.Get()));
    EXPECT_TRUE(SoundLog::asked.empty());
    rock->SetVisible(false);
    EXPECT_FALSE(Router().ProcessClick(rock.Get()));
}

TEST_F(Routing, VuruIsRefusedOnceTheDayIsNoLongerRunning) {
    m_spHoleA->SetHoleState(DelvorHole::HOLE_SURVEY);
    m_pHarness->Level()->SetGameState(SceneGame::STATE_TIME_UP);
    EXPECT_TRUE(Router().ProcessClick(m_spHoleA.Get()));
    EXPECT_EQ(Router().GetOperator(), m_spVuru.Get());
    EXPECT_EQ(LastSound(), kFail);
    EXPECT_EQ(m_spVuru->GetNextDestination(), nullptr);
    m_pHarness->Level()->SetGameState(SceneGame::STATE_DOVIDI_GOING_HOME);
    EXPECT_FALSE(Router().ProcessClick(m_spHoleA.Get()));
}

TEST_F(Routing, AfterTheTimerDovidiWorksOnlyWhereVuruIs) {
    m_pHarness.reset();
    Start(1);
    for (int i = 0; i < 200 && !m_pHarness->Level()->IsTimerExpired(); ++i)
        m_pHarness->Step(1);
    ASSERT_TRUE(m_pHarness->Level()->IsTimerExpired());
    m_pHarness->Level()->SetGameState(SceneGame::STATE_WINDING_DOWN);
    m_spVuru->SetCurrentHole(m_spHoleB.Get());
    Router().DetermineOperator(m_spHoleA.Get());
    EXPECT_EQ(Router().ProcessNextAction(m_spHoleA.Get(), nullptr), DVClickHandler::ACTION_REFUSED);
    EXPECT_EQ(LastSound(), kFail);
    EXPECT_EQ(Router().ProcessNextAction(m_spHoleB.Get(), nullptr), DVClickHandler::ACTION_STARTED);
}

TEST_F(Routing, DraggingAWorkerDropsItOnTheClickedHoleOrEndsTheDrag) {
    m_pHarness->Level()->SetWorkerToDrag(m_spDigger.Get());
    EXPECT_TRUE(Router().ProcessClick(m_spDovidi.Get()));
    EXPECT_EQ(m_pHarness->Level()->GetWorkerToDrag(), nullptr);
    m_pHarness->Level()->SetWorkerToDrag(m_spDigger.Get());
    ZQ2::SmartPtr<Balloon> balloon = Add(new Balloon(m_spHoleA.Get()));
    EXPECT_TRUE(Router().ProcessClick(balloon.Get()));
    EXPECT_EQ(m_spHoleA->GetWorkerAtHoleLocation(0), m_spDigger.Get());
    EXPECT_EQ(m_spDigger->GetCurrentHole(), m_spHoleA.Get());
    // A click on a worker at a hole drops onto that hole, until it is full.
    ZQ2::SmartPtr<DelvorDigger> second = Add(new DelvorDigger(0.0f, 0.0f, nullptr));
    m_pHarness->Level()->SetWorkerToDrag(second.Get());
    Router().ProcessClick(m_spDigger.Get());
    EXPECT_EQ(m_spHoleA->GetWorkerAtHoleLocation(1), second.Get());
    ZQ2::SmartPtr<DelvorDigger> third = Add(new DelvorDigger(0.0f, 0.0f, nullptr));
    m_pHarness->Level()->SetWorkerToDrag(third.Get());
    EXPECT_FALSE(Router().ProcessClick(m_spDigger.Get()));
    EXPECT_EQ(m_pHarness->Level()->GetWorkerToDrag(), nullptr);
    EXPECT_EQ(third->GetCurrentHole(), nullptr);
}

TEST_F(Routing, AQueuedHoleIsTakenWhenTheWalkEnds) {
    Router().ProcessClick(m_spHoleA.Get());
    Router().ProcessClick(m_spHoleB.Get());
    ASSERT_EQ(m_spDovidi->GetStack().size(), 1);
    EXPECT_TRUE(Router().FindActionInQueue(m_spDovidi.Get()));
    EXPECT_EQ(m_spDovidi->GetStack().size(), 0);
    EXPECT_FALSE(Router().FindActionInQueue(m_spDovidi.Get()));
}
