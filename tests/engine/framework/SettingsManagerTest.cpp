#include "engine/framework/SettingsManager.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#include "engine/core/SmartPtr.h"
#include "engine/framework/Message.h"
#include "engine/framework/TemplateMessageData.h"
#include "engine/io/GameSettings.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/RegistryBase.h"
#include "engine/io/RegistryInt.h"
#include "engine/io/RegistryString.h"
#include "platform/PreferencesStore.h"

using namespace ZQ2;
namespace fs = std::filesystem;

namespace {

// Each test is a fresh user: an empty config home, and no preferences in
// memory, as at a process start.
class Preferences : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-settings-XXXXXX";
        m_sFolder = mkdtemp(pattern);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_bHadOld = old != nullptr;
        m_sOld = old ? old : "";
        setenv("XDG_CONFIG_HOME", m_sFolder.c_str(), 1);
        RegistryBase::ForgetDefaults();
    }
    void TearDown() override {
        SettingsManager::ReleaseInstance();
        RegistryBase::ForgetDefaults();
        if (m_bHadOld)
            setenv("XDG_CONFIG_HOME", m_sOld.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(m_sFolder);
    }

    // What the next process start would read.
    static platform::PreferencesStore Stored() {
        RegistryBase::ForgetDefaults();
        platform::PreferencesStore store(RegistryBase::Defaults().GetDomain());
        store.Load();
        return store;
    }
    static std::string Text(const platform::PreferencesStore& store, const std::string& key) {
        const platform::PreferencesStore::Value* value = store.Get("", key);
        return value ? value->m_sText : "<absent>";
    }
    // A run that ends in order: the manager is made and released.
    static void OrderlyRun(GameSettings* settings = nullptr) {
        SettingsManager::CreateInstance(settings);
        SettingsManager::ReleaseInstance();
    }

    std::string m_sFolder;
    std::string m_sOld;
    bool m_bHadOld = false;
};

}  // namespace

TEST_F(Preferences, KeyPathsSplitIntoFolderAndValueName) {
    RegistryString nested("Game/Audio/Volume/", "", false);
    EXPECT_EQ(nested.GetKeyFolder(), "Game\\Audio");
    EXPECT_EQ(nested.GetValueName(), "Volume");
    RegistryString flat("Volume", "", false);
    EXPECT_EQ(flat.GetKeyFolder(), "");
    EXPECT_EQ(flat.GetValueName(), "Volume");
    flat.SetKeyPath("\\fullscreen");
    EXPECT_EQ(flat.GetKeyFolder(), "");
    EXPECT_EQ(flat.GetValueName(), "fullscreen");
}

TEST_F(Preferences, AccessorsReadDefaultsAndWriteThrough) {
    RegistryInt absent("Game/Level", 5, false);
    EXPECT_EQ(static_cast<unsigned long>(absent), 5u);
    EXPECT_FALSE(absent.IsCached());
    RegistryBase::Defaults().SetInteger("Game", "Level", 9);
    EXPECT_EQ(static_cast<unsigned long>(absent), 9u);  // read again: not cached before

    RegistryString name("\\player", "", false);
    name = "Ann";
    EXPECT_EQ(Text(Stored(), "player"), "Ann");
    RegistryString again("\\player", "", false);
    EXPECT_EQ(static_cast<std::string>(again), "Ann");

    // A new accessor writes every value, its own default included.
    RegistryString cleared("\\player", "", false);
    cleared = "";
    EXPECT_EQ(Text(Stored(), "player"), "");
    RegistryInt counter("\\count", 0, false);
    counter = 3;
    RegistryInt zero("\\count", 0, false);
    zero = 0;
    EXPECT_EQ(Stored().Get("", "count")->m_iNumber, 0);

    RegistryInt folder("Game/Level", 0, false);
    EXPECT_EQ(folder.RemoveKey(), 0);
    EXPECT_FALSE(Stored().Has("Game", "Level"));
    RegistryString top("\\player", "", false);
    EXPECT_EQ(top.RemoveKey(), 0);  // a top-level value has no folder to remove
    EXPECT_TRUE(Stored().Has("", "player"));
    EXPECT_EQ(top.RemoveValue(), 0);
    EXPECT_FALSE(Stored().Has("", "player"));
}

TEST_F(Preferences, FirstRunWritesNothingUntilTheOrderlyEnd) {
    SettingsManager::CreateInstance(nullptr);
    GameSettings* settings = SettingsManager::g_Instance->GetSettings();
    EXPECT_TRUE(settings->IsFullscreen());
    EXPECT_FLOAT_EQ(settings->GetSoundVolume(), 1.0f);
    EXPECT_TRUE(Stored().ListKeys().empty());  // killed now, the next start is a first run again
    SettingsManager::ReleaseInstance();

    const platform::PreferencesStore stored = Stored();
    EXPECT_EQ(stored.ListKeys(),
              (std::vector<std::string>{"fullscreen", "musicvolume", "shutdowncorrect", "soundvolume", "usehints"}));
    EXPECT_EQ(Text(stored, "fullscreen"), "true");
    EXPECT_EQ(Text(stored, "usehints"), "true");
    EXPECT_EQ(Text(stored, "soundvolume"), "1");
    EXPECT_EQ(Text(stored, "musicvolume"), "1");
    EXPECT_EQ(Text(stored, "shutdowncorrect"), "true");
}

TEST_F(Preferences, SettingsRoundTripAndAKilledRunStartsWindowed) {
    auto* first = new GameSettings;
    SettingsManager::CreateInstance(first);
    first->SetSoundVolume(0.5f);
    first->SetMusicVolume(0.0f);
    first->SetUseHints(false);
    SettingsManager::ReleaseInstance();

    // The next start reads them, and marks the run as going on.
    SettingsManager::CreateInstance(nullptr);
    GameSettings* second = SettingsManager::g_Instance->GetSettings();
    EXPECT_FLOAT_EQ(second->GetSoundVolume(), 0.5f);
    EXPECT_FLOAT_EQ(second->GetMusicVolume(), 0.0f);
    EXPECT_FALSE(second->UseHints());
    EXPECT_TRUE(second->IsFullscreen());
    EXPECT_EQ(Text(Stored(), "shutdowncorrect"), "false");
    // Killed: the manager is not released, so the flag stays "false".
    SettingsManager* killed = SettingsManager::g_Instance;
    SettingsManager::g_Instance = nullptr;
    RegistryBase::ForgetDefaults();

    SettingsManager::CreateInstance(nullptr);
    EXPECT_FALSE(SettingsManager::g_Instance->GetSettings()->IsFullscreen());
    EXPECT_FLOAT_EQ(SettingsManager::g_Instance->GetSettings()->GetSoundVolume(), 0.5f);
    SettingsManager::ReleaseInstance();
    EXPECT_EQ(Text(Stored(), "shutdowncorrect"), "true");
    EXPECT_EQ(Text(Stored(), "fullscreen"), "false");
    killed->Release();  // only to free it: the test is over
}

TEST_F(Preferences, TheFullScreenSwitchIsWrittenAtOnce) {
    SettingsManager::CreateInstance(nullptr);
    SettingsManager::g_Instance->ProcessMessage(
        Message(MESSAGE_FULLSCREEN_CHANGED, new TemplateMessageData<bool>(false)));
    EXPECT_EQ(Text(Stored(), "fullscreen"), "false");
    SettingsManager::g_Instance->ProcessMessage(Message(MESSAGE_MINIMIZED_CHANGED, new TemplateMessageData<bool>(true)));
    EXPECT_EQ(Text(Stored(), "fullscreen"), "false");
}

TEST(GameSettings, LoadReadsTheSevenKeysAndCopyTakesFour) {
    SmartPtr<PropertyNode> node(new PropertyNode("s", ""));
    node->InsertProperty(new PropertyValue(PROP_ONLINE_HIGHSCORES, std::string("false"), true));
    node->InsertProperty(new PropertyValue(PROP_SHOW_MORE_GAMES, std::string("false"), true));
    node->InsertProperty(new PropertyValue(PROP_MORE_GAMES_URL, std::string("http://example.org/"), true));
    node->InsertProperty(new PropertyValue(PROP_SOUND_VOLUME, std::string("loud"), true));
    GameSettings settings;
    settings.Load(node.Get());
    EXPECT_FALSE(settings.UseOnlineHighscores());
    EXPECT_FALSE(settings.ShowMoreGamesButton());
    EXPECT_EQ(settings.GetMoreGamesURL(), "http://example.org/");
    EXPECT_FLOAT_EQ(settings.GetSoundVolume(), 0.0f);  // not a number: silence
    EXPECT_TRUE(settings.IsFullscreen());

    GameSettings copy;
    copy.CopyFrom(&settings);
    EXPECT_FLOAT_EQ(copy.GetSoundVolume(), 0.0f);
    EXPECT_TRUE(copy.UseOnlineHighscores());
}
