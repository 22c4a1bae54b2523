#include "engine/sprite/Label.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/script/Lua.h"
#include "engine/sprite/ResourceLookup.h"
#include "tests/engine/sprite/FakeFont.h"

using namespace ZQ2;
using SpriteTestSupport::FakeFont;

namespace {

struct FakeFonts {
    static inline std::map<std::string, SmartPtr<BaseObject>> resources;
    static BaseObject* Get(const std::string& name, const std::string& section) {
        auto it = resources.find(section + "/" + name);
        return it == resources.end() ? nullptr : it->second.Get();
    }
};

std::vector<std::string> LinesOf(const Label& label) {
    std::vector<std::string> lines;
    for (const FontLine& line : label.GetDrawSettings().GetLines())
        lines.push_back(line.GetText());
    return lines;
}

using Lines = std::vector<std::string>;

// The game's own class scripts: data/script beside the tests' data folder.
std::string ScriptFolder() {
    const char* data = std::getenv("DELVOR_TEST_DATA");
    const std::filesystem::path root = std::filesystem::path(data ? data : "tests/data").parent_path().parent_path();
    return (root / "data" / "script").string() + "/";
}

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pFont = new FakeFont;
        FakeFonts::resources["fonts/body"] = m_pFont.Get();
        ResourceLookup::SetResourceSource(&FakeFonts::Get);
    }
    void TearDown() override {
        ResourceLookup::SetResourceSource(nullptr);
        FakeFonts::resources.clear();
        BasicProperties::ReleaseInstance();
    }

    SmartPtr<Label> Make(eTextWrapStyle style, float width, const std::string& text) {
        SmartPtr<Label> label(new Label(m_pFont.Get(), 0.0f, 0.0f, width, 50.0f, style));
        label->SetText(text);
        label->Update();
        return label;
    }

    SmartPtr<Label> FromXml(const std::string& attributes) {
        SmartPtr<PropertyStore> store(new PropertyStore);
        const std::string xml = "<root><Label id=\"l\" " + attributes + "/></root>";
        EXPECT_TRUE(store->ParseFromBuffer(xml.c_str())) << xml;
        SmartPtr<Label> label(DynamicCast<Label>(ObjectFactory::Instance()->CreateObject(store->GetChild(0))));
        EXPECT_NE(label, nullptr) << xml;
        return label;
    }

    SmartPtr<FakeFont> m_pFont;
};

TEST_F(LabelTest, EscapedNewlinesAndParagraphsMakeLines) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {"a\\nb", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\na", {"", "a"}},
        {"a\n", {"a"}},
        {"  lead", {"  lead"}},
    };
    for (const Case& c : cases) {
        SmartPtr<Label> label = Make(TEXTWRAP_AUTOWIDTH, 100.0f, c.text);
        EXPECT_EQ(LinesOf(*label), c.lines) << c.text;
        EXPECT_FALSE(label->IsLayoutDirty()) << c.text;
    }
}

TEST_F(LabelTest, TheSameTextAgainLeavesTheLayoutClean) {
    SmartPtr<Label> label = Make(TEXTWRAP_AUTOWIDTH, 100.0f, "a\\nb");
    EXPECT_EQ(label->GetText(), "a\nb");
    label->SetText("a\\nb");
    EXPECT_FALSE(label->IsLayoutDirty());
    label->SetText("a\nb");
    EXPECT_FALSE(label->IsLayoutDirty());
    label->SetText("c");
    EXPECT_TRUE(label->IsLayoutDirty());
}

TEST_F(LabelTest, AnEmptyTextGivesNoLineKeepsTheSizeAndStaysDirty) {
    SmartPtr<Label> label = Make(TEXTWRAP_AUTOWIDTH, 77.0f, "");
    EXPECT_TRUE(LinesOf(*label).empty());
    EXPECT_EQ(label->GetWidth(), 77.0f);
    EXPECT_EQ(label->GetHeight(), 50.0f);
    EXPECT_TRUE(label->IsLayoutDirty());
}

// Characters are 10 wide, so a box of w fits floor(w / 10) characters.
TEST_F(LabelTest, WordWrapBreaksAtTheLastBreakBeforeTheOverflow) {
    struct Case {
        float width;
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {75, "one two three", {"one two", "three"}},
        {75, "one two", {"one two"}},
        {35, "x-ray", {"x-", "ray"}},
        // A hyphen before a digit is a minus sign: the break is the blank.
        {45, "a a-5bc", {"a", "a-5b", "c"}},
        // A word too wide for the box is cut at the widest prefix that fits.
        {25, "abcdef", {"ab", "cd", "ef"}},
        {5, "abc", {"a", "b", "c"}},
        // Blanks that start a remainder are dropped, and a last remainder of
        // blanks gives no line.
        {35, "abc   def", {"abc", "def"}},
        {35, "abc\n\ndef", {"abc", "", "def"}},
        {75, "  one", {"  one"}},
    };
    for (const Case& c : cases) {
        SmartPtr<Label> label = Make(TEXTWRAP_WORDWRAP, c.width, c.text);
        EXPECT_EQ(LinesOf(*label), c.lines) << c.text << " in " << c.width;
    }
}

TEST_F(LabelTest, TruncationEndsWithTheEllipsisTheFontHas) {
    struct Case {
        bool hasEllipsis;
        float width;
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        // No candidate ends in a blank: "abc d..." is too wide, "abc ..." is
        // never tried.
        {false, 65, "abc def", {"abc..."}},
        {true, 45, "abc def", {"abc\xE2\x80\xA6"}},
        {false, 100, "fits", {"fits"}},
        {false, 30, "abcdef", {""}},
        {false, 50, "abcdef\nab", {"ab...", "ab"}},
    };
    for (const Case& c : cases) {
        m_pFont->m_Missing.clear();
        if (!c.hasEllipsis)
            m_pFont->m_Missing.insert(0x2026);
        SmartPtr<Label> label = Make(TEXTWRAP_TRUNCATE, c.width, c.text);
        EXPECT_EQ(LinesOf(*label), c.lines) << c.text << " in " << c.width;
    }
}

TEST_F(LabelTest, LinesAreAlignedInsideTheWidestLineAndSpacedByTheLineHeight) {
    const std::string text = std::string(10, 'a') + "\n" + std::string(6, 'b') + "\n" + std::string(5, 'c');
    struct Case {
        eAlignH align;
        float x1, x2;
    };
    for (const Case& c : {Case{ALIGNH_LEFT, 0, 0}, Case{ALIGNH_CENTER, 20, 25}, Case{ALIGNH_RIGHT, 40, 50}}) {
        SmartPtr<Label> label = Make(TEXTWRAP_AUTOWIDTH, 10.0f, "");
        label->SetAlignH(c.align);
        label->SetText(text);
        label->Update();
        const ZQVector<FontLine>& lines = label->GetDrawSettings().GetLines();
        ASSERT_EQ(lines.size(), 3);
        EXPECT_EQ(lines[1].GetPosition().x, c.x1) << c.align;
        EXPECT_EQ(lines[2].GetPosition().x, c.x2) << c.align;
        EXPECT_EQ(lines[1].GetPosition().y, 24.0f);
        EXPECT_EQ(lines[2].GetPosition().y, 48.0f);
        // Auto width: the box is the widest line, the height two line
        // heights and one character height.
        EXPECT_EQ(label->GetWidth(), 100.0f);
        EXPECT_EQ(label->GetHeight(), 68.0f);
    }
}

TEST_F(LabelTest, CenteredOddDifferencesAreFlooredWhileTheAnchorRoundsDown) {
    SmartPtr<Label> label = Make(TEXTWRAP_AUTOWIDTH, 10.0f, "");
    m_pFont->m_Widths['i'] = 5.0f;
    label->SetAlignH(ALIGNH_CENTER);
    label->SetText("aa\ni");
    label->Update();
    EXPECT_EQ(label->GetDrawSettings().GetLines()[1].GetPosition().x, 7.0f);
}

TEST_F(LabelTest, TheBoxFollowsTheWrapStyleAndTheHeightLimit) {
    SmartPtr<Label> wrapped = Make(TEXTWRAP_WORDWRAP, 75.0f, "one two three");
    EXPECT_EQ(wrapped->GetWidth(), 70.0f);
    EXPECT_EQ(wrapped->GetHeight(), 44.0f);

    SmartPtr<Label> limited(new Label(m_pFont.Get(), 0, 0, 75.0f, 30.0f, TEXTWRAP_WORDWRAP));
    limited->SetAutoFitHeight(false);
    limited->SetText("one two three four five");
    limited->Update();
    EXPECT_EQ(limited->GetHeight(), 30.0f);
    EXPECT_EQ(limited->GetTextBounds().height, 92.0f);

    SmartPtr<Label> huge = Make(TEXTWRAP_AUTOWIDTH, 10.0f, std::string(200, 'w'));
    EXPECT_EQ(huge->GetWidth(), 1024.0f);

    m_pFont->m_Widths['h'] = 4.5f;
    SmartPtr<Label> fractional = Make(TEXTWRAP_AUTOWIDTH, 10.0f, "hhh");
    EXPECT_EQ(fractional->GetWidth(), 14.0f);
}

TEST_F(LabelTest, WordWrapWithoutAWidthShowsNothingAndIsDone) {
    SmartPtr<Label> label = Make(TEXTWRAP_WORDWRAP, 0.0f, "words here");
    EXPECT_EQ(label->GetImage(), nullptr);
    EXPECT_FALSE(label->IsLayoutDirty());
    label->Render(nullptr);  // nothing to draw, not even a context to touch
    EXPECT_EQ(m_pFont->m_nRenders, 0);
}

TEST_F(LabelTest, WithoutAFontTheBoundsAreEmptyAndNothingIsDrawn) {
    SmartPtr<Label> label(new Label(nullptr, 3, 4, 50, 20, TEXTWRAP_AUTOWIDTH));
    label->SetText("text");
    label->Update();
    EXPECT_FALSE(label->IsLayoutDirty());
    EXPECT_EQ(label->GetTextBounds().width, 0.0f);
    EXPECT_EQ(label->GetStringWidth("text", FONTWIDTH_BOX, 0, -1), 0.0f);
    EXPECT_EQ(label->GetLineHeight(), -1.0f);
}

TEST_F(LabelTest, PaddingOffsetFollowsTheAnchor) {
    m_pFont->m_fPadding = 2.0f;
    struct Case {
        eAnchorPoint anchor;
        ePaddingStyle style;
        float dx, dy;
    };
    const Case cases[] = {
        {ANCHOR_TOPLEFT, PADDINGSTYLE_OFFSET, -2, -2},   {ANCHOR_CENTER, PADDINGSTYLE_OFFSET, 0, 0},
        {ANCHOR_BOTTOMRIGHT, PADDINGSTYLE_OFFSET, 2, 2}, {ANCHOR_TOP, PADDINGSTYLE_OFFSET, 0, -2},
        {ANCHOR_TOPLEFT, PADDINGSTYLE_NONE, 0, 0},
    };
    for (const Case& c : cases) {
        SmartPtr<Label> label(new Label(m_pFont.Get(), 30, 40, 100, 50, TEXTWRAP_AUTOWIDTH));
        label->SetAnchorPoint(c.anchor);
        label->SetPaddingStyle(c.style);
        label->SetText("pad");
        label->Update();
        EXPECT_EQ(label->GetDestX(), label->GetX() + c.dx) << c.anchor;
        EXPECT_EQ(label->GetDestY(), label->GetY() + c.dy) << c.anchor;
    }
}

TEST_F(LabelTest, ColoursAndBackground) {
    SmartPtr<Label> label = FromXml("font=\"body\" section=\"fonts\" color0=\"0xFF0000\" color2=\"0x00FF00\"");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetDrawSettings().GetLayerColors().size(), 1);
    EXPECT_EQ(label->GetBackgroundColor(), 0xFF0000);
    EXPECT_EQ(label->GetColor(3), 0);
    EXPECT_EQ(label->GetDrawSettings().GetLayerColors().size(), 4);
    m_pFont->m_bUseMatte = true;
    EXPECT_EQ(label->GetBackgroundColor(), 0x123456);
    SmartPtr<Label> fontless(new Label(nullptr, 0, 0, 1, 1, TEXTWRAP_AUTOWIDTH));
    EXPECT_EQ(fontless->GetBackgroundColor(), 0);
}

TEST_F(LabelTest, DataKeysSetTheLayoutAndTheTextKeysHaveAPriority) {
    SmartPtr<PropertyStore> constants(new PropertyStore);
    BasicProperties::CreateInstance();
    ASSERT_TRUE(constants->ParseFromBuffer("<root><String id=\"TXT_HI\" value=\"hello\"/></root>"));
    constants->Parse();

    SmartPtr<Label> label = FromXml(
        "font=\"body\" section=\"fonts\" width=\"75\" wrapstyle=\"wordwrap\" alignh=\"right\" padstyle=\"none\""
        " autofitheight=\"false\" lineheight=\"30\" charspacing=\"1\" textid=\"TXT_HI\" text=\"ignored\"");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetFont(), m_pFont.Get());
    EXPECT_EQ(label->GetWrapStyle(), TEXTWRAP_WORDWRAP);
    EXPECT_EQ(label->GetAlignH(), ALIGNH_RIGHT);
    EXPECT_EQ(label->GetPaddingStyle(), PADDINGSTYLE_NONE);
    EXPECT_FALSE(label->GetAutoFitHeight());
    EXPECT_EQ(label->GetLineHeight(), 30.0f);
    EXPECT_EQ(label->GetExtraCharSpacing(), 1.0f);
    EXPECT_EQ(label->GetMaxWidth(), 75.0f);
    EXPECT_EQ(label->GetText(), "hello");

    EXPECT_EQ(FromXml("text=\"\" value=\"v\"")->GetText(), "v");
    EXPECT_EQ(FromXml("text=\"t\" value=\"v\"")->GetText(), "t");
    EXPECT_EQ(FromXml("textid=\"\" value=\"v\"")->GetText(), "v");

    // Unknown words are kept as values no layout knows: no line is made.
    SmartPtr<Label> odd = FromXml("font=\"body\" section=\"fonts\" wrapstyle=\"Wordwrap\" text=\"x\"");
    EXPECT_EQ(odd->GetWrapStyle(), static_cast<eTextWrapStyle>(-1));
    odd->Update();
    EXPECT_TRUE(LinesOf(*odd).empty());
    // A missing font resource leaves the label without one.
    EXPECT_EQ(FromXml("font=\"none\" section=\"fonts\"")->GetFont(), nullptr);
    EXPECT_EQ(FromXml("font=\"body\"")->GetFont(), nullptr);
}

TEST_F(LabelTest, LinesKeepTheirMeasuredWidths) {
    SmartPtr<Label> label(new Label(m_pFont.Get(), 0, 0, 100, 50, TEXTWRAP_AUTOWIDTH));
    label->SetText("ab\\ncd");
    EXPECT_TRUE(label->IsLayoutDirty());
    label->Update();
    EXPECT_EQ(LinesOf(*label), (Lines{"ab", "cd"}));
    EXPECT_EQ(label->GetDrawSettings().GetLines()[1].GetWidth(), 20.0f);
    EXPECT_EQ(label->GetMaxStringWidth(), 20.0f);
}

TEST_F(LabelTest, ScriptsReadAndSetTheText) {
    Lua::CreateInstance();
    ASSERT_TRUE(Lua::g_Instance->Initialize());
    Lua::g_Instance->SetScriptFolder(ScriptFolder());
    {
        SmartPtr<Label> label(new Label(m_pFont.Get(), 0, 0, 100, 50, TEXTWRAP_AUTOWIDTH));
        label->SetText("before");
        lua_State* L = Lua::g_Instance->GetState();
        label->PushLuaObject(L);
        lua_setglobal(L, "label");
        const std::string chunk = R"(
            r_text = label:text()
            label:setText("after\\nmore")
            r_ok, r_err = pcall(label.setText, label, "a", "b")
            r_ok2, r_err2 = pcall(label.text, {})
            r_x = label:x()
        )";
        ASSERT_TRUE(Lua::g_Instance->LoadFromBuffer(chunk.data(), chunk.size(), "=test"))
            << Lua::g_Instance->GetLastError();
        EXPECT_EQ(static_cast<std::string>(static_cast<UTF8String>(Lua::g_Instance->GetValue("r_text"))), "before");
        EXPECT_EQ(label->GetText(), "after\nmore");
        const UTF8String tooMany = Lua::g_Instance->GetValue("r_err");
        EXPECT_NE(tooMany.find("too many arguments"), std::string::npos) << tooMany;
        const UTF8String notObject = Lua::g_Instance->GetValue("r_err2");
        EXPECT_NE(notObject.find("not a C++ object"), std::string::npos) << notObject;
        EXPECT_EQ(static_cast<double>(Lua::g_Instance->GetValue("r_x")), 0.0);
        lua_pushnil(L);
        lua_setglobal(L, "label");
    }
    Lua::ReleaseInstance();
}

}  // namespace
