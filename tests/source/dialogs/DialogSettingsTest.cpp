// The game's settings record and the settings dialog over the capture output
// and SDL's offscreen window: sliders heard at once, Cancel undoing them, OK
// storing "GameSettngs" and switching the window, and the way to the credits.
#include "source/dialogs/DialogSettings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "aulos/ausnd.h"
#include "engine/app/Application.h"
#include "engine/core/Platform.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/SettingsManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/RegistryBase.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundStream.h"
#include "engine/sprite/Slider.h"
#include "engine/sprite/Switch.h"
#include "platform/PreferencesStore.h"
#include "tests/MonoWav.h"
#include "tests/source/dialogs/MenuDialogsSupport.h"

using namespace ZQ2;
namespace fs = std::filesystem;

TEST(DelvorGameSettings, TheGamesDefaultsAndTheLinkKeysComeOnlyFromTheStore) {
    DelvorGameSettings settings;
    EXPECT_FLOAT_EQ(settings.GetMusicVolume(), 0.2f);
    EXPECT_FLOAT_EQ(settings.GetSoundVolume(), 1.0f);
    EXPECT_TRUE(settings.IsFullscreen());
    EXPECT_TRUE(settings.IsShowLink());
    EXPECT_EQ(settings.GetVisitURL(), DelvorGameSettings::DEFAULT_VISIT_URL);

    SmartPtr<PropertyNode> without(new PropertyNode("GameSettngs", ""));
    without->InsertProperty(new PropertyValue("musicvolume", 0.5f));
    settings.Load(without.Get());
    EXPECT_FLOAT_EQ(settings.GetMusicVolume(), 0.5f);
    EXPECT_TRUE(settings.IsShowLink());
    EXPECT_EQ(settings.GetVisitURL(), DelvorGameSettings::DEFAULT_VISIT_URL);

    SmartPtr<PropertyNode> with(new PropertyNode("GameSettngs", ""));
    with->InsertBoolean("SHOWLINK", false, true);
    with->InsertProperty(new PropertyValue("VISITURL", std::string("https://example.org/dig")));
    settings.Load(with.Get());
    EXPECT_FALSE(settings.IsShowLink());
    EXPECT_EQ(settings.GetVisitURL(), "https://example.org/dig");

    SmartPtr<PropertyNode> saved(new PropertyNode("GameSettngs", ""));
    settings.Save(saved.Get());
    EXPECT_FALSE(saved->HasProperty("SHOWLINK"));
    EXPECT_FALSE(saved->HasProperty("VISITURL"));
    EXPECT_TRUE(saved->HasProperty("musicvolume"));
}

namespace {

// A mono 16-bit WAV file holding one value throughout.
std::string ConstantWav(int16_t value, uint32_t frames) {
    return mono_wav::Write(::testing::TempDir() + "settings_music.wav", std::vector<int16_t>(frames, value));
}

class DialogSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-menu-settings-XXXXXX";
        m_sFolder = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", m_sFolder.c_str(), 1);
        RegistryBase::ForgetDefaults();
        Application::g_ApplicationRunning = true;
        ASSERT_TRUE(GameWindow::CreateInstance("Delvor settings", 320, 240, false, true, 0, nullptr));
        SettingsManager::CreateInstance(new DelvorGameSettings);
        setenv("DELVOR_AUDIO_OUTPUT", "capture", 1);
        SoundManager::CreateInstance(0, 44100, 32);
        ASSERT_TRUE(SoundManager::g_AudioAvailable);
        m_spMusic = new SoundStream(nullptr);
        m_spMusic->SetFileName(ConstantWav(16000, 44100 * 4));
    }
    void TearDown() override {
        m_spMusic = nullptr;
        SoundManager::ReleaseInstance();
        SettingsManager::ReleaseInstance();
        GameWindow::RemoveInstance();
        RegistryBase::ForgetDefaults();
        unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(m_sFolder);
    }

    DialogSettings* Open() {
        DialogSettings* dialog = m_Menu.Open<DialogSettings>("DIALOG_SETTINGS");
        if (dialog)
            m_Menu.Run(300);
        return dialog;
    }
    void Press(DialogSettings* dialog, const char* name) { m_Menu.m_World.ClickOn(dialog->GetComponent(name)); }
    // A click on the slider's track at a fraction of its length.
    void SlideTo(Slider* slider, float fraction) {
        m_Menu.m_World.ClickAt(slider->GetScreenX() + 100.0f * fraction, slider->GetScreenY() + 5.0f);
    }

    // The captured level of the music after a few mix blocks.
    static int Level() {
        int level = 0;
        for (int i = 0; i < 3; ++i) {
            SoundManager::g_Instance->OnUpdate(23);
            unsigned int frames = 0;
            const int16_t* data = AUSND_Capture_GetData(&frames);
            level = frames ? std::abs(data[(frames - 1) * AUSND_Capture_GetChannels()]) : 0;
        }
        return level;
    }

    static std::string StoredText(const std::string& key) {
        RegistryBase::ForgetDefaults();
        platform::PreferencesStore store(RegistryBase::Defaults().GetDomain());
        store.Load();
        const platform::PreferencesStore::Value* value = store.Get("", key);
        return value ? value->m_sText : "<absent>";
    }

    static DelvorGameSettings* Stored() { return DelvorGameSettings::Instance(); }

    std::string m_sFolder;
    SmartPtr<SoundStream> m_spMusic;
    gametest::MenuWorld m_Menu;
};

}  // namespace

TEST_F(DialogSettingsTest, TheMusicSliderIsHeardAtOnceAndCancelRestoresTheStoredVolume) {
    ASSERT_NE(Stored(), nullptr);
    ASSERT_FLOAT_EQ(Stored()->GetMusicVolume(), 0.2f);  // a first start
    SoundManager::g_Instance->SetOverallStreamVolume(Stored()->GetMusicVolume());
    ASSERT_TRUE(SoundManager::g_Instance->PlayStream(m_spMusic.Get(), false, SoundManager::STREAM_MODE));
    const int stored = Level();
    ASSERT_GT(stored, 100);

    DialogSettings* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FLOAT_EQ(dialog->GetMusicSlider()->GetValue(), 0.2f);
    EXPECT_FLOAT_EQ(dialog->GetSoundSlider()->GetValue(), 1.0f);
    SlideTo(dialog->GetMusicSlider(), 0.8f);
    EXPECT_NEAR(dialog->GetMusicVolume(), 0.8f, 0.01f);
    EXPECT_NEAR(SoundManager::g_Instance->GetOverallStreamVolume(), 0.8f, 0.01f);
    EXPECT_NEAR(Level(), stored * 4, stored / 10);
    SlideTo(dialog->GetSoundSlider(), 0.5f);
    EXPECT_NEAR(SoundManager::g_Instance->GetOverallSampleVolume(), 0.5f, 0.01f);

    Press(dialog, "BUTTON_CANCEL");
    EXPECT_FLOAT_EQ(SoundManager::g_Instance->GetOverallStreamVolume(), 0.2f);
    EXPECT_FLOAT_EQ(SoundManager::g_Instance->GetOverallSampleVolume(), 1.0f);
    EXPECT_NEAR(Level(), stored, stored / 20);
    EXPECT_FLOAT_EQ(Stored()->GetMusicVolume(), 0.2f);
    m_Menu.Run(500);
    EXPECT_FALSE(m_Menu.Showing("DIALOG_SETTINGS"));
    EXPECT_EQ(StoredText("musicvolume"), "<absent>");

    DialogSettings* again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_FLOAT_EQ(again->GetMusicSlider()->GetValue(), 0.2f);
}

TEST_F(DialogSettingsTest, OkStoresTheSettingsAndSwitchesTheWindow) {
    DialogSettings* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Switch* fullscreen = dialog->GetFullscreenSwitch();
    ASSERT_NE(fullscreen, nullptr);
    EXPECT_TRUE(fullscreen->IsEnabled());
    // The stored record says full screen; the switch shows the window.
    EXPECT_TRUE(Stored()->IsFullscreen());
    EXPECT_FALSE(fullscreen->IsChecked());

    SlideTo(dialog->GetMusicSlider(), 0.5f);
    m_Menu.m_World.ClickOn(fullscreen);
    EXPECT_TRUE(fullscreen->IsChecked());
    Press(dialog, "BUTTON_OK");
    EXPECT_TRUE(GameWindow::g_Instance->IsFullscreen());
    EXPECT_TRUE(Stored()->IsFullscreen());
    EXPECT_NEAR(Stored()->GetMusicVolume(), 0.5f, 0.01f);
    EXPECT_NEAR(SoundManager::g_Instance->GetOverallStreamVolume(), 0.5f, 0.01f);
    EXPECT_EQ(StoredText("musicvolume"), "0.5");
    EXPECT_EQ(StoredText("fullscreen"), "true");
    m_Menu.Run(500);
    EXPECT_FALSE(m_Menu.Showing("DIALOG_SETTINGS"));

    // Unchanged, OK still stores and hands the window its own state.
    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->GetFullscreenSwitch()->IsChecked());
    m_Menu.m_World.ClickOn(dialog->GetFullscreenSwitch());
    Press(dialog, "BUTTON_OK");
    EXPECT_FALSE(GameWindow::g_Instance->IsFullscreen());
    EXPECT_EQ(StoredText("fullscreen"), "false");
}

TEST_F(DialogSettingsTest, HoldingTheEffectsThumbPlaysTheDragSoundAtMostEveryHalfSecond) {
    DialogSettings* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    gametest::SoundLog::asked.clear();
    Slider* slider = dialog->GetSoundSlider();
    slider->OnMouseLeftDown(gametest::Mouse(slider->GetScreenX() + 50.0f, slider->GetScreenY() + 5.0f));
    m_Menu.m_World.Frame(10);
    m_Menu.m_World.Frame(10);
    EXPECT_EQ(gametest::SoundLog::asked, std::vector<std::string>{"default/SOUND_UI_SLIDER_DRAG"});
    slider->OnMouseLeftUp(gametest::Mouse(slider->GetScreenX() + 50.0f, slider->GetScreenY() + 5.0f));
    m_Menu.m_World.Frame(10);
    EXPECT_EQ(gametest::SoundLog::asked.size(), 1u);
}

TEST_F(DialogSettingsTest, CreditsOpenAboveTheSettings) {
    DialogSettings* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Press(dialog, "BUTTON_CREDITS");
    EXPECT_TRUE(m_Menu.Showing("DIALOG_CREDITS"));
    EXPECT_TRUE(m_Menu.Showing("DIALOG_SETTINGS"));
}

TEST(DialogSettingsWindow, AWindowThatCannotSwitchDisablesTheSwitch) {
    Application::g_ApplicationRunning = true;
    ASSERT_TRUE(GameWindow::CreateInstance("Delvor fixed", 320, 240, false, false, 0, nullptr));
    {
        gametest::MenuWorld menu;
        DialogSettings* dialog = menu.Open<DialogSettings>("DIALOG_SETTINGS");
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(dialog->GetFullscreenSwitch()->IsEnabled());
        EXPECT_FALSE(dialog->GetFullscreenSwitch()->IsChecked());
    }
    GameWindow::RemoveInstance();
}
