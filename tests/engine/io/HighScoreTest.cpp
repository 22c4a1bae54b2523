#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/io/FileArchive.h"
#include "engine/io/HighScoreEntry.h"
#include "engine/io/HighScoreManager.h"
#include "engine/io/HighScoreTable.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/io/URL.h"
#include "tests/engine/io/SaveFolder.h"

using namespace ZQ2;
namespace fs = std::filesystem;

namespace {

std::vector<int> Scores(const HighScoreTable& table) {
    std::vector<int> scores;
    for (const auto& entry : table.GetEntries())
        scores.push_back(entry->GetScore());
    return scores;
}

SmartPtr<HighScoreEntry> Entry(int score, const std::string& name = "x") {
    return SmartPtr<HighScoreEntry>(new HighScoreEntry(name, score, false));
}

class HighScores : public ::testing::Test {
protected:
    void SetUp() override {
        m_sFolder = savefolder::Fresh();
        if (m_sFolder.empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
    void TearDown() override {
        FileArchive::ReleaseInstance();
        HighScoreManager::ReleaseInstance();
        PlayerManager::ReleaseInstance();
    }
    static HighScoreManager* Make(bool encipher, const std::string& version = "1.0") {
        HighScoreManager::ReleaseInstance();
        HighScoreManager::CreateInstance(encipher, version);
        HighScoreManager::g_Instance->LoadFromDisk();
        return HighScoreManager::g_Instance;
    }

    std::string m_sFolder;
};

}  // namespace

TEST(HighScoreTable, AddScoreKeepsOrderAndBounds) {
    HighScoreTable table(3, true);
    for (int score : {30, 50, 40})
        table.AddScore(Entry(score));
    EXPECT_EQ(Scores(table), (std::vector<int>{50, 40, 30}));
    SmartPtr<HighScoreEntry> second = Entry(40, "new");
    EXPECT_EQ(table.AddScore(second), 1);  // above the stored equal score
    EXPECT_EQ(table.GetEntries()[1].Get(), second.Get());
    EXPECT_EQ(Scores(table), (std::vector<int>{50, 40, 40}));
    EXPECT_EQ(table.GetLastScore(), 1);
    EXPECT_EQ(table.AddScore(Entry(10)), -1);
    EXPECT_EQ(table.GetEntries().size(), 3);
    EXPECT_EQ(table.GetLastScore(), -1);

    HighScoreTable ascending(3, false);
    ascending.AddScore(Entry(10));
    ascending.AddScore(Entry(20));
    EXPECT_EQ(ascending.AddScore(Entry(20)), 2);  // below the stored equal score

    for (int size : {0, -1}) {
        HighScoreTable unbounded(size, true);
        for (int i = 0; i < 25; ++i)
            unbounded.AddScore(Entry(i));
        EXPECT_EQ(unbounded.GetEntries().size(), 25);
    }

    EXPECT_TRUE(table.IsHighScore(45));
    EXPECT_FALSE(table.IsHighScore(5));
    EXPECT_FALSE(HighScoreTable(3, true).IsHighScore(5));
    table.Clear();
    EXPECT_TRUE(table.GetEntries().empty());
    EXPECT_EQ(table.GetLastScore(), -1);
}

TEST(HighScoreTable, ReadsNodesOfBothEntryFormsAndKeepsItsSize) {
    SmartPtr<PropertyNode> node(new PropertyNode("t", "ScoreTable"));
    node->InsertProperty(new PropertyValue("maxentries", 2, true));
    auto* entries = new PropertyVector("entries");
    node->InsertProperty(entries);
    auto* online = new PropertyNode("", "HighScoreEntry");
    online->InsertProperty(new PropertyValue("uid", 7, true));
    online->InsertProperty(new PropertyValue("name", std::string("Ann"), true));
    online->InsertProperty(new PropertyValue("score", 100, true));
    entries->InsertProperty(online);
    for (int score : {90, 80, 70}) {
        auto* stored = new PropertyNode("", "HighScoreEntry");
        stored->InsertProperty(new PropertyValue("scorevalue", score, true));
        stored->InsertProperty(new PropertyValue("playername", std::string("Bo"), true));
        stored->InsertProperty(new PropertyValue("isprefilledscore", std::string("true"), true));
        entries->InsertProperty(stored);
    }
    entries->InsertProperty(new PropertyNode("", "NoSuchClass"));
    HighScoreTable table(node.Get());
    EXPECT_TRUE(table.IsDescending());
    ASSERT_EQ(Scores(table), (std::vector<int>{100, 90}));  // trimmed to its size
    const HighScoreEntry& first = *table.GetEntries()[0];
    EXPECT_EQ(first.GetName(), "Ann");
    EXPECT_EQ(first.GetUid(), 7);
    EXPECT_FALSE(first.IsPrefilled());
    EXPECT_TRUE(table.GetEntries()[1]->IsPrefilled());
    EXPECT_EQ(table.GetEntries()[1]->GetUid(), 0);
    EXPECT_TRUE(table.ContainsPlayer("Ann"));
    EXPECT_FALSE(table.ContainsPlayer("Bo"));  // pre-filled entries are no player's

    HighScoreTable empty(SmartPtr<PropertyNode>(new PropertyNode("e", "ScoreTable")).Get());
    EXPECT_TRUE(empty.GetEntries().empty());
    EXPECT_TRUE(empty.IsDescending());
}

TEST_F(HighScores, OnlineParametersAndTheCurrentPlayersScores) {
    HighScoreManager* scores = Make(false);
    HighScoreEntry entry("Ann", 1200, false);
    URL url("http://example.org/submit");
    entry.FillOnlineParameters(url);
    EXPECT_EQ(url.ComposeEncodedParameters(), "name=Ann&uid=" + std::to_string(scores->GetUid()) + "&s=1200");

    EXPECT_FALSE(entry.IsCurrentPlayerScore());  // no player manager
    PlayerManager::CreateInstance(false, "1.0");
    PlayerManager::g_Instance->AddPlayer(new AbstractPlayer("Ann"));
    EXPECT_TRUE(entry.IsCurrentPlayerScore());
    SmartPtr<PropertyNode> stored(new PropertyNode("", "HighScoreEntry"));
    stored->InsertProperty(new PropertyValue("playername", std::string("Ann"), true));
    EXPECT_EQ(HighScoreEntry(stored.Get()).IsCurrentPlayerScore(), scores->GetUid() == 0);
}

TEST_F(HighScores, TablesRoundTripThroughTheScoresFileUnderEveryArchiveType) {
    for (int global = ARCHIVE_FILE; global <= ARCHIVE_ENCRYPT_ZIP; ++global) {
        for (bool encipher : {false, true}) {
            SCOPED_TRACE(std::to_string(global) + (encipher ? " enciphered" : " plain"));
            m_sFolder = savefolder::Fresh();
            FileArchive::CreateInstance("/nonexistent/data.dat", static_cast<eArchiveType>(global));
            HighScoreManager* scores = Make(encipher);
            const int uid = scores->GetUid();
            auto* table = new HighScoreTable(10, true);
            scores->AddHighScoreTable("greece", table);
            table->AddScore(Entry(500, "Ann <&> \"x\""));
            table->AddScore(Entry(700, "Bo"));
            scores->AddHighScoreTable("egypt", new HighScoreTable(10, false));
            HighScoreManager::SaveToDisk();
            EXPECT_TRUE(fs::exists(m_sFolder + (encipher ? "/players/scores.xml.!" : "/players/scores.xml")));

            scores = Make(encipher);
            EXPECT_EQ(scores->GetUid(), uid);
            ASSERT_TRUE(scores->HasHighScoreTable("greece"));
            HighScoreTable* back = scores->GetHighScoreTable("greece");
            EXPECT_EQ(Scores(*back), (std::vector<int>{700, 500}));
            EXPECT_EQ(back->GetEntries()[1]->GetName(), "Ann <&> \"x\"");
            EXPECT_EQ(back->GetLastScore(), -1);
            EXPECT_FALSE(scores->GetHighScoreTable("egypt")->IsDescending());
            EXPECT_EQ(scores->GetHighScoreTable("nowhere"), nullptr);
            EXPECT_FALSE(scores->HasHighScoreTable("nowhere"));
            FileArchive::ReleaseInstance();
        }
    }
}

TEST_F(HighScores, AnotherVersionIsReplacedAndAnUnreadableFileSetAside) {
    HighScoreManager* scores = Make(false, "1.0");
    scores->AddHighScoreTable("greece", new HighScoreTable(10, true));
    scores->GetHighScoreTable("greece")->AddScore(Entry(5));
    HighScoreManager::SaveToDisk();
    EXPECT_TRUE(Make(false, "2.0")->GetTables().empty());
    EXPECT_TRUE(Make(false, "1.0")->GetTables().empty());  // the file now holds 2.0

    const std::string file = m_sFolder + "/players/scores.xml";
    { std::ofstream(file) << "not xml"; }
    EXPECT_TRUE(Make(false, "1.0")->GetTables().empty());
    EXPECT_TRUE(fs::exists(file + ".unreadable"));
}
