#include "engine/io/PlayerManager.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "engine/io/FileArchive.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "tests/engine/io/SaveFolder.h"

using namespace ZQ2;
namespace fs = std::filesystem;

namespace {

// A profile with one number of its own, written when it is not zero.
class TestPlayer : public AbstractPlayer {
public:
    explicit TestPlayer(const std::string& name) : AbstractPlayer(name) {}
    explicit TestPlayer(AbstractProperty* prop) : AbstractPlayer(prop) {}
    static BaseObject* OnData(AbstractProperty* prop) { return new TestPlayer(prop); }

    void Save(AbstractProperty* node) override {
        AbstractPlayer::Save(node);
        node->SetTypeName("TestPlayer");
    }
    void SaveData(AbstractProperty* node) override {
        if (m_iScore != 0)
            node->ToNode()->InsertProperty(new PropertyValue("score", m_iScore));
    }
    void LoadData(AbstractProperty* node) override {
        m_iScore = node->ToNode()->GetValue("score")->ToInt();
        ++m_iLoads;
    }
    void UnLoadData() override { ++m_iUnloads; }

    int m_iScore = 0;
    int m_iLoads = 0;
    int m_iUnloads = 0;
};

const ObjectInitializer g_TestPlayerInitializer("TestPlayer", &TestPlayer::OnData);

class Players : public ::testing::Test {
protected:
    void SetUp() override {
        m_sFolder = savefolder::Fresh();
        if (m_sFolder.empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    }
    void TearDown() override {
        PlayerManager::ReleaseInstance();
        FileArchive::ReleaseInstance();
    }
    static PlayerManager* Make(bool encipher, const std::string& version = "1.0") {
        PlayerManager::ReleaseInstance();
        PlayerManager::CreateInstance(encipher, version);
        PlayerManager::g_Instance->LoadFromDisk();
        return PlayerManager::g_Instance;
    }
    static TestPlayer* Current() { return static_cast<TestPlayer*>(PlayerManager::g_Instance->GetCurrentPlayer()); }

    std::string m_sFolder;
};

}  // namespace

TEST_F(Players, FilesLieBelowTheSaveFolderEscapedAndEnciphered) {
    PlayerManager* players = Make(true);
    players->AddPlayer(new TestPlayer("Ann"));
    auto* slash = static_cast<TestPlayer*>(players->AddPlayer(new TestPlayer("a/b")));
    Current()->m_iScore = 5;
    slash->m_iScore = 6;
    PlayerManager::SaveToDisk();
    players->SavePlayerData(slash);
    SmartPtr<PropertyStore> game(new PropertyStore);
    game->InsertProperty(new PropertyValue("level", 3));
    players->SaveSaveGameToDisk(*game, "delvor", "Ann");

    EXPECT_TRUE(fs::exists(m_sFolder + "/players/players.plrs.!"));
    EXPECT_TRUE(fs::exists(m_sFolder + "/players/Ann.plr.!"));
    EXPECT_TRUE(fs::exists(m_sFolder + "/players/a#2Fb.plr.!"));
    EXPECT_TRUE(fs::exists(m_sFolder + "/savegames/Ann/delvor.sav.!"));
    EXPECT_EQ(players->GetSaveGameFileName("delvor", "a/b"), m_sFolder + "/savegames/a#2Fb/delvor.sav.!");
    EXPECT_TRUE(players->IsSaveGameAvailable("delvor", "Ann"));
}

// Whatever the data archive's type, the files come back as they were saved.
TEST_F(Players, ListProfilesAndSaveGamesRoundTripUnderEveryArchiveType) {
    for (int global = ARCHIVE_FILE; global <= ARCHIVE_ENCRYPT_ZIP; ++global) {
        for (bool encipher : {false, true}) {
            SCOPED_TRACE(std::to_string(global) + (encipher ? " enciphered" : " plain"));
            m_sFolder = savefolder::Fresh();
            FileArchive::CreateInstance("/nonexistent/data.dat", static_cast<eArchiveType>(global));
            PlayerManager* players = Make(encipher);
            players->AddPlayer(new TestPlayer("Ann & \"Bo\" <x>"));
            players->AddPlayer(new TestPlayer("Cy"));
            players->ChangePlayer("Cy");
            Current()->m_iScore = 1200;
            SmartPtr<PropertyStore> game(new PropertyStore);
            game->InsertProperty(new PropertyValue("level", 7));
            players->SaveSaveGameToDisk(*game, "delvor", "Cy");
            PlayerManager::SaveToDisk();

            players = Make(encipher);
            ASSERT_EQ(players->GetPlayers().size(), 2);
            EXPECT_EQ(players->GetPlayers()[0]->GetName(), "Ann & \"Bo\" <x>");
            ASSERT_NE(Current(), nullptr);
            EXPECT_EQ(Current()->GetName(), "Cy");
            EXPECT_EQ(Current()->m_iScore, 1200);
            SmartPtr<PropertyStore> back(new PropertyStore);
            ASSERT_TRUE(players->LoadSaveGameFromDisk(*back, "delvor", "Cy"));
            EXPECT_EQ(back->GetValue("level")->ToInt(), 7);
            FileArchive::ReleaseInstance();
        }
    }
}

TEST_F(Players, CurrentPlayerFollowsAddChangeAndRemove) {
    PlayerManager* players = Make(false);
    auto* ann = static_cast<TestPlayer*>(players->AddPlayer(new TestPlayer("Ann")));
    EXPECT_EQ(Current(), ann);
    EXPECT_EQ(ann->m_iLoads, 0);  // made current without loading
    players->AddPlayer(new TestPlayer("Bo"));
    EXPECT_EQ(Current(), ann);
    EXPECT_TRUE(players->HasPlayer("Bo"));
    EXPECT_FALSE(players->HasPlayer("bo"));

    ann->m_iScore = 3;
    players->ChangePlayer("Ann");  // saves, unloads and loads the same player
    EXPECT_EQ(ann->m_iUnloads, 1);
    EXPECT_EQ(ann->m_iLoads, 1);
    EXPECT_EQ(ann->m_iScore, 3);

    SmartPtr<PropertyStore> game(new PropertyStore);
    game->InsertProperty(new PropertyValue("level", 1));
    players->SaveSaveGameToDisk(*game, "delvor", "Ann");
    players->SaveSaveGameToDisk(*game, "delvor", "Bo");
    players->RemovePlayer("Ann");
    EXPECT_EQ(Current(), nullptr);
    EXPECT_FALSE(players->HasPlayer("Ann"));
    EXPECT_FALSE(fs::exists(m_sFolder + "/savegames/Ann"));
    EXPECT_FALSE(fs::exists(m_sFolder + "/players/Ann.plr"));
    EXPECT_TRUE(fs::exists(m_sFolder + "/savegames/Bo/delvor.sav"));

    players->ChangePlayer("nobody");
    EXPECT_EQ(Current(), nullptr);
}

// A player without a name would own the save-game folder of every player.
TEST_F(Players, EmptyNamesAreRefusedAndNeverReachTheFolders) {
    PlayerManager* players = Make(false);
    players->AddPlayer(new TestPlayer("Bo"));
    SmartPtr<PropertyStore> game(new PropertyStore);
    players->SaveSaveGameToDisk(*game, "delvor", "Bo");
    EXPECT_EQ(players->AddPlayer(new TestPlayer("")), nullptr);
    EXPECT_EQ(players->GetPlayers().size(), 1);
    players->RemovePlayer("");
    players->RemoveAllSaveGames("");
    EXPECT_TRUE(fs::exists(m_sFolder + "/savegames/Bo/delvor.sav"));
    EXPECT_EQ(players->GetPlayers().size(), 1);
}

TEST_F(Players, AProfileWithoutDataGetsNoFile) {
    PlayerManager* players = Make(false);
    players->AddPlayer(new TestPlayer("Quiet"));
    PlayerManager::SaveToDisk();
    EXPECT_TRUE(fs::exists(m_sFolder + "/players/players.plrs"));
    EXPECT_FALSE(fs::exists(m_sFolder + "/players/Quiet.plr"));
}

TEST_F(Players, AnotherVersionIsIgnoredAndAnUnreadableListIsSetAside) {
    PlayerManager* players = Make(false, "1.0");
    players->AddPlayer(new TestPlayer("Ann"));
    PlayerManager::SaveToDisk();
    EXPECT_TRUE(Make(false, "2.0")->GetPlayers().empty());
    PlayerManager::SaveToDisk();  // now in version 2.0, empty
    EXPECT_TRUE(Make(false, "1.0")->GetPlayers().empty());

    const std::string list = m_sFolder + "/players/players.plrs";
    { std::ofstream(list) << "<root><unclosed"; }
    players = Make(false, "1.0");
    EXPECT_TRUE(players->GetPlayers().empty());
    EXPECT_TRUE(fs::exists(list + ".unreadable"));
    EXPECT_FALSE(fs::exists(list));
}

// A save is replaced in one step: killed at any moment, the child leaves
// the previous list and profile or the new ones, both readable.
TEST_F(Players, KillingASavingProcessNeverLeavesAnUnreadableFile) {
    std::mt19937 random(1234);
    for (int round = 0; round < 6; ++round) {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            PlayerManager::ReleaseInstance();
            PlayerManager::CreateInstance(true, "1.0");
            for (int i = 0; i < 30; ++i)
                PlayerManager::g_Instance->AddPlayer(new TestPlayer("player " + std::to_string(i)));
            for (int save = 1; save <= 200; ++save) {
                Current()->m_iScore = save;
                PlayerManager::SaveToDisk();
                const char tick = 1;
                if (write(pipeFds[1], &tick, 1) != 1)
                    _exit(2);
            }
            _exit(0);
        }
        close(pipeFds[1]);
        const int ticks = std::uniform_int_distribution<int>(0, 150)(random);
        char tick = 0;
        for (int i = 0; i < ticks && read(pipeFds[0], &tick, 1) == 1; ++i) {
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(pipeFds[0]);

        PlayerManager* players = Make(true, "1.0");
        if (ticks == 0 && players->GetPlayers().empty())
            continue;  // killed before its first save completed
        ASSERT_EQ(players->GetPlayers().size(), 30) << "round " << round;
        ASSERT_NE(Current(), nullptr);
        EXPECT_GE(Current()->m_iScore, ticks > 0 ? 1 : 0);
        EXPECT_FALSE(fs::exists(m_sFolder + "/players/players.plrs.!.unreadable"));
    }
}
