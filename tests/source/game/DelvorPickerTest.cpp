// Pickers on a running day: a rock broken in one half-stroke per unit of
// toughness, the walk back, the shift of the pick strip, and the types.
#include "source/game/DelvorPicker.h"

#include <set>

#include "tests/source/game/WorkerSite.h"

using workertest::PictureLog;
using workertest::WorkerSite;

namespace {

using Pickers = WorkerSite;

}  // namespace

TEST_F(Pickers, APickerBreaksTheRockInToughnessHalfStrokesAndWalksBack) {
    Start(Vars(2, 1, 12));
    DelvorPicker* picker = Picker();
    DelvorHole* hole = Hole();
    ASSERT_TRUE(AtRock(hole));
    EXPECT_EQ(hole->GetCurrentRockToughness(), 3);
    const int rock = hole->GetCurrentDepth();
    ASSERT_TRUE(hole->CanAddWorker(picker));
    Place(picker, hole);
    ASSERT_GT(StepUntil([&] { return picker->GetActivity() == DelvorWorker::ACTIVITY_PICKING; }), 0);
    EXPECT_EQ(hole->GetHoleState(), 102);
    // The pick strip is drawn 16 pixels left of where the picker stands.
    EXPECT_EQ(picker->GetX(), picker->GetFootPoint().x - 16.0f);
    std::string shadow;
    picker->GetShadowImage(shadow);
    EXPECT_EQ(shadow, "SHADOW_PICKER");
    ASSERT_GT(StepUntil([&] { return hole->GetCurrentDepth() > rock; }), 0);
    EXPECT_EQ(Count("SOUND_PICKER_PICK"), 3);
    ASSERT_GT(StepUntil([&] { return AtHome(picker); }), 0);
    EXPECT_EQ(picker->GetHole(), nullptr);
    EXPECT_EQ(Count("SOUND_PICKER_PICK"), 3);
    EXPECT_FALSE(hole->CanAddWorker(picker));
}

TEST_F(Pickers, TypesAreDrawnFromTheCountAndNeedsFromEmptyRangesGiveTheirMinimum) {
    std::set<int> types;
    DelvorPicker* picker = Picker();
    for (int i = 0; i < 30; ++i) {
        picker->Init(0, 0, Level());
        types.insert(picker->GetPickerType());
        // Ranges of 0 and -3 draw nothing.
        EXPECT_EQ(picker->GetNeedTimer(), picker->IsNextNeedFood() ? 4001 : 6001);
        picker->SetupHungerThirst(1, Level());
        EXPECT_EQ(picker->GetNeedTimer(), picker->IsNextNeedFood() ? 4001 : 6001);
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3}));
}

TEST_F(Pickers, PicturesAndTheWaitingPlace) {
    DelvorPicker* picker = Picker();
    EXPECT_EQ(picker->GetFreeSpotCharacter(), 'P');
    // Two digger places, then the pickers' from the right.
    EXPECT_EQ(picker->GetWaitAreaIndex(), 3);
    PictureLog::asked.clear();
    PictureLog::asked.clear();
    picker->SetCharacterImage(15);
    picker->SetCharacterImage(14);
    const std::string expected = "delvor/PICKER" + std::to_string(picker->GetPickerType()) + "_PANIC";
    EXPECT_EQ(PictureLog::asked, (std::vector<std::string>{expected}));
    // Breaking rock, the restore code shows the pick strip.
    Start(Vars(2, 1, 12));
    picker = Picker();
    DelvorHole* hole = Hole();
    ASSERT_TRUE(AtRock(hole));
    Place(picker, hole);
    ASSERT_GT(StepUntil([&] { return picker->GetActivity() == DelvorWorker::ACTIVITY_PICKING; }), 0);
    picker->SetCharacterImage(-1);
    EXPECT_EQ(PictureLog::asked.back(), "delvor/PICKER" + std::to_string(picker->GetPickerType()) + "_PICK");
}
