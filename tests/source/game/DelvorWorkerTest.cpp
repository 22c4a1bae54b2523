// The hired hands' shared life on a running day: needs on their seeded
// schedule, feeding and curing, dizziness, hypnosis, panic, impatience,
// placement scores, and the way home from every state at time-up.
#include "source/game/DelvorWorker.h"

#include <ostream>

#include "tests/source/game/WorkerSite.h"

using workertest::WorkerSite;

namespace {

class Workers : public WorkerSite {
protected:
    // A digger at work on a deep hole of dirt.
    DelvorDigger* DiggingDigger() {
        DelvorDigger* digger = Digger();
        DelvorHole* hole = Hole();
        Place(digger, hole);
        EXPECT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_DIGGING; }), 0);
        return digger;
    }
};

}  // namespace

TEST_F(Workers, ANeedComesOnItsScheduleAndFeedingResumesWork) {
    DelvorDigger* digger = Digger();
    // Base 4000 for food, 6000 for water, + a draw from an empty range (1).
    const bool food = digger->IsNextNeedFood();
    const int due = food ? 4001 : 6001;
    EXPECT_EQ(digger->GetNeedTimer(), due);
    // In the waiting area the timer does not run.
    m_pHarness->Step(300);
    EXPECT_EQ(digger->GetNeedTimer(), due);
    DelvorHole* hole = Hole();
    Place(digger, hole);
    const int frames = StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_ASKING; });
    // The need's time of walking and digging at 16 ms a frame.
    EXPECT_GE(frames, due / 16);
    EXPECT_LE(frames, due / 16 + 2);
    if (food) {
        EXPECT_EQ(digger->GetRequest(), DelvorWorker::REQUEST_FOOD);
        EXPECT_TRUE(digger->GetSubRequest() == DelvorWorker::SUB_APPLE ||
                    digger->GetSubRequest() == DelvorWorker::SUB_SANDWICH);
    } else {
        EXPECT_EQ(digger->GetRequest(), DelvorWorker::REQUEST_WATER);
        EXPECT_EQ(digger->GetSubRequest(), DelvorWorker::SUB_CANTEEN);
    }
    EXPECT_EQ(Count("SOUND_DIGGER_ASK"), 1);
    EXPECT_EQ(digger->GetImageCode(), DelvorWorker::IMAGE_STANDING);
    // Asking at a hole, the worker turns dizzy unless fed in time.
    EXPECT_GT(digger->GetNeedTimer(), 1900);
    EXPECT_LE(digger->GetNeedTimer(), 2000);
    const int funds = Level()->GetFunds();
    digger->Eat();
    EXPECT_EQ(digger->GetActivity(), food ? DelvorWorker::ACTIVITY_EATING : DelvorWorker::ACTIVITY_DRINKING);
    EXPECT_EQ(digger->GetRequest(), DelvorWorker::REQUEST_NONE);
    EXPECT_EQ(Level()->GetFunds(), funds + 40);
    EXPECT_EQ(Count("SOUND_DIGGER_FED"), 1);
    EXPECT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_DIGGING; }, 200), 0);
    EXPECT_GT(digger->GetNeedTimer(), 3900);
}

TEST_F(Workers, AnUnmetNeedTurnsDizzyAndTheCureAsksAgain) {
    DelvorDigger* digger = DiggingDigger();
    DelvorHole* hole = digger->GetHole();
    ASSERT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_ASKING; }), 0);
    const int sub = digger->GetSubRequest();
    const int frames = StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_DIZZY; });
    EXPECT_GE(frames, 2000 / 16 - 1);
    EXPECT_LE(frames, 2000 / 16 + 2);
    EXPECT_EQ(digger->GetImageCode(), DelvorWorker::IMAGE_DIZZY);
    EXPECT_FALSE(digger->IsWorkerHealthy());
    // Dizzy, the need stays open and the timer stops.
    const int timer = digger->GetNeedTimer();
    m_pHarness->Step(100);
    EXPECT_EQ(digger->GetNeedTimer(), timer);
    // The cure brings back the pending request.
    digger->Unhypnotize();
    EXPECT_EQ(digger->GetActivity(), DelvorWorker::ACTIVITY_ASKING);
    EXPECT_EQ(digger->GetRequest(), sub == DelvorWorker::SUB_CANTEEN ? DelvorWorker::REQUEST_WATER : DelvorWorker::REQUEST_FOOD);
    EXPECT_EQ(digger->GetSubRequest(), sub);
    EXPECT_EQ(Count("SOUND_WORKER_UNHYPNOTIZE"), 1);
    // Feeding a dizzy worker pays the penalty.
    ASSERT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_DIZZY; }), 0);
    const int funds = Level()->GetFunds();
    digger->Eat();
    EXPECT_EQ(Level()->GetFunds(), funds - 4);
    EXPECT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_DIGGING; }, 200), 0);
    EXPECT_EQ(digger->GetHole(), hole);
}

TEST_F(Workers, AForcedNeedAndThePartnerWhoAsksTogether) {
    DelvorHole* hole = Hole();
    DelvorDigger* first = Digger();
    DelvorDigger* second = Digger();
    Place(first, hole);
    Place(second, hole);
    ASSERT_GT(StepUntil([&] {
                  return first->GetActivity() == DelvorWorker::ACTIVITY_DIGGING &&
                         second->GetActivity() == DelvorWorker::ACTIVITY_DIGGING;
              }),
              0);
    first->ForceHungerThirst(50, false);
    second->ForceHungerThirst(900, true);
    ASSERT_GT(StepUntil([&] { return first->GetActivity() == DelvorWorker::ACTIVITY_ASKING; }, 10), 0);
    EXPECT_EQ(first->GetRequest(), DelvorWorker::REQUEST_WATER);
    EXPECT_EQ(first->GetSubRequest(), DelvorWorker::SUB_CANTEEN);
    // The partner, within the threshold of its own need, asks with it
    // (10 ms later: within the same frame or the next).
    EXPECT_LE(StepUntil([&] { return second->GetActivity() == DelvorWorker::ACTIVITY_ASKING; }, 1), 1);
    EXPECT_EQ(second->GetActivity(), DelvorWorker::ACTIVITY_ASKING);
    EXPECT_EQ(second->GetSubRequest(), DelvorWorker::SUB_APPLE);
}

TEST_F(Workers, HypnosisAndItsCure) {
    DelvorDigger* digger = DiggingDigger();
    ASSERT_TRUE(digger->CanBeHypnotized());
    digger->Hypnotize();
    EXPECT_EQ(digger->GetActivity(), DelvorWorker::ACTIVITY_HYPNOTIZED);
    EXPECT_EQ(digger->GetRequest(), DelvorWorker::REQUEST_MEDICINE);
    EXPECT_EQ(digger->GetImageCode(), DelvorWorker::IMAGE_HYPNOTIZED);
    ASSERT_NE(digger->GetHypnoSpiral(), nullptr);
    EXPECT_TRUE(digger->GetHypnoSpiral()->IsVisible());
    EXPECT_EQ(digger->GetHypnoSpiral()->GetParent(), digger->GetParent());
    EXPECT_FALSE(digger->CanBeHypnotized());
    // Hypnotised, the digger does not dig.
    m_pHarness->Step(50);
    EXPECT_EQ(digger->GetActivity(), DelvorWorker::ACTIVITY_HYPNOTIZED);
    digger->Unhypnotize();
    EXPECT_FALSE(digger->GetHypnoSpiral()->IsVisible());
    EXPECT_EQ(digger->GetActivity(), DelvorWorker::ACTIVITY_DIGGING);
    EXPECT_EQ(digger->GetRequest(), DelvorWorker::REQUEST_NONE);
    EXPECT_EQ(Count("SOUND_WORKER_UNHYPNOTIZE"), 1);
}

TEST_F(Workers, PanicShowsItsPictureAndEndsInWork) {
    DelvorDigger* digger = DiggingDigger();
    DelvorHole* hole = digger->GetHole();
    hole->CausePanic(true);
    EXPECT_TRUE(digger->IsPanicked());
    digger->SetIdleImage(true);
    EXPECT_EQ(digger->GetImageCode(), DelvorWorker::IMAGE_PANICKING);
    // A panicking worker's needs wait.
    const int timer = digger->GetNeedTimer();
    m_pHarness->Step(20);
    EXPECT_EQ(digger->GetNeedTimer(), timer);
    hole->CausePanic(false);
    EXPECT_EQ(digger->GetActivity(), DelvorWorker::ACTIVITY_DIGGING);
}

TEST_F(Workers, ImpatienceShowsWhileAHoleWaitsAndCostsThePlacement) {
    DelvorDigger* digger = Digger();
    digger->SetIdleImage(true);
    EXPECT_EQ(digger->GetImageCode(), DelvorWorker::IMAGE_NEUTRAL);
    DelvorHole* hole = Hole();
    digger->ResetMood();
    digger->SetIdleImage(true);
    EXPECT_EQ(digger->GetImageCode(), DelvorWorker::IMAGE_STANDING);
    m_pHarness->Step(9000 / 16 + 2);
    EXPECT_TRUE(digger->IsImpatient());
    digger->SetIdleImage(true);
    EXPECT_EQ(digger->GetImageCode(), DelvorWorker::IMAGE_IMPATIENT);
    digger->SetIdleImage(false);
    EXPECT_EQ(digger->GetImageCode(), DelvorWorker::IMAGE_NEUTRAL);
    Level()->AddPointsByType(16, false);
    Place(digger, hole);
    EXPECT_TRUE(digger->IsPlacedWhileImpatient());
    ASSERT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_DIGGING; }), 0);
    EXPECT_EQ(Level()->GetFunds(), 1000 - 30);
    EXPECT_FALSE(digger->IsPlacedWhileImpatient());
}

TEST_F(Workers, OnlyTheFirstPlacementFromTheWaitingAreaScores) {
    DelvorDigger* digger = Digger();
    DelvorHole* first = Hole(300.0f);
    DelvorHole* second = Hole(500.0f);
    Place(digger, first);
    ASSERT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_DIGGING; }), 0);
    EXPECT_EQ(Level()->GetFunds(), 10);
    Place(digger, second);
    EXPECT_EQ(first->GetNumWorkers(), 0);
    ASSERT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_DIGGING; }), 0);
    EXPECT_EQ(digger->GetHole(), second);
    EXPECT_EQ(Level()->GetFunds(), 10);
}

TEST_F(Workers, SentHomeTheWorkerBreaksAndEndsInTheWaitingArea) {
    DelvorDigger* digger = DiggingDigger();
    DelvorHole* hole = digger->GetHole();
    Level()->SetGameState(SceneGame::STATE_WINDING_DOWN);
    hole->SendDiggersHome();
    EXPECT_EQ(digger->GetActivity(), DelvorWorker::ACTIVITY_SENT_HOME);
    EXPECT_EQ(digger->GetHole(), nullptr);
    ASSERT_GT(StepUntil([&] { return AtHome(digger); }), 0);
    EXPECT_EQ(digger->GetActivity(), DelvorWorker::ACTIVITY_SENT_HOME);
    EXPECT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_BREAK_OVER; }, 500 / 16 + 3), 0);
    EXPECT_TRUE(AtHome(digger));
}

// ---- time-up

namespace {

struct TimeUpCase {
    const char* name;
    std::function<void(WorkerSite&, DelvorDigger*, DelvorPicker*)> set;
};

void PrintTo(const TimeUpCase& c, std::ostream* os) { *os << c.name; }

class TimeUp : public Workers, public ::testing::WithParamInterface<TimeUpCase> {
public:
    // The fixture's helpers for the scenario table.
    void Run(const std::function<bool()>& done) { ASSERT_GT(StepUntil(done), 0); }
    void SetUp() override {
        Workers::SetUp();
        if (!IsSkipped())
            Start(Vars(2, 1));
    }
    DelvorHole* Dirt() {
        DelvorHole* hole = Hole(300.0f);
        AtLongestDirt(hole);
        return hole;
    }
    DelvorHole* Rock() {
        DelvorHole* hole = Hole(500.0f);
        EXPECT_TRUE(AtRock(hole));
        return hole;
    }
    void PlaceOn(DelvorWorker* worker, DelvorHole* hole) { Place(worker, hole); }
    void Frames(int n) { m_pHarness->Step(n); }
};

TimeUp* Site(WorkerSite& site) { return static_cast<TimeUp*>(&site); }

void Digging(WorkerSite& s, DelvorDigger* d, DelvorPicker* p) {
    Site(s)->PlaceOn(d, Site(s)->Dirt());
    Site(s)->PlaceOn(p, Site(s)->Rock());
    Site(s)->Run([&] { return d->GetActivity() == 2 && p->GetActivity() == 3; });
}

const TimeUpCase kTimeUpCases[] = {
    {"Waiting", [](WorkerSite&, DelvorDigger*, DelvorPicker*) {}},
    {"WalkingToAHole",
     [](WorkerSite& s, DelvorDigger* d, DelvorPicker* p) {
         Site(s)->PlaceOn(d, Site(s)->Dirt());
         Site(s)->PlaceOn(p, Site(s)->Rock());
         Site(s)->Frames(3);
     }},
    {"Working", Digging},
    {"Asking",
     [](WorkerSite& s, DelvorDigger* d, DelvorPicker* p) {
         Digging(s, d, p);
         d->ForceHungerThirst(20, true);
         p->ForceHungerThirst(20, false);
         Site(s)->Run([&] { return d->GetActivity() == 4 && p->GetActivity() == 4; });
     }},
    {"Eating",
     [](WorkerSite& s, DelvorDigger* d, DelvorPicker* p) {
         Digging(s, d, p);
         d->ForceHungerThirst(20, true);
         p->ForceHungerThirst(20, false);
         Site(s)->Run([&] { return d->GetActivity() == 4 && p->GetActivity() == 4; });
         d->Eat();
         p->Eat();
     }},
    {"Dizzy",
     [](WorkerSite& s, DelvorDigger* d, DelvorPicker* p) {
         Digging(s, d, p);
         d->ForceHungerThirst(20, true);
         p->ForceHungerThirst(20, false);
         Site(s)->Run([&] { return d->GetActivity() == 8 && p->GetActivity() == 8; });
     }},
    {"Hypnotised",
     [](WorkerSite& s, DelvorDigger* d, DelvorPicker* p) {
         Digging(s, d, p);
         d->Hypnotize();
         p->Hypnotize();
     }},
    {"Panicking",
     [](WorkerSite& s, DelvorDigger* d, DelvorPicker* p) {
         Digging(s, d, p);
         d->GetHole()->CausePanic(true);
         p->GetHole()->CausePanic(true);
     }},
    {"Celebrating",
     [](WorkerSite& s, DelvorDigger* d, DelvorPicker*) {
         Site(s)->PlaceOn(d, Site(s)->Dirt());
         Site(s)->Run([&] { return d->GetActivity() == 2; });
         d->Celebrate(d->GetStroke());
     }},
    {"StrandedWithoutAHole",
     [](WorkerSite&, DelvorDigger* d, DelvorPicker* p) {
         for (DelvorWorker* w : {static_cast<DelvorWorker*>(d), static_cast<DelvorWorker*>(p)}) {
             DVNode* route = DVPathFinder::CreateNode(w->GetX(), w->GetY(), nullptr);
             DVPathFinder::CreateNode(w->GetX(), 300.0f, route);
             w->Walk(route, nullptr);
         }
     }},
};

}  // namespace

TEST_P(TimeUp, EveryWorkerReachesTheWaitingArea) {
    DelvorDigger* digger = Digger();
    DelvorPicker* picker = Picker();
    GetParam().set(*this, digger, picker);
    if (HasFatalFailure())
        return;
    Level()->SetGameState(SceneGame::STATE_TIME_UP);
    EXPECT_GT(StepUntil([&] { return Level()->AreAllWorkersInWaitArea(); }), 0);
    // And they stay there.
    m_pHarness->Step(200);
    EXPECT_TRUE(AtHome(digger));
    EXPECT_TRUE(AtHome(picker));
    EXPECT_EQ(digger->GetHole(), nullptr);
    EXPECT_EQ(picker->GetHole(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(States, TimeUp, ::testing::ValuesIn(kTimeUpCases),
                         [](const ::testing::TestParamInfo<TimeUpCase>& info) { return std::string(info.param.name); });

TEST_F(Workers, AWalkThatEndsAfterTimeUpOutsideTheWaitingAreaGoesOnHome) {
    DelvorDigger* digger = Digger();
    Level()->SetGameState(SceneGame::STATE_TIME_UP);
    DVNode* route = DVPathFinder::CreateNode(digger->GetX(), digger->GetY(), nullptr);
    DVPathFinder::CreateNode(digger->GetX(), 300.0f, route);
    digger->Walk(route, nullptr);
    EXPECT_GT(StepUntil([&] { return AtHome(digger); }), 0);
}
