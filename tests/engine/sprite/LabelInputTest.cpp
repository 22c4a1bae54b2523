#include "engine/sprite/LabelInput.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/sprite/ResourceLookup.h"
#include "tests/engine/sprite/FakeFont.h"
#include "tests/engine/sprite/WidgetTestSupport.h"

using namespace ZQ2;
using SpriteTestSupport::FakeFont;

namespace {

struct FakeClipboard {
    static inline std::string text;
    static std::string Get() { return text; }
    static void Set(const std::string& t) { text = t; }
};

struct Calls {
    static inline std::vector<std::string> log;
    static void Changed(BaseObject*, BaseObject*) { log.push_back("change"); }
    static void Return(BaseObject*, BaseObject*) { log.push_back("return"); }
    static void Escape(BaseObject*, BaseObject*) { log.push_back("escape"); }
    static void Tab(BaseObject*, BaseObject*) { log.push_back("tab"); }
};

KeyboardMessageData KeyOf(eSysKey key, unsigned long character = 0) { return KeyboardMessageData(character, key); }

MouseMessageData Click(float x, float y, bool doubleClick = false) {
    return MouseMessageData(x, y, MOUSESTATE_LEFT, doubleClick);
}

// Counts the characters it is asked about: the field asks once for each
// character it takes from a paste, so the count shows how far a paste read.
class CountingFont : public FakeFont {
public:
    bool HasCharacter(unsigned long c) const override {
        ++m_nAsked;
        return FakeFont::HasCharacter(c);
    }
    mutable int m_nAsked = 0;
};

FakeFont* g_pDataFont = nullptr;
BaseObject* DataFont(const std::string&, const std::string&) { return g_pDataFont; }

// Characters are 10 wide; the field sits at (100, 50), its label at its
// corner, so character boundary i is at screen x 100 + 10 i.
class LabelInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeClipboard::text.clear();
        Calls::log.clear();
        LabelInput::SetClipboard(&FakeClipboard::Get, &FakeClipboard::Set);
        SDL_SetModState(KMOD_NONE);
        m_pFont = new CountingFont;
        m_pFont->m_Missing.insert(0x263A);
        m_pField = new LabelInput(new Label(m_pFont.Get(), 0, 0, 300, 20, TEXTWRAP_AUTOWIDTH), 100, 50, 300, 20);
        m_pField->SetTargetAndMethod(nullptr, &Calls::Changed);
        m_pField->m_ReturnCallback.SetTargetAndMethod(nullptr, &Calls::Return);
        m_pField->m_EscapeCallback.SetTargetAndMethod(nullptr, &Calls::Escape);
        m_pField->m_TabCallback.SetTargetAndMethod(nullptr, &Calls::Tab);
        m_pField->SetFocus(true);
    }
    void TearDown() override {
        LabelInput::SetClipboard(nullptr, nullptr);
        SDL_SetModState(KMOD_NONE);
    }

    void Type(const std::string& text) {
        const UTF8String characters(text);
        for (int i = 0; i < characters.Length(); ++i)
            m_pField->OnKeyTyped(KeyboardMessageData(characters.GetCharacter(i), SYSKEY_NONE));
    }
    void Press(eSysKey key) {
        m_pField->OnKeyDown(KeyOf(key));
        m_pField->OnKeyUp(KeyOf(key));
    }
    void Chord(char letter) {
        SDL_SetModState(KMOD_LCTRL);
        m_pField->OnKeyDown(KeyOf(SYSKEY_NONE, static_cast<unsigned long>(letter)));
        SDL_SetModState(KMOD_NONE);
    }
    void Select(int start, int end) {
        m_pField->SetCursorPosition(start, false, true);
        m_pField->SetCursorPosition(end, true, false);
    }
    std::string Text() const { return m_pField->GetText(); }
    std::pair<int, int> Selection() const { return {m_pField->GetSelectionStart(), m_pField->GetSelectionEnd()}; }

    SmartPtr<CountingFont> m_pFont;
    SmartPtr<LabelInput> m_pField;
};

TEST_F(LabelInputTest, TypedCharactersAreFilteredAndReportedOnce) {
    Type("ab\x01\n\xE2\x98\xBA" "c");  // a control character, a newline and one the font lacks
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(m_pField->GetCursorPosition(), 3);
    EXPECT_EQ(m_pField->GetLabel()->GetText(), "abc");
    EXPECT_EQ(Calls::log, (std::vector<std::string>{"change", "change", "change"}));

    m_pField->SetAllowedCharacters("0123456789");
    Type("x7");
    EXPECT_EQ(Text(), "abc7");

    m_pField->SetFocus(false);
    EXPECT_FALSE(m_pField->OnKeyTyped(KeyboardMessageData('9', SYSKEY_NONE)));
    EXPECT_EQ(Text(), "abc7");
}

TEST_F(LabelInputTest, LimitsRefuseWholeInsertionsButASelectionMayBeReplaced) {
    m_pField->SetMaxLength(5);
    Type("hello");
    Select(1, 3);
    Type("!");  // the two selected characters go first
    EXPECT_EQ(Text(), "h!lo");
    Type("ab");
    EXPECT_EQ(Text(), "h!alo");
    m_pField->ChangeInputText("hello", true);
    Type("z");
    EXPECT_EQ(Text(), "hello");
    Select(0, 1);
    m_pField->InsertString("xy");  // 6 characters: refused, the selection survives
    EXPECT_EQ(Text(), "hello");
    EXPECT_EQ(Selection(), std::make_pair(0, 1));

    m_pField->SetMaxLength(-1);
    m_pField->SetMaxPixelWidth(60);
    m_pField->ChangeInputText("abcdefgh", true);
    EXPECT_EQ(Text(), "abcdef");  // cut to the pixel limit
    Type("z");
    EXPECT_EQ(Text(), "abcdef");
}

TEST_F(LabelInputTest, BackspaceActsOnReleaseAndDeleteOnPress) {
    m_pField->ChangeInputText("abc", false);
    m_pField->SetCursorPosition(0, false, true);
    Press(SYSKEY_BACKSPACE);
    EXPECT_EQ(Text(), "abc");
    m_pField->SetCursorPosition(3, false, true);
    m_pField->OnKeyDown(KeyOf(SYSKEY_DELETE));
    m_pField->OnKeyUp(KeyOf(SYSKEY_DELETE));
    EXPECT_EQ(Text(), "abc");

    m_pField->OnKeyDown(KeyOf(SYSKEY_BACKSPACE));
    EXPECT_EQ(Text(), "abc");
    EXPECT_FALSE(m_pField->OnKeyUp(KeyOf(SYSKEY_BACKSPACE)));
    EXPECT_EQ(Text(), "ab");

    m_pField->SetCursorPosition(0, false, true);
    EXPECT_TRUE(m_pField->OnKeyDown(KeyOf(SYSKEY_DELETE)));
    EXPECT_EQ(Text(), "b");
    EXPECT_TRUE(m_pField->OnKeyUp(KeyOf(SYSKEY_DELETE)));

    m_pField->ChangeInputText("hello", true);
    Select(1, 4);
    Press(SYSKEY_BACKSPACE);
    EXPECT_EQ(Text(), "ho");
    EXPECT_EQ(m_pField->GetCursorPosition(), 1);
}

TEST_F(LabelInputTest, ArrowsHomeAndEndMoveAndExtendWithShift) {
    m_pField->ChangeInputText("abcdef", false);
    m_pField->SetCursorPosition(3, false, true);
    SDL_SetModState(KMOD_LSHIFT);
    Press(SYSKEY_HOME);
    EXPECT_EQ(Selection(), std::make_pair(0, 3));
    EXPECT_EQ(m_pField->GetCursorPosition(), 0);
    Press(SYSKEY_RIGHT);
    EXPECT_EQ(Selection(), std::make_pair(1, 3));
    Press(SYSKEY_END);
    EXPECT_EQ(Selection(), std::make_pair(3, 6));
    SDL_SetModState(KMOD_NONE);
    Press(SYSKEY_LEFT);
    EXPECT_EQ(Selection(), std::make_pair(5, 5));
    Press(SYSKEY_HOME);
    EXPECT_EQ(m_pField->GetCursorPosition(), 0);
    Press(SYSKEY_LEFT);
    EXPECT_EQ(m_pField->GetCursorPosition(), 0);
    EXPECT_EQ(m_pField->GetSelectionEndX(), 0.0f);
}

TEST_F(LabelInputTest, ReturnEscapeAndTabEndTheFocusAndCallBack) {
    EXPECT_TRUE(m_pField->OnKeyUp(KeyOf(SYSKEY_RETURN)));
    EXPECT_FALSE(m_pField->HasFocus());
    EXPECT_FALSE(m_pField->OnKeyUp(KeyOf(SYSKEY_RETURN)));  // unfocused: not consumed, not called
    m_pField->SetFocus(true);
    EXPECT_TRUE(m_pField->OnKeyUp(KeyOf(SYSKEY_ESCAPE)));
    m_pField->SetFocus(true);
    EXPECT_TRUE(m_pField->OnKeyUp(KeyOf(SYSKEY_TAB)));
    EXPECT_EQ(Calls::log, (std::vector<std::string>{"return", "escape", "tab"}));
    m_pField->SetFocus(true);
    EXPECT_FALSE(m_pField->OnKeyUp(KeyOf(SYSKEY_UP)));
}

TEST_F(LabelInputTest, ClipboardCopyCutAndPaste) {
    m_pField->ChangeInputText("hello world", true);
    Chord('C');  // no selection: everything
    EXPECT_EQ(FakeClipboard::text, "hello world");
    Select(6, 11);
    Chord('c');
    EXPECT_EQ(FakeClipboard::text, "world");
    Chord('X');
    EXPECT_EQ(Text(), "hello ");
    // Pasted text passes the typed-character filter.
    FakeClipboard::text = "big\n\twide\xE2\x98\xBA!";
    Chord('V');
    EXPECT_EQ(Text(), "hello bigwide!");
    Chord('A');
    EXPECT_EQ(Selection(), std::make_pair(0, 14));
    FakeClipboard::text = "x";
    Chord('V');
    EXPECT_EQ(Text(), "x");
    Chord('X');  // no selection: everything is cut
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(FakeClipboard::text, "x");
    m_pField->SetFocus(false);
    FakeClipboard::text = "ignored";
    EXPECT_FALSE(m_pField->OnKeyDown(KeyOf(SYSKEY_NONE, 'V')));
    EXPECT_EQ(Text(), "");
}

// A clipboard of any size is read once, and no further than the room the
// length limit leaves (plus the one character that proves it too long).
TEST_F(LabelInputTest, PastingReadsTheClipboardOnlyUpToTheLengthLimit) {
    const int huge = 20000;
    std::string accents;
    for (int i = 0; i < huge; ++i)
        accents += "\xC3\xA9";
    const struct {
        const char* what;
        std::string clip;
        std::string text;
    } cases[] = {
        {"too long", std::string(huge, 'x'), "abcdefgh"},
        {"too long, two bytes a character", accents, "abcdefgh"},
        {"too long after control characters", std::string(huge, '\n') + "xyzw", "abcdefgh"},
        {"fits with control characters", "x\ny\tz", "abxyzfgh"},
        {"fits, two bytes a character", "\xC3\xA9\xC3\xA0\xC3\xBC", "ab\xC3\xA9\xC3\xA0\xC3\xBC" "fgh"},
    };
    m_pField->SetMaxLength(8);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_pField->ChangeInputText("abcdefgh", true);
        Select(2, 5);  // three characters of room
        FakeClipboard::text = c.clip;
        m_pFont->m_nAsked = 0;
        Chord('V');
        EXPECT_EQ(Text(), c.text);
        if (c.text != "abcdefgh")
            continue;
        // Refused whole, with the selection kept; control characters are
        // turned away before the font is asked.
        EXPECT_EQ(Selection(), std::make_pair(2, 5));
        EXPECT_LE(m_pFont->m_nAsked, 4);
    }
}

TEST_F(LabelInputTest, ClicksPlaceTheCaretAndDragsSelect) {
    m_pField->ChangeInputText("hello world.", true);
    m_pField->SetFocus(false);
    m_pField->OnMouseLeftDown(Click(124, 55));  // nearer boundary 2 than 3
    EXPECT_TRUE(m_pField->HasFocus());
    EXPECT_EQ(m_pField->GetCursorPosition(), 2);
    EXPECT_TRUE(m_pField->GetCursorCounter().IsUsed());
    m_pField->OnMouseMoved(Click(155, 55));  // a tie goes right
    EXPECT_EQ(Selection(), std::make_pair(2, 6));
    m_pField->OnMouseLeftUp(Click(171, 55));
    EXPECT_EQ(Selection(), std::make_pair(2, 7));
    EXPECT_EQ(m_pField->GetSelectionStartX(), 20.0f);
    EXPECT_EQ(m_pField->GetSelectionEndX(), 70.0f);
    m_pField->OnMouseMoved(Click(180, 55));  // not dragging any more
    EXPECT_EQ(Selection(), std::make_pair(2, 7));

    m_pField->OnMouseLeftDown(Click(101, 55));
    EXPECT_EQ(m_pField->GetCursorPosition(), 0);
    m_pField->OnMouseLeftDown(Click(390, 55));
    EXPECT_EQ(m_pField->GetCursorPosition(), 12);  // right of it
    m_pField->OnMouseLeftUp(Click(390, 55));
    m_pField->OnMouseLeftDown(Click(100, 500));  // outside
    EXPECT_FALSE(m_pField->HasFocus());
    EXPECT_FALSE(m_pField->GetCursorCounter().IsUsed());
}

TEST_F(LabelInputTest, ADoubleClickSelectsTheWord) {
    m_pField->ChangeInputText("hello world. next", true);
    m_pField->OnMouseLeftDown(Click(132, 55, true));  // in "hello"
    EXPECT_EQ(Selection(), std::make_pair(0, 6));      // with the blank
    m_pField->OnMouseLeftDown(Click(182, 55, true));  // in "world"
    EXPECT_EQ(Selection(), std::make_pair(6, 11));     // without the stop
    m_pField->OnMouseLeftUp(Click(120, 55));  // the word selection stays
    EXPECT_EQ(Selection(), std::make_pair(6, 11));
    m_pField->OnMouseLeftDown(Click(262, 55, true));  // in the last word
    EXPECT_EQ(Selection(), std::make_pair(13, 17));
}

TEST_F(LabelInputTest, BuiltFromDataWithItsLabelAndCaret) {
    WidgetTest::FakeImages images;
    images.Add("ui/caret", WidgetTest::MakeImage(2, 16).Get());
    g_pDataFont = m_pFont.Get();
    ResourceLookup::SetResourceSource(&DataFont);
    SmartPtr<LabelInput> field = WidgetTest::FromXml<LabelInput>(
        "<LabelInput id=\"name\" x=\"10\" width=\"200\" height=\"30\" maxlength=\"8\" text=\"Ann\" cursorx=\"1\""
        " maxwidth=\"150\" selcolor=\"0x00FF00\" selalpha=\"64\" cursorimage=\"caret\" section=\"ui\""
        " durationon=\"300\"><Label id=\"label\" font=\"f\" section=\"fonts\"/></LabelInput>");
    ResourceLookup::SetResourceSource(nullptr);
    ASSERT_NE(field, nullptr);
    ASSERT_NE(field->GetLabel(), nullptr);
    EXPECT_EQ(field->GetLabel()->GetParent(), field.Get());
    EXPECT_EQ(field->GetLabel()->GetText(), "Ann");
    EXPECT_EQ(field->GetMaxLength(), 8);
    EXPECT_EQ(field->GetMaxPixelWidth(), 150);
    EXPECT_EQ(field->GetSelectionColor(), 0x00FF00);
    EXPECT_EQ(field->GetSelectionAlpha(), 64);
    EXPECT_EQ(field->GetBlinkOn(), 300);
    EXPECT_EQ(field->GetBlinkOff(), 300);
    ASSERT_NE(field->GetCursorSprite(), nullptr);
    EXPECT_FALSE(field->GetCursorSprite()->IsVisible());  // no focus yet

    field->SetFocus(true);
    field->SetCursorPosition(2, false, true);
    EXPECT_TRUE(field->GetCursorSprite()->IsVisible());
    EXPECT_EQ(field->GetCursorSprite()->GetX(), 21.0f);
    field->Tick(350);  // into the off phase
    EXPECT_EQ(field->GetCursorSprite()->GetAlpha(), 0);
    field->Tick(300);
    EXPECT_EQ(field->GetCursorSprite()->GetAlpha(), 255);
    field->SetFocus(false);
    EXPECT_EQ(field->GetCursorPosition(), 3);
    field->SetCursorImage(nullptr);
    EXPECT_EQ(field->GetCursorSprite(), nullptr);
    EXPECT_EQ(field->GetFirstChild(), field->GetLabel());
    EXPECT_EQ(field->GetLabel()->GetNextSibling(), nullptr);
}

}  // namespace
