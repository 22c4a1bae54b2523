// The credits: the game's version, no dragging, and OK fading them out
// above a dialog that stays.
#include "source/dialogs/DialogCredits.h"

#include <gtest/gtest.h>

#include "engine/core/Platform.h"
#include "engine/sprite/Label.h"
#include "tests/source/dialogs/MenuDialogsSupport.h"

using namespace ZQ2;

TEST(DialogCredits, ShowsTheVersionStaysStillAndOkLeavesWhatIsBeneath) {
    gametest::MenuWorld menu;
    Dialog* beneath = menu.Open<Dialog>("DIALOG_MENU");
    ASSERT_NE(beneath, nullptr);
    DialogCredits* credits = menu.Open<DialogCredits>("DIALOG_CREDITS");
    ASSERT_NE(credits, nullptr);
    auto* version = DynamicCast<Label>(credits->GetComponent("VERSION"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->GetText(), Platform::GetGameVersion());
    EXPECT_EQ(credits->GetAlpha(), 255);  // at once, no fade-in

    InputHandler* input = InputHandler::g_Instance;
    const float x = credits->GetScreenX() + 100.0f;
    const float y = credits->GetScreenY() + 60.0f;
    input->ProcessMessage(Message(MESSAGE_MOUSE_LEFT_DOWN, new MouseMessageData(x, y, 0, false)));
    input->ProcessMessage(Message(MESSAGE_MOUSE_MOVED, new MouseMessageData(x + 40.0f, y + 30.0f, 0, false)));
    input->ProcessMessage(Message(MESSAGE_MOUSE_LEFT_UP, new MouseMessageData(x + 40.0f, y + 30.0f, 0, false)));
    input->OnUpdate(0);
    EXPECT_FLOAT_EQ(credits->GetScreenX() + 100.0f, x);
    EXPECT_FLOAT_EQ(credits->GetScreenY() + 60.0f, y);

    menu.m_World.ClickOn(credits->GetComponent("BUTTON_OK"));
    menu.Run(500);
    EXPECT_FALSE(menu.Showing("DIALOG_CREDITS"));
    EXPECT_TRUE(menu.Showing("DIALOG_MENU"));
}
