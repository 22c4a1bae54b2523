// Request balloons: the balloon and item pictures chosen for every kind of
// request pair, their layout keys, the upgraded item pictures, and the hole
// the balloon names without keeping it alive.
#include "source/game/DelvorReqBalloon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/io/PropertyNode.h"
#include "source/game/DelvorHole.h"
#include "source/game/DelvorMeter.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "tests/source/GameTestSupport.h"
#include "tests/source/game/NamedPictures.h"

using gametest::NamedPictures;

namespace {

const std::vector<std::string> kWords = {"SHOVEL", "PICK", "VURU", "SIFTER", "BRUSH", "BOTTLE",
                                         "MEDICINE", "APPLE", "SANDWICH", "WATER"};
const std::vector<std::string> kLayouts = {"_ONEP", "_TWOP_LEFT", "_TWOP_RIGHT"};

// Every item position differs: x = 100 word + 10 layout + 1, y = x + 5.
float ItemX(const std::string& word, int layout) {
    for (size_t w = 0; w < kWords.size(); ++w)
        if (kWords[w] == word)
            return static_cast<float>(100 * static_cast<int>(w + 1) + 10 * layout + 1);
    return -1.0f;
}

struct Offset {
    const char* pKey;
    int iX;
    int iY;
};
const std::vector<Offset> kOffsets = {{"VURU_REQBALLOON_LARGE", 11, 12},
                                      {"HOLE_REQBALLOON", 21, 22},
                                      {"DIGGER_REQBALLOON_TWOP", 31, 32},
                                      {"DIGGER_REQBALLOON_LEFT_ONEP", 41, 42},
                                      {"DIGGER_REQBALLOON_RIGHT_ONEP", 51, 52}};

std::string Integer(const std::string& key, int value) {
    return "<Integer id=\"" + key + "\" value=\"" + std::to_string(value) + "\"/>";
}

std::string LayoutXml() {
    std::string xml;
    for (const std::string& word : kWords) {
        for (size_t l = 0; l < kLayouts.size(); ++l) {
            const int x = static_cast<int>(ItemX(word, static_cast<int>(l)));
            const std::string stem = "DIGGER_REQBALLOON_REQ_" + word + kLayouts[l];
            xml += Integer(stem + "_X", x) + Integer(stem + "_Y", x + 5);
        }
    }
    for (const Offset& offset : kOffsets)
        xml += Integer(std::string(offset.pKey) + "_X", offset.iX) + Integer(std::string(offset.pKey) + "_Y", offset.iY);
    return xml;
}

constexpr float kHoleX = 300.0f;
constexpr float kHoleY = 200.0f;

class ReqBalloon : public ::testing::Test {
protected:
    ReqBalloon() : m_World(LayoutXml()) {
        DVUpgradeHandler::CreateInstance();
        m_spBalloon = new DelvorReqBalloon(kHoleX, kHoleY, nullptr, nullptr, nullptr);
        m_spHole = new DelvorHole(kHoleX, kHoleY, nullptr);
        m_spBalloon->Init(m_spHole.Get());
    }
    ~ReqBalloon() override {
        m_spBalloon->Cleanup();
        DVUpgradeHandler::ReleaseInstance();
    }

    void Own(const std::string& id, int type, bool used = false) {
        DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
        ZQ2::PropertyNode node(id, "DelvorUpgrade");
        auto* upgrade = new DelvorUpgrade(&node);
        upgrade->SetType(type);
        upgrades->AddUpgradeToMasterList(upgrade);
        upgrades->AcquireUpgrade(upgrade, 1, 2)->SetUsed(used);
    }
    // As the hole does: back to the hole's spot, then the requests.
    bool ShowRequests(int r1, int r2) {
        m_spBalloon->SetLocation(kHoleX, kHoleY);
        return m_spBalloon->SetupRequestBalloon(r1, r2);
    }
    std::string ItemPicture(int slot) const {
        return NamedPictures::NameOf(m_spBalloon->GetItemSprite(slot)->GetImage());
    }

    NamedPictures m_Pictures;
    gametest::GameWorld m_World;
    ZQ2::SmartPtr<DelvorReqBalloon> m_spBalloon;
    ZQ2::SmartPtr<DelvorHole> m_spHole;
};

struct BalloonCase {
    int iR1;
    int iR2;
    const char* pBalloon;  // the balloon's own picture
    int iOffset;           // index into kOffsets, -1 for none
    bool bShown;
    const char* apItems[2];  // pictures shown, null for a hidden slot
    const char* apWords[2];  // layout word of each slot
    int aiLayouts[2];        // index into kLayouts
};

const BalloonCase kCases[] = {
    // Vuru's two tools: the large balloon, left and right places.
    {4, 5, "REQ_SPEECH_VURU_2ITEM", 0, true, {"REQ_SIFTER", "REQ_BRUSH"}, {"SIFTER", "BRUSH"}, {1, 2}},
    // A hole that asks for Vuru shows nothing and keeps its spot.
    {3, 0, "REQ_VURU", -1, false, {"REQ_VURU", nullptr}, {"VURU", nullptr}, {0, 0}},
    {1, 0, "REQ_SPEECH_HOLE", 1, true, {"REQ_SHOVEL", nullptr}, {"SHOVEL", nullptr}, {0, 0}},
    {2, 0, "REQ_SPEECH_HOLE", 1, true, {"REQ_PICK", nullptr}, {"PICK", nullptr}, {0, 0}},
    // The hole's own request wins over a pair.
    {1, 101, "REQ_SPEECH_HOLE", 1, true, {"REQ_SHOVEL", "REQ_SANDWICH"}, {"SHOVEL", "SANDWICH"}, {1, 2}},
    {10, 101, "REQ_SPEECH_2P", 2, true, {"REQ_MEDICINE", "REQ_SANDWICH"}, {"MEDICINE", "SANDWICH"}, {1, 2}},
    {102, 0, "REQ_SPEECH_LEFT_1P", 3, true, {"REQ_CANTEEN", nullptr}, {"WATER", nullptr}, {0, 0}},
    // Only Vuru's tool in the second slot: left balloon, one-item place.
    {0, 6, "REQ_SPEECH_LEFT_1P", 3, true, {nullptr, "REQ_BOTTLE"}, {nullptr, "BOTTLE"}, {0, 0}},
    {0, 100, "REQ_SPEECH_RIGHT_1P", 4, true, {nullptr, "REQ_APPLE"}, {nullptr, "APPLE"}, {0, 0}},
    {0, 0, "REQ_SPEECH_RIGHT_1P", 4, false, {nullptr, nullptr}, {nullptr, nullptr}, {0, 0}},
};

}  // namespace

TEST_F(ReqBalloon, InitPutsTwoHiddenItemsAtTheSifterPlaceAndHidesTheBalloon) {
    EXPECT_FALSE(m_spBalloon->IsVisible());
    EXPECT_EQ(m_spBalloon->GetParentHole(), m_spHole.Get());
    for (int slot = 0; slot < 2; ++slot) {
        ZQ2::Sprite* item = m_spBalloon->GetItemSprite(slot);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetParent(), m_spBalloon.Get());
        EXPECT_EQ(item->GetX(), ItemX("SIFTER", 0));
        EXPECT_EQ(item->GetY(), ItemX("SIFTER", 0) + 5);
        EXPECT_EQ(ItemPicture(slot), "ITEM_SIFTER");
        EXPECT_FALSE(item->IsVisible());
        EXPECT_FALSE(m_spBalloon->IsItemShown(slot));
    }
}

TEST_F(ReqBalloon, EachRequestPairChoosesItsBalloonPicturesAndPlaces) {
    for (const BalloonCase& c : kCases) {
        SCOPED_TRACE(std::to_string(c.iR1) + "," + std::to_string(c.iR2));
        EXPECT_EQ(ShowRequests(c.iR1, c.iR2), c.bShown);
        EXPECT_EQ(m_spBalloon->IsVisible(), c.bShown);
        EXPECT_EQ(NamedPictures::NameOf(m_spBalloon->GetImage()), c.pBalloon);
        const float dx = c.iOffset < 0 ? 0.0f : static_cast<float>(kOffsets[static_cast<size_t>(c.iOffset)].iX);
        const float dy = c.iOffset < 0 ? 0.0f : static_cast<float>(kOffsets[static_cast<size_t>(c.iOffset)].iY);
        EXPECT_EQ(m_spBalloon->GetX(), kHoleX + dx);
        EXPECT_EQ(m_spBalloon->GetY(), kHoleY + dy);
        for (int slot = 0; slot < 2; ++slot) {
            ZQ2::Sprite* item = m_spBalloon->GetItemSprite(slot);
            EXPECT_EQ(m_spBalloon->IsItemShown(slot), c.apItems[slot] != nullptr);
            EXPECT_EQ(item->IsVisible(), c.bShown && c.apItems[slot] != nullptr);
            if (!c.apItems[slot])
                continue;
            EXPECT_EQ(ItemPicture(slot), c.apItems[slot]);
            const float x = ItemX(c.apWords[slot], c.aiLayouts[slot]);
            EXPECT_EQ(item->GetX(), x);
            EXPECT_EQ(item->GetY(), x + 5);
        }
    }
}

TEST_F(ReqBalloon, OwnedUpgradesGiveTheUpgradedItemPictures) {
    Own("canteen1", 12);
    Own("canteen2", 12);
    Own("shovel1", 7, true);  // used up: no longer counts
    Own("apple1", 11);
    EXPECT_TRUE(ShowRequests(102, 0));
    EXPECT_EQ(ItemPicture(0), "REQ_CANTEEN_UP2");
    EXPECT_EQ(m_spBalloon->GetItemSprite(0)->GetX(), ItemX("WATER", 0));
    EXPECT_EQ(NamedPictures::NameOf(m_spBalloon->GetImage()), "REQ_SPEECH_LEFT_1P");
    EXPECT_TRUE(ShowRequests(1, 100));
    EXPECT_EQ(ItemPicture(0), "REQ_SHOVEL");
    EXPECT_EQ(ItemPicture(1), "REQ_APPLE_UP1");
    // A request whose picture has no upgrade type keeps its own picture.
    Own("bottle2", 0);
    EXPECT_TRUE(ShowRequests(6, 7));
    EXPECT_EQ(ItemPicture(0), "REQ_BOTTLE");
}

TEST_F(ReqBalloon, ACodeWithoutPictureKeepsThePictureBeforeItAndItsPlace) {
    EXPECT_TRUE(ShowRequests(100, 8));
    EXPECT_EQ(ItemPicture(0), "REQ_APPLE");
    EXPECT_EQ(ItemPicture(1), "REQ_APPLE");
    EXPECT_TRUE(m_spBalloon->IsItemShown(1));
    EXPECT_EQ(m_spBalloon->GetItemSprite(1)->GetX(), ItemX("SIFTER", 0));
}

TEST_F(ReqBalloon, PositionsLeaveXAndYForUnknownPlacesAndWordlessCodes) {
    float x = -7.0f;
    float y = -8.0f;
    DelvorReqBalloon::GetRequestBalloonPosData(true, 4, DelvorReqBalloon::REQUEST_SHOVEL, x, y);
    DelvorReqBalloon::GetRequestBalloonPosData(false, 2, DelvorReqBalloon::REQUEST_FOOD, x, y);
    DelvorReqBalloon::GetRequestBalloonPosData(true, 3, 55, x, y);
    EXPECT_EQ(x, -7.0f);
    EXPECT_EQ(y, -8.0f);
    // Without two items the place does not matter.
    DelvorReqBalloon::GetRequestBalloonPosData(false, 3, DelvorReqBalloon::REQUEST_MEDICINE, x, y);
    EXPECT_EQ(x, ItemX("MEDICINE", 0));
}

TEST_F(ReqBalloon, ShowingHidesItemsWithoutARequestAndCleanupLetsTheHoleGo) {
    ShowRequests(0, 101);
    m_spBalloon->ShowRequestBalloon(false);
    EXPECT_FALSE(m_spBalloon->GetItemSprite(1)->IsVisible());
    m_spBalloon->ShowRequestBalloon(true);
    EXPECT_TRUE(m_spBalloon->IsVisible());
    EXPECT_FALSE(m_spBalloon->GetItemSprite(0)->IsVisible());
    EXPECT_TRUE(m_spBalloon->GetItemSprite(1)->IsVisible());
    m_spBalloon->Cleanup();
    EXPECT_EQ(m_spBalloon->GetHole(), nullptr);
    EXPECT_EQ(m_spBalloon->GetParentHole(), nullptr);
}

TEST_F(ReqBalloon, AHoleGoesWithItsLastReferenceAndLeavesItsBalloonAndMeterDetached) {
    ZQ2::SmartPtr<DelvorReqBalloon> balloon(m_spHole->GetRequestBalloon());
    ZQ2::SmartPtr<DelvorMeter> meter(m_spHole->GetMeter());
    ASSERT_EQ(balloon->GetHole(), m_spHole.Get());
    ASSERT_EQ(meter->GetHole(), m_spHole.Get());
    m_spBalloon->Cleanup();
    m_spHole = nullptr;
    EXPECT_EQ(balloon->GetHole(), nullptr);
    EXPECT_EQ(meter->GetHole(), nullptr);
}
