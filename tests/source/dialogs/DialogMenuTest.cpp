// The level's menu against a plain game scene standing in for the level:
// resume after the fade, help and settings above the menu, and the two
// give-up questions with their next scenes.
#include "source/dialogs/DialogMenu.h"

#include <gtest/gtest.h>

#include "source/dialogs/DialogYesNo.h"
#include "source/main/DelvorMain.h"
#include "source/scenes/SceneGame.h"
#include "tests/source/dialogs/MenuDialogsSupport.h"

using namespace ZQ2;

namespace {

class DialogMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        SceneGame::g_strNextScreen.clear();
        m_pMenu = m_Menu.Open<DialogMenu>("DIALOG_MENU");
        ASSERT_NE(m_pMenu, nullptr);
        m_Menu.Run(300);  // the fade-in, after which input comes back
    }

    void Press(const char* button) {
        GameNode* node = m_Menu.Component("DIALOG_MENU", button);
        ASSERT_NE(node, nullptr) << button;
        m_Menu.m_World.ClickOn(node);
    }

    DialogYesNo* Question() const {
        return DynamicCast<DialogYesNo>(m_Menu.m_World.Scene()->GetDialog(DIALOG_STOP_GAME));
    }

    gametest::MenuWorld m_Menu;
    DialogMenu* m_pMenu = nullptr;
};

}  // namespace

TEST_F(DialogMenuTest, ResumeFadesTheMenuOutBeforeTheLevelGoesOn) {
    Press("BUTTON_RESUME");
    EXPECT_TRUE(m_Menu.Showing("DIALOG_MENU"));
    m_Menu.Run(100);
    EXPECT_TRUE(m_Menu.Showing("DIALOG_MENU"));
    m_Menu.Run(400);
    EXPECT_FALSE(m_Menu.Showing("DIALOG_MENU"));
    EXPECT_EQ(m_Menu.m_World.Scene()->GetDialog("DIALOG_MENU"), nullptr);
}

TEST_F(DialogMenuTest, HelpAndSettingsOpenAboveTheMenu) {
    for (const auto& [button, key] : {std::pair{"BUTTON_HELP", "DIALOG_HELP"}, {"BUTTON_SETTINGS", "DIALOG_SETTINGS"}}) {
        Press(button);
        EXPECT_TRUE(m_Menu.Showing(key)) << key;
        EXPECT_TRUE(m_Menu.Showing("DIALOG_MENU")) << key;
        EXPECT_EQ(m_Menu.m_World.Scene()->GetActiveDialogs().begin()->Get(), m_Menu.m_World.Scene()->GetDialog(key));
        m_Menu.m_World.Scene()->DeactivateDialog(m_Menu.m_World.Scene()->GetDialog(key));
    }
}

TEST_F(DialogMenuTest, GivingUpAsksFirstAndNoLeavesTheMenuOpen) {
    DelvorMain::SetReplayStage(true);
    Press("BUTTON_MAPSCREEN");
    DialogYesNo* question = Question();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->GetMessageText(), "Give up?");
    EXPECT_EQ(question->GetHeaderText(), "Leave");
    // The next scene is chosen when asking, not when answered.
    EXPECT_EQ(SceneGame::g_strNextScreen, "SCENE_MAP");
    EXPECT_FALSE(DelvorMain::ShouldReplayStage());

    m_Menu.m_World.ClickOn(question->GetNoButton());
    m_Menu.Run(500);
    EXPECT_FALSE(m_Menu.Showing(DIALOG_STOP_GAME));
    EXPECT_TRUE(m_Menu.Showing("DIALOG_MENU"));
    EXPECT_EQ(SceneGame::g_strNextScreen, "SCENE_MAP");
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentScene(), m_Menu.m_World.Scene());
}

TEST_F(DialogMenuTest, GivingUpToTheMainMenuAnsweredYesLeavesTheLevel) {
    DelvorMain::m_nCurCountry = 3;
    DelvorMain::m_nCurDay = 7;
    DelvorMain::SetReplayStage(true);
    Press("BUTTON_MAIN");
    DialogYesNo* question = Question();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->GetMessageText(), "Give up?");
    EXPECT_EQ(question->GetHeaderText(), "Leave");
    EXPECT_EQ(SceneGame::g_strNextScreen, "SCENE_SELECTION");
    EXPECT_TRUE(DelvorMain::ShouldReplayStage());

    m_Menu.m_World.ClickOn(question->GetYesButton());
    m_Menu.Run(100);
    ASSERT_NE(SceneManager::g_Instance->GetCurrentScene(), nullptr);
    EXPECT_EQ(SceneManager::g_Instance->GetCurrentScene()->GetName(), "SCENE_SELECTION");
    EXPECT_EQ(DelvorMain::m_nPrevCountry, 3);
    EXPECT_EQ(DelvorMain::m_nPrevDay, 7);
}
