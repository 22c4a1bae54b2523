#include "engine/sprite/LabelStyle.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/sprite/ResourceLookup.h"
#include "tests/engine/sprite/FakeFont.h"

using namespace ZQ2;
using SpriteTestSupport::FakeFont;

namespace {

struct Resources {
    static inline std::map<std::string, SmartPtr<BaseObject>> objects;
    static inline std::map<std::string, SmartPtr<Image>> images;
    static BaseObject* Get(const std::string& name, const std::string& section) {
        auto it = objects.find(section + "/" + name);
        return it == objects.end() ? nullptr : it->second.Get();
    }
    static Image* GetImage(const std::string& name, const std::string& section, const std::string*) {
        auto it = images.find(section + "/" + name);
        return it == images.end() ? nullptr : it->second.Get();
    }
};

// A word as laid out: its text and where it starts.
struct Word {
    std::string text;
    float x, y;
    bool operator==(const Word& o) const { return text == o.text && x == o.x && y == o.y; }
};

std::ostream& operator<<(std::ostream& out, const Word& w) {
    return out << "\"" << w.text << "\"@(" << w.x << "," << w.y << ")";
}

using Layout = std::vector<std::vector<Word>>;

Layout LayoutOf(const LabelStyle& label) {
    Layout layout;
    for (const SmartPtr<TextLine>& line : label.GetLines()) {
        layout.emplace_back();
        for (const SmartPtr<Label>& word : *line)
            layout.back().push_back(Word{word->GetText(), word->GetX(), word->GetY()});
    }
    return layout;
}

class LabelStyleTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pFont = new FakeFont;
        Resources::objects["fonts/body"] = m_pFont.Get();
        Resources::images["pics/box"] = SmartPtr<Image>(new Image(new ImageDataOpenGL(30, 50, 32, 64, true), 1, 1));
        ResourceLookup::SetResourceSource(&Resources::Get);
        ResourceLookup::SetImageSource(&Resources::GetImage);
    }
    void TearDown() override {
        ResourceLookup::SetResourceSource(nullptr);
        ResourceLookup::SetImageSource(nullptr);
        Resources::objects.clear();
        Resources::images.clear();
        BasicProperties::ReleaseInstance();
    }

    SmartPtr<LabelStyle> Make(eTextWrapStyle style, float width, const std::string& text, float height = 10.0f) {
        SmartPtr<LabelStyle> label(new LabelStyle(m_pFont.Get(), 0, 0, width, height, style));
        label->SetText(text);
        return label;
    }

    SmartPtr<FakeFont> m_pFont;
};

TEST_F(LabelStyleTest, BlanksSpaceWordsButNotAtALineStart) {
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_AUTOWIDTH, 200, "ab  cd")),
              (Layout{{{"ab", 0, 0}, {"cd", 40, 0}}}));
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_AUTOWIDTH, 200, " ab\\ncd")),
              (Layout{{{"ab", 0, 0}}, {{"cd", 0, 24}}}));
    m_pFont->m_fPadding = 2.0f;
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_AUTOWIDTH, 200, "ab cd")), (Layout{{{"ab", 0, 0}, {"cd", 26, 0}}}));
}

TEST_F(LabelStyleTest, EmptyLinesAdvanceByTheFontsLineHeight) {
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_AUTOWIDTH, 200, "a\n\nb")),
              (Layout{{{"a", 0, 0}}, {}, {{"b", 0, 48}}}));
}

TEST_F(LabelStyleTest, AnEscapedBracketIsTextAndUnknownTagsVanish) {
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_AUTOWIDTH, 200, "a\\[b] c")), (Layout{{{"a[b]", 0, 0}, {"c", 50, 0}}}));
    // A tag ends the word before it, and takes no room.
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_AUTOWIDTH, 200, "a[bogus=1]b")), (Layout{{{"a", 0, 0}, {"b", 10, 0}}}));
    // A bracket that is never closed is plain text.
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_AUTOWIDTH, 200, "a[b")), (Layout{{{"a[b", 0, 0}}}));
    // A break tag ends the line.
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_AUTOWIDTH, 200, "a[br]b")), (Layout{{{"a", 0, 0}}, {{"b", 0, 24}}}));
}

TEST_F(LabelStyleTest, WordWrapMovesWordsOnAndDropsWordsWiderThanTheBox) {
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_WORDWRAP, 75, "one two three")),
              (Layout{{{"one", 0, 0}, {"two", 40, 0}}, {{"three", 0, 24}}}));
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_WORDWRAP, 75, "a enormousword b")),
              (Layout{{{"a", 0, 0}, {"b", 30, 0}}}));
}

TEST_F(LabelStyleTest, TruncationShortensTheLineWithDots) {
    // "ccc" does not fit; "c..." neither, so the word before is shortened.
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_TRUNCATE, 95, "aaaa bbbb ccc dd")),
              (Layout{{{"aaaa", 0, 0}, {"b...", 50, 0}}}));
    // Where the first character and the dots fit, the word becomes them.
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_TRUNCATE, 100, "aaaa bbbbbbb")),
              (Layout{{{"aaaa", 0, 0}, {"b...", 50, 0}}}));
}

TEST_F(LabelStyleTest, LinesAreAlignedInTheBox) {
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_WORDWRAP, 100, "[alignh=center]abc def")),
              (Layout{{{"abc", 15, 0}, {"def", 55, 0}}}));
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_WORDWRAP, 100, "[alignh=center]abcdef")), (Layout{{{"abcdef", 20, 0}}}));
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_WORDWRAP, 100, "[alignh=right]ab")), (Layout{{{"ab", 80, 0}}}));
}

TEST_F(LabelStyleTest, WordsFlowAroundInlinePictures) {
    // The picture at the line start pushes the word right past it.
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_WORDWRAP, 200, "[image=box,pics]ab")), (Layout{{{"ab", 31, 0}}}));
    // A picture on the right of the line takes room from its alignment.
    EXPECT_EQ(LayoutOf(*Make(TEXTWRAP_WORDWRAP, 100, "[alignh=right][image=box,pics,right]ab")),
              (Layout{{{"ab", 50, 0}}}));
}

TEST_F(LabelStyleTest, TheColourTagColoursTheWordsThatFollow) {
    SmartPtr<LabelStyle> label = Make(TEXTWRAP_AUTOWIDTH, 200, "a [color=#00FF00,1]b[/color] c");
    const Layout layout = LayoutOf(*label);
    ASSERT_EQ(layout.size(), 1u);
    ASSERT_EQ(layout[0].size(), 3u);
    const TextLine& line = *label->GetLines()[0];
    EXPECT_FALSE(line[0]->GetDrawSettings().HasLayerColor(1));
    EXPECT_EQ(line[1]->GetDrawSettings().GetLayerColor(1), 0x00FF00);
    EXPECT_FALSE(line[2]->GetDrawSettings().HasLayerColor(1));
}

TEST_F(LabelStyleTest, TagsLeftOpenDoNotReachTheNextText) {
    SmartPtr<FakeFont> wide(new FakeFont);
    wide->m_fDefaultWidth = 20.0f;
    Resources::objects["fonts/wide"] = wide.Get();
    SmartPtr<LabelStyle> label = Make(TEXTWRAP_AUTOWIDTH, 200, "[font=wide,fonts][alignh=right][color=#FF0000]ab");
    EXPECT_EQ(label->GetLines()[0]->front()->GetFont(), wide.Get());
    label->SetText("ab");
    EXPECT_EQ(LayoutOf(*label), (Layout{{{"ab", 0, 0}}}));
    EXPECT_EQ(label->GetLines()[0]->front()->GetFont(), m_pFont.Get());
    EXPECT_FALSE(label->GetLines()[0]->front()->GetDrawSettings().HasLayerColor(0));
}

TEST_F(LabelStyleTest, TheBoxIsAtLeastOnePixelAndGrowsWhenAsked) {
    SmartPtr<LabelStyle> empty(new LabelStyle(m_pFont.Get(), 0, 0, 0, 0, TEXTWRAP_AUTOWIDTH));
    empty->SetText("");
    empty->Update();
    EXPECT_EQ(empty->GetWidth(), 1.0f);
    EXPECT_EQ(empty->GetHeight(), 44.0f);  // the empty last line still counts
    SmartPtr<LabelStyle> fontless(new LabelStyle(nullptr, 0, 0, 0, 0, TEXTWRAP_AUTOWIDTH));
    fontless->Update();
    EXPECT_EQ(fontless->GetWidth(), 1.0f);
    EXPECT_EQ(fontless->GetHeight(), 1.0f);

    SmartPtr<LabelStyle> grown = Make(TEXTWRAP_AUTOWIDTH, 20, "abcdef\\nx");
    EXPECT_EQ(grown->GetWidth(), 20.0f);
    EXPECT_EQ(grown->GetHeight(), 68.0f);
    grown->SetGrowBox(true);
    grown->Update();
    EXPECT_EQ(grown->GetWidth(), 60.0f);
}

TEST_F(LabelStyleTest, DataKeysAndTheirTextPriority) {
    SmartPtr<PropertyStore> constants(new PropertyStore);
    BasicProperties::CreateInstance();
    ASSERT_TRUE(constants->ParseFromBuffer("<root><String id=\"TXT_HI\" value=\"hello\"/></root>"));
    constants->Parse();
    auto make = [](const std::string& attributes) {
        SmartPtr<PropertyStore> store(new PropertyStore);
        const std::string xml = "<root><LabelStyle id=\"l\" width=\"100\" " + attributes + "/></root>";
        EXPECT_TRUE(store->ParseFromBuffer(xml.c_str())) << xml;
        return SmartPtr<LabelStyle>(
            DynamicCast<LabelStyle>(ObjectFactory::Instance()->CreateObject(store->GetChild(0))));
    };
    SmartPtr<LabelStyle> label =
        make("font=\"body\" section=\"fonts\" wrapstyle=\"truncate\" alignh=\"center\" autofitheight=\"true\""
             " text=\"\" value=\"v\" textid=\"TXT_HI\"");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetFont(), m_pFont.Get());
    EXPECT_EQ(label->GetWrapStyle(), TEXTWRAP_TRUNCATE);
    EXPECT_EQ(label->GetAlignH(), ALIGNH_CENTER);
    EXPECT_TRUE(label->GetGrowBox());
    EXPECT_EQ(label->GetText(), "");
    EXPECT_EQ(make("value=\"v\" textid=\"TXT_HI\"")->GetText(), "v");
    EXPECT_EQ(make("textid=\"TXT_HI\"")->GetText(), "hello");
    EXPECT_EQ(make("wrapstyle=\"Truncate\"")->GetWrapStyle(), static_cast<eTextWrapStyle>(-1));
}

}  // namespace
