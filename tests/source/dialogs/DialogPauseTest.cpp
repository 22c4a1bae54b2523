// The pause over the level: its own sounds only, the mute once the fade-in
// and a short delay are over, and a click anywhere that brings the sound
// back, also when it comes before the mute was due.
#include "source/dialogs/DialogPause.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "engine/sound/SoundManager.h"
#include "tests/source/dialogs/MenuDialogsSupport.h"

using namespace ZQ2;
using gametest::SoundLog;

namespace {

class DialogPauseTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("DELVOR_AUDIO_OUTPUT", "capture", 1);
        SoundManager::CreateInstance(0, 44100, 32);
        SoundLog::asked.clear();
        m_pPause = m_Menu.Open<DialogPause>("DIALOG_PAUSE");
        ASSERT_NE(m_pPause, nullptr);
    }
    void TearDown() override { SoundManager::ReleaseInstance(); }

    static bool Muted() { return SoundManager::g_Instance->IsMuted(); }
    static bool Asked(const std::string& sound) {
        return std::count(SoundLog::asked.begin(), SoundLog::asked.end(), sound) == 1;
    }
    // A click on the dialog away from its button.
    void ClickOnDialog() {
        m_Menu.m_World.ClickAt(m_pPause->GetScreenX() + 200.0f, m_pPause->GetScreenY() + 150.0f);
    }

    gametest::MenuWorld m_Menu;
    DialogPause* m_pPause = nullptr;
};

}  // namespace

TEST_F(DialogPauseTest, MutesAfterTheFadeInAndAClickAnywhereResumes) {
    EXPECT_TRUE(Asked("scenegame/SOUND_UI_PAUSE"));
    EXPECT_FALSE(Asked("default/SOUND_UI_DIALOG_OPEN"));
    m_Menu.Run(300);
    EXPECT_FALSE(Muted());
    m_Menu.Run(150);
    EXPECT_TRUE(Muted());

    ClickOnDialog();
    EXPECT_FALSE(Muted());
    EXPECT_TRUE(Asked("scenegame/SOUND_UI_RESUME"));
    EXPECT_TRUE(m_Menu.Showing("DIALOG_PAUSE"));  // fading out
    m_Menu.Run(500);
    EXPECT_FALSE(m_Menu.Showing("DIALOG_PAUSE"));
    EXPECT_FALSE(Muted());
    EXPECT_FALSE(Asked("default/SOUND_UI_DIALOG_CLOSE"));
}

TEST_F(DialogPauseTest, ResumingBeforeTheMuteWasDueLeavesTheSoundOn) {
    m_Menu.Run(300);
    ASSERT_FALSE(Muted());
    ASSERT_TRUE(m_pPause->IsMutePending());
    GameNode* resume = m_Menu.Component("DIALOG_PAUSE", "BUTTON_RESUME");
    ASSERT_NE(resume, nullptr);
    m_Menu.m_World.ClickOn(resume);
    EXPECT_FALSE(m_pPause->IsMutePending());
    m_Menu.Run(1000);
    EXPECT_FALSE(m_Menu.Showing("DIALOG_PAUSE"));
    EXPECT_FALSE(Muted());
}

TEST_F(DialogPauseTest, ClicksDuringTheFadeInDoNotReachIt) {
    m_Menu.Run(100);
    ClickOnDialog();
    m_Menu.Run(400);
    EXPECT_TRUE(m_Menu.Showing("DIALOG_PAUSE"));
    EXPECT_TRUE(Muted());
}
