#include "engine/sprite/styleformat/StyleParser.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/sprite/LabelStyle.h"
#include "engine/sprite/ResourceLookup.h"
#include "tests/engine/sprite/FakeFont.h"

using namespace ZQ2;
using SpriteTestSupport::FakeFont;

namespace {

struct FakeResources {
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

class StyleParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pFont = new FakeFont;
        m_pOther = new FakeFont;
        FakeResources::objects["fonts/other"] = m_pOther.Get();
        FakeResources::images["pics/box"] =
            SmartPtr<Image>(new Image(new ImageDataOpenGL(30, 50, 32, 64, true), 1, 1));
        ResourceLookup::SetResourceSource(&FakeResources::Get);
        ResourceLookup::SetImageSource(&FakeResources::GetImage);
        m_pLabel = new LabelStyle(m_pFont.Get(), 0, 0, 200, 20, TEXTWRAP_WORDWRAP);
    }
    void TearDown() override {
        ResourceLookup::SetResourceSource(nullptr);
        ResourceLookup::SetImageSource(nullptr);
        FakeResources::objects.clear();
        FakeResources::images.clear();
    }

    bool Do(const std::string& name, const std::string& value = "") { return m_Parser->DoCommand(name, value, m_pLabel.Get()); }

    SmartPtr<StyleParser> m_Parser{new StyleParser};
    SmartPtr<FakeFont> m_pFont;
    SmartPtr<FakeFont> m_pOther;
    SmartPtr<LabelStyle> m_pLabel;
};

TEST_F(StyleParserTest, UnknownTagsAreDroppedAndNamesMatchExactly) {
    for (const char* name : {"bogus", "Color", " color", "color ", "", "/br", "tabs2"})
        EXPECT_FALSE(Do(name, "1")) << name;
    EXPECT_TRUE(m_pLabel->GetColorStack().empty());
    EXPECT_TRUE(Do("br"));
}

TEST_F(StyleParserTest, ColourTagsPushAndPopColourAndLayer) {
    struct Case {
        std::string value;
        int color, layer;
    };
    const Case cases[] = {
        {"#FF8000,1", 0xFF8000, 1}, {"0xFF8000,1", 0xFF8000, 1}, {"0XFF8000,1", 0xFF8000, 1},
        {"ff8000", 0xFF8000, 0},    {"", 0, 0},                  {",2", 0, 2},
        {"0", 0, 0},                {"zz,x", 0, 0},              {"FFFFFFFFFF", -1, 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Do("color", c.value));
        ASSERT_FALSE(m_pLabel->GetColorStack().empty());
        EXPECT_EQ(m_pLabel->GetColorStack().back(), std::make_pair(c.color, c.layer)) << c.value;
    }
    const int pushed = m_pLabel->GetColorStack().size();
    Do("/color");
    EXPECT_EQ(m_pLabel->GetColorStack().size(), pushed - 1);
    m_pLabel->GetColorStack().clear();
    Do("/color");  // an empty stack stays empty
    EXPECT_TRUE(m_pLabel->GetColorStack().empty());
}

TEST_F(StyleParserTest, FontTagsSwitchAndRestoreTheFont) {
    Do("font", "other,fonts");
    EXPECT_EQ(m_pLabel->GetFont(), m_pOther.Get());
    // Without a section, or without such a font, the current font stays.
    Do("font", "other");
    EXPECT_EQ(m_pLabel->GetFont(), m_pOther.Get());
    Do("font", "missing,fonts");
    EXPECT_EQ(m_pLabel->GetFont(), m_pOther.Get());
    Do("/font");
    Do("/font");
    EXPECT_EQ(m_pLabel->GetFont(), m_pOther.Get());
    Do("/font");
    EXPECT_EQ(m_pLabel->GetFont(), m_pFont.Get());
    Do("/font");
    EXPECT_EQ(m_pLabel->GetFont(), m_pFont.Get());
}

TEST_F(StyleParserTest, StateTagsSaveTheCurrentValueAndRestoreIt) {
    Do("alignh", "center");
    EXPECT_EQ(m_pLabel->GetAlignH(), ALIGNH_CENTER);
    Do("alignh", "middle");  // unknown: pushed, unchanged
    EXPECT_EQ(m_pLabel->GetAlignH(), ALIGNH_CENTER);
    Do("/alignh");
    EXPECT_EQ(m_pLabel->GetAlignH(), ALIGNH_CENTER);
    Do("/alignh");
    EXPECT_EQ(m_pLabel->GetAlignH(), ALIGNH_LEFT);
    Do("/alignh");
    EXPECT_EQ(m_pLabel->GetAlignH(), ALIGNH_LEFT);

    Do("wrapstyle", "truncate");
    EXPECT_EQ(m_pLabel->GetWrapStyle(), TEXTWRAP_TRUNCATE);
    Do("wrapstyle", "autowidth");
    EXPECT_EQ(m_pLabel->GetWrapStyle(), TEXTWRAP_AUTOWIDTH);
    Do("/wrapstyle");
    Do("/wrapstyle");
    EXPECT_EQ(m_pLabel->GetWrapStyle(), TEXTWRAP_WORDWRAP);

    Do("alignv", "baseline");
    EXPECT_EQ(m_pLabel->GetAlignV(), ALIGNV_BASELINE);
    Do("alignv", "bottom");
    EXPECT_EQ(m_pLabel->GetAlignV(), ALIGNV_BOTTOM);
    Do("/alignv");
    EXPECT_EQ(m_pLabel->GetAlignV(), ALIGNV_BASELINE);
}

TEST_F(StyleParserTest, TabsMoveThePenToTheNextOrTheNamedStop) {
    Do("tab");  // no stops: nothing
    EXPECT_EQ(m_pLabel->GetPenX(), 0.0f);
    Do("tabs", "100,200,300");
    struct Case {
        float pen;
        std::string value;
        float expected;
    };
    const Case cases[] = {{150, "", 200}, {200, "", 200}, {350, "", 350}, {0, "", 100},  {500, "3", 300},
                          {10, "0", 10},  {10, "4", 10},  {10, "x", 10},  {10, "0x2", 200}};
    for (const Case& c : cases) {
        m_pLabel->SetPenX(c.pen);
        Do("tab", c.value);
        EXPECT_EQ(m_pLabel->GetPenX(), c.expected) << c.pen << " " << c.value;
    }
    Do("tabs", "010, 0x10,junk,");
    EXPECT_EQ(m_pLabel->GetTabStops().size(), 2);
    EXPECT_EQ(m_pLabel->GetTabStops()[0], 8);
    EXPECT_EQ(m_pLabel->GetTabStops()[1], 16);
    Do("tabs", "");
    EXPECT_TRUE(m_pLabel->GetTabStops().empty());
}

TEST_F(StyleParserTest, WidthSetsTheBoxWidthOnlyForNumbers) {
    Do("width", "120");
    EXPECT_EQ(m_pLabel->GetWidth(), 120.0f);
    Do("width", "wide");
    EXPECT_EQ(m_pLabel->GetWidth(), 120.0f);
}

TEST_F(StyleParserTest, ImagesArePlacedByAlignAndWrap) {
    m_pLabel->SetPenX(40);
    m_pLabel->SetPenY(5);
    Do("image", "box,pics");
    ASSERT_EQ(m_pLabel->GetImages().size(), 1);
    EXPECT_EQ(m_pLabel->GetImages()[0]->GetX(), 40.0f);
    EXPECT_EQ(m_pLabel->GetImages()[0]->GetY(), 5.0f);
    EXPECT_EQ(m_pLabel->GetHeight(), 50.0f);  // grown to the picture

    Do("image", "box,pics,right,single");
    EXPECT_EQ(m_pLabel->GetImages()[1]->GetX(), 170.0f);
    EXPECT_EQ(m_pLabel->GetLineHeight(), 50.0f);

    Do("image", "box,pics,center");
    EXPECT_EQ(m_pLabel->GetImages()[2]->GetX(), 85.0f);

    // "none" at pen x 40 ends the line first; the text goes on below.
    m_pLabel->SetLineHeight(24);
    Do("image", "box,pics,left,none");
    EXPECT_EQ(m_pLabel->GetImages()[3]->GetX(), 0.0f);
    EXPECT_EQ(m_pLabel->GetImages()[3]->GetY(), 29.0f);
    EXPECT_EQ(m_pLabel->GetPenY(), 79.0f);
    EXPECT_EQ(m_pLabel->GetPenX(), 0.0f);
    // At pen x 0 the picture starts the line where it is.
    Do("image", "box,pics,,none");
    EXPECT_EQ(m_pLabel->GetImages()[4]->GetY(), 79.0f);
    EXPECT_EQ(m_pLabel->GetPenY(), 129.0f);

    Do("image", "nothing,pics");
    Do("image", "");
    EXPECT_EQ(m_pLabel->GetImages().size(), 5);
}

}  // namespace
