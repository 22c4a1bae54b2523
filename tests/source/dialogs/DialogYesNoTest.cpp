// The question dialog built from the dialog catalogue: its texts, its buttons'
// actions and their defaults, its replacement under the same key, the message
// dialog made of it, and a message that grows the dialog.
#include "source/dialogs/DialogYesNo.h"

#include <gtest/gtest.h>

#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Label.h"
#include "tests/engine/sprite/FakeFont.h"
#include "tests/source/GameTestSupport.h"

using namespace ZQ2;
using gametest::GameWorld;

namespace {

struct Calls {
    static inline std::vector<std::string> log;
    static void Yes(BaseObject*, BaseObject*) { log.push_back("yes"); }
    static void No(BaseObject*, BaseObject*) { log.push_back("no"); }
};

class DialogYesNoTest : public ::testing::Test {
protected:
    void SetUp() override { Calls::log.clear(); }

    DialogYesNo* Question(iGuiMethod::Method yes, iGuiMethod::Method no) {
        DialogYesNo* dialog =
            CreateYesNoDialog("CTEXT_QUESTION_QUIT", "CTEXT_QUIT_HEADER", nullptr, yes, nullptr, no, m_World.Scene());
        EXPECT_NE(dialog, nullptr);
        if (dialog)
            m_World.Scene()->ActivateDialog(dialog);
        return dialog;
    }

    bool Showing() const { return m_World.Scene()->IsActiveDialog("CTEXT_QUESTION_QUIT"); }

    GameWorld m_World;
};

}  // namespace

TEST_F(DialogYesNoTest, BuiltFromTheCatalogueUnderItsMessageKeyWithTheTextsOfTheKeys) {
    DialogYesNo* dialog = Question(nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetName(), "CTEXT_QUESTION_QUIT");
    EXPECT_EQ(m_World.Scene()->GetDialog("CTEXT_QUESTION_QUIT"), dialog);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(dialog->GetMessageText(), "Do you really want to quit?");
    EXPECT_EQ(dialog->GetHeaderText(), "Quit");
    ASSERT_NE(dialog->GetYesButton(), nullptr);
    ASSERT_NE(dialog->GetNoButton(), nullptr);
    EXPECT_EQ(dialog->GetWidth(), 300.0f);
    EXPECT_EQ(dialog->GetHeight(), 200.0f);
}

TEST_F(DialogYesNoTest, MissingKeysShowWhatTheConstantsTableGives) {
    DialogYesNo* dialog =
        CreateYesNoDialog("CTEXT_SAVED", "CTEXT_NOTE_HEADER", nullptr, nullptr, nullptr, nullptr, m_World.Scene());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetHeaderText(), "Note");  // the key with the platform suffix
    DialogYesNo* unknown =
        CreateYesNoDialog("CTEXT_UNKNOWN", "CTEXT_NONE", nullptr, nullptr, nullptr, nullptr, m_World.Scene());
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->GetMessageText(), "");
    EXPECT_EQ(unknown->GetHeaderText(), "");
}

TEST_F(DialogYesNoTest, ButtonsWithoutActionsJustCloseTheQuestion) {
    for (const bool yes : {true, false}) {
        DialogYesNo* dialog = Question(nullptr, nullptr);
        ASSERT_NE(dialog, nullptr);
        m_World.ClickOn(yes ? dialog->GetYesButton() : dialog->GetNoButton());
        EXPECT_FALSE(Showing()) << (yes ? "yes" : "no");
        EXPECT_EQ(m_World.Scene()->GetDialog("CTEXT_QUESTION_QUIT"), nullptr);
    }
}

TEST_F(DialogYesNoTest, ButtonsWithActionsLeaveClosingToThem) {
    DialogYesNo* dialog = Question(&Calls::Yes, &Calls::No);
    ASSERT_NE(dialog, nullptr);
    m_World.ClickOn(dialog->GetNoButton());
    m_World.ClickOn(dialog->GetYesButton());
    EXPECT_EQ(Calls::log, (std::vector<std::string>{"no", "yes"}));
    EXPECT_TRUE(Showing());

    dialog->SetNoMethod(nullptr, nullptr);
    m_World.ClickOn(dialog->GetNoButton());
    EXPECT_FALSE(Showing());
}

TEST_F(DialogYesNoTest, ASecondQuestionUnderTheSameKeyReplacesTheFirst) {
    SmartPtr<DialogYesNo> first(Question(nullptr, nullptr));
    DialogYesNo* second = Question(nullptr, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first.Get(), second);
    EXPECT_TRUE(first->IsObsolete());
    EXPECT_EQ(m_World.Scene()->GetDialog("CTEXT_QUESTION_QUIT"), second);
    EXPECT_EQ(m_World.Scene()->GetActiveDialogs().size(), 1u);
}

TEST_F(DialogYesNoTest, MessageDialogShowsOnlyACentredOkButton) {
    static SmartPtr<Image> okImage;
    okImage = new Image(new ImageDataOpenGL(80, 30, 80, 30, true), 1, 1);
    ResourceLookup::SetImageSource([](const std::string& name, const std::string& section, const std::string*) {
        return name == "BUTTON_OK" && section == "default" ? okImage.Get() : nullptr;
    });
    DialogYesNo* dialog = CreateMessageDialog("CTEXT_SAVED", "CTEXT_NOTE_HEADER", nullptr, &Calls::Yes, m_World.Scene());
    ASSERT_NE(dialog, nullptr);
    m_World.Scene()->ActivateDialog(dialog);
    Button* ok = dialog->GetYesButton();
    Button* no = dialog->GetNoButton();
    EXPECT_FALSE(no->IsVisible());
    EXPECT_FALSE(no->IsEnabled());
    EXPECT_EQ(ok->GetX(), 150.0f);
    EXPECT_EQ(ok->GetAnchorPoint().GetType(), ANCHOR_TOP);
    EXPECT_EQ(ok->GetImage(), okImage);
    ResourceLookup::SetImageSource(nullptr);
    okImage = nullptr;

    m_World.ClickAt(dialog->GetScreenX() + 220.0f, dialog->GetScreenY() + 160.0f);  // where no was
    EXPECT_TRUE(Calls::log.empty());
    EXPECT_TRUE(m_World.Scene()->IsActiveDialog("CTEXT_SAVED"));
    m_World.ClickAt(dialog->GetScreenX() + 150.0f, dialog->GetScreenY() + 160.0f);
    EXPECT_EQ(Calls::log, (std::vector<std::string>{"yes"}));
}

TEST_F(DialogYesNoTest, ALongerMessageGrowsTheDialogAndMovesTheButtonsDown) {
    DialogYesNo* dialog = Question(nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    SmartPtr<SpriteTestSupport::FakeFont> font(new SpriteTestSupport::FakeFont);  // 10 wide, lines of 24
    Label* message = dialog->GetMessageLabel();
    message->SetFont(font.Get());
    message->SetWrapStyle(TEXTWRAP_WORDWRAP);
    message->SetMaxWidth(100.0f);
    dialog->SetMessageText("one line");
    const float height = dialog->GetHeight();
    const float yesY = dialog->GetYesButton()->GetY();
    const float noY = dialog->GetNoButton()->GetY();
    const float labelHeight = message->GetHeight();

    dialog->SetMessageText("aaaa bbbb cccc dddd eeee");
    const float growth = message->GetHeight() - labelHeight;
    EXPECT_FLOAT_EQ(growth, 48.0f);
    EXPECT_FLOAT_EQ(dialog->GetHeight(), height + growth);
    EXPECT_FLOAT_EQ(dialog->GetYesButton()->GetY(), yesY + growth);
    EXPECT_FLOAT_EQ(dialog->GetNoButton()->GetY(), noY + growth);

    dialog->SetMessageText("one line");
    EXPECT_FLOAT_EQ(dialog->GetHeight(), height);
    EXPECT_FLOAT_EQ(dialog->GetYesButton()->GetY(), yesY);
}
