// Items on the site tables: what their names make of them, their picture
// and glow, and what a click on one asks of the carrier in each of her
// situations, with the sound each answer plays.
#include "source/game/DelvorItem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/sprite/GameTree.h"
#include "source/game/Dovidi.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/DelvorUpgrade.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/GameHarness.h"
#include "tests/source/game/ItemTestSupport.h"

using gametest::LevelHarness;
using gametest::SoundLog;
using gametest::Var;
using itemtest::Carrier;
using itemtest::NamedPictures;

namespace {

const char* const kClick = "delvor/SOUND_INGAME_CLICK";
const char* const kFail = "delvor/SOUND_CHOOSE_FAIL";
const char* const kPickup = "delvor/SOUND_DOVIDI_PICKUP_ITEM";
const char* const kDiscard = "delvor/SOUND_DOVIDI_DISCARD";

ZQ2::SmartPtr<DelvorItem> NamedItem(const std::string& name) {
    ZQ2::SmartPtr<DelvorItem> item(new DelvorItem(0.0f, 0.0f, nullptr, nullptr, nullptr));
    item->SetName(name);
    return item;
}

struct NameCase {
    const char* sName;
    int iType;
    int iTable;
    const char* sPicture;
    std::vector<std::pair<int, int>> Answers;  // (request, level) pairs it matches
};

}  // namespace

TEST(DelvorItemNames, TypeTablePictureAndRequestsFollowTheName) {
    const NameCase cases[] = {
        {"ITEM_SIFTER", DelvorItem::TYPE_SIFTER, 2, "OBJ_SIFTER", {{4, 0}}},
        {"ITEM_BRUSH", DelvorItem::TYPE_BRUSH, 2, "OBJ_BRUSH", {{5, 0}}},
        {"ITEM_BOTTLE", DelvorItem::TYPE_BOTTLE, 2, "OBJ_BOTTLE", {{6, 0}, {7, 0}}},
        {"ITEM_MEDICINE", DelvorItem::TYPE_MEDICINE, 2, "OBJ_MEDICINE", {{10, 0}}},
        {"ITEM_CANTEEN2", DelvorItem::TYPE_CANTEEN, 3, "OBJ_CANTEEN", {{9, 102}}},
        {"ITEM_SANDWICH", DelvorItem::TYPE_SANDWICH, 3, "OBJ_SANDWICH", {{8, 101}}},
        {"ITEM_APPLE_3", DelvorItem::TYPE_APPLE, 3, "OBJ_APPLE", {{8, 100}}},
        // A suffix is fine for food only: tools answer by their exact name.
        {"ITEM_SIFTER2", DelvorItem::TYPE_SIFTER, 2, "OBJ_SIFTER", {}},
        {"ITEM_BIN_COOKIE", DelvorItem::TYPE_NONE, -1, "", {}},
        {"ITEM", DelvorItem::TYPE_NONE, -1, "", {}},
    };
    const std::pair<int, int> asked[] = {{4, 0},  {5, 0},   {6, 0},   {7, 0},   {8, 100}, {8, 101},
                                         {8, 102}, {9, 102}, {9, 100}, {10, 0},  {3, 0},   {11, 100}};
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.sName);
        ZQ2::SmartPtr<DelvorItem> item = NamedItem(c.sName);
        EXPECT_EQ(DelvorItem::GetTypeFromName(c.sName), c.iType);
        EXPECT_EQ(item->GetTable(), c.iTable);
        std::string picture;
        item->GetDefaultItemImage(picture);
        EXPECT_EQ(picture, c.sPicture);
        for (const auto& [request, level] : asked) {
            const bool expected = std::find(c.Answers.begin(), c.Answers.end(), std::make_pair(request, level)) !=
                                  c.Answers.end();
            EXPECT_EQ(item->MatchesRequest(request, level), expected) << request << "/" << level;
        }
        std::string prefix = "unchanged";
        DelvorItem::GetNameFromType(c.iType, prefix);
        if (c.iType == DelvorItem::TYPE_NONE)
            EXPECT_EQ(prefix, "unchanged");
        else
            EXPECT_EQ(std::string(c.sName).rfind(prefix, 0), 0u);
    }
}

TEST(DelvorItemNames, UpgradedPicturesExceptForBottleAndMedicine) {
    EXPECT_EQ(DelvorItem::GetUpgradedImageKey(DelvorItem::TYPE_SIFTER, 2), "OBJ_SIFTER_UP2");
    EXPECT_EQ(DelvorItem::GetUpgradedImageKey(DelvorItem::TYPE_APPLE, 1), "OBJ_APPLE_UP1");
    EXPECT_EQ(DelvorItem::GetUpgradedImageKey(DelvorItem::TYPE_CANTEEN, 0), "OBJ_CANTEEN");
    EXPECT_EQ(DelvorItem::GetUpgradedImageKey(DelvorItem::TYPE_BOTTLE, 2), "OBJ_BOTTLE");
    EXPECT_EQ(DelvorItem::GetUpgradedImageKey(DelvorItem::TYPE_MEDICINE, 1), "OBJ_MEDICINE");
    EXPECT_EQ(DelvorItem::GetUpgradedImageKey(DelvorItem::TYPE_NONE, 1), "");
    NamedPictures pictures;
    EXPECT_EQ(NamedItem("ITEM_THING")->GetUpgradedImage(), nullptr);
}

namespace {

class ItemClicks : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        m_pHarness = std::make_unique<LevelHarness>(Var("total_seconds", 600));
        SceneGame* level = m_pHarness->Level();
        m_spCarrier = new Carrier();
        ZQ2::GameTree::LinkNodeUnder(level, m_spCarrier.Get());
        level->SetCharacters(level->GetVuru(), m_spCarrier.Get(), nullptr);
        m_spTable = new ZQ2::Sprite(100.0f, 100.0f, nullptr);
        m_spTable->SetName("TABLE_COOKIE");
        ZQ2::GameTree::LinkNodeUnder(level, m_spTable.Get());
        m_spApple = Put("ITEM_APPLE");
        m_spBin = Put("ITEM_BIN_COOKIE");
        ASSERT_TRUE(m_pHarness->OpenDay());
        SoundLog::asked.clear();
    }
    ZQ2::SmartPtr<DelvorItem> Put(const std::string& name) {
        ZQ2::SmartPtr<DelvorItem> item(new DelvorItem(itemtest::SiteNode("DelvorItem", name, "X", 10.0f, 5.0f)));
        ZQ2::GameTree::LinkNodeUnder(m_spTable.Get(), item.Get());
        return item;
    }
    std::vector<std::string> Sounds() const { return SoundLog::asked; }
    const ZQ2::ZQVector<ClickObject*>& Queue() const { return m_spCarrier->GetStack(); }

    NamedPictures m_Pictures;
    std::unique_ptr<LevelHarness> m_pHarness;
    ZQ2::SmartPtr<Carrier> m_spCarrier;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spTable;
    ZQ2::SmartPtr<DelvorItem> m_spApple;
    ZQ2::SmartPtr<DelvorItem> m_spBin;
};

}  // namespace

TEST_F(ItemClicks, PictureAboveAGlowThatLightsOnlyForAHighlightedItem) {
    ZQ2::Sprite* picture = m_spApple->GetPictureSprite();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetParent(), m_spApple.Get());
    // The item's own kind picks the picture, not the data's image.
    EXPECT_EQ(NamedPictures::NameOf(picture->GetImage()), "OBJ_APPLE");
    EXPECT_EQ(m_spApple->GetItemImage(), picture->GetImage());
    EXPECT_EQ(NamedPictures::NameOf(m_spApple->GetImage()), "OBJ_HIGHLIGHT");
    m_spApple->SetHighlightState(true);
    EXPECT_EQ(m_spApple->GetCurrentFrame(), 1);
    m_spApple->SetHighlightState(false);
    EXPECT_EQ(m_spApple->GetCurrentFrame(), 0);

    // An unknown kind keeps the data's picture.
    ZQ2::SmartPtr<DelvorItem> thing = Put("ITEM_THING");
    EXPECT_EQ(NamedPictures::NameOf(thing->GetItemImage()), "X");

    ZQ2::SmartPtr<ZQ2::PropertyNode> plain = itemtest::SiteNode("DelvorItem", "ITEM_BRUSH", "X", 0.0f, 0.0f);
    plain->InsertBoolean("highlight", false, true);
    ZQ2::SmartPtr<DelvorItem> brush(new DelvorItem(plain.Get()));
    EXPECT_FALSE(brush->HasHighlight());
    EXPECT_EQ(brush->GetPictureSprite(), nullptr);
    EXPECT_EQ(brush->GetFirstChild(), nullptr);
    EXPECT_EQ(NamedPictures::NameOf(brush->GetImage()), "X");
    brush->SetHighlightState(true);
    EXPECT_EQ(brush->GetCurrentFrame(), 0);
}

TEST_F(ItemClicks, AnOwnedUpgradeGivesTheUpgradedPictureButNotToTheBottle) {
    ZQ2::SmartPtr<DelvorUpgrade> sifter(new DelvorUpgrade(itemtest::SiteNode("DelvorUpgrade", "sift2", "", 0, 0)));
    sifter->SetType(8);
    DVUpgradeHandler::g_Instance->AddUpgradeToMasterList(sifter.Get());
    DVUpgradeHandler::g_Instance->AcquireUpgrade("sift2", 1, 2);
    EXPECT_EQ(NamedPictures::NameOf(Put("ITEM_SIFTER")->GetItemImage()), "OBJ_SIFTER_UP2");
    EXPECT_EQ(NamedPictures::NameOf(Put("ITEM_BOTTLE")->GetItemImage()), "OBJ_BOTTLE");
    EXPECT_EQ(NamedPictures::NameOf(Put("ITEM_BRUSH")->GetItemImage()), "OBJ_BRUSH");
}

TEST_F(ItemClicks, TakenOffTheTableTheItemHidesAndItsGlowGoesOut) {
    m_spApple->SetHighlightState(true);
    m_spApple->SetOnTable(false);
    EXPECT_FALSE(m_spApple->IsOnTable());
    EXPECT_FALSE(m_spApple->IsVisible());
    EXPECT_EQ(m_spApple->GetCurrentFrame(), 0);
    m_spApple->SetOnTable(true);
    EXPECT_TRUE(m_spApple->IsVisible());
}

TEST_F(ItemClicks, TheCarrierIsTheLevelsDovidiAndIsAvailableWhileNotWalking) {
    EXPECT_EQ(m_spApple->GetBoss(), m_spCarrier.Get());
    EXPECT_EQ(m_spApple->GetActionObject(), m_spCarrier.Get());
    EXPECT_TRUE(m_spApple->IsAvailable());
    m_spCarrier->SetState(DelvorCharacter::STATE_WALKING);
    EXPECT_FALSE(m_spApple->IsAvailable());
    EXPECT_EQ(Put("ITEM_THING")->GetBoss(), nullptr);
}

TEST_F(ItemClicks, ABusyCarrierQueuesTheItemOnceAndRefusesItAfterwards) {
    m_spCarrier->m_iActivity = 2;
    EXPECT_FALSE(m_spApple->DoPickupItem());
    ASSERT_EQ(Queue().size(), 1);
    EXPECT_EQ(Queue()[0], m_spApple.Get());
    EXPECT_FALSE(m_spApple->DoPickupItem());
    EXPECT_EQ(Queue().size(), 1);
    EXPECT_EQ(Sounds(), (std::vector<std::string>{kClick, kFail}));
    EXPECT_TRUE(m_spCarrier->m_Walks.empty());
}

TEST_F(ItemClicks, AnIdleCarrierWalksToTheItemsTableWaitsForItOrTakesIt) {
    // Elsewhere: booked, and off to the food table.
    EXPECT_FALSE(m_spApple->DoPickupItem());
    EXPECT_EQ(Queue().size(), 1);
    EXPECT_EQ(m_spCarrier->m_Walks, std::vector<std::string>{"table 3"});
    EXPECT_EQ(Sounds(), std::vector<std::string>{kClick});

    // At the table while the item is still being made: she waits for it.
    m_spCarrier->m_iAtTable = 3;
    m_spApple->SetOnTable(false);
    SoundLog::asked.clear();
    EXPECT_FALSE(m_spApple->DoPickupItem());
    EXPECT_EQ(m_spCarrier->m_iActivity, 3);
    EXPECT_TRUE(Sounds().empty());

    m_spCarrier->m_iActivity = 0;
    m_spApple->SetOnTable(true);
    EXPECT_TRUE(m_spApple->DoPickupItem());
    EXPECT_EQ(Sounds(), std::vector<std::string>{kPickup});

    // No free hand: refused aloud, nothing booked or walked.
    m_spCarrier->m_iFree = 0;
    SoundLog::asked.clear();
    EXPECT_FALSE(Put("ITEM_SANDWICH")->DoPickupItem());
    EXPECT_EQ(Sounds(), std::vector<std::string>{kFail});
    EXPECT_EQ(m_spCarrier->m_Walks.size(), 1);
}

TEST_F(ItemClicks, OnceTheDayIsOverItemsAreNoLongerTakenAndNothingPlays) {
    m_pHarness->Level()->SetGameState(SceneGame::STATE_DOVIDI_GOING_HOME);
    // Entering the state sent her home by way of the bin; nothing after it
    // adds to her queue or plays.
    const size_t queued = Queue().size();
    SoundLog::asked.clear();
    m_spCarrier->m_iAtTable = 3;
    EXPECT_FALSE(m_spApple->DoPickupItem());
    m_spCarrier->m_iActivity = 2;
    EXPECT_FALSE(m_spApple->DoPickupItem());
    EXPECT_EQ(Queue().size(), queued);
    EXPECT_TRUE(Sounds().empty());
}

TEST_F(ItemClicks, TheBinEmptiesHerHandsAtHomeOrSendsHerHome) {
    EXPECT_TRUE(m_spBin->IsBin());
    EXPECT_TRUE(m_spBin->HasRolloverHighlight());
    EXPECT_FALSE(m_spApple->HasRolloverHighlight());

    // Elsewhere: the bin is booked and she heads home, facing it.
    EXPECT_TRUE(m_spBin->DoPickupItem());
    EXPECT_EQ(Queue().size(), 1);
    EXPECT_EQ(m_spCarrier->m_Walks, std::vector<std::string>{"spot 520,310 facing 1,0"});

    // At home with something in her hands: discarded aloud.
    m_spCarrier->RemoveFromStack(0);
    m_spCarrier->m_bHome = true;
    m_spCarrier->m_iFree = 1;
    SoundLog::asked.clear();
    EXPECT_TRUE(m_spBin->DoPickupItem());
    EXPECT_EQ(Sounds(), std::vector<std::string>{kDiscard});
    m_spCarrier->m_iFree = 2;
    SoundLog::asked.clear();
    EXPECT_TRUE(m_spBin->DoPickupItem());
    EXPECT_TRUE(Sounds().empty());

    // Busy: booked once, then refused.
    m_spCarrier->m_iActivity = 2;
    m_spBin->DoPickupItem();
    m_spBin->DoPickupItem();
    EXPECT_EQ(Sounds(), (std::vector<std::string>{kClick, kFail}));
    EXPECT_EQ(Queue().size(), 1);
}
