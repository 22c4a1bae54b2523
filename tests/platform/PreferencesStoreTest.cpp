#include "platform/PreferencesStore.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

namespace {

// Folders synced while a test listens; every fsync still reaches the system.
std::atomic<bool> g_bListenToSyncs{false};
std::mutex g_SyncedMutex;
std::vector<std::string> g_SyncedFolders;

}  // namespace

// Stands in for the C library's fsync in this program, to see which folders
// a save makes durable.
extern "C" int fsync(int fd) {
    using Sync = int (*)(int);
    static const Sync real = reinterpret_cast<Sync>(dlsym(RTLD_NEXT, "fsync"));
    struct stat info {};
    if (g_bListenToSyncs && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        char target[PATH_MAX] = {};
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        if (readlink(link.c_str(), target, sizeof target - 1) > 0) {
            const std::lock_guard<std::mutex> lock(g_SyncedMutex);
            g_SyncedFolders.push_back(target);
        }
    }
    return real ? real(fd) : 0;
}

namespace {

using platform::PreferencesStore;
namespace fs = std::filesystem;

class PreferencesStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-prefs-XXXXXX";
        m_sFolder = mkdtemp(pattern);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_bHadOld = old != nullptr;
        m_sOld = old ? old : "";
        setenv("XDG_CONFIG_HOME", m_sFolder.c_str(), 1);
    }
    void TearDown() override {
        if (m_bHadOld)
            setenv("XDG_CONFIG_HOME", m_sOld.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(m_sFolder);
    }
    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    std::string m_sFolder;
    std::string m_sOld;
    bool m_bHadOld = false;
};

}  // namespace

TEST_F(PreferencesStoreTest, LivesInTheDomainFolderOfTheConfigHome) {
    PreferencesStore store("delvor");
    EXPECT_EQ(store.GetPath(), m_sFolder + "/delvor/preferences");
    EXPECT_TRUE(store.Load());  // a first run: no file, no keys
    EXPECT_TRUE(store.ListKeys().empty());
    EXPECT_TRUE(PreferencesStore("../x").GetPath().empty());
    EXPECT_TRUE(PreferencesStore("").GetPath().empty());

    setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
    EXPECT_NE(PreferencesStore::ConfigHome(), "relative");
}

TEST_F(PreferencesStoreTest, StringsIntegersAndFoldersRoundTrip) {
    PreferencesStore store("delvor");
    store.SetString("", "name", "two words\nand % odd\tbytes \xC3\xA9");
    store.SetString("", "empty", "");
    store.SetInteger("", "count", -42);
    store.SetInteger("Game\\Audio", "Volume", 7);
    store.SetString("", "", "a nameless value is never stored");
    ASSERT_TRUE(store.Save());

    PreferencesStore back("delvor");
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.ListKeys(), (std::vector<std::string>{"count", "empty", "name"}));
    EXPECT_EQ(back.Get("", "name")->m_sText, "two words\nand % odd\tbytes \xC3\xA9");
    EXPECT_EQ(back.Get("", "empty")->m_sText, "");
    EXPECT_TRUE(back.Get("", "count")->m_bInteger);
    EXPECT_EQ(back.Get("", "count")->m_iNumber, -42);
    EXPECT_EQ(back.Get("Game\\Audio", "Volume")->m_iNumber, 7);
    EXPECT_EQ(back.Get("", "missing"), nullptr);

    back.RemoveFolder("Game\\Audio");
    back.Remove("", "count");
    EXPECT_FALSE(back.Has("Game\\Audio", "Volume"));
    EXPECT_FALSE(back.Has("", "count"));
    // Nothing but the file itself is left in the folder.
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(m_sFolder + "/delvor"))
        entries += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(entries, 1);
}

TEST_F(PreferencesStoreTest, MalformedTextIsRefused) {
    const std::string header = "delvor-preferences 1\n";
    const char* const bad[] = {
        "",
        "delvor-preferences 2\n",
        "delvor-preferences 1",       // no final line end
        "s  name value\n",            // no header
        "delvor-preferences 1\nx  a b\n",
        "delvor-preferences 1\ns  a\n",
        "delvor-preferences 1\ns  a b c\n",
        "delvor-preferences 1\ns   b\n",        // empty name
        "delvor-preferences 1\ns  a %4\n",
        "delvor-preferences 1\ns  a %zz\n",
        "delvor-preferences 1\ni  a 12x\n",
        "delvor-preferences 1\ni  a 99999999999999999999\n",
        "delvor-preferences 1\ni  a \n",
        "delvor-preferences 1\r\ns  a b",      // no final line end
        "delvor-preferences 1\r\ns  a b c\r\n",
        "delvor-preferences 1\ns  a\tb\n",
    };
    for (const char* text : bad) {
        PreferencesStore::Entries entries;
        entries[{"", "kept"}] = PreferencesStore::Value();
        EXPECT_FALSE(PreferencesStore::Parse(text, entries)) << text;
        EXPECT_EQ(entries.size(), 1u) << text;
    }
    PreferencesStore::Entries entries;
    EXPECT_TRUE(PreferencesStore::Parse(header, entries));
    EXPECT_TRUE(PreferencesStore::Parse(header + "i  a -5\ns %25 b %20\n", entries));
    EXPECT_EQ((entries[{"%", "b"}].m_sText), " ");
}

// A file that can't be read is kept aside, so saving does not destroy it.
TEST_F(PreferencesStoreTest, AnUnreadableFileIsSetAside) {
    fs::create_directories(m_sFolder + "/delvor");
    std::ofstream(m_sFolder + "/delvor/preferences") << "garbage";
    PreferencesStore store("delvor");
    EXPECT_FALSE(store.Load());
    EXPECT_TRUE(store.ListKeys().empty());
    EXPECT_EQ(ReadAll(m_sFolder + "/delvor/preferences.bad"), "garbage");
    store.SetString("", "a", "b");
    EXPECT_TRUE(store.Save());
    EXPECT_TRUE(PreferencesStore("delvor").Load());
}

// Hand-edited files have CR-LF line ends and blank lines; both read as the
// plain form does.
TEST_F(PreferencesStoreTest, CrLfAndBlankLinesReadAsPlainLines) {
    const char* const texts[] = {
        "delvor-preferences 1\ns  name two%20words\ni  count -3\n",
        "delvor-preferences 1\r\ns  name two%20words\r\ni  count -3\r\n",
        "delvor-preferences 1\rs  name two%20words\ri  count -3\r",
        "delvor-preferences 1\n\ns  name two%20words\n\n\ni  count -3\n\n",
        "delvor-preferences 1\r\n\r\ns  name two%20words\r\n  \t\r\ni  count -3\r\n\r\n",
    };
    for (const char* text : texts) {
        PreferencesStore::Entries entries;
        ASSERT_TRUE(PreferencesStore::Parse(text, entries)) << text;
        EXPECT_EQ(entries.size(), 2u) << text;
        EXPECT_EQ((entries[{"", "name"}].m_sText), "two words") << text;
        EXPECT_EQ((entries[{"", "count"}].m_iNumber), -3) << text;
    }

    // Through the file: the settings stay, nothing is set aside.
    fs::create_directories(m_sFolder + "/delvor");
    std::ofstream(m_sFolder + "/delvor/preferences", std::ios::binary)
        << "delvor-preferences 1\r\n\r\ns  fullscreen false\r\ns  usehints false\r\n";
    PreferencesStore store("delvor");
    EXPECT_TRUE(store.Load());
    EXPECT_EQ(store.ListKeys(), (std::vector<std::string>{"fullscreen", "usehints"}));
    EXPECT_EQ(store.Get("", "fullscreen")->m_sText, "false");
    EXPECT_FALSE(fs::exists(m_sFolder + "/delvor/preferences.bad"));
}

// A run killed in the middle of a save leaves its temporary file; the next
// start removes it, and only it.
TEST_F(PreferencesStoreTest, LeftoverTemporaryFilesGoAtTheNextLoad) {
    const std::string folder = m_sFolder + "/delvor/";
    fs::create_directories(folder);
    const char* const gone[] = {"preferences.a1B2c3", "preferences.XXXXXX"};
    const char* const kept[] = {"preferences", "preferences.bad", "preferences.a1B2c", "preferences.a1B2c3d",
                                "preferences.a1-2c3", "other.a1B2c3"};
    for (const char* name : gone)
        std::ofstream(folder + name) << "s  half";
    for (const char* name : kept)
        std::ofstream(folder + name) << "delvor-preferences 1\n";
    PreferencesStore store("delvor");
    EXPECT_TRUE(store.Load());
    for (const char* name : gone)
        EXPECT_FALSE(fs::exists(folder + name)) << name;
    for (const char* name : kept)
        EXPECT_TRUE(fs::exists(folder + name)) << name;
}

TEST_F(PreferencesStoreTest, ASaveMakesItsFolderDurable) {
    PreferencesStore store("delvor");
    store.SetString("", "a", "b");
    {
        const std::lock_guard<std::mutex> lock(g_SyncedMutex);
        g_SyncedFolders.clear();
    }
    g_bListenToSyncs = true;
    const bool saved = store.Save();
    g_bListenToSyncs = false;
    ASSERT_TRUE(saved);
    const std::string folder = fs::canonical(m_sFolder + "/delvor").string();
    const std::lock_guard<std::mutex> lock(g_SyncedMutex);
    EXPECT_EQ(g_SyncedFolders, std::vector<std::string>{folder});
}
