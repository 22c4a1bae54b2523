// The cook and the toolmaker: taken items are made again one after another
// in the order they were taken, thrown along their arc back onto their
// table, a carrier waiting at the table is woken, and the cook's idle and
// end-of-day animations.
#include "source/game/DelvorGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/PropertyValue.h"
#include "engine/sprite/GameTree.h"
#include "source/game/DelvorItem.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/UpgradeTestSupport.h"
#include "tests/source/GameHarness.h"
#include "tests/source/game/ItemTestSupport.h"

using gametest::LevelHarness;
using gametest::SoundLog;
using gametest::Var;
using itemtest::Carrier;
using itemtest::NamedPictures;

namespace {

void SetConstant(const std::string& key, int value) {
    ZQ2::SmartPtr<ZQ2::PropertyValue> constant(new ZQ2::PropertyValue(key, value));
    ZQ2::BasicProperties::OnInteger(constant.Get());
}

class Generators : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        m_pHarness = std::make_unique<LevelHarness>(Var("total_seconds", 600));
        // Work: 2 frames of 50 ms, twice; the toolmaker's loop count is
        // missing from the data and counts as one pass.
        SetConstant("COOKIE_GENERATOR_FRAMESPEED", 50);
        SetConstant("COOKIE_GENERATOR_NUMLOOPS", 2);
        SetConstant("TOOLMAKER_GENERATOR_FRAMESPEED", 40);
        SetConstant("TIME_ITEM_GENERATOR_FLIGHT", 160);
        SetConstant("TIME_COOKIE_IDLE_FRAMESPEED", 100);
        SetConstant("COOKIE_WINLOSS_FRAMESPEED", 100);
        SetConstant("TIME_IDLE_ANIMATION_MIN", 5000);
        SetConstant("TIME_IDLE_ANIMATION_MAX", 6000);
        SceneGame* level = m_pHarness->Level();
        m_spFoodTable = Table("TABLE_COOKIE", 100.0f, 200.0f);
        m_spToolTable = Table("TABLE_DOVIDI", 500.0f, 200.0f);
        m_spCook = new DelvorGenerator(itemtest::SiteNode("DelvorGenerator", "COOKIE", "COOKIE_DEFAULT", 300.0f, 250.0f));
        ZQ2::GameTree::LinkNodeUnder(level, m_spCook.Get());
        m_spToolmaker =
            new DelvorGenerator(itemtest::SiteNode("DelvorGenerator", "TOOLMAKER", "TOOLMAKER_DEFAULT", 60.0f, 40.0f));
        ZQ2::GameTree::LinkNodeUnder(m_spToolTable.Get(), m_spToolmaker.Get());
        m_spCarrier = new Carrier();
        ZQ2::GameTree::LinkNodeUnder(level, m_spCarrier.Get());
        level->SetCharacters(level->GetVuru(), m_spCarrier.Get(), nullptr);
        m_spApple = Put(m_spFoodTable.Get(), "ITEM_APPLE", 10.0f, 5.0f, m_spCook.Get());
        m_spSandwich = Put(m_spFoodTable.Get(), "ITEM_SANDWICH", 30.0f, 5.0f, m_spCook.Get());
        m_spSifter = Put(m_spToolTable.Get(), "ITEM_SIFTER", 120.0f, 5.0f, m_spToolmaker.Get());
        ASSERT_TRUE(m_pHarness->OpenDay());
        SoundLog::asked.clear();
    }
    void TearDown() override {
        // The level's animations go before its site objects.
        if (m_spCook)
            m_spCook->ClearIdleModifier();
        // Items and their generator hold each other while one is queued.
        for (DelvorItem* item : {m_spApple.Get(), m_spSandwich.Get(), m_spSifter.Get()})
            if (item)
                item->SetGenerator(nullptr);
    }
    ZQ2::SmartPtr<ZQ2::Sprite> Table(const char* name, float x, float y) {
        ZQ2::SmartPtr<ZQ2::Sprite> table(new ZQ2::Sprite(x, y, nullptr));
        table->SetName(name);
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), table.Get());
        return table;
    }
    ZQ2::SmartPtr<DelvorItem> Put(ZQ2::Sprite* table, const char* name, float x, float y, DelvorGenerator* maker) {
        ZQ2::SmartPtr<DelvorItem> item(new DelvorItem(itemtest::SiteNode("DelvorItem", name, "X", x, y)));
        ZQ2::GameTree::LinkNodeUnder(table, item.Get());
        item->SetGenerator(maker);
        return item;
    }
    // Frames until the item is back on its table; the frames taken, or -1.
    int StepUntilOnTable(DelvorItem* item, int maxFrames) {
        for (int i = 1; i <= maxFrames; ++i) {
            m_pHarness->Step(1);
            if (item->IsOnTable())
                return i;
        }
        return -1;
    }
    static std::string Shown(const ZQ2::Sprite* sprite) { return NamedPictures::NameOf(sprite->GetImage()); }
    int Played(const std::string& sound) const {
        return static_cast<int>(std::count(SoundLog::asked.begin(), SoundLog::asked.end(), "delvor/" + sound));
    }

    NamedPictures m_Pictures;
    std::unique_ptr<LevelHarness> m_pHarness;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spFoodTable;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spToolTable;
    ZQ2::SmartPtr<DelvorGenerator> m_spCook;
    ZQ2::SmartPtr<DelvorGenerator> m_spToolmaker;
    ZQ2::SmartPtr<Carrier> m_spCarrier;
    ZQ2::SmartPtr<DelvorItem> m_spApple;
    ZQ2::SmartPtr<DelvorItem> m_spSandwich;
    ZQ2::SmartPtr<DelvorItem> m_spSifter;
};

}  // namespace

TEST_F(Generators, TakenItemsAreThrownBackOneAfterAnotherInTheOrderTaken) {
    m_spSandwich->SetOnTable(false);
    m_spApple->SetOnTable(false);
    EXPECT_EQ(m_spCook->GetGeneratorState(), DelvorGenerator::STATE_GENERATING);
    EXPECT_EQ(Shown(m_spCook.Get()), "COOKIE_GENERATE_FOOD");
    ASSERT_EQ(m_spCook->GetNumItemsInQueue(), 2);
    EXPECT_EQ(m_spCook->GetQueuedItem(0), m_spSandwich.Get());
    EXPECT_EQ(Played("SOUND_COOKIE_MAKES_FOOD"), 1);
    // The dust rises over the cook's head, drawn right after the food table.
    ZQ2::Sprite* dust = m_pHarness->Level()->GetCloud(DelvorGenerator::CLOUD_COOKIE);
    ASSERT_NE(dust, nullptr);
    EXPECT_TRUE(dust->IsVisible());
    EXPECT_EQ(dust->GetX(), 300.0f);
    EXPECT_EQ(dust->GetY(), 250.0f - m_spCook->GetHeight());
    EXPECT_EQ(m_spFoodTable->GetNextSibling(), dust);

    // 200 ms of work, then the throw: the sandwich shows up at the cook.
    m_pHarness->Step(14);
    EXPECT_TRUE(m_spSandwich->IsVisible());
    EXPECT_FALSE(m_spSandwich->IsOnTable());
    EXPECT_GT(m_spSandwich->GetX(), 100.0f);

    ASSERT_GT(StepUntilOnTable(m_spSandwich.Get(), 30), 0);
    EXPECT_FALSE(m_spApple->IsOnTable());
    EXPECT_EQ(m_spSandwich->GetX(), 30.0f);
    EXPECT_EQ(m_spSandwich->GetY(), 5.0f);
    // The next job starts at once.
    EXPECT_EQ(m_spCook->GetGeneratorState(), DelvorGenerator::STATE_GENERATING);
    EXPECT_EQ(m_spCook->GetNumItemsInQueue(), 1);
    EXPECT_EQ(Played("SOUND_COOKIE_MAKES_FOOD"), 2);

    ASSERT_GT(StepUntilOnTable(m_spApple.Get(), 40), 0);
    EXPECT_TRUE(m_spApple->IsVisible());
    EXPECT_EQ(m_spApple->GetX(), 10.0f);
    EXPECT_FALSE(m_spCook->AreItemsToBeGenerated());
    EXPECT_EQ(m_spCook->GetGeneratorState(), DelvorGenerator::STATE_IDLE);
    EXPECT_EQ(m_spCook->GetGenerateModifier(), nullptr);
    EXPECT_EQ(Shown(m_spCook.Get()), "COOKIE_DEFAULT");
    EXPECT_FALSE(dust->IsVisible());
}

TEST_F(Generators, TheToolmakerThrowsRightAndAMissingLoopCountStillEnds) {
    m_spSifter->SetOnTable(false);
    EXPECT_EQ(Played("SOUND_TOOLMAKER_MAKE_TOOL"), 1);
    EXPECT_EQ(Shown(m_spToolmaker.Get()), "TOOLMAKER_GENERATE_TOOLS");
    // From the top middle of the toolmaker (60 + 4, 40 - 10), over an arc
    // 30 high, to the sifter's own place.
    const ZQ2::PolygonF* path = m_spToolmaker->GetPath();
    ASSERT_NE(path, nullptr);
    EXPECT_FALSE(path->IsClosed());
    ASSERT_EQ(path->GetCount(), 4);
    const float expected[4][2] = {{64.0f, 30.0f}, {64.0f + 22.4f, 0.0f}, {64.0f + 33.6f, 0.0f}, {120.0f, 5.0f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(path->Get(i).x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(path->Get(i).y, expected[i][1]) << i;
    }
    // Its dust rises from its place on the tool table, in screen terms.
    ZQ2::Sprite* dust = m_pHarness->Level()->GetCloud(DelvorGenerator::CLOUD_TOOLMAKER);
    ASSERT_NE(dust, nullptr);
    EXPECT_EQ(dust->GetX(), 560.0f);
    EXPECT_EQ(dust->GetY(), 240.0f - m_spToolmaker->GetHeight());
    EXPECT_EQ(m_spToolTable->GetNextSibling(), dust);
    EXPECT_GT(StepUntilOnTable(m_spSifter.Get(), 30), 0);
    EXPECT_EQ(m_spToolmaker->GetGeneratorState(), DelvorGenerator::STATE_IDLE);
    EXPECT_EQ(Shown(m_spToolmaker.Get()), "TOOLMAKER_DEFAULT");
}

TEST_F(Generators, TheCookThrowsLeftFromHisShoulderInTheTablesFrame) {
    m_spCook->GeneratePolyPath(m_spApple.Get());
    const ZQ2::PolygonF* path = m_spCook->GetPath();
    ASSERT_EQ(path->GetCount(), 4);
    // (300 - 100 + 0.25 * 8, 250 - 200 - 0.75 * 10); d = |10 - 202| = 192.
    const float expected[4][2] = {{202.0f, 42.5f}, {202.0f - 76.8f, 12.5f}, {202.0f - 115.2f, 12.5f}, {10.0f, 5.0f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(path->Get(i).x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(path->Get(i).y, expected[i][1]) << i;
    }
}

TEST_F(Generators, AnItemOfTheOtherTableOrNoItemStartsNothing) {
    m_spToolmaker->GenerateItem(m_spApple.Get());
    m_spCook->GenerateItem(m_spSifter.Get());
    m_spCook->GenerateItem(nullptr);
    ZQ2::SmartPtr<DelvorGenerator> stranger(
        new DelvorGenerator(itemtest::SiteNode("DelvorGenerator", "BAKER", "X", 0.0f, 0.0f)));
    stranger->GenerateItem(m_spApple.Get());
    for (DelvorGenerator* generator : {m_spCook.Get(), m_spToolmaker.Get(), stranger.Get()}) {
        EXPECT_EQ(generator->GetNumItemsInQueue(), 0);
        EXPECT_EQ(generator->GetGeneratorState(), DelvorGenerator::STATE_IDLE);
        EXPECT_EQ(generator->GetGenerateModifier(), nullptr);
    }
    EXPECT_TRUE(SoundLog::asked.empty());
    EXPECT_EQ(stranger->GetGeneratorFrameSpeed(), 0);
    EXPECT_EQ(stranger->GetGeneratorNumLoops(), 0);
}

TEST_F(Generators, ACarrierWaitingAtTheTableIsWokenWhenTheItemLands) {
    m_spApple->SetOnTable(false);
    m_spCarrier->m_iActivity = 3;
    ASSERT_GT(StepUntilOnTable(m_spApple.Get(), 40), 0);
    EXPECT_EQ(m_spCarrier->m_iWalksFinished, 1);

    // Not waiting: left alone.
    m_spSandwich->SetOnTable(false);
    ASSERT_GT(StepUntilOnTable(m_spSandwich.Get(), 40), 0);
    EXPECT_EQ(m_spCarrier->m_iWalksFinished, 1);
}

TEST_F(Generators, AnEmptyIdlePauseRangeGivesItsMinimum) {
    SetConstant("TIME_IDLE_ANIMATION_MIN", 300);
    SetConstant("TIME_IDLE_ANIMATION_MAX", 100);
    m_spCook->SetGeneratorState(DelvorGenerator::STATE_IDLE);
    ASSERT_NE(m_spCook->GetIdleModifier(), nullptr);
    EXPECT_EQ(Shown(m_spCook.Get()), "COOKIE_DEFAULT");
    m_pHarness->Step(18);  // 288 ms
    EXPECT_EQ(Shown(m_spCook.Get()), "COOKIE_DEFAULT");
    m_pHarness->Step(2);  // 320 ms
    EXPECT_EQ(Shown(m_spCook.Get()), "COOKIE_IDLE");
    EXPECT_EQ(m_spCook->GetAdjustedIdleFrameSpeed(), 100);
}

TEST_F(Generators, TheCookCelebratesOverAndOverUntilTheLevelEndsItTheToolmakerNever) {
    m_spToolmaker->DoWinLossAnimation(nullptr, true);
    EXPECT_EQ(Shown(m_spToolmaker.Get()), "TOOLMAKER_DEFAULT");
    EXPECT_EQ(m_spToolmaker->GetGenerateModifier(), nullptr);

    m_spCook->DoWinLossAnimation(nullptr, true);
    EXPECT_EQ(Shown(m_spCook.Get()), "COOKIE_WIN");
    // Held, so that its address cannot come back as the new one's.
    const ZQ2::SmartPtr<ZQ2::Modifier> first(m_spCook->GetGenerateModifier());
    ASSERT_NE(first.Get(), nullptr);
    // At most 999 ms of pause and two frames of 100 ms: then it starts over,
    // disappointed now, since the day's goal was not reached.
    m_pHarness->Step(80);
    EXPECT_EQ(Shown(m_spCook.Get()), "COOKIE_LOSE");
    EXPECT_NE(m_spCook->GetGenerateModifier(), nullptr);
    EXPECT_NE(m_spCook->GetGenerateModifier(), first.Get());

    m_spCook->EndWinLossAnimation();
    EXPECT_EQ(Shown(m_spCook.Get()), "COOKIE_DEFAULT");
    EXPECT_EQ(m_spCook->GetGenerateModifier(), nullptr);
    m_pHarness->Step(80);
    EXPECT_EQ(Shown(m_spCook.Get()), "COOKIE_DEFAULT");
    EXPECT_EQ(m_spCook->GetGenerateModifier(), nullptr);
}
TEST_F(Generators, OnceTheDayIsOverTheCarriersPickUpEmptiesHerQueueAndNothingIsMadeAgain) {
    SceneGame* level = m_pHarness->Level();
    ZQ2::SmartPtr<Dovidi> dovidi(new Dovidi(400.0f, 300.0f, nullptr));
    ZQ2::GameTree::LinkNodeUnder(level, dovidi.Get());
    level->SetCharacters(level->GetVuru(), dovidi.Get(), nullptr);
    // Busy walking: both clicks book their item.
    dovidi->SetBossActivity(DelvorBoss::ACTIVITY_WALKING);
    m_spApple->DoPickupItem();
    m_spSifter->DoPickupItem();
    ASSERT_EQ(dovidi->GetStack().size(), 2);

    level->SetGameState(SceneGame::STATE_DOVIDI_GOING_HOME);
    dovidi->SetBossActivity(DelvorBoss::ACTIVITY_NONE);
    dovidi->SetState(DelvorCharacter::STATE_HOME);
    SoundLog::asked.clear();
    dovidi->PickupItemsInQueue();
    EXPECT_TRUE(dovidi->GetStack().empty());
    EXPECT_EQ(dovidi->GetNumItems(), 0);
    EXPECT_TRUE(m_spApple->IsOnTable());
    EXPECT_TRUE(m_spSifter->IsOnTable());
    EXPECT_FALSE(m_spCook->AreItemsToBeGenerated());
    EXPECT_FALSE(m_spToolmaker->AreItemsToBeGenerated());
    EXPECT_EQ(Played("SOUND_DOVIDI_PICKUP_ITEM"), 0);
}

// ---- upgrades

TEST_F(Generators, EachGeneratorUpgradeAddsItsLoopsToItsOwnGeneratorOnly) {
    struct Case {
        int type;
        int effect;
        int cookLoops, toolmakerLoops;
    };
    // Without upgrades: the cook's 2 loops, the toolmaker's missing 0.
    const Case cases[] = {
        {DelvorUpgrade::TYPE_COOKIE, -1, 1, 0},
        {DelvorUpgrade::TYPE_COOKIE, 3, 5, 0},
        {DelvorUpgrade::TYPE_TOOLMAKER, 2, 2, 2},
        {DelvorUpgrade::TYPE_SIFT, -800, 2, 0},
    };
    for (const Case& c : cases) {
        DVUpgradeHandler::g_Instance->RemoveAllBoughtUpgrades(false);
        upgradetest::Own(c.type, c.effect);
        EXPECT_EQ(m_spCook->GetGeneratorNumLoops(), c.cookLoops) << c.type << " " << c.effect;
        EXPECT_EQ(m_spToolmaker->GetGeneratorNumLoops(), c.toolmakerLoops) << c.type << " " << c.effect;
    }
}
