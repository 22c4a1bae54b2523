// What the level offers the site's objects: the waiting places and their
// coordinates, dragging a worker onto a hole, the crush, the carrier's
// table, the holes of the day, directed walks, the hourglass button and
// the medicine rule.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/sprite/Button.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/GameTree.h"
#include "source/game/DelvorClock.h"
#include "source/game/DelvorDigger.h"
#include "source/game/DelvorGenerator.h"
#include "source/game/DelvorItem.h"
#include "source/game/DelvorHole.h"
#include "source/game/DelvorPicker.h"
#include "source/game/Dovidi.h"
#include "source/game/Vuru.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/GameHarness.h"
#include "tests/source/UpgradeTestSupport.h"

using gametest::LevelHarness;
using gametest::SoundLog;
using gametest::Var;

namespace {

const char* const kHoles =
    "<DelvorHole name=\"HOLE1\" x=\"100\" y=\"200\" width=\"40\" height=\"40\"/>"
    "<DelvorHole name=\"HOLE2\" x=\"200\" y=\"200\" width=\"40\" height=\"40\" startstate=\"inactive\"/>"
    "<DelvorHole name=\"HOLE3\" x=\"300\" y=\"200\" width=\"40\" height=\"40\"/>"
    "<Sprite name=\"TABLE_DOVIDI\" x=\"500\" y=\"300\" width=\"100\" height=\"40\"/>"
    "<Sprite name=\"TABLE_VURU\" x=\"600\" y=\"100\" width=\"100\" height=\"40\">"
    "  <Vector id=\"children\">"
    "    <Button name=\"BUTTON_HOURGLASS\" x=\"10\" y=\"10\" width=\"20\" height=\"20\">"
    "      <Vector id=\"children\"><Label name=\"HOURGLASS_COUNT\" x=\"0\" y=\"0\" width=\"20\" height=\"20\"/>"
    "      </Vector>"
    "    </Button>"
    "  </Vector>"
    "</Sprite>";

// An item lying on a table.
class TableItem : public ClickObject {
public:
    explicit TableItem(const std::string& name) : ClickObject(0.0f, 0.0f, nullptr, nullptr, nullptr) {
        SetName(name);
    }
    bool IsItem() const override { return true; }
    bool IsAvailable() const override { return true; }
    bool IsOnTable() const override { return true; }
    void SetHighlightState(bool lit) override { m_bLit = lit; }
    bool m_bLit = true;
};

class Site : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
    void Start(const std::string& variables) {
        m_pHarness = std::make_unique<LevelHarness>(Var("total_seconds", 600) + variables, "LEVEL1_1", 1234, true,
                                                    kHoles);
        ASSERT_TRUE(m_pHarness->OpenDay());
        SoundLog::asked.clear();
    }
    SceneGame* Level() const { return m_pHarness->Level(); }
    // Stops the walk-in and frees every waiting place.
    void FreePlaces() {
        for (const auto& worker : Level()->GetWorkers()) {
            worker->ClearCurrentRoutine();
            worker->ClearWaitAreaIndex();
        }
    }
    DelvorWorker* Worker(int i) const { return Level()->GetWorkers()[i].Get(); }
    // Puts a worker on its waiting place the way the walk-in does.
    void Wait(DelvorWorker* worker) {
        int x = 0;
        int y = 0;
        Level()->GetWaitAreaCoordinates(Level()->AddWorkerToWaitArea(worker), x, y);
        worker->ClearCurrentRoutine();
        worker->SetState(DelvorCharacter::STATE_HOME);
        worker->SetLocation(static_cast<float>(x), static_cast<float>(y) + worker->GetHeight());
    }

    std::unique_ptr<LevelHarness> m_pHarness;
};

}  // namespace

TEST_F(Site, WaitingPlacesFillFromTheRightAndPickersSitApart) {
    struct Case {
        int males, pickers, index, x;
    };
    // Area 100..500, diggers 40 apart, pickers 30, 50 between the rows.
    const Case cases[] = {
        {3, 0, 0, 360}, {3, 0, 2, 280},  // no pickers: the row is 3 x 40 wide
        {2, 2, 0, 380}, {2, 2, 1, 340}, {2, 2, 2, 290}, {2, 2, 3, 260},
    };
    for (const Case& c : cases) {
        Start(Var("num_diggers_male", c.males) + Var("num_pickers", c.pickers));
        int x = 0;
        int y = 0;
        Level()->GetWaitAreaCoordinates(c.index, x, y);
        EXPECT_EQ(x, c.x) << c.males << " diggers, " << c.pickers << " pickers, place " << c.index;
        EXPECT_EQ(y, 500);
        m_pHarness.reset();
    }
}

TEST_F(Site, WorkersTakeThePlacesOfTheirKindUntilNoneIsLeft) {
    Start(Var("num_diggers_male", 1) + Var("num_diggers_female", 1) + Var("num_pickers", 1));
    ASSERT_EQ(Level()->GetWorkers().size(), 3);
    EXPECT_EQ(Level()->GetWaitAreaSlots(), "XXX");  // taken in the walk-in
    FreePlaces();
    EXPECT_EQ(Level()->GetWaitAreaSlots(), "OOP");
    EXPECT_NE(ZQ2::DynamicCast<DelvorPicker>(Worker(2)), nullptr);
    EXPECT_EQ(Level()->GetNumWorkers(1), 1);
    EXPECT_EQ(Level()->GetNumWorkers(2), 1);
    EXPECT_EQ(Level()->GetNumWorkers(3), 2);
    EXPECT_EQ(Level()->GetNumWorkers(4), 1);
    EXPECT_EQ(Level()->GetNumWorkers(0), 3);
    EXPECT_EQ(Level()->AddWorkerToWaitArea(Worker(2)), 2);
    EXPECT_EQ(Level()->AddWorkerToWaitArea(Worker(2)), -1);  // the one picker place is taken
    EXPECT_EQ(Level()->AddWorkerToWaitArea(Worker(1)), 0);
    EXPECT_EQ(Worker(1)->GetWaitAreaIndex(), 0);
    EXPECT_EQ(Level()->AddWorkerToWaitArea(Worker(0)), 1);
    EXPECT_EQ(Level()->GetWaitAreaSlots(), "XXX");
    Worker(1)->ClearWaitAreaIndex();
    EXPECT_EQ(Level()->GetWaitAreaSlots(), "OXX");
    EXPECT_EQ(Worker(1)->GetWaitAreaIndex(), -1);
}

TEST_F(Site, ADroppedWorkerGoesToTheHoleAndAFullHoleSendsItBack) {
    Start(Var("num_diggers_male", 3));
    FreePlaces();
    for (int i = 0; i < 3; ++i)
        Wait(Worker(i));
    EXPECT_TRUE(Level()->AreAllWorkersInWaitArea());
    DelvorHole* hole = Level()->GetHole(1, false);
    ASSERT_NE(hole, nullptr);
    hole->SetupHole(1, 0, 0);  // dirt over a gold piece: diggers are wanted
    for (int i = 0; i < 2; ++i) {
        Level()->SetWorkerToDrag(Worker(i));
        Level()->OnMouseMoved(50.0f, 50.0f);
        Level()->DropWorkerOnHole(hole);
        EXPECT_EQ(hole->GetWorkerAtHoleLocation(i), Worker(i));
        EXPECT_EQ(Worker(i)->GetCurrentHole(), hole);
        EXPECT_EQ(Worker(i)->GetWaitAreaIndex(), -1);
    }
    EXPECT_EQ(Level()->GetWaitAreaSlots(), "OOX");
    EXPECT_FALSE(Level()->AreAllWorkersInWaitArea());
    EXPECT_TRUE(Level()->IsAWorkerInWaitingArea(nullptr));
    EXPECT_FALSE(Level()->IsAWorkerInWaitingArea(Worker(2)));
    // The third is refused and snaps back to its place.
    const float x = Worker(2)->GetX();
    Level()->SetWorkerToDrag(Worker(2));
    Level()->OnMouseMoved(50.0f, 50.0f);
    EXPECT_NE(Worker(2)->GetX(), x);
    EXPECT_FALSE(Level()->DropWorkerOnHole(hole));
    EXPECT_EQ(Level()->GetWorkerToDrag(), nullptr);
    EXPECT_EQ(Worker(2)->GetX(), x);
    EXPECT_TRUE(Worker(2)->IsCharacterInWaitingArea());
}

TEST_F(Site, ReleasingTheButtonEndsADragOrFailsAloud) {
    Start(Var("num_diggers_male", 2));
    FreePlaces();
    Wait(Worker(0));
    Level()->SetWorkerToDrag(Worker(0));
    EXPECT_TRUE(Level()->OnMouseLeftUp());
    EXPECT_EQ(Level()->GetWorkerToDrag(), nullptr);
    EXPECT_TRUE(SoundLog::asked.empty());
    EXPECT_FALSE(Level()->OnMouseLeftUp());
    ASSERT_EQ(SoundLog::asked.size(), 1);
    EXPECT_EQ(SoundLog::asked.back(), "delvor/SOUND_CHOOSE_FAIL");
    // Paused, the dragged worker stays where it is.
    Level()->SetWorkerToDrag(Worker(0));
    Level()->Pause(true);
    const float x = Worker(0)->GetX();
    Level()->OnMouseMoved(10.0f, 10.0f);
    EXPECT_EQ(Worker(0)->GetX(), x);
    Level()->IsOverClickObject(true);
    EXPECT_EQ(ZQ2::MouseCursorCounter::GetSelectedCursorType(), ZQ2::CURSOR_HAND_POINT);
    Level()->IsOverClickObject(false);
    EXPECT_EQ(ZQ2::MouseCursorCounter::GetSelectedCursorType(), ZQ2::CURSOR_ARROW);
}

TEST_F(Site, TheCrushPairsOneManAndOneWomanWhoScoreTogetherAtAHole) {
    Start(Var("num_diggers_male", 2) + Var("num_diggers_female", 2) + Var("points_win", 1000) +
          Var("points_expert", 2000));
    // The start of the day has set up the crush.
    std::vector<DelvorWorker*> lovers;
    for (const auto& worker : Level()->GetWorkers())
        if (worker->HasLoveFlag())
            lovers.push_back(worker.Get());
    ASSERT_EQ(lovers.size(), 2);
    EXPECT_EQ(lovers[0]->GetGender(), 1);
    EXPECT_EQ(lovers[1]->GetGender(), 2);
    DelvorHole* hole = Level()->GetHole(3, false);
    FreePlaces();
    hole->SetupHole(1, 0, 0);  // dirt over a gold piece: diggers are wanted
    for (DelvorWorker* lover : lovers) {
        Wait(lover);
        Level()->SetWorkerToDrag(lover);
        Level()->DropWorkerOnHole(hole);
    }
    // Each placement pays, the second one a colour match too when the two share a colour.
    const int colour = lovers[0]->IsColorMatch() ? Level()->GetScoreValue(1, false) : 0;
    EXPECT_EQ(Level()->GetFunds(), 25 + 2 * Level()->GetScoreValue(0, false) + colour);
    EXPECT_FALSE(lovers[0]->HasLoveFlag());
    EXPECT_FALSE(lovers[1]->HasLoveFlag());
}

TEST_F(Site, NoCrushWithoutBothGendersOrWithFewerThanFourDiggers) {
    for (const std::string& vars : {Var("num_diggers_male", 4), Var("num_diggers_male", 2) + Var("num_diggers_female", 1)}) {
        Start(vars);
        Level()->SetupCrush();
        for (const auto& worker : Level()->GetWorkers())
            EXPECT_FALSE(worker->HasLoveFlag());
        m_pHarness.reset();
    }
}

TEST_F(Site, MedicineNeedsTheVillainAndOneOfHisHypnosisWeights) {
    struct Case {
        bool villain;
        int hypnotize, mass;
        bool medicine;
    };
    // The two theft weights are 5 in the constants; they never decide.
    const Case cases[] = {
        {false, 3, 3, false}, {true, 0, 0, false}, {true, 1, 0, true}, {true, 0, 1, true},
    };
    for (const Case& c : cases) {
        Start("<Boolean id=\"has_vuvivedod\" value=\"true\"/>" + Var("vuvivedod_chance_hypnotize", c.hypnotize) +
              Var("vuvivedod_chance_mass_hypnotize", c.mass));
        EXPECT_EQ(Level()->GetVuvivedodChanceDeedWeight(0), 5);
        ZQ2::SmartPtr<ClickObject> villain = new ClickObject(0.0f, 0.0f, nullptr, nullptr, nullptr);
        Level()->SetCharacters(Level()->GetVuru(), Level()->GetDovidi(), c.villain ? villain.Get() : nullptr);
        EXPECT_EQ(Level()->HasMedicine(), c.medicine) << c.villain << " " << c.hypnotize << " " << c.mass;
        m_pHarness.reset();
    }
}

TEST_F(Site, TheCarriersTableOffersTheBottleAndMedicineOnlyWhenTheDayUsesThem) {
    Start(Var("spray_bottle", 0));
    ZQ2::GameNode* table = Level()->GetChild("TABLE_DOVIDI", true);
    ASSERT_NE(table, nullptr);
    std::vector<ZQ2::SmartPtr<TableItem>> items;
    for (const char* name : {"ITEM_BOTTLE", "ITEM_MEDICINE", "ITEM_BRUSH", "ITEM_SIFTER"}) {
        items.emplace_back(new TableItem(name));
        ZQ2::GameTree::LinkNodeUnder(table, items.back().Get());
    }
    Level()->SetupDovidiTable();
    EXPECT_FALSE(items[0]->IsVisible());
    EXPECT_FALSE(items[1]->IsVisible());
    EXPECT_TRUE(items[2]->IsVisible());
    // Picking one item up unlights the others on its table.
    Level()->ClearTableHighlights(items[2].Get());
    EXPECT_TRUE(items[2]->m_bLit);
    EXPECT_FALSE(items[3]->m_bLit);
    Level()->RemoveItemsOfTypeFromTable(2);  // brushes
    EXPECT_FALSE(items[2]->IsVisible());
    EXPECT_TRUE(items[3]->IsVisible());
}

TEST_F(Site, HolesOfTheDayLeaveOutTheInactiveOnes) {
    Start("");
    EXPECT_EQ(Level()->GetNumHoles(), 2);
    EXPECT_EQ(Level()->GetHole(2, false), nullptr);
    EXPECT_NE(Level()->GetHole(2, true), nullptr);
    EXPECT_EQ(Level()->GetHole(4, true), nullptr);
    for (int i = 0; i < 20; ++i) {
        const int n = Level()->GetRandomHole();
        EXPECT_TRUE(n == 1 || n == 2) << n;
    }
    EXPECT_FALSE(Level()->AreAllHolesFinished());
    Level()->GetHole(1, false)->SetState(103);
    Level()->GetHole(3, false)->SetState(103);
    EXPECT_TRUE(Level()->AreAllHolesFinished());
    EXPECT_EQ(Level()->GetImpatienceTime(), 9000);
}

TEST_F(Site, ADirectedCharacterWalksToTheHolesApproachPoint) {
    Start("");
    DelvorHole* hole = Level()->GetHole(1, false);
    Dovidi* dovidi = Level()->GetDovidi();
    ASSERT_NE(dovidi, nullptr);
    EXPECT_EQ(Level()->GetDestType(hole, dovidi), 2);
    EXPECT_EQ(Level()->GetDestType(hole, Level()->GetVuru()), 5);
    EXPECT_EQ(Level()->GetDestType(dovidi, Level()->GetVuru()), 0);
    Level()->DoAction(hole, dovidi);
    EXPECT_EQ(dovidi->GetState(), DelvorCharacter::STATE_WALKING);
    Level()->GetClickHandler().ProcessNextAction(Level()->GetHole(3, false), nullptr);
    EXPECT_FALSE(Level()->IsVuruGoingToHole(hole));
    EXPECT_TRUE(Level()->IsVuruDoneWithTasks());
}

TEST_F(Site, TheHourglassButtonIsBoundAndHiddenWithoutAnHourglass) {
    Start("");
    ZQ2::Button* button = Level()->GetHourglassButton();
    ASSERT_NE(button, nullptr);
    Level()->ShowHourglass();
    EXPECT_FALSE(button->IsVisible());
    EXPECT_FALSE(button->IsEnabled());
    // Nothing to use: the clock keeps running.
    Level()->UseHourglass();
    EXPECT_FALSE(Level()->GetClock()->IsHourglassInUse());
    EXPECT_EQ(Level()->GetElapsedTime(0), Level()->GetCurrentTimestamp());
}

TEST_F(Site, TheHourglassButtonServesOwnedHourglassesOnlyWhileTheDayRuns) {
    Start("");
    ZQ2::Button* button = Level()->GetHourglassButton();
    ASSERT_NE(button, nullptr);
    auto* count = ZQ2::DynamicCast<ZQ2::Label>(button->GetChild("HOURGLASS_COUNT", true));
    ASSERT_NE(count, nullptr);
    ASSERT_EQ(Level()->GetGameState(), SceneGame::STATE_RUNNING);
    upgradetest::Own(DelvorUpgrade::TYPE_HOURGLASS, 30000);
    upgradetest::Own(DelvorUpgrade::TYPE_HOURGLASS, 30000);
    Level()->ShowHourglass();
    EXPECT_TRUE(button->IsVisible());
    EXPECT_TRUE(button->IsEnabled());
    EXPECT_EQ(count->GetText(), "2");
    EXPECT_TRUE(count->IsVisible());
    Level()->Pause(true);
    EXPECT_FALSE(button->IsEnabled()) << "paused";
    Level()->Pause(false);
    EXPECT_TRUE(button->IsEnabled());

    // One used: the clock stands for its time and the count follows.
    const int before = Level()->GetCurrentTimestamp();
    Level()->UseHourglass();
    EXPECT_TRUE(Level()->GetClock()->IsHourglassInUse());
    EXPECT_EQ(DVUpgradeHandler::g_Instance->GetNumHourGlasses(), 1);
    EXPECT_EQ(count->GetText(), "1");
    EXPECT_FALSE(count->IsVisible());
    EXPECT_TRUE(button->IsVisible());
    EXPECT_FALSE(button->IsEnabled()) << "the clock is stopped already";
    Level()->UseHourglass();
    EXPECT_EQ(DVUpgradeHandler::g_Instance->GetNumHourGlasses(), 1) << "a second turn waits for the first";
    m_pHarness->Step(30000 / gametest::FRAME_MS - 2);
    EXPECT_EQ(Level()->GetCurrentTimestamp(), before);
    EXPECT_FALSE(button->IsEnabled());
    m_pHarness->Step(4);
    EXPECT_FALSE(Level()->GetClock()->IsHourglassInUse());
    EXPECT_TRUE(button->IsEnabled()) << "the sand has run through";
    m_pHarness->Step(10);
    EXPECT_GT(Level()->GetCurrentTimestamp(), before);

    // The last one used: the button goes.
    Level()->UseHourglass();
    EXPECT_FALSE(DVUpgradeHandler::g_Instance->IsHourGlass());
    EXPECT_FALSE(button->IsVisible());
    EXPECT_FALSE(button->IsEnabled());
}

TEST_F(Site, TableItemsComeFromTheCookOrTheToolmaker) {
    const std::string tables =
        "<DelvorGenerator name=\"COOKIE\" x=\"10\" y=\"10\" width=\"20\" height=\"20\"/>"
        "<Sprite name=\"TABLE_COOKIE\" x=\"0\" y=\"100\" width=\"100\" height=\"40\"><Vector id=\"children\">"
        "  <DelvorItem name=\"ITEM_APPLE1\" x=\"5\" y=\"5\" width=\"10\" height=\"10\"/></Vector></Sprite>"
        "<Sprite name=\"TABLE_DOVIDI\" x=\"200\" y=\"100\" width=\"100\" height=\"40\"><Vector id=\"children\">"
        "  <DelvorGenerator name=\"TOOLMAKER\" x=\"5\" y=\"5\" width=\"20\" height=\"20\"/>"
        "  <DelvorItem name=\"ITEM_BRUSH\" x=\"30\" y=\"5\" width=\"10\" height=\"10\"/></Vector></Sprite>";
    m_pHarness = std::make_unique<LevelHarness>(Var("total_seconds", 600), "LEVEL1_1", 1234, true, tables);
    auto* apple = ZQ2::DynamicCast<DelvorItem>(Level()->GetChild("ITEM_APPLE1", true));
    auto* brush = ZQ2::DynamicCast<DelvorItem>(Level()->GetChild("ITEM_BRUSH", true));
    ASSERT_NE(apple, nullptr);
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(apple->GetGenerator(), Level()->GetChild("COOKIE", true));
    EXPECT_EQ(brush->GetGenerator(), Level()->GetChild("TOOLMAKER", true));
    Level()->CleanupGenerators();
    EXPECT_EQ(apple->GetGenerator(), nullptr);
}
