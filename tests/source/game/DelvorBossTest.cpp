// The directed figures' common part: two hands, delivery to a target,
// pick-up at the tables until the day is over, the items drawn in the
// hands, check marks on booked items, the exact home and table spots and
// the won day's jumps.
#include "source/game/DelvorBoss.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/modifier/ModifierContainer.h"
#include "engine/sprite/AnimTree.h"

#include "engine/sprite/GameTree.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/game/BossTestSupport.h"

using bosstest::FakeItem;
using bosstest::FakeTarget;
using bosstest::Played;
using gametest::LevelHarness;

namespace {

// A base boss that may hand both items over in one visit, as the carrier does.
class TwoHanded : public DelvorBoss {
public:
    TwoHanded() : DelvorBoss(0.0f, 300.0f, nullptr) {}
    bool CanUseMoreThanOneItemOnHole() const override { return true; }
};

class Boss : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        m_pHarness = std::make_unique<LevelHarness>(gametest::Var("total_seconds", 600), "LEVEL1_1", 1234, true,
                                                    bosstest::BossConstantsXml());
        m_spBoss = new DelvorBoss(0.0f, 300.0f, nullptr);
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), m_spBoss.Get());
        gametest::SoundLog::asked.clear();
    }
    ZQ2::SmartPtr<FakeItem> Item(const char* name, DelvorBoss* boss = nullptr) {
        ZQ2::SmartPtr<FakeItem> item(new FakeItem(name, boss ? boss : m_spBoss.Get()));
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), item.Get());
        return item;
    }

    bosstest::Pictures m_Pictures;
    std::unique_ptr<LevelHarness> m_pHarness;
    ZQ2::SmartPtr<DelvorBoss> m_spBoss;
};

}  // namespace

TEST_F(Boss, HandsFillFromTheFirstAndEmptyFromTheSecond) {
    auto apple = Item("ITEM_APPLE");
    auto brush = Item("ITEM_BRUSH");
    auto extra = Item("ITEM_SIFTER");
    const int refs = apple->GetRefCount();
    m_spBoss->AddItem(apple.Get());
    m_spBoss->AddItem(brush.Get());
    m_spBoss->AddItem(extra.Get());  // both hands full: dropped
    EXPECT_EQ(m_spBoss->GetItemInHand(0), apple.Get());
    EXPECT_EQ(m_spBoss->GetItemInHand(1), brush.Get());
    EXPECT_EQ(apple->GetRefCount(), refs + 1);
    EXPECT_FALSE(apple->IsOnTable());
    EXPECT_TRUE(extra->IsOnTable());
    EXPECT_EQ(m_spBoss->GetNumItems(), 2);
    EXPECT_EQ(m_spBoss->GetNumItemsFree(), 0);
    EXPECT_EQ(m_spBoss->GetImageCode(), DelvorBoss::IMAGE_WALK_FRONT_CARRY);
    EXPECT_TRUE(m_spBoss->IsHolding(brush.Get()));
    EXPECT_FALSE(m_spBoss->IsHolding(extra.Get()));
    std::string name = "unchanged";
    m_spBoss->GetItemName(1, name);
    EXPECT_EQ(name, "ITEM_BRUSH");

    // The same item in both hands leaves the second hand first.
    m_spBoss->RemoveItem(brush.Get());
    m_spBoss->AddItem(apple.Get());
    m_spBoss->RemoveItem(apple.Get());
    EXPECT_EQ(m_spBoss->GetItemInHand(0), apple.Get());
    EXPECT_EQ(m_spBoss->GetItemInHand(1), nullptr);
    m_spBoss->RemoveItem(extra.Get());  // not held: nothing
    EXPECT_EQ(m_spBoss->GetNumItems(), 1);
    m_spBoss->RemoveItem(std::string("ITEM_APPLE"));
    EXPECT_EQ(m_spBoss->GetNumItems(), 0);
    EXPECT_EQ(apple->GetRefCount(), refs);
    name = "unchanged";
    m_spBoss->GetItemName(0, name);
    EXPECT_EQ(name, "unchanged");

    m_spBoss->AddItem(apple.Get());
    m_spBoss->AddToStack(brush.Get());
    EXPECT_TRUE(m_spBoss->IsItemAlreadyInQueueOrInHands(apple.Get()));
    EXPECT_TRUE(m_spBoss->IsItemAlreadyInQueueOrInHands(brush.Get()));
    EXPECT_FALSE(m_spBoss->IsItemAlreadyInQueueOrInHands(extra.Get()));
    m_spBoss->ClearItems();
    EXPECT_EQ(m_spBoss->GetNumItems(), 0);
    EXPECT_EQ(m_spBoss->GetImageCode(), DelvorBoss::IMAGE_STANDING_EMPTY);
}

TEST_F(Boss, DeliveryHandsTheSecondHandFirstWithOneSound) {
    struct Case {
        bool twoHanded;
        size_t handed;
    };
    for (const Case c : {Case{false, 1}, Case{true, 2}}) {
        ZQ2::SmartPtr<DelvorBoss> boss(c.twoHanded ? new TwoHanded() : new DelvorBoss(0.0f, 300.0f, nullptr));
        auto first = Item("ITEM_APPLE", boss.Get());
        auto second = Item("ITEM_WATER", boss.Get());
        boss->AddItem(first.Get());
        boss->AddItem(second.Get());
        gametest::SoundLog::asked.clear();
        ZQ2::SmartPtr<FakeTarget> target(new FakeTarget());
        EXPECT_TRUE(boss->UseItem(target.Get()));
        ASSERT_EQ(target->m_Taken.size(), c.handed) << c.twoHanded;
        EXPECT_EQ(target->m_Taken[0], second.Get());
        if (c.handed == 2) {
            EXPECT_EQ(target->m_Taken[1], first.Get());
        }
        EXPECT_EQ(target->m_sCalls, "start end");
        EXPECT_EQ(Played("SOUND_DOVIDI_DELIVER"), 1);
        EXPECT_EQ(boss->GetItemsUsed(), static_cast<int>(c.handed));
        EXPECT_EQ(boss->GetNumItems(), 2 - static_cast<int>(c.handed));
    }
    // A target that takes nothing, and none at all.
    auto apple = Item("ITEM_APPLE");
    m_spBoss->AddItem(apple.Get());
    gametest::SoundLog::asked.clear();
    ZQ2::SmartPtr<FakeTarget> refuses(new FakeTarget());
    refuses->m_bAccepts = false;
    EXPECT_FALSE(m_spBoss->UseItem(refuses.Get()));
    EXPECT_FALSE(m_spBoss->UseItem(nullptr));
    EXPECT_EQ(m_spBoss->GetNumItems(), 1);
    EXPECT_EQ(Played("SOUND_DOVIDI_DELIVER"), 0);
}

TEST_F(Boss, PickupStopsAtAnUnreadyItemUntilTheDayIsOver) {
    auto apple = Item("ITEM_APPLE");
    auto late = Item("ITEM_BRUSH");
    late->m_bReady = false;
    auto third = Item("ITEM_WATER");
    m_spBoss->AddToStack(apple.Get());
    m_spBoss->AddToStack(late.Get());
    m_spBoss->PickupItemsInQueue();
    EXPECT_EQ(m_spBoss->GetItemInHand(0), apple.Get());
    ASSERT_EQ(m_spBoss->GetStack().size(), 1);
    EXPECT_EQ(m_spBoss->GetStack()[0], late.Get());
    EXPECT_EQ(Played("SOUND_DOVIDI_PICKUP_ITEM"), 1);

    // Not standing in the home area: nothing is picked up.
    late->m_bReady = true;
    m_spBoss->SetState(DelvorCharacter::STATE_ELSEWHERE);
    m_spBoss->PickupItemsInQueue();
    EXPECT_EQ(m_spBoss->GetNumItems(), 1);
    m_spBoss->SetState(DelvorCharacter::STATE_HOME);

    // From game state 11 on the queue empties whole: what cannot be picked
    // up takes its hand's turn, and what the hands no longer reach is dropped.
    late->m_bReady = false;
    m_spBoss->AddToStack(third.Get());
    m_pHarness->Level()->SetGameState(SceneGame::STATE_DOVIDI_GOING_HOME);
    m_spBoss->PickupItemsInQueue();
    EXPECT_TRUE(m_spBoss->GetStack().empty());
    EXPECT_EQ(m_spBoss->GetNumItems(), 1);
    m_spBoss->ClearItems();
    m_spBoss->AddToStack(third.Get());
    m_spBoss->PickupItemsInQueue();
    EXPECT_TRUE(m_spBoss->GetStack().empty());
    EXPECT_EQ(m_spBoss->GetItemInHand(0), third.Get());
}

TEST_F(Boss, ItemsInHandsAreHiddenFromBehindAndLayeredByFacing) {
    auto first = Item("ITEM_APPLE");
    auto second = Item("ITEM_WATER");
    first->m_pPicture = m_Pictures.Get("ITEM_APPLE");
    m_spBoss->AddItem(first.Get());
    m_spBoss->UpdateItemsInHands(DelvorBoss::IMAGE_WALK_FRONT_CARRY, false);
    ZQ2::Sprite* hand0 = m_spBoss->GetHandSprite(0);
    ASSERT_NE(hand0, nullptr);
    EXPECT_EQ(hand0->GetParent(), m_spBoss.Get());
    EXPECT_TRUE(hand0->IsVisible());
    EXPECT_EQ(hand0->GetImage(), first->m_pPicture);

    m_spBoss->AddItem(second.Get());
    m_spBoss->UpdateItemsInHands(DelvorBoss::IMAGE_WALK_SIDE_CARRY, true);
    ZQ2::Sprite* hand1 = m_spBoss->GetHandSprite(1);
    ASSERT_NE(hand1, nullptr);
    EXPECT_EQ(hand0->GetNextSibling(), hand1);  // facing left: hand 1 in front
    m_spBoss->UpdateItemsInHands(DelvorBoss::IMAGE_WALK_SIDE_CARRY, false);
    EXPECT_EQ(hand1->GetNextSibling(), hand0);
    EXPECT_EQ(m_spBoss->GetHandSprite(0), hand0);  // the sprites are kept

    m_spBoss->UpdateItemsInHands(DelvorBoss::IMAGE_WALK_BACK_CARRY, false);
    EXPECT_FALSE(hand0->IsVisible());
    EXPECT_FALSE(hand1->IsVisible());

    m_spBoss->RemoveItem(first.Get());
    m_spBoss->UpdateItemsInHands(DelvorBoss::IMAGE_WALK_FRONT_CARRY, false);
    EXPECT_EQ(m_spBoss->GetHandSprite(0), nullptr);
    EXPECT_TRUE(hand1->IsVisible());
}

TEST_F(Boss, CheckMarksSitOnBookedItemsAndStepAsideForASecondBooking) {
    auto apple = Item("ITEM_APPLE");
    auto brush = Item("ITEM_BRUSH");
    m_spBoss->AddToStack(apple.Get());
    m_spBoss->AddToStack(apple.Get());
    ASSERT_EQ(m_spBoss->GetCheckMarks().size(), 2);
    const ZQ2::Sprite* first = m_spBoss->GetCheckMarks()[0].Get();
    const ZQ2::Sprite* second = m_spBoss->GetCheckMarks()[1].Get();
    EXPECT_EQ(first->GetParent(), apple.Get());
    EXPECT_EQ(first->GetX(), 3.0f);
    EXPECT_EQ(first->GetY(), -8.0f);
    EXPECT_EQ(second->GetX(), 9.0f);
    EXPECT_EQ(second->GetY(), -7.0f);
    EXPECT_EQ(first->GetImage(), m_Pictures.Get("OBJ_CHECKMARK"));

    ZQ2::SmartPtr<ZQ2::Sprite> old = m_spBoss->GetCheckMarks()[0];
    m_spBoss->RemoveFromStack(0);
    m_spBoss->AddToStack(brush.Get());
    EXPECT_TRUE(old->IsObsolete());
    ASSERT_EQ(m_spBoss->GetCheckMarks().size(), 2);
    EXPECT_EQ(m_spBoss->GetCheckMarks()[0]->GetX(), 3.0f);
    EXPECT_EQ(m_spBoss->GetCheckMarks()[1]->GetParent(), brush.Get());
}

TEST_F(Boss, HomeAndTableSpotsAreExactAndIncludeTheFigureHeight) {
    m_Pictures.Define("BOSS_PICTURE", 20, 50, 1);
    m_spBoss->SetupCharacter("BOSS_PICTURE", 300.0f, 100.0f, 140);
    EXPECT_EQ(m_spBoss->GetWalkSpeed(), 140);
    EXPECT_EQ(m_spBoss->GetHomePosition().y, 150.0f);
    int x = -7;
    int y = -7;
    m_spBoss->GetTableXY(DelvorBoss::TABLE_TOOLS, x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 250);
    m_spBoss->GetTableXY(DelvorBoss::TABLE_FOOD, x, y);
    EXPECT_EQ(x, 500);
    EXPECT_EQ(y, 260);
    x = -7;
    m_spBoss->GetTableXY(DelvorBoss::TABLE_HOME, x, y);
    EXPECT_EQ(x, -7);

    m_spBoss->PutBossInHomePosition();
    EXPECT_TRUE(m_spBoss->IsInHomePosition());
    EXPECT_TRUE(m_spBoss->SkipUseItem());
    EXPECT_EQ(m_spBoss->GetCurrentTable(), DelvorBoss::TABLE_HOME);
    m_spBoss->SetX(300.5f);
    EXPECT_FALSE(m_spBoss->IsInHomePosition());
    EXPECT_EQ(m_spBoss->GetCurrentTable(), DelvorBoss::TABLE_ELSEWHERE);
    m_spBoss->SetLocation(500.0f, 260.0f);
    EXPECT_TRUE(m_spBoss->IsAtTable(DelvorBoss::TABLE_FOOD));
    EXPECT_FALSE(m_spBoss->IsAtTable(DelvorBoss::TABLE_TOOLS));
}

TEST_F(Boss, AWonDayJumpsFivePixelsThroughTheWinFramesAndLands) {
    m_pHarness->Level()->SetGameState(SceneGame::STATE_END_STAGE);
    m_Pictures.Define("WIN", 10, 10, 3);
    m_spBoss->SetImage(m_Pictures.Get("WIN"));
    m_spBoss->SetLocation(200.0f, 300.0f);
    ZQ2::SmartPtr<ZQ2::ModifierContainer> container(new ZQ2::ModifierContainer(std::string(), false));
    ZQ2::AnimTree::LinkNodeUnder(m_pHarness->Level()->GetAnimContainer(), container.Get());
    m_spBoss->DoWinLossAnimation(container.Get(), true);
    EXPECT_EQ(m_spBoss->GetImageCode(), DelvorBoss::IMAGE_WIN);
    ASSERT_NE(m_spBoss->GetWalkModifier(), nullptr);
    // Up within the first pause of at most a second, down after three frames of 100 ms.
    int frames = 0;
    while (m_spBoss->GetY() == 300.0f && frames < 100) {
        m_pHarness->Step(1);
        ++frames;
    }
    ASSERT_EQ(m_spBoss->GetY(), 295.0f);
    ASSERT_NE(m_spBoss->GetShadow(), nullptr);
    EXPECT_EQ(m_spBoss->GetShadow()->GetY(), 290.0f);  // still on the ground
    int lastFrame = 0;
    frames = 0;
    while (m_spBoss->GetY() == 295.0f && frames < 100) {
        lastFrame = std::max(lastFrame, m_spBoss->GetCurrentFrame());
        m_pHarness->Step(1);
        ++frames;
    }
    EXPECT_EQ(m_spBoss->GetY(), 300.0f);
    EXPECT_EQ(lastFrame, 2);
    EXPECT_GE(frames, 17);
    EXPECT_LE(frames, 21);
    // It jumps again after the next pause, until ended; then it is at home.
    m_Pictures.Define("HOME", 10, 10, 1);
    m_spBoss->SetupCharacter("HOME", 20.0f, 30.0f, 100);
    m_spBoss->EndWinLossAnimation();
    EXPECT_EQ(m_spBoss->GetWalkModifier(), nullptr);
    EXPECT_TRUE(m_spBoss->IsInHomePosition());
    container->SetObsolete(true);
}

TEST_F(Boss, ItsConstantAnswers) {
    EXPECT_TRUE(m_spBoss->IsBoss());
    EXPECT_EQ(m_spBoss->GetMaxItems(), 2);
    EXPECT_EQ(m_spBoss->GetBossLocation(), -1);
    m_spBoss->SetBossActivity(3);
    EXPECT_EQ(m_spBoss->GetBossActivity(), 0);
    EXPECT_FALSE(m_spBoss->IsWaitingForItemGeneration());
    std::string shadow;
    m_spBoss->GetShadowImage(shadow);
    EXPECT_EQ(shadow, "SHADOW_VURU");
    EXPECT_NE(m_spBoss->QueryInterface(ZQ2::iInputListener::rtti), nullptr);
    EXPECT_NE(m_spBoss->QueryInterface(ZQ2::iGuiMethod::rtti), nullptr);
}

TEST_F(Boss, AWalkEndingAtHomeEmptyHandedStartsTheIdleCycleAndElsewhereStopsIt) {
    m_Pictures.Define("BOSS_PICTURE", 20, 50, 1);
    m_spBoss->SetupCharacter("BOSS_PICTURE", 300.0f, 100.0f, 140);
    m_spBoss->PutBossInHomePosition();
    EXPECT_TRUE(m_spBoss->DoWalkFinished());
    EXPECT_NE(m_spBoss->GetIdleModifier(), nullptr);
    EXPECT_EQ(m_spBoss->GetState(), DelvorCharacter::STATE_HOME);

    // Away from home it loses the cycle and heads home from where it stands.
    m_spBoss->SetLocation(200.0f, 400.0f);
    EXPECT_TRUE(m_spBoss->DoWalkFinished());
    EXPECT_EQ(m_spBoss->GetIdleModifier(), nullptr);
    EXPECT_EQ(m_spBoss->GetState(), DelvorCharacter::STATE_WALKING);
    for (int i = 0; i < 600 && m_spBoss->GetState() == DelvorCharacter::STATE_WALKING; ++i)
        m_pHarness->Step(1);
    EXPECT_TRUE(m_spBoss->IsInHomePosition());
}
