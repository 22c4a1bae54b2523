// The player profile: its defaults, the rules over level results, tutorial
// and progress, and the "delvor" save game written and read back.
#include "source/main/DelvorPlayer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "engine/io/ObjectFactory.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorScoreEntry.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "tests/engine/io/SaveFolder.h"

using namespace ZQ2;

namespace {

// Restores the play position the rules read.
void ResetPosition() {
    DelvorMain::m_nCurCountry = 1;
    DelvorMain::m_nCurDay = 1;
}

class PlayerRules : public ::testing::Test {
protected:
    void TearDown() override { ResetPosition(); }
    SmartPtr<DelvorPlayer> m_spPlayer{new DelvorPlayer("Ann")};
};

}  // namespace

TEST_F(PlayerRules, NewPlayerStandsAtTheFirstLevel) {
    DelvorPlayer& p = *m_spPlayer;
    EXPECT_EQ(p.GetMoneyTotal(1, 1), 0);
    EXPECT_EQ(p.GetMoneyTotal(1, 2), -1);
    EXPECT_EQ(p.GetMoneyTotal(7, 10), -1);
    EXPECT_EQ(p.GetExpertLevel(3, 5), 100000);
    EXPECT_EQ(p.GetArtifactsFound(3, 5), 0);
    int country = 0;
    int day = 0;
    p.GetHighestLevelBeaten(country, day);
    EXPECT_EQ(country, -1);
    EXPECT_EQ(day, -1);
    EXPECT_EQ(p.GetTotalMoneyEarned(), 0);
    EXPECT_EQ(p.GetTotalArtifactsFound(), 0);
    EXPECT_FALSE(p.HasBeatenGame());
    EXPECT_TRUE(p.ShouldShowTutorialYesNoDialog());
    EXPECT_TRUE(p.DoIntroTutorial());
    EXPECT_EQ(p.GetMiniGameCardValue(0, 0, 1), -1);
    std::string id = "x";
    p.GetUpgradeID(20, id);
    EXPECT_EQ(id, "");
    EXPECT_EQ(p.GetLastTrophy(), 0);
}

TEST_F(PlayerRules, LevelResultsKeepTheBestAndUnlockingKeepsABeatenLevel) {
    DelvorPlayer& p = *m_spPlayer;
    p.SetLevelData(500, 800, 3, 1, 1);
    p.SetLevelData(300, 900, 2, 1, 1);
    EXPECT_EQ(p.GetMoneyTotal(1, 1), 500);
    EXPECT_EQ(p.GetExpertLevel(1, 1), 900);  // the goal is always the latest
    EXPECT_EQ(p.GetArtifactsFound(1, 1), 3);

    p.SetLevelData(0, 10000, 0, 1, 2);  // unlocks the next level
    EXPECT_EQ(p.GetMoneyTotal(1, 2), 0);
    EXPECT_EQ(p.GetExpertLevel(1, 2), 10000);
    p.SetLevelData(0, 10000, 0, 1, 1);  // unlocking a beaten level again
    EXPECT_EQ(p.GetMoneyTotal(1, 1), 500);
    EXPECT_EQ(p.GetExpertLevel(1, 1), 900);

    DelvorMain::m_nCurCountry = 2;
    DelvorMain::m_nCurDay = 3;
    p.SetLevelData(700, 600, 1, 0, 0);  // the current level
    EXPECT_EQ(p.GetMoneyTotal(2, 3), 700);
    EXPECT_TRUE(p.IsExpertAtLevel(2, 3));
    EXPECT_FALSE(p.IsExpertAtLevel(1, 1));
}

TEST_F(PlayerRules, ProgressCountsTheUnbrokenRunOfBeatenLevels) {
    DelvorPlayer& p = *m_spPlayer;
    for (int day = 1; day <= 4; ++day)
        p.SetLevelData(100 * day, 1000, day, 1, day);
    p.SetLevelData(50, 1000, 1, 2, 2);  // beaten out of order: not part of the run
    int country = 0;
    int day = 0;
    p.GetHighestLevelBeaten(country, day);
    EXPECT_EQ(country, 1);
    EXPECT_EQ(day, 4);
    EXPECT_EQ(p.GetTotalMoneyEarned(), 100 + 200 + 300 + 400 + 50);
    EXPECT_EQ(p.GetTotalArtifactsFound(), 1 + 2 + 3 + 4 + 1);
    EXPECT_FALSE(p.HasBeatenGame());
    p.SetMoneyTotal(7, 10, 1);
    EXPECT_TRUE(p.HasBeatenGame());
}

TEST_F(PlayerRules, TutorialStepsAndHints) {
    DelvorPlayer& p = *m_spPlayer;
    p.SetDoTutorial(false);  // declined
    EXPECT_FALSE(p.CanShowTutorial(3));
    EXPECT_TRUE(p.CanShowTutorial(17));
    p.SetSeenTutorial(17, true);
    EXPECT_FALSE(p.CanShowTutorial(17));
    EXPECT_FALSE(p.DoIntroTutorial());

    p.SetDoTutorial(true);
    EXPECT_TRUE(p.CanShowTutorial(3));
    p.SetSeenTutorial(3, true);
    EXPECT_FALSE(p.CanShowTutorial(3));
    EXPECT_FALSE(p.CanShowTutorial(22));

    DelvorMain::m_nCurDay = 2;
    EXPECT_FALSE(p.ShouldShowTutorialYesNoDialog());
    EXPECT_FALSE(p.DoIntroTutorial());
    DelvorMain::m_nCurDay = 1;
    p.SetShownTutorialQuestion(true);
    EXPECT_FALSE(p.ShouldShowTutorialYesNoDialog());
}

TEST_F(PlayerRules, CardsOfTheCurrentCountryAndRecordsOutOfRange) {
    DelvorPlayer& p = *m_spPlayer;
    DelvorMain::m_nCurCountry = 4;
    p.SetMiniGameCardValue(7, 4, 12, -1);
    EXPECT_EQ(p.GetMiniGameCardValue(7, 4, 4), 12);
    EXPECT_EQ(p.GetMiniGameCardValue(7, 4, -1), 12);
    // Positions outside the tables neither read nor write past them.
    p.SetMiniGameCardValue(8, 0, 5, 1);
    p.SetMoneyTotal(8, 1, 5);
    p.SetUpgradeID(21, "far");
    EXPECT_EQ(p.GetMiniGameCardValue(8, 0, 1), -1);
    EXPECT_EQ(p.GetMoneyTotal(8, 1), -1);
    EXPECT_EQ(p.GetMoneyTotal(1, 11), -1);
    std::string id;
    p.GetUpgradeID(21, id);
    EXPECT_EQ(id, "");
    EXPECT_FALSE(p.HasSeenVignette(16));
}

namespace {

class SaveGame : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        PlayerManager::CreateInstance(false, "1");
        DVUpgradeHandler::CreateInstance();
        m_pPlayer = DynamicCast<DelvorPlayer>(PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Ann")));
    }
    void TearDown() override {
        DVUpgradeHandler::ReleaseInstance();
        PlayerManager::ReleaseInstance();
        ResetPosition();
    }

    // The save game as written.
    static SmartPtr<PropertyStore> Written() {
        SmartPtr<PropertyStore> store(new PropertyStore);
        EXPECT_TRUE(PlayerManager::g_Instance->LoadSaveGameFromDisk(*store, "delvor", "Ann"));
        return store;
    }

    static std::vector<std::string> NodeNames(const PropertyStore& store) {
        std::vector<std::string> names;
        for (const auto& child : store)
            names.push_back(child->GetName());
        return names;
    }

    SmartPtr<DelvorPlayer> Reloaded() const {
        SmartPtr<DelvorPlayer> again(new DelvorPlayer("Ann"));
        again->LoadData(nullptr);
        return again;
    }

    DelvorPlayer* m_pPlayer = nullptr;
};

}  // namespace

TEST_F(SaveGame, LevelsAreWrittenUpToTheFirstLockedOne) {
    m_pPlayer->SetLevelData(500, 800, 2, 1, 1);
    m_pPlayer->SetLevelData(0, 10000, 0, 1, 2);
    m_pPlayer->SaveData(nullptr);
    SmartPtr<PropertyStore> store = Written();
    EXPECT_EQ(NodeNames(*store), (std::vector<std::string>{"LEVEL1_1", "LEVEL1_2", "Tutorial", "Vignettes", "Trophies"}));
    PropertyNode* level = store->GetNode("LEVEL1_2");
    EXPECT_EQ(level->GetValue("total")->ToInt(), 0);
    EXPECT_EQ(level->GetValue("expert")->ToInt(), 10000);
    EXPECT_EQ(store->GetNode("LEVEL1_1")->GetValue("total")->ToInt(), 500);
}

TEST_F(SaveGame, EverythingComesBack) {
    DelvorPlayer& p = *m_pPlayer;
    for (int country = 1; country <= 2; ++country) {
        for (int day = 1; day <= DelvorMain::GetMaxDayForCountry(country); ++day)
            p.SetLevelData(country * 100 + day, 50 + day, day, country, day);
    }
    p.SetLevelData(0, 10000, 0, 3, 1);
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    for (const char* id : {"SHOVEL", "BOOTS"}) {
        SmartPtr<DelvorUpgrade> upgrade(new DelvorUpgrade);
        upgrade->SetID(id);
        upgrades->AddUpgradeToMasterList(upgrade.Get());
    }
    upgrades->AcquireUpgrade("SHOVEL", 1, 2)->SetUsed(true);
    upgrades->AcquireUpgrade("BOOTS", 2, 4)->SetCheat(true);
    p.SetShownTutorialQuestion(true);
    p.SetDoTutorial(true);
    p.SetSeenTutorial(0, true);
    p.SetSeenTutorial(21, true);
    p.SetSeenVignette(0, true);
    p.SetSeenVignette(15, true);
    p.SetMiniGameCardValue(0, 0, 3, 2);
    p.SetMiniGameCardValue(7, 4, 9, 2);
    p.SetLastTrophy(6);
    p.SetSeenFinalTrophy(true);
    p.SaveData(nullptr);
    // The handler copies what it wrote into the profile.
    EXPECT_EQ(p.GetCountryAchieved(1), 2);
    EXPECT_TRUE(p.IsCheat(1));

    SmartPtr<DelvorPlayer> again = Reloaded();
    for (int country = 1; country <= 7; ++country) {
        for (int day = 1; day <= 10; ++day) {
            EXPECT_EQ(again->GetMoneyTotal(country, day), p.GetMoneyTotal(country, day)) << country << "/" << day;
            EXPECT_EQ(again->GetExpertLevel(country, day), p.GetExpertLevel(country, day)) << country << "/" << day;
            EXPECT_EQ(again->GetArtifactsFound(country, day), p.GetArtifactsFound(country, day));
        }
    }
    std::string id;
    again->GetUpgradeID(0, id);
    EXPECT_EQ(id, "SHOVEL");
    EXPECT_EQ(again->GetCountryAchieved(0), 1);
    EXPECT_EQ(again->GetDayAchieved(0), 2);
    EXPECT_TRUE(again->IsUsed(0));
    EXPECT_FALSE(again->IsCheat(0));
    again->GetUpgradeID(1, id);
    EXPECT_EQ(id, "BOOTS");
    EXPECT_TRUE(again->IsCheat(1));
    again->GetUpgradeID(2, id);
    EXPECT_EQ(id, "");
    EXPECT_TRUE(again->HasShownTutorialQuestion());
    EXPECT_TRUE(again->IsDoTutorial());
    EXPECT_TRUE(again->HasSeenTutorial(0));
    EXPECT_TRUE(again->HasSeenTutorial(21));
    EXPECT_FALSE(again->HasSeenTutorial(1));
    EXPECT_TRUE(again->HasSeenVignette(0));
    EXPECT_TRUE(again->HasSeenVignette(15));
    EXPECT_FALSE(again->HasSeenVignette(7));
    EXPECT_EQ(again->GetMiniGameCardValue(0, 0, 2), 3);
    EXPECT_EQ(again->GetMiniGameCardValue(7, 4, 2), 9);
    EXPECT_EQ(again->GetMiniGameCardValue(1, 0, 2), -1);
    EXPECT_EQ(again->GetLastTrophy(), 6);
    EXPECT_TRUE(again->HasSeenFinalTrophy());
}

TEST_F(SaveGame, OnlyCountriesWithCardsAreWritten) {
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 8; ++column)
            m_pPlayer->SetMiniGameCardValue(column, row, row * 8 + column, 2);
    }
    m_pPlayer->SetMiniGameCardValue(3, 3, 1, 5);  // no card at row 0, column 0: not written
    m_pPlayer->SaveData(nullptr);
    SmartPtr<PropertyStore> store = Written();
    EXPECT_TRUE(store->HasProperty("MG_EGYPT"));
    EXPECT_FALSE(store->HasProperty("MG_USA"));
    EXPECT_FALSE(store->HasProperty("MG_GREECE"));
    EXPECT_EQ(store->GetNode("MG_EGYPT")->GetCount(), 40);
    EXPECT_EQ(Reloaded()->GetMiniGameCardValue(3, 3, 5), -1);
}

TEST_F(SaveGame, AYesToTheTutorialWithoutItsFirstStepIsAskedAgain) {
    m_pPlayer->SetShownTutorialQuestion(true);
    m_pPlayer->SetDoTutorial(true);
    m_pPlayer->SaveData(nullptr);
    EXPECT_TRUE(m_pPlayer->HasShownTutorialQuestion());  // memory is unchanged
    SmartPtr<DelvorPlayer> again = Reloaded();
    EXPECT_FALSE(again->HasShownTutorialQuestion());
    EXPECT_FALSE(again->IsDoTutorial());
    EXPECT_TRUE(again->ShouldShowTutorialYesNoDialog());

    m_pPlayer->SetDoTutorial(false);  // a no is kept
    m_pPlayer->SaveData(nullptr);
    EXPECT_TRUE(Reloaded()->HasShownTutorialQuestion());
}

TEST_F(SaveGame, MissingOrDamagedSaveGamesLeaveTheDefaults) {
    SmartPtr<DelvorPlayer> fresh = Reloaded();  // nothing saved yet
    EXPECT_EQ(fresh->GetMoneyTotal(1, 1), 0);
    EXPECT_EQ(fresh->GetMoneyTotal(1, 2), -1);

    // A gap ends the reading of levels; absent groups keep their defaults.
    PropertyStore store;
    for (const char* name : {"LEVEL1_1", "LEVEL1_3"}) {
        auto* node = new PropertyNode(name, "Node");
        store.InsertProperty(node);
        node->InsertProperty(new PropertyValue("total", 70));
    }
    PlayerManager::g_Instance->SaveSaveGameToDisk(store, "delvor", "Ann");
    SmartPtr<DelvorPlayer> gap = Reloaded();
    EXPECT_EQ(gap->GetMoneyTotal(1, 1), 70);
    EXPECT_EQ(gap->GetArtifactsFound(1, 1), 0);
    EXPECT_EQ(gap->GetMoneyTotal(1, 3), -1);
    EXPECT_TRUE(gap->IsDoTutorial());

    const std::string file = PlayerManager::g_Instance->GetSaveGameFileName("delvor", "Ann");
    std::ofstream(file) << "<root><Node id=\"LEVEL1_1\"";
    EXPECT_EQ(Reloaded()->GetMoneyTotal(1, 1), 0);
}

TEST_F(SaveGame, ThePlayerListRebuildsTheProfileWithItsSaveGame) {
    m_pPlayer->SetLevelData(321, 800, 2, 1, 1);
    PlayerManager::SaveToDisk();
    PlayerManager::ReleaseInstance();
    PlayerManager::CreateInstance(false, "1");
    PlayerManager::g_Instance->LoadFromDisk();
    DelvorPlayer* current = DelvorPlayer::GetCurrent();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(std::string(current->GetName()), "Ann");
    EXPECT_EQ(current->GetMoneyTotal(1, 1), 321);
}

TEST_F(SaveGame, ScoreEntriesKeepTheirExtraText) {
    SmartPtr<DelvorScoreEntry> mine(new DelvorScoreEntry(900, "Egypt 3"));
    EXPECT_EQ(std::string(mine->GetName()), "Ann");
    EXPECT_FALSE(mine->IsPrefilled());
    SmartPtr<DelvorScoreEntry> initial(new DelvorScoreEntry("Bob", 100, "Greece 1"));
    EXPECT_TRUE(initial->IsPrefilled());

    SmartPtr<PropertyNode> node(new PropertyNode("entry"));
    mine->Save(node);
    EXPECT_EQ(node->GetTypeName(), "DelvorScore");
    SmartPtr<BaseObject> rebuilt(ObjectFactory::Instance()->CreateObject(node));
    auto* entry = DynamicCast<DelvorScoreEntry>(rebuilt.Get());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->GetExtra(), "Egypt 3");
    EXPECT_EQ(entry->GetScore(), 900);
}
