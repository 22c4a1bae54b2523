// Diggers on a running day: strokes down to the first rock and the walk
// back, the colour-match score, the shovel in the waiting area, the strips
// of their pictures, and the hunger chance that leans each way in turn.
#include "source/game/DelvorDigger.h"

#include "tests/source/UpgradeTestSupport.h"
#include "tests/source/game/WorkerSite.h"

using workertest::PictureLog;
using workertest::WorkerSite;

namespace {

class Diggers : public WorkerSite {
protected:
    // A hole whose first rock lies at least two layers down; its index.
    DelvorHole* HoleWithRockAt(int& rock) {
        Start(Vars(2, 1, 12));
        for (int x = 100;; x += 150) {
            DelvorHole* hole = Hole(static_cast<float>(x));
            rock = static_cast<int>(hole->GetLayers().find('R'));
            if (rock >= 2)
                return hole;
        }
    }
};

}  // namespace

TEST_F(Diggers, ADiggerDigsToTheFirstRockAndWalksBack) {
    int rock = 0;
    DelvorHole* hole = HoleWithRockAt(rock);
    DelvorDigger* digger = Digger();
    digger->ForceHungerThirst(1000000, true);  // no need on the way down
    ASSERT_TRUE(hole->CanAddWorker(digger));
    EXPECT_TRUE(digger->GetShovel()->IsVisible());
    Place(digger, hole);
    EXPECT_FALSE(digger->GetShovel()->IsVisible());
    EXPECT_EQ(digger->GetActivity(), DelvorWorker::ACTIVITY_WALKING_TO_HOLE);
    EXPECT_EQ(digger->GetWaitAreaIndex(), -1);
    ASSERT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_DIGGING; }), 0);
    EXPECT_EQ(hole->GetHoleState(), DelvorHole::HOLE_WORKING);
    EXPECT_EQ(digger->GetImageCode(), 9);
    EXPECT_EQ(Level()->GetFunds(), 10);
    ASSERT_GT(StepUntil([&] { return digger->GetHole() == nullptr; }, 5000), 0);
    EXPECT_EQ(hole->GetCurrentDepth(), rock);
    EXPECT_EQ(hole->GetCurrentHoleLayer(), 'R');
    EXPECT_EQ(hole->GetNumWorkers(), 0);
    EXPECT_GT(Count("SOUND_DIGGER_DIG1") + Count("SOUND_DIGGER_DIG2") + Count("SOUND_DIGGER_DIG3"), 0);
    ASSERT_GT(StepUntil([&] { return AtHome(digger); }), 0);
    EXPECT_EQ(digger->GetActivity(), DelvorWorker::ACTIVITY_FREE);
    EXPECT_TRUE(digger->GetShovel()->IsVisible());
    // A digger is not wanted at a rock.
    EXPECT_FALSE(hole->CanAddWorker(digger));
}

TEST_F(Diggers, AtAHoleThatIsNotDirtTheDiggerDoesNotStrikeAndGoesBack) {
    int rock = 0;
    DelvorHole* hole = HoleWithRockAt(rock);
    DelvorDigger* digger = Digger();
    Place(digger, hole);
    ASSERT_TRUE(AtRock(hole));
    ASSERT_GT(StepUntil([&] { return digger->GetState() != DelvorCharacter::STATE_WALKING; }), 0);
    ASSERT_GT(StepUntil([&] { return AtHome(digger); }), 0);
    EXPECT_EQ(hole->GetCurrentHoleLayer(), 'R');
    EXPECT_EQ(digger->GetHole(), nullptr);
    EXPECT_EQ(Count("SOUND_DIGGER_DIG1") + Count("SOUND_DIGGER_DIG2") + Count("SOUND_DIGGER_DIG3"), 0);
}

TEST_F(Diggers, TheColourMatchIsPaidOnlyWhenItsConditionsHold) {
    struct Case {
        int colours;  // the day's "num_digger_colors"
        int first;
        int second;
        int funds;  // two placements of 10, and 15 for each digger of a match
    };
    const Case cases[] = {{2, 1, 1, 50}, {2, 1, 2, 20}, {1, 1, 1, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colours * 100 + c.first * 10 + c.second);
        TearDown();
        Start(Vars(c.colours));
        DelvorHole* hole = Hole();
        DelvorDigger* first = Digger(c.first);
        DelvorDigger* second = Digger(c.second);
        Place(first, hole);
        Place(second, hole);
        ASSERT_GT(StepUntil([&] {
                      return first->GetActivity() == DelvorWorker::ACTIVITY_DIGGING &&
                             second->GetActivity() == DelvorWorker::ACTIVITY_DIGGING;
                  }),
                  0);
        EXPECT_EQ(Level()->GetFunds(), c.funds);
        EXPECT_EQ(first->IsColorMatch(), c.funds == 50);
    }
}

TEST_F(Diggers, PicturesFollowGenderColourAndMirroring) {
    DelvorDigger* male = Digger(2, 1);
    DelvorDigger* female = Digger(3, 2);
    PictureLog::asked.clear();
    male->SetCharacterImage(11);
    female->SetCharacterImage(-19);
    EXPECT_EQ(PictureLog::asked, (std::vector<std::string>{"delvor/DIGGER_MALE2_EAT", "delvor/DIGGER_FEMALE3_IMPATIENT"}));
    EXPECT_FALSE(male->IsFlipImageHorizontal());
    EXPECT_TRUE(female->IsFlipImageHorizontal());
    // Carrying strips have no picture: the picture stays.
    PictureLog::asked.clear();
    male->SetCharacterImage(6);
    EXPECT_TRUE(PictureLog::asked.empty());
    // The restore code draws the picture of the activity; walking draws strip 1 mirrored.
    male->SetCharacterImage(-1);
    EXPECT_EQ(PictureLog::asked.back(), "delvor/DIGGER_MALE2_WAIT");
    EXPECT_TRUE(male->IsFlipImageHorizontal());
    male->SetActivity(DelvorWorker::ACTIVITY_DIZZY);
    male->SetCharacterImage(-1);
    EXPECT_EQ(PictureLog::asked.back(), "delvor/DIGGER_MALE2_DIZZY");
    EXPECT_FALSE(male->IsFlipImageHorizontal());
}

TEST_F(Diggers, TheHungerChanceLeansEachWayInTurnAndEmptyRangesGiveTheirMinimum) {
    // The day's chance 1.0: the hiring's first need is food, then the chance
    // falls by 0.2 and moves by 0.2 after every choice.
    DelvorDigger* digger = Digger();
    int food = 0;
    for (int i = 0; i < 40; ++i) {
        const float chance = digger->GetHungerChance();
        digger->SetupHungerThirst(1, Level());
        const bool isFood = digger->IsNextNeedFood();
        EXPECT_FLOAT_EQ(digger->GetHungerChance(), chance + (isFood ? -0.2f : 0.2f));
        food += isFood ? 1 : 0;
        // Ranges of 1: the base and 1 only.
        EXPECT_EQ(digger->GetNeedTimer(), isFood ? 4001 : 6001);
        EXPECT_GE(digger->GetHungerChance(), -0.21f);
        EXPECT_LE(digger->GetHungerChance(), 1.21f);
    }
    EXPECT_GT(food, 5);
    EXPECT_LT(food, 36);
    // The female keys have ranges of -5 and 0.
    DelvorDigger* female = Digger(1, 2);
    for (int i = 0; i < 20; ++i) {
        female->SetupHungerThirst(2, Level());
        EXPECT_EQ(female->GetNeedTimer(), female->IsNextNeedFood() ? 4001 : 6001);
    }
}

TEST_F(Diggers, ACelebrationEndsStoppedAtTheHole) {
    DelvorDigger* digger = Digger();
    DelvorHole* hole = Hole();
    Place(digger, hole);
    ASSERT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_DIGGING; }), 0);
    ZQ2::SmartPtr<ZQ2::ModifierContainer> container(new ZQ2::ModifierContainer(std::string(), true));
    ZQ2::AnimTree::LinkNodeUnder(Level()->GetAnimContainer(), container.Get());
    digger->ClearCurrentRoutine();
    EXPECT_TRUE(digger->Celebrate(container.Get()));
    EXPECT_EQ(digger->GetActivity(), DelvorWorker::ACTIVITY_CELEBRATING);
    EXPECT_EQ(digger->GetImageCode(), 16);
    EXPECT_GT(StepUntil([&] { return digger->GetActivity() == DelvorWorker::ACTIVITY_STOPPED; }, 50), 0);
}

// ---- upgrades

TEST_F(Diggers, WorkerUpgradesChangeWalksStrokesAndNeedsOfTheWorkersTheyName) {
    DelvorDigger* digger = Digger();
    DelvorPicker* picker = Picker();
    struct Look {
        int diggerWalk, pickerWalk, dig, pick;
    };
    const auto look = [&] {
        return Look{digger->GetEffectiveWalkSpeed(), picker->GetEffectiveWalkSpeed(), digger->GetUpgradedDigSpeed(),
                    picker->GetUpgradedPickSpeed()};
    };
    const Look base = look();
    struct Case {
        int type;
        int effect;
        Look gain;
    };
    const Case cases[] = {
        {DelvorUpgrade::TYPE_DIGGER_WALK, 15, {15, 15, 0, 0}},
        {DelvorUpgrade::TYPE_DIGGER_DIG, -20, {0, 0, -20, 0}},
        {DelvorUpgrade::TYPE_PICKER_PICK, -30, {0, 0, 0, -30}},
        {DelvorUpgrade::TYPE_DOVIDI, 30, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        DVUpgradeHandler::g_Instance->RemoveAllBoughtUpgrades(false);
        upgradetest::Own(c.type, c.effect);
        const Look now = look();
        EXPECT_EQ(now.diggerWalk - base.diggerWalk, c.gain.diggerWalk) << c.type;
        EXPECT_EQ(now.pickerWalk - base.pickerWalk, c.gain.pickerWalk) << c.type;
        EXPECT_EQ(now.dig - base.dig, c.gain.dig) << c.type;
        EXPECT_EQ(now.pick - base.pick, c.gain.pick) << c.type;
    }

    // Hunger and thirst come later by the meal's and the canteen's effects;
    // the schedule without upgrades is 4001 ms to hunger, 6001 to thirst.
    DVUpgradeHandler::g_Instance->RemoveAllBoughtUpgrades(false);
    upgradetest::Own(DelvorUpgrade::TYPE_DIGGER_EAT, 5000);
    upgradetest::Own(DelvorUpgrade::TYPE_DIGGER_DRINK, 7000);
    int seen[2] = {0, 0};
    for (int i = 0; i < 12; ++i) {
        for (DelvorWorker* worker : std::initializer_list<DelvorWorker*>{digger, picker}) {
            worker->SetupHungerThirst(1, Level());
            const bool food = worker->IsNextNeedFood();
            ++seen[food ? 0 : 1];
            EXPECT_EQ(worker->GetNeedTimer(), food ? 4001 + 5000 : 6001 + 7000);
        }
    }
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}
