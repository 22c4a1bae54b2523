// The player list and the name dialog together, on a save folder of their
// own: adding, choosing and removing players with their files, the
// duplicate-name rule, the name limits and the compulsory first name.
#include "source/dialogs/DialogPlayerSelect.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/Platform.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/io/FileUtils.h"
#include "engine/io/PlayerManager.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/LabelInput.h"
#include "source/dialogs/DialogNameInput.h"
#include "source/dialogs/DialogYesNo.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/engine/sprite/FakeFont.h"
#include "tests/source/GameTestSupport.h"

using namespace ZQ2;
using gametest::GameWorld;

namespace {

const char* const kDialogs =
    "<String id=\"CTEXT_PLAYER_EXISTS\" value=\"Taken\"/>"
    "<String id=\"CTEXT_PLAYER_EXISTS_HEADER\" value=\"Name\"/>"
    "<String id=\"CTEXT_REMOVE_PLAYER\" value=\"Remove?\"/>"
    "<String id=\"CTEXT_REMOVE_PLAYER_HEADER\" value=\"Remove\"/>"
    "<String id=\"CTEXT_REMOVE_PLAYER_FAILED\" value=\"Failed\"/>"
    "<Node id=\"dialogs\">"
    "  <DialogYesNo id=\"DIALOG_YESNO\" width=\"300\" height=\"200\">"
    "    <Vector id=\"components\">"
    "      <Button name=\"BUTTON_YES\" x=\"40\" y=\"150\" width=\"80\" height=\"30\"/>"
    "      <Button name=\"BUTTON_NO\" x=\"180\" y=\"150\" width=\"80\" height=\"30\"/>"
    "    </Vector>"
    "  </DialogYesNo>"
    "  <DialogPlayerSelect id=\"DIALOG_PLAYERSELECT\" width=\"400\" height=\"400\">"
    "    <Button id=\"namebutton\" y=\"50\" width=\"200\" height=\"30\" spacing=\"40\"/>"
    "    <Label id=\"namelabel\" width=\"200\" height=\"30\"/>"
    "    <Vector id=\"components\">"
    "      <Sprite name=\"BORDER\" x=\"190\" y=\"-4\" width=\"220\" height=\"38\"/>"
    "      <Button name=\"BUTTON_ADD\" x=\"10\" y=\"300\" width=\"80\" height=\"30\"/>"
    "      <Button name=\"BUTTON_REMOVE\" x=\"100\" y=\"300\" width=\"80\" height=\"30\"/>"
    "      <Button name=\"BUTTON_OK\" x=\"300\" y=\"350\" width=\"80\" height=\"30\"/>"
    "    </Vector>"
    "  </DialogPlayerSelect>"
    "  <DialogNameInput id=\"DIALOG_NEWPLAYER\" width=\"400\" height=\"200\">"
    "    <Vector id=\"components\">"
    "      <LabelInput name=\"INPUT_NAME\" x=\"20\" y=\"40\" width=\"360\" height=\"30\" maxlength=\"8\">"
    "        <Label id=\"label\" width=\"360\" height=\"30\"/>"
    "      </LabelInput>"
    "      <Button name=\"BUTTON_OK\" x=\"40\" y=\"150\" width=\"80\" height=\"30\"/>"
    "      <Button name=\"BUTTON_CANCEL\" x=\"240\" y=\"150\" width=\"80\" height=\"30\"/>"
    "    </Vector>"
    "  </DialogNameInput>"
    "</Node>";

class PlayerDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        m_sFolder = savefolder::Fresh();
        if (m_sFolder.empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        PlayerManager::CreateInstance(false, "1");
        DVUpgradeHandler::CreateInstance();
        m_spFont = new SpriteTestSupport::FakeFont();
    }
    void TearDown() override {
        DVUpgradeHandler::ReleaseInstance();
        PlayerManager::ReleaseInstance();
    }

    static PlayerManager* Players() { return PlayerManager::g_Instance; }

    // Players made as the game makes them, each saved once by a change.
    void AddPlayers(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            Players()->AddPlayer(new DelvorPlayer(name));
            Players()->ChangePlayer(name);
        }
        if (!names.empty())
            Players()->ChangePlayer(names.front());
        PlayerManager::SaveToDisk();
        // Each profile with a file of its own, as after a game played.
        for (const std::string& name : names)
            std::ofstream(PlayerFile(name)) << "<root/>";
    }

    std::string PlayerFile(const std::string& name) const {
        return GetEncryptFileName(Players()->GetPlayerDataFileName(name), Players()->GetArchiveType());
    }

    std::string Current() const {
        const AbstractPlayer* player = Players()->GetCurrentPlayer();
        return player ? std::string(player->GetName()) : std::string("<none>");
    }

    DialogPlayerSelect* OpenList() {
        auto* dialog = DynamicCast<DialogPlayerSelect>(m_World.Scene()->ConstructDialog(DIALOG_PLAYERSELECT));
        EXPECT_NE(dialog, nullptr);
        if (dialog)
            m_World.Scene()->ActivateDialog(dialog);
        Settle();
        return dialog;
    }

    DialogNameInput* NameDialog() const {
        auto* dialog = DynamicCast<DialogNameInput>(m_World.Scene()->GetDialog(DIALOG_NEWPLAYER));
        if (dialog && dialog->GetInput())
            dialog->GetInput()->GetLabel()->SetFont(m_spFont.Get());
        return dialog;
    }

    DialogNameInput* OpenNameDialog() {
        OpenNameInputDialog();
        Settle();
        return NameDialog();
    }

    bool Showing(const char* name) const { return m_World.Scene()->IsActiveDialog(name); }

    // Long enough for every show and hide animation to end.
    void Settle() {
        for (int i = 0; i < 4; ++i)
            m_World.Frame(200);
    }

    static void Type(DialogNameInput* dialog, const std::string& text) {
        for (char c : text)
            dialog->GetInput()->OnKeyTyped(KeyboardMessageData(static_cast<unsigned char>(c), SYSKEY_NONE));
    }
    static void PressReturn(DialogNameInput* dialog) {
        dialog->GetInput()->OnKeyDown(KeyboardMessageData(0, SYSKEY_RETURN));
        dialog->GetInput()->OnKeyUp(KeyboardMessageData(0, SYSKEY_RETURN));
    }

    std::vector<std::string> Rows(DialogPlayerSelect* list) const {
        std::vector<std::string> rows;
        for (int i = 0; i < DialogPlayerSelect::ROW_COUNT; ++i)
            rows.push_back(list->GetRowLabel(i)->GetText());
        return rows;
    }

    void AnswerYes() {
        auto* question = DynamicCast<DialogYesNo>(m_World.Scene()->GetDialog(DIALOG_REMOVE_PLAYER));
        ASSERT_NE(question, nullptr);
        Settle();
        m_World.ClickOn(question->GetYesButton());
        Settle();
    }

    std::string m_sFolder;
    GameWorld m_World{kDialogs};
    SmartPtr<SpriteTestSupport::FakeFont> m_spFont;
};

}  // namespace

TEST_F(PlayerDialogs, ThreePlayersFillThreeRowsAndAnEmptyRowAsksForANewName) {
    AddPlayers({"Ann", "Bob", "Cy"});
    Players()->ChangePlayer("Bob");
    DialogPlayerSelect* list = OpenList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"Ann", "Bob", "Cy", "", ""}));
    EXPECT_EQ(list->GetSelectedRow(), 1);
    EXPECT_TRUE(list->GetBorder()->IsVisible());
    EXPECT_EQ(list->GetBorder()->GetY(), list->GetRowButton(1)->GetY() - 4.0f);
    EXPECT_TRUE(list->GetAddButton()->IsEnabled());
    EXPECT_TRUE(list->GetRemoveButton()->IsEnabled());

    m_World.ClickOn(list->GetRowButton(2));
    EXPECT_EQ(Current(), "Cy");
    EXPECT_EQ(list->GetSelectedRow(), 2);
    EXPECT_EQ(list->GetBorder()->GetY(), list->GetRowButton(2)->GetY() - 4.0f);
    EXPECT_FALSE(Showing(DIALOG_NEWPLAYER));

    m_World.ClickOn(list->GetRowButton(3));
    EXPECT_TRUE(Showing(DIALOG_NEWPLAYER));
    EXPECT_TRUE(Showing(DIALOG_PLAYERSELECT));
}

TEST_F(PlayerDialogs, FivePlayersRefuseASixth) {
    AddPlayers({"A", "B", "C", "D", "E"});
    DialogPlayerSelect* list = OpenList();
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->GetAddButton()->IsEnabled());
    DialogPlayerSelect::OnAddClick(list, list->GetAddButton());
    EXPECT_FALSE(Showing(DIALOG_NEWPLAYER));
    m_World.ClickOn(list->GetRowButton(4));
    EXPECT_EQ(Current(), "E");
    EXPECT_FALSE(Showing(DIALOG_NEWPLAYER));
}

TEST_F(PlayerDialogs, AddingMakesTheProfileCurrentSavesItAndClosesBothDialogs) {
    AddPlayers({"Ann"});
    DialogPlayerSelect* list = OpenList();
    ASSERT_NE(list, nullptr);
    m_World.ClickOn(list->GetAddButton());
    Settle();
    DialogNameInput* names = NameDialog();
    ASSERT_NE(names, nullptr);
    EXPECT_TRUE(names->GetInput()->HasFocus());
    EXPECT_FALSE(names->GetOkButton()->IsEnabled());
    Type(names, "  Zed ");
    EXPECT_TRUE(names->GetOkButton()->IsEnabled());
    m_World.ClickOn(names->GetOkButton());
    Settle();
    EXPECT_EQ(Current(), "Zed");
    EXPECT_FALSE(Showing(DIALOG_PLAYERSELECT));
    EXPECT_FALSE(Showing(DIALOG_NEWPLAYER));
    EXPECT_TRUE(FileExists(Players()->GetPlayerListFileName()));

    // The list as written holds the trimmed name.
    PlayerManager::ReleaseInstance();
    PlayerManager::CreateInstance(false, "1");
    Players()->LoadFromDisk();
    EXPECT_TRUE(Players()->HasPlayer("Zed"));
    EXPECT_FALSE(Players()->HasPlayer("  Zed "));
}

TEST_F(PlayerDialogs, ADuplicateNameIsRefusedButADifferentCaseIsNot) {
    AddPlayers({"Ann"});
    DialogNameInput* names = OpenNameDialog();
    ASSERT_NE(names, nullptr);
    Type(names, " Ann");
    PressReturn(names);
    EXPECT_TRUE(Showing(DIALOG_PLAYER_EXISTS));
    EXPECT_TRUE(Showing(DIALOG_NEWPLAYER));
    EXPECT_EQ(Players()->GetPlayers().size(), 1);
    EXPECT_TRUE(names->GetInput()->HasFocus());

    names->GetInput()->ChangeInputText("ANN", true);
    PressReturn(names);
    Settle();
    EXPECT_EQ(Current(), "ANN");
    EXPECT_EQ(Players()->GetPlayers().size(), 2);
}

TEST_F(PlayerDialogs, TheNameFieldKeepsToItsLimitsAndTicksOnEveryChange) {
    AddPlayers({"Ann"});
    DialogNameInput* names = OpenNameDialog();
    ASSERT_NE(names, nullptr);
    gametest::SoundLog::asked.clear();
    Type(names, "   ");
    EXPECT_FALSE(names->GetOkButton()->IsEnabled());
    PressReturn(names);
    EXPECT_TRUE(Showing(DIALOG_NEWPLAYER));
    EXPECT_EQ(Players()->GetPlayers().size(), 1);
    EXPECT_TRUE(names->GetInput()->HasFocus());

    Type(names, "abcdefghij");
    EXPECT_EQ(names->GetInput()->GetText(), "   abcde");  // maxlength 8
    const auto ticks = std::count(gametest::SoundLog::asked.begin(), gametest::SoundLog::asked.end(),
                                  std::string("default/SOUND_TICK"));
    EXPECT_EQ(ticks, 8);

    // A click on the dialog leaves the keyboard with the field.
    names->GetInput()->SetFocus(false);
    m_World.ClickAt(names->GetScreenX() + 5.0f, names->GetScreenY() + 5.0f);
    EXPECT_TRUE(names->GetInput()->HasFocus());

    m_World.ClickOn(names->GetCancelButton());
    Settle();
    EXPECT_FALSE(Showing(DIALOG_NEWPLAYER));
    EXPECT_EQ(Players()->GetPlayers().size(), 1);
}

TEST_F(PlayerDialogs, TheFirstNameIsCompulsory) {
    DialogNameInput* names = OpenNameDialog();
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(names->GetComponent("BUTTON_CANCEL"), nullptr);
    EXPECT_EQ(names->GetOkButton()->GetX(), names->GetWidth() / 2.0f);
    Type(names, "Ann");
    PressReturn(names);
    Settle();
    EXPECT_EQ(Current(), "Ann");
}

TEST_F(PlayerDialogs, RemovingTheCurrentPlayerSelectsItsNeighbourAndDeletesItsFile) {
    struct Case {
        std::string current;
        std::string next;
    };
    for (const Case& c : {Case{"Bob", "Cy"}, Case{"Cy", "Bob"}}) {
        SCOPED_TRACE(c.current);
        AddPlayers({"Ann", "Bob", "Cy"});
        Players()->ChangePlayer(c.current);
        ASSERT_TRUE(FileExists(PlayerFile(c.current)));
        DialogPlayerSelect* list = OpenList();
        ASSERT_NE(list, nullptr);
        m_World.ClickOn(list->GetRemoveButton());
        AnswerYes();
        EXPECT_EQ(Current(), c.next);
        EXPECT_FALSE(Players()->HasPlayer(c.current));
        EXPECT_FALSE(FileExists(PlayerFile(c.current)));
        EXPECT_FALSE(Showing(DIALOG_REMOVE_PLAYER));
        EXPECT_EQ(list->GetRowLabel(list->GetSelectedRow())->GetText(), c.next);
        m_World.Scene()->RemoveAllDialogs();
        Settle();
        for (const char* name : {"Ann", "Bob", "Cy"})
            Players()->RemovePlayer(name);
    }
}

TEST_F(PlayerDialogs, RemovingTheOnlyPlayerLeavesNoneAndAsksForAName) {
    AddPlayers({"Ann"});
    DialogPlayerSelect* list = OpenList();
    ASSERT_NE(list, nullptr);
    m_World.ClickOn(list->GetRemoveButton());
    AnswerYes();
    EXPECT_EQ(Players()->GetCurrentPlayer(), nullptr);
    EXPECT_EQ(Players()->GetPlayers().size(), 0);
    EXPECT_EQ(list->GetSelectedRow(), -1);
    EXPECT_FALSE(list->GetRemoveButton()->IsEnabled());
    EXPECT_FALSE(list->GetBorder()->IsVisible());
    EXPECT_TRUE(Showing(DIALOG_NEWPLAYER));
}

TEST_F(PlayerDialogs, AnsweringNoChangesNothing) {
    AddPlayers({"Ann", "Bob"});
    DialogPlayerSelect* list = OpenList();
    ASSERT_NE(list, nullptr);
    m_World.ClickOn(list->GetRemoveButton());
    auto* question = DynamicCast<DialogYesNo>(m_World.Scene()->GetDialog(DIALOG_REMOVE_PLAYER));
    ASSERT_NE(question, nullptr);
    Settle();
    m_World.ClickOn(question->GetNoButton());
    Settle();
    EXPECT_FALSE(Showing(DIALOG_REMOVE_PLAYER));
    EXPECT_EQ(Players()->GetPlayers().size(), 2);
    EXPECT_EQ(Current(), "Ann");
}

TEST_F(PlayerDialogs, APlayerWhoseFileStaysIsReported) {
    AddPlayers({"Ann", "Bob"});
    Players()->ChangePlayer("Bob");
    // A folder where the file should be cannot be deleted as a file.
    const std::string file = PlayerFile("Bob");
    std::filesystem::remove(file);
    std::filesystem::create_directories(file + "/keep");
    DialogPlayerSelect* list = OpenList();
    ASSERT_NE(list, nullptr);
    m_World.ClickOn(list->GetRemoveButton());
    AnswerYes();
    EXPECT_TRUE(Showing("CTEXT_REMOVE_PLAYER_FAILED"));
    EXPECT_EQ(Current(), "Ann");
    std::filesystem::remove_all(file);
}
