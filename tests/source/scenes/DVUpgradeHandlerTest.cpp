// The upgrade handler's rules: upgrades read from their data, the value of
// a type by country, the used and cheat flags, the level of the best
// upgrade, the shop's offers, the hourglasses and the profile's 21 records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/DelvorUpgrade.h"
#include "tests/engine/io/SaveFolder.h"

using namespace ZQ2;

namespace {

constexpr int kDiggerWalk = DelvorUpgrade::TYPE_DIGGER_WALK;
constexpr int kSift = DelvorUpgrade::TYPE_SIFT;

class Upgrades : public ::testing::Test {
protected:
    void SetUp() override {
        DVUpgradeHandler::CreateInstance();
        DelvorMain::m_nCurCountry = 1;
        DelvorMain::m_nCurDay = 2;
    }
    void TearDown() override {
        DVUpgradeHandler::ReleaseInstance();
        DelvorMain::m_nCurCountry = 1;
        DelvorMain::m_nCurDay = 1;
    }

    static DVUpgradeHandler& Handler() { return *DVUpgradeHandler::g_Instance; }

    // A master-list upgrade built from its data node, as the game builds it.
    static DelvorUpgrade* Define(const std::string& id, const char* type, const char* country, int effect,
                                 bool cheat = false) {
        SmartPtr<PropertyNode> node(new PropertyNode(id, "DelvorUpgrade"));
        node->InsertProperty(new PropertyValue("type", std::string(type), true));
        node->InsertProperty(new PropertyValue("country", std::string(country), true));
        node->InsertProperty(new PropertyValue("effect", std::to_string(effect), true));
        if (cheat)
            node->InsertBoolean("cheat", true, true);
        SmartPtr<BaseObject> built(DelvorUpgrade::OnData(node.Get()));
        auto* upgrade = DynamicCast<DelvorUpgrade>(built.Get());
        Handler().AddUpgradeToMasterList(upgrade);
        return upgrade;
    }

    static std::vector<std::string> Ids(const DVUpgradeHandler::UpgradeList& list) {
        std::vector<std::string> ids;
        for (const auto& upgrade : list)
            ids.push_back(upgrade->GetID());
        return ids;
    }
};

}  // namespace

TEST(DelvorUpgradeData, KeysAreReadWhenPresentAndUnknownNamesLeaveZero) {
    BasicProperties::CreateInstance();
    for (const auto& [key, text] : std::vector<std::pair<const char*, const char*>>{
             {"TEXT_BOOTS", "Light Boots"}, {"TEXT_BOOTS_DESC", "Faster."}}) {
        SmartPtr<PropertyValue> value(new PropertyValue(key, "String", text));
        BasicProperties::OnString(value.Get());
    }
    SmartPtr<PropertyNode> node(new PropertyNode("EGYPT_BOOTS2", "DelvorUpgrade"));
    for (const auto& [key, value] : std::vector<std::pair<const char*, const char*>>{
             {"type", "digger_walk"}, {"effect", "25"}, {"country", "egypt"}, {"image", "ICON_BOOTS"},
             {"label", "TEXT_BOOTS"}, {"desc", "TEXT_BOOTS_DESC"}, {"persistent", "true"}})
        node->InsertProperty(new PropertyValue(key, std::string(value), true));
    SmartPtr<DelvorUpgrade> boots(new DelvorUpgrade(node.Get()));
    EXPECT_EQ(boots->GetID(), "EGYPT_BOOTS2");
    EXPECT_EQ(boots->GetType(), kDiggerWalk);
    EXPECT_EQ(boots->GetEffect(), 25);
    EXPECT_EQ(boots->GetCountry(), 2);
    EXPECT_EQ(boots->GetImageKey(), "ICON_BOOTS");
    EXPECT_EQ(boots->GetLabel(), "Light Boots");
    EXPECT_EQ(boots->GetDesc(), "Faster.");
    EXPECT_TRUE(boots->IsPersistent());
    EXPECT_FALSE(boots->IsCheat());
    EXPECT_FALSE(boots->IsUsed());
    BasicProperties::ReleaseInstance();

    // Names are compared exactly; one not in the list leaves the field alone.
    SmartPtr<PropertyNode> odd(new PropertyNode("ODD", "DelvorUpgrade"));
    odd->InsertProperty(new PropertyValue("type", std::string("Digger_Walk"), true));
    odd->InsertProperty(new PropertyValue("country", std::string("narnia"), true));
    SmartPtr<DelvorUpgrade> none(new DelvorUpgrade(odd.Get()));
    EXPECT_EQ(none->GetType(), 0);
    EXPECT_EQ(none->GetCountry(), 0);
    none->SetType(std::string("guide"));
    none->SetType(std::string("nothing"));
    EXPECT_EQ(none->GetType(), DelvorUpgrade::TYPE_GUIDE);
    none->SetCountry(std::string("atlantis"));
    EXPECT_EQ(none->GetCountry(), 7);
    for (int type = 1; type < DelvorUpgrade::TYPE_COUNT; ++type)
        EXPECT_NE(DelvorUpgrade::GetTypeFromName(std::vector<const char*>{
                      "", "dovidi", "vuru", "vuru_camera", "cookie", "toolmaker", "digger_walk", "digger_dig", "sift",
                      "brush", "picker_pick", "digger_eat", "digger_drink", "hourglass", "guide"}[type]),
                  0);
}

TEST_F(Upgrades, NothingOwnedYieldsZeroEverywhere) {
    Define("GREECE_SIFT1", "sift", "greece", -800);
    Define("", "sift", "greece", -800);
    EXPECT_EQ(Handler().GetMasterList().size(), 1) << "an upgrade without identifier cannot be kept in a profile";
    for (int type = 0; type <= DelvorUpgrade::TYPE_COUNT; ++type) {
        EXPECT_EQ(Handler().GetCurrentUpgradeValue(type), 0) << type;
        EXPECT_EQ(Handler().GetTopUpgradeOfType(type), 0) << type;
    }
    EXPECT_FALSE(Handler().IsHourGlass());
    EXPECT_EQ(Handler().GetNumHourGlasses(), 0);
    EXPECT_EQ(Handler().UseHourglass(), 0);
}

TEST_F(Upgrades, ValuesCountInTheirOwnCountryButHourglassesEverywhere) {
    struct Case {
        const char* type;
        const char* country;
        bool used;
        bool cheat;
        int here;  // the current country
        int expected;
    };
    const Case cases[] = {
        {"digger_walk", "egypt", false, false, 2, 15},   // bought and used in Egypt
        {"digger_walk", "egypt", false, false, 3, 0},    // Egypt's boots do nothing in Siam
        {"digger_walk", "egypt", true, false, 2, 0},     // a used upgrade adds nothing
        {"digger_walk", "egypt", false, true, 3, 0},     // a cheat does not lift the country rule of values
        {"hourglass", "egypt", false, false, 3, 15},     // hourglasses count everywhere
        {"hourglass", "egypt", true, false, 2, 0},       // a used hourglass is gone
        {"hourglass", "egypt", true, true, 2, 0},        // a used cheat hourglass keeps counting, but adds nothing
    };
    for (const Case& c : cases) {
        Handler().RemoveAllBoughtUpgrades(false);
        DelvorUpgrade* upgrade = Define(std::string("X_") + c.type, c.type, c.country, 15, c.cheat);
        Handler().AcquireUpgrade(upgrade, 2, 4)->SetUsed(c.used);
        DelvorMain::m_nCurCountry = c.here;
        const int type = DelvorUpgrade::GetTypeFromName(c.type);
        EXPECT_EQ(Handler().GetCurrentUpgradeValue(type), c.expected)
            << c.type << " from " << c.country << " used " << c.used << " cheat " << c.cheat << " in " << c.here;
    }
}

TEST_F(Upgrades, EffectsOfOneTypeAddUpAndOtherTypesStayApart) {
    Handler().AcquireUpgrade(Define("GREECE_SIFT1", "sift", "greece", -800), 0, 0);
    Handler().AcquireUpgrade(Define("GREECE_SIFT2", "sift", "greece", -400), 0, 0);
    Handler().AcquireUpgrade(Define("GREECE_BOOTS1", "digger_walk", "greece", 15), 0, 0);
    EXPECT_EQ(Handler().GetCurrentUpgradeValue(kSift), -1200);
    EXPECT_EQ(Handler().GetCurrentUpgradeValue(kDiggerWalk), 15);
    EXPECT_EQ(Handler().GetCurrentUpgradeValue(DelvorUpgrade::TYPE_BRUSH), 0);
    // Zero for country or day means the current ones.
    int country = -1;
    int day = -1;
    Handler().GetOwnedList()[0]->GetWhenAchieved(country, day);
    EXPECT_EQ(country, 1);
    EXPECT_EQ(day, 2);
    EXPECT_TRUE(Handler().IsUpgradeAlreadyAcquiredForDay(1, 2));
    EXPECT_FALSE(Handler().IsUpgradeAlreadyAcquiredForDay(1, 3));
    EXPECT_EQ(Handler().AcquireUpgrade("NO_SUCH", 1, 3), nullptr);
}

TEST_F(Upgrades, TheTopLevelIsTwoOverOneInAnyOrder) {
    struct Case {
        std::vector<const char*> owned;
        int expected;
    };
    const Case cases[] = {
        {{"SIFT2", "SIFT1"}, 2}, {{"SIFT1", "SIFT2"}, 2}, {{"SIFT1"}, 1}, {{"SIFT"}, 0}, {{}, 0},
    };
    for (const Case& c : cases) {
        Handler().RemoveAllBoughtUpgrades(false);
        for (const char* id : c.owned)
            Handler().AcquireUpgrade(Define(id, "sift", "greece", -100), 1, 2);
        EXPECT_EQ(Handler().GetTopUpgradeOfType(kSift), c.expected) << c.owned.size();
    }
    // Used upgrades and those of another country do not count, unless a cheat.
    Handler().RemoveAllBoughtUpgrades(false);
    Handler().AcquireUpgrade(Define("EGYPT_SIFT2", "sift", "egypt", -100), 2, 2);
    EXPECT_EQ(Handler().GetTopUpgradeOfType(kSift), 0);
    Handler().AcquireUpgrade(Define("EGYPT_SIFT1", "sift", "egypt", -100, true), 2, 2);
    EXPECT_EQ(Handler().GetTopUpgradeOfType(kSift), 1);
    Handler().AcquireUpgrade(Define("GREECE_SIFT2", "sift", "greece", -100), 1, 2)->SetUsed(true);
    EXPECT_EQ(Handler().GetTopUpgradeOfType(kSift), 1);
}

TEST_F(Upgrades, TheShopOffersUnownedUpgradesOfTheCountryInMasterOrder) {
    Define("EGYPT_A1", "sift", "egypt", -1);
    DelvorUpgrade* first = Define("GREECE_A1", "sift", "greece", -1);
    Define("GREECE_B1", "brush", "greece", -1);
    Define("NOWHERE", "brush", "", -1);
    Define("GREECE_C1", "vuru", "greece", 1);
    Define("GREECE_D1", "dovidi", "greece", 1);
    Define("GREECE_E1", "guide", "greece", 1);
    Handler().AcquireUpgrade(first, 1, 2);
    DVUpgradeHandler::UpgradeList offers;
    offers.push_back(SmartPtr<DelvorUpgrade>(first));  // emptied first
    Handler().GetUpgradesforDialog(3, &offers);
    EXPECT_EQ(Ids(offers), (std::vector<std::string>{"GREECE_B1", "GREECE_C1", "GREECE_D1"}));
    Handler().GetUpgradesforDialog(10, &offers);
    EXPECT_EQ(Ids(offers), (std::vector<std::string>{"GREECE_B1", "GREECE_C1", "GREECE_D1", "GREECE_E1"}));
    DelvorMain::m_nCurCountry = 3;
    Handler().GetUpgradesforDialog(3, &offers);
    EXPECT_TRUE(offers.empty()) << "an upgrade without a country is never offered";
}

TEST_F(Upgrades, HourglassesAreCountedAndUsedFirstBoughtFirst) {
    struct Case {
        std::vector<int> effects;
        int count;
    };
    const Case cases[] = {{{30000, 30000}, 2}, {{30000, 29999}, 1}, {{30000}, 1}, {{29999}, 0}};
    for (const Case& c : cases) {
        Handler().RemoveAllBoughtUpgrades(false);
        int n = 0;
        for (int effect : c.effects)
            Handler().AcquireUpgrade(Define("HG" + std::to_string(n++), "hourglass", "greece", effect), 1, 2);
        EXPECT_EQ(Handler().GetNumHourGlasses(), c.count) << c.effects.size();
        EXPECT_TRUE(Handler().IsHourGlass());
    }
    Handler().RemoveAllBoughtUpgrades(false);
    Handler().AcquireUpgrade(Define("HG_FIRST", "hourglass", "greece", 20000), 1, 2);
    Handler().AcquireUpgrade(Define("BOOTS", "digger_walk", "greece", 15), 1, 3);
    Handler().AcquireUpgrade(Define("HG_SECOND", "hourglass", "egypt", 30000), 2, 2);
    EXPECT_EQ(Handler().UseHourglass(), 20000);
    EXPECT_EQ(Ids(Handler().GetOwnedList()), (std::vector<std::string>{"BOOTS", "HG_SECOND"}));
    EXPECT_EQ(Handler().GetNumHourGlasses(), 1);
    EXPECT_EQ(Handler().UseHourglass(), 30000);
    EXPECT_FALSE(Handler().IsHourGlass());
    EXPECT_EQ(Handler().UseHourglass(), 0);
    EXPECT_EQ(Ids(Handler().GetOwnedList()), (std::vector<std::string>{"BOOTS"}));
}

TEST_F(Upgrades, RemovingAllKeepsThePersistentOnesOnlyWhenAsked) {
    SmartPtr<PropertyNode> node(new PropertyNode("KEEP", "DelvorUpgrade"));
    node->InsertBoolean("persistent", true, true);
    SmartPtr<DelvorUpgrade> keep(new DelvorUpgrade(node.Get()));
    Handler().AddUpgradeToMasterList(keep.Get());
    Handler().AcquireUpgrade(keep.Get(), 1, 2);
    Handler().AcquireUpgrade(Define("GO", "sift", "greece", -1), 1, 3);
    Handler().RemoveAllBoughtUpgrades(true);
    EXPECT_EQ(Ids(Handler().GetOwnedList()), (std::vector<std::string>{"KEEP"}));
    Handler().RemoveAllBoughtUpgrades(false);
    EXPECT_TRUE(Handler().GetOwnedList().empty());
}

// ---- the profile's records

namespace {

class UpgradeRecords : public Upgrades {
protected:
    void SetUp() override {
        Upgrades::SetUp();
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        PlayerManager::CreateInstance(false, "1");
        m_pPlayer = DynamicCast<DelvorPlayer>(PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Ann")));
        for (int i = 0; i < 25; ++i)
            Define("U" + std::string(1, static_cast<char>('A' + i)), "sift", "greece", -1);
        Define("HG_A", "hourglass", "greece", 30000);
        Define("HG_B", "hourglass", "greece", 30000);
    }
    void TearDown() override {
        if (PlayerManager::g_Instance)
            PlayerManager::ReleaseInstance();
        Upgrades::TearDown();
    }
    std::string Record(int index) const {
        std::string id;
        m_pPlayer->GetUpgradeID(index, id);
        return id;
    }
    DelvorPlayer* m_pPlayer = nullptr;
};

}  // namespace

TEST_F(UpgradeRecords, AnEmptyFirstRecordLeavesNothingOwned) {
    m_pPlayer->SetUpgradeID(1, "UB");
    Handler().SetupUserUpgrades();
    EXPECT_TRUE(Handler().GetOwnedList().empty());
    EXPECT_EQ(Handler().GetOwner(), "Ann");
}

TEST_F(UpgradeRecords, RecordsBecomeOwnedUpgradesWithTheirCountryDayAndUse) {
    m_pPlayer->SetUpgradeID(0, "UB");
    m_pPlayer->SetCountryAchieved(0, 1);
    m_pPlayer->SetDayAchieved(0, 3);
    m_pPlayer->SetUpgradeID(1, "NOT_IN_THE_LIST");
    m_pPlayer->SetUpgradeID(2, "HG_A");
    m_pPlayer->SetUsed(2, true);
    m_pPlayer->SetUpgradeID(3, "UC");
    Handler().SetupUserUpgrades();
    EXPECT_EQ(Ids(Handler().GetOwnedList()), (std::vector<std::string>{"UB", "HG_A", "UC"}));
    EXPECT_TRUE(Handler().IsUpgradeAlreadyAcquiredForDay(1, 3));
    EXPECT_FALSE(Handler().IsHourGlass());
}

TEST_F(UpgradeRecords, TheSaveWritesNodesAndRecordsAndClearsTheRecordsBehind) {
    // Three records from before; two upgrades owned now.
    for (int i = 0; i < 3; ++i)
        m_pPlayer->SetUpgradeID(i, i == 2 ? "HG_B" : "UA");
    Handler().SetupUserUpgrades();
    Handler().AcquireUpgrade("HG_A", 1, 4)->SetCheat(true);
    ASSERT_EQ(Handler().UseHourglass(), 30000);  // HG_B, the first acquired
    PropertyStore store;
    Handler().SaveUpgrades(store);
    EXPECT_EQ(Record(0), "UA");
    EXPECT_EQ(Record(1), "UA");
    EXPECT_EQ(Record(2), "HG_A");
    EXPECT_TRUE(m_pPlayer->IsCheat(2));
    EXPECT_EQ(m_pPlayer->GetDayAchieved(2), 4);
    EXPECT_EQ(Record(3), "");
    PropertyNode* third = store.GetNode("Upgrade3");
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->GetPropString("id"), "Upgrade3");
    EXPECT_EQ(third->GetPropString("upgrade_id"), "HG_A");
    EXPECT_EQ(third->GetValue("achieved_country")->ToInt(), 1);
    EXPECT_EQ(third->GetValue("achieved_day")->ToInt(), 4);
    EXPECT_FALSE(third->GetValue("used")->ToBoolean());
    EXPECT_TRUE(third->GetValue("cheat")->ToBoolean());
    EXPECT_FALSE(store.GetNode("Upgrade1")->HasProperty("cheat"));
    EXPECT_FALSE(store.HasProperty("Upgrade4"));

    // The hourglass given up before the save stays given up.
    m_pPlayer->SetUpgradeID(3, "HG_B");
    Handler().SaveUpgrades(store);
    Handler().SetupUserUpgrades();
    EXPECT_EQ(Handler().GetNumHourGlasses(), 1);
}

TEST_F(UpgradeRecords, NoSaveWritesPastTheTwentyFirstRecord) {
    Handler().SetupUserUpgrades();
    for (int i = 0; i < 25; ++i)
        Handler().AcquireUpgrade("U" + std::string(1, static_cast<char>('A' + i)), 1, 2);
    PropertyStore store;
    Handler().SaveUpgrades(store);
    EXPECT_TRUE(store.HasProperty("Upgrade21"));
    EXPECT_FALSE(store.HasProperty("Upgrade22"));
    EXPECT_EQ(Record(20), "UU");
    EXPECT_EQ(Handler().GetOwnedList().size(), 25) << "the list itself is not cut";
}

TEST_F(UpgradeRecords, AListBuiltForAnotherPlayerIsNeverSavedUnderThisOne) {
    PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Bob"));
    m_pPlayer->SetUpgradeID(0, "UA");
    Handler().SetupUserUpgrades();
    // The current player changes behind the handler's back.
    PlayerManager::g_Instance->ChangePlayer("Bob");
    auto* bob = DynamicCast<DelvorPlayer>(PlayerManager::g_Instance->GetCurrentPlayer());
    bob->SetUpgradeID(0, "UB");
    Handler().AcquireUpgrade("UC", 1, 2);
    PropertyStore store;
    Handler().SaveUpgrades(store);
    std::string id;
    bob->GetUpgradeID(0, id);
    EXPECT_EQ(id, "UB");
    bob->GetUpgradeID(1, id);
    EXPECT_EQ(id, "UC");
    EXPECT_EQ(Handler().GetOwner(), "Bob");
    EXPECT_EQ(Record(0), "UA") << "Ann's records are not touched";
}
