#include "platform/PreferencesStore.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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
        "delvor-preferences 1\n\n",
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
