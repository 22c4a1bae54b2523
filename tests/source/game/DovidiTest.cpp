// The carrier: her place in the tent and at home, her pictures and the
// items in her hands, the directions of her walks to the tables, her three
// score spots, and her walk home at the end of the day.
#include "source/game/Dovidi.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/sprite/GameTree.h"
#include "source/game/DVPathFinder.h"
#include "source/game/DelvorHole.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/game/BossTestSupport.h"

using bosstest::FakeItem;
using gametest::LevelHarness;

namespace {

// The carrier, with the first-leg directions of her walks recorded.
class TracedDovidi : public Dovidi {
public:
    TracedDovidi() : Dovidi(0.0f, 0.0f, nullptr) {}
    void WalkToSpot(int x, int y, int firstH, int firstV, int startX, int startY) override {
        m_Walks.push_back({x, y, firstH, firstV});
        Dovidi::WalkToSpot(x, y, firstH, firstV, startX, startY);
    }
    std::vector<std::vector<int>> m_Walks;
};

class Carrier : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        m_pHarness = std::make_unique<LevelHarness>(gametest::Var("total_seconds", 600), "LEVEL1_1", 1234, true,
                                                    bosstest::BossConstantsXml() + bosstest::DovidiConstantsXml());
        m_Pictures.Define("DOVIDI_DEFAULT", 40, 60, 1);
        m_spDovidi = new TracedDovidi();
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), m_spDovidi.Get());
        m_spDovidi->Init();
    }
    // Frames until she stops walking.
    int Arrive(int budget = 2000) {
        for (int i = 1; i <= budget; ++i) {
            m_pHarness->Step(1);
            if (m_spDovidi->GetState() != DelvorCharacter::STATE_WALKING)
                return i;
        }
        return -1;
    }

    bosstest::Pictures m_Pictures;
    std::unique_ptr<LevelHarness> m_pHarness;
    ZQ2::SmartPtr<TracedDovidi> m_spDovidi;
};

}  // namespace

TEST_F(Carrier, StartsInTheTentAndIsPutHome) {
    EXPECT_EQ(m_spDovidi->GetX(), 700.0f);
    EXPECT_EQ(m_spDovidi->GetY(), 140.0f);
    EXPECT_EQ(m_spDovidi->GetWalkSpeed(), 120);
    EXPECT_FALSE(m_spDovidi->IsInHomePosition());
    m_spDovidi->PutBossInHomePosition();
    EXPECT_EQ(m_spDovidi->GetX(), 600.0f);
    EXPECT_EQ(m_spDovidi->GetY(), 360.0f);
    EXPECT_TRUE(m_spDovidi->IsInHomeArea());
    EXPECT_TRUE(m_spDovidi->CanUseMoreThanOneItemOnHole());
    m_spDovidi->SetBossActivity(DelvorBoss::ACTIVITY_WAITING_FOR_ITEM);
    EXPECT_TRUE(m_spDovidi->IsWaitingForItemGeneration());
}

TEST_F(Carrier, PicturesByCodeMirroredForNegativeCodes) {
    struct Case {
        int code;
        const char* key;
    };
    for (const Case c : {Case{1, "DOVIDI_DEFAULT"}, Case{2, "DOVIDI_DEFAULT"}, Case{3, "DOVIDI_WALK_BACK"},
                         Case{4, "DOVIDI_WALK_BACK_CARRY"}, Case{5, "DOVIDI_WALK_FRONT"},
                         Case{6, "DOVIDI_WALK_FRONT_CARRY"}, Case{7, "DOVIDI_WALK_SIDE"},
                         Case{8, "DOVIDI_WALK_SIDE_CARRY"}, Case{17, "DOVIDI_WIN"}, Case{18, "DOVIDI_LOSE"},
                         Case{19, "DOVIDI_IDLE"}}) {
        EXPECT_EQ(Dovidi::GetImageKey(c.code), c.key) << c.code;
        m_spDovidi->SetCharacterImage(c.code);
        EXPECT_EQ(m_spDovidi->GetImage(), m_Pictures.Get(c.key)) << c.code;
        EXPECT_FALSE(m_spDovidi->IsFlipImageHorizontal());
        m_spDovidi->SetCharacterImage(-c.code);
        EXPECT_TRUE(m_spDovidi->IsFlipImageHorizontal()) << c.code;
    }
    for (int code = 9; code <= 16; ++code)
        EXPECT_EQ(Dovidi::GetImageKey(code), "") << code;
    // A code without a picture of hers leaves the one shown.
    m_spDovidi->SetCharacterImage(19);
    m_spDovidi->SetCharacterImage(12);
    EXPECT_EQ(m_spDovidi->GetImage(), m_Pictures.Get("DOVIDI_IDLE"));
}

TEST_F(Carrier, ItemsSitInHerHandsByPictureAndFacing) {
    struct Case {
        int code;
        float x0, y0, x1, y1;
    };
    for (const Case c : {Case{6, 5, 6, 7, 8}, Case{-8, 9, 10, 11, 12}, Case{8, 13, 14, 15, 16}, Case{4, 1, 2, 3, 4},
                         Case{2, 0, 0, 0, 0}}) {
        float scale = 0.0f;
        const bool mirrored = c.code < 0;
        const int code = mirrored ? -c.code : c.code;
        EXPECT_EQ(m_spDovidi->GetObjectPositionInHands(0, code, mirrored, scale), ZQ2::Point_t<float>(c.x0, c.y0))
            << c.code;
        EXPECT_EQ(m_spDovidi->GetObjectPositionInHands(1, code, mirrored, scale), ZQ2::Point_t<float>(c.x1, c.y1))
            << c.code;
        EXPECT_EQ(scale, 0.5f);
    }
    // A picture change moves the items with her.
    ZQ2::SmartPtr<FakeItem> apple(new FakeItem("ITEM_APPLE", m_spDovidi.Get()));
    m_spDovidi->AddItem(apple.Get());
    m_spDovidi->SetCharacterImage(-8);
    ASSERT_NE(m_spDovidi->GetHandSprite(0), nullptr);
    EXPECT_EQ(m_spDovidi->GetHandSprite(0)->GetX(), 9.0f);
    EXPECT_EQ(m_spDovidi->GetHandSprite(0)->GetScaleX(), 0.5f);

    // Walking with it she shows her carrying pictures, the item going along.
    m_spDovidi->PutBossInHomePosition();
    m_spDovidi->WalkToTable(DelvorBoss::TABLE_TOOLS);
    ASSERT_FALSE(m_spDovidi->GetWalkImages().empty());
    EXPECT_EQ(m_spDovidi->GetWalkImages()[0], -DelvorBoss::IMAGE_WALK_SIDE_CARRY);
    m_pHarness->Step(1);
    EXPECT_EQ(m_spDovidi->GetImage(), m_Pictures.Get("DOVIDI_WALK_SIDE_CARRY"));
    EXPECT_EQ(m_spDovidi->GetHandSprite(0)->GetX(), 9.0f);
    EXPECT_TRUE(m_spDovidi->GetHandSprite(0)->IsVisible());
    m_spDovidi->ClearCurrentRoutine();
    m_spDovidi->ClearItems();
    EXPECT_EQ(m_spDovidi->GetHandSprite(0), nullptr);
}

TEST_F(Carrier, WalksToTheTablesStartFromWhereSheStands) {
    m_spDovidi->PutBossInHomePosition();
    m_spDovidi->WalkToTable(DelvorBoss::TABLE_TOOLS);
    ASSERT_EQ(m_spDovidi->m_Walks.size(), 1);
    EXPECT_EQ(m_spDovidi->m_Walks[0], (std::vector<int>{100, 260, -1, 0}));
    ASSERT_GT(Arrive(), 0);
    EXPECT_EQ(m_spDovidi->GetCurrentTable(), DelvorBoss::TABLE_TOOLS);
    EXPECT_TRUE(m_spDovidi->IsInHomeArea());
    EXPECT_EQ(m_spDovidi->GetState(), DelvorCharacter::STATE_HOME);
    int dx = 9;
    int dy = 9;
    m_spDovidi->GetActionDirection(dx, dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 1);

    m_spDovidi->WalkToTable(DelvorBoss::TABLE_FOOD);
    EXPECT_EQ(m_spDovidi->m_Walks.back(), (std::vector<int>{500, 270, 1, 0}));
    ASSERT_GT(Arrive(), 0);
    EXPECT_EQ(m_spDovidi->GetCurrentTable(), DelvorBoss::TABLE_FOOD);
    m_spDovidi->WalkToTable(DelvorBoss::TABLE_TOOLS);
    EXPECT_EQ(m_spDovidi->m_Walks.back()[2], -1);
    m_spDovidi->ClearCurrentRoutine();

    m_spDovidi->PutBossInHomePosition();
    m_spDovidi->WalkToTable(DelvorBoss::TABLE_FOOD);
    EXPECT_EQ(m_spDovidi->m_Walks.back()[2], 1);
    m_spDovidi->ClearCurrentRoutine();
    m_spDovidi->SetLocation(300.0f, 400.0f);
    m_spDovidi->SetRealPosToCurPos();
    m_spDovidi->WalkToTable(DelvorBoss::TABLE_FOOD);
    EXPECT_EQ(m_spDovidi->m_Walks.back()[2], 0);
    EXPECT_EQ(m_spDovidi->m_Walks.back()[3], 1);
    m_spDovidi->ClearCurrentRoutine();
    m_spDovidi->SetState(DelvorCharacter::STATE_ELSEWHERE);
    m_spDovidi->GetActionDirection(dx, dy);
    EXPECT_EQ(dx, -1);
    EXPECT_EQ(dy, 0);
}

TEST_F(Carrier, ScoreSpotsAreClaimedInOrderAndTheFirstIsSharedWhenAllAreTaken) {
    m_spDovidi->SetLocation(200.0f, 300.0f);
    const std::vector<std::pair<float, float>> expected = {{220, 225}, {170, 275}, {270, 275}, {220, 225}};
    for (const auto& spot : expected) {
        float x = 0.0f;
        float y = 0.0f;
        m_spDovidi->GetFreeScoreSpot(x, y);
        EXPECT_EQ(x, spot.first);
        EXPECT_EQ(y, spot.second);
    }
    EXPECT_TRUE(m_spDovidi->IsScoreSpotTaken(2));
    m_spDovidi->ClearScoreSpots();
    EXPECT_FALSE(m_spDovidi->IsScoreSpotTaken(0));
    EXPECT_FALSE(m_spDovidi->IsScoreSpotTaken(2));
}

TEST_F(Carrier, AtTheEndOfTheDaySheEndsTheStageOnlyAtHome) {
    SceneGame* level = m_pHarness->Level();
    // She is the site's carrier, away from home as the day ends.
    level->SetCharacters(level->GetVuru(), m_spDovidi.Get(), level->GetVuvivedod());
    m_spDovidi->SetLocation(100.0f, 260.0f);
    m_spDovidi->SetRealPosToCurPos();
    level->SetGameState(SceneGame::STATE_DOVIDI_GOING_HOME);
    // At the tool table she is not home yet: she walks on.
    ZQ2::SmartPtr<FakeItem> apple(new FakeItem("ITEM_APPLE", m_spDovidi.Get()));
    apple->m_bReady = false;
    m_spDovidi->AddToStack(apple.Get());
    EXPECT_TRUE(m_spDovidi->DoWalkFinished());
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_DOVIDI_GOING_HOME);
    EXPECT_EQ(m_spDovidi->GetState(), DelvorCharacter::STATE_WALKING);

    // At home she empties her queue and hands and the stage ends.
    ZQ2::SmartPtr<FakeItem> water(new FakeItem("ITEM_WATER", m_spDovidi.Get()));
    m_spDovidi->AddItem(water.Get());
    m_spDovidi->AddToStack(apple.Get());
    m_spDovidi->PutBossInHomePosition();
    m_spDovidi->SetBossActivity(DelvorBoss::ACTIVITY_WAITING_FOR_ITEM);
    EXPECT_TRUE(m_spDovidi->DoWalkFinished());
    EXPECT_EQ(level->GetGameState(), SceneGame::STATE_END_STAGE);
    EXPECT_TRUE(m_spDovidi->GetStack().empty());
    EXPECT_EQ(m_spDovidi->GetNumItems(), 0);
    EXPECT_EQ(m_spDovidi->GetBossActivity(), DelvorBoss::ACTIVITY_NONE);
    EXPECT_EQ(m_spDovidi->GetImageCode(), DelvorBoss::IMAGE_STANDING);
}

TEST_F(Carrier, SheQueuesEachHoleOnceAndOnlyHoles) {
    ZQ2::SmartPtr<DelvorHole> hole(new DelvorHole(0.0f, 0.0f, nullptr));
    ZQ2::SmartPtr<DelvorHole> next(new DelvorHole(0.0f, 0.0f, nullptr));
    ZQ2::SmartPtr<ClickObject> other(new ClickObject(0.0f, 0.0f, nullptr, nullptr, nullptr));
    EXPECT_TRUE(m_spDovidi->CanAddHoleToStack(hole.Get()));
    EXPECT_FALSE(m_spDovidi->CanAddHoleToStack(other.Get()));
    EXPECT_FALSE(m_spDovidi->CanAddHoleToStack(nullptr));
    m_spDovidi->AddToStack(hole.Get());
    EXPECT_FALSE(m_spDovidi->CanAddHoleToStack(hole.Get()));
    m_spDovidi->SetNextDestination(next.Get());
    EXPECT_FALSE(m_spDovidi->CanAddHoleToStack(next.Get()));
    m_spDovidi->SetNextDestination(nullptr);
    m_spDovidi->SetCurrentHole(next.Get());
    EXPECT_FALSE(m_spDovidi->CanAddHoleToStack(next.Get()));
    m_spDovidi->SetCurrentHole(nullptr);
    m_spDovidi->RemoveFromStack(0);
    hole->CleanupHole();
    next->CleanupHole();
}
