#include "engine/graphics/FontBitmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/FontCharPositions.h"
#include "engine/graphics/FontDrawSettings.h"
#include "engine/graphics/FontLayer.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/math/PolygonF.h"
#include "tests/engine/graphics/RecordingRenderer.h"

using namespace ZQ2;
using GraphicsTestSupport::RecordingRenderer;

namespace {

std::string Glyph(unsigned long c, float sx, float sy, float sw, float sh, float width, int ix, int iy, float bx,
                  float by) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "<Char c=\"%lu\" sx=\"%g\" sy=\"%g\" sw=\"%g\" sh=\"%g\" width=\"%g\" ix=\"%d\" iy=\"%d\" "
                  "bx=\"%g\" by=\"%g\"/>",
                  c, sx, sy, sw, sh, width, ix, iy, bx, by);
    return text;
}

std::string Kerning(float width, const std::string& chars) {
    return "<Pair width=\"" + std::to_string(width) + "\" chars=\"" + chars + "\"/>";
}

// A font description: attributes of the font node, glyphs and kerning
// entries.
std::string Description(const std::string& attributes, const std::string& chars, const std::string& kerning = "") {
    std::string xml = "<root><Node id=\"font\" " + attributes + ">";
    if (!chars.empty())
        xml += "<Vector id=\"chars\">" + chars + "</Vector>";
    if (!kerning.empty())
        xml += "<Vector id=\"kerning\">" + kerning + "</Vector>";
    return xml + "</Node></root>";
}

SmartPtr<FontBitmap> FontFrom(const std::string& xml) {
    SmartPtr<PropertyStore> store(new PropertyStore);
    EXPECT_TRUE(store->ParseFromBuffer(xml.c_str())) << xml;
    return SmartPtr<FontBitmap>(new FontBitmap(store->GetNode("font")));
}

// A, V, a right double quote and a full stop on a 64 x 32 sheet; spaces 6
// wide, one pixel between characters, A kerned -2 before V.
const std::string kGlyphs = Glyph('A', 0, 0, 8, 10, 9, 0, 0, 1, 2) + Glyph('V', 8, 0, 7, 10, 8, 1, 0, -1, 2) +
                            Glyph(0x201D, 16, 0, 4, 4, 5, 2, 0, 0, 0) + Glyph('.', 20, 0, 2, 2, 3, 3, 0, 7, 11);

SmartPtr<FontBitmap> StandardFont() {
    return FontFrom(Description("spacewidth=\"6\" charspacing=\"1\" baseline=\"9\"", kGlyphs,
                                Kerning(-2, "#0#41#56")));
}

SmartPtr<Image> MakeImage(int width, int height, int textureWidth, int textureHeight, bool alphaOnly) {
    SmartPtr<ImageData> data(new ImageDataOpenGL(width, height, textureWidth, textureHeight, true));
    data->SetAlphaOnly(alphaOnly);
    return SmartPtr<Image>(new Image(data, 1, 1));
}

// A white corner drawn in that colour, as the drawing context tints it.
uint32_t Tinted(uint32_t argb) {
    PolygonF corner(Rectangle_t<float>(0, 0, 1, 1));
    corner.MultiplyComposedColor(argb);
    return corner.Get(0).color;
}

struct Expected {
    float x, y, box, pen, joined;
};

void ExpectPositions(const FontCharPositions& positions, const std::vector<Expected>& expected) {
    ASSERT_EQ(positions.GetCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < positions.GetCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(positions[i].x, expected[i].x);
        EXPECT_FLOAT_EQ(positions[i].y, expected[i].y);
        EXPECT_FLOAT_EQ(positions[i].GetWidth(FONTWIDTH_BOX), expected[i].box);
        EXPECT_FLOAT_EQ(positions[i].GetWidth(FONTWIDTH_PEN), expected[i].pen);
        EXPECT_FLOAT_EQ(positions[i].GetWidth(FONTWIDTH_JOINED), expected[i].joined);
    }
}

}  // namespace

// ---- Reading a description ------------------------------------------------------

TEST(FontBitmap, DescriptionSetsMetricsSpacesAndTheDefaultGlyph) {
    SmartPtr<FontBitmap> font = StandardFont();
    EXPECT_TRUE(font->IsValid()) << font->GetDescriptionError();
    EXPECT_FLOAT_EQ(font->GetCharSpacing(), 1.0f);
    EXPECT_FLOAT_EQ(font->GetBaseLine(), 9.0f);
    // The full stop reaches lowest: 11 + 2.
    EXPECT_FLOAT_EQ(font->GetGlyphBottom(), 13.0f);

    const std::pair<unsigned long, float> spaces[] = {{0x20, 6.0f}, {0xA0, 6.0f}, {0x2002, 3.0f}};
    for (const auto& space : spaces) {
        const FontBitmapChar* glyph = font->FindGlyph(space.first);
        ASSERT_NE(glyph, nullptr) << space.first;
        EXPECT_FLOAT_EQ(glyph->m_fAdvance, space.second);
        EXPECT_FLOAT_EQ(glyph->m_SheetRect.width, space.second);
    }

    const FontBitmapChar& a = font->GetCharInfo('A');
    EXPECT_FLOAT_EQ(a.m_SheetRect.x, 0.0f);
    EXPECT_FLOAT_EQ(a.m_SheetRect.height, 10.0f);
    EXPECT_FLOAT_EQ(a.m_fAdvance, 9.0f);
    EXPECT_FLOAT_EQ(a.m_Bearing.x, 1.0f);
    EXPECT_EQ(font->GetCharInfo('V').m_Cell.x, 1);

    // Twice a space wide; the bearing is the mean of all seven glyphs'
    // (1 - 1 + 0 + 7 + three spaces of 0).
    const FontBitmapChar& fallback = font->GetDefaultChar();
    EXPECT_FLOAT_EQ(fallback.m_fAdvance, 12.0f);
    EXPECT_FLOAT_EQ(fallback.m_SheetRect.width, 12.0f);
    EXPECT_FLOAT_EQ(fallback.m_Bearing.x, 1.0f);
    EXPECT_EQ(&font->GetCharInfo('Z'), &fallback);
}

TEST(FontBitmap, SpaceWidthOverridesADescribedSpace) {
    SmartPtr<FontBitmap> font =
        FontFrom(Description("spacewidth=\"10\"", Glyph(0x20, 30, 0, 4, 1, 4, 5, 0, 0, 0)));
    const FontBitmapChar* space = font->FindGlyph(0x20);
    ASSERT_NE(space, nullptr);
    EXPECT_FLOAT_EQ(space->m_fAdvance, 10.0f);
    EXPECT_FLOAT_EQ(space->m_SheetRect.width, 10.0f);
    EXPECT_FLOAT_EQ(space->m_SheetRect.x, 30.0f);
    EXPECT_FLOAT_EQ(font->GetCharInfo(0x2002).m_fAdvance, 5.0f);
}

TEST(FontBitmap, LineHeightFallsBackToThePaddedGlyphHeight) {
    SmartPtr<FontBitmap> plain = StandardFont();
    plain->AddLayer(new FontLayer(1.0f, 0, nullptr));
    plain->AddLayer(new FontLayer(2.0f, 0, nullptr));
    plain->AddLayer(new FontLayer(0.5f, 0, nullptr));
    EXPECT_FLOAT_EQ(plain->GetPadding(), 2.0f);
    EXPECT_FLOAT_EQ(plain->GetCharHeight(), 2 * 2.0f + 13.0f);
    EXPECT_FLOAT_EQ(plain->GetLineHeight(), 17.0f);

    SmartPtr<FontBitmap> spaced = FontFrom(Description("lineheight=\"20\"", kGlyphs));
    EXPECT_FLOAT_EQ(spaced->GetLineHeight(), 20.0f);
    SmartPtr<FontBitmap> negative = FontFrom(Description("lineheight=\"-3\"", kGlyphs));
    EXPECT_FLOAT_EQ(negative->GetLineHeight(), 13.0f);
}

TEST(FontBitmap, SubstitutesStandInForMissingQuotes) {
    SmartPtr<FontBitmap> font = StandardFont();
    // Only the right double quote has a glyph: the straight one borrows it.
    EXPECT_EQ(font->GetValidSubstitute('"'), 0x201Du);
    EXPECT_TRUE(font->HasCharacter('"'));
    EXPECT_EQ(&font->GetCharInfo('"'), font->FindGlyph(0x201D));
    EXPECT_EQ(font->GetValidSubstitute(0x301E), 0x201Du);
    // No single quote at all, and nothing to stand in for a letter.
    EXPECT_EQ(font->GetValidSubstitute('\''), 0u);
    EXPECT_FALSE(font->HasCharacter('\''));
    EXPECT_FALSE(font->HasCharacter('Z'));
    // White space counts as present even without a glyph.
    EXPECT_TRUE(font->ContainsCharacter(0x3000));
    EXPECT_TRUE(font->HasCharacter(0x202F));

    // Members are tried in the group's order, not the character's.
    SmartPtr<FontBitmap> quotes = FontFrom(Description(
        "", Glyph(0x2019, 0, 0, 2, 4, 3, 0, 0, 0, 0) + Glyph(0x2018, 2, 0, 2, 4, 3, 1, 0, 0, 0) +
                Glyph(0xB0, 4, 0, 3, 3, 4, 2, 0, 0, 0)));
    EXPECT_EQ(quotes->GetValidSubstitute('`'), 0x2018u);
    EXPECT_EQ(quotes->GetValidSubstitute(0x2019), 0x2019u);
    EXPECT_EQ(quotes->GetValidSubstitute(0x2218), 0xB0u);
    EXPECT_EQ(quotes->GetValidSubstitute('"'), 0u);
    EXPECT_EQ(FontBitmap::m_Substitutes.size(), 3);
}

TEST(FontBitmap, KerningStringsNamePairsAfterEachBreak) {
    // 0 and a token starting with the character 1 both break; several right
    // characters may follow one left one; a trailing separator is harmless.
    const std::string kerning = Kerning(-2, "#0#41#56#2E") + Kerning(0.5f, "#0#56#41#0#2e#2E#") +
                                Kerning(3, "#\x01#2E#56") + Kerning(-1, "#0#0x2E#41");
    SmartPtr<FontBitmap> font = FontFrom(Description("", kGlyphs, kerning));
    EXPECT_TRUE(font->IsValid()) << font->GetDescriptionError();
    EXPECT_TRUE(font->HasKerning());
    const FontBitmapChar& a = font->GetCharInfo('A');
    EXPECT_FLOAT_EQ(a.GetKerning('V'), -2.0f);
    EXPECT_FLOAT_EQ(a.GetKerning('.'), -2.0f);
    EXPECT_FLOAT_EQ(a.GetKerning('A'), 0.0f);
    EXPECT_FLOAT_EQ(font->GetCharInfo('V').GetKerning('A'), 0.5f);
    const FontBitmapChar& stop = font->GetCharInfo('.');
    EXPECT_FLOAT_EQ(stop.GetKerning('.'), 0.5f);
    EXPECT_FLOAT_EQ(stop.GetKerning('V'), 3.0f);
    EXPECT_FLOAT_EQ(stop.GetKerning('A'), -1.0f);
    EXPECT_EQ(a.GetKerningCount(), 2);

    // Sixteen bits are kept: 10041 is A.
    SmartPtr<FontBitmap> wide = FontFrom(Description("", kGlyphs, Kerning(4, "#0#10041#56")));
    EXPECT_FLOAT_EQ(wide->GetCharInfo('A').GetKerning('V'), 4.0f);
}

// ---- Bad descriptions --------------------------------------------------------------

TEST(FontBitmap, BadEntriesAreLeftOutWithAClearError) {
    const std::string good = Glyph('A', 0, 0, 8, 10, 9, 0, 0, 1, 2);
    struct Case {
        const char* name;
        std::string description;
        const char* problem;  // a piece of the reported text
    };
    const Case cases[] = {
        {"code 0", Description("", good + Glyph(0, 0, 0, 1, 1, 1, 0, 0, 0, 0)), "character code"},
        {"code past Unicode", Description("", good + Glyph(0x110000, 0, 0, 1, 1, 1, 0, 0, 0, 0)), "10FFFF"},
        {"negative code", Description("", good + "<Char c=\"-66\" sw=\"1\"/>"), "character code \"-66\""},
        {"code missing", Description("", good + "<Char sw=\"1\"/>"), "character code"},
        {"code not a number", Description("", good + "<Char c=\"B\" sw=\"1\"/>"), "character code \"B\""},
        {"negative sheet width", Description("", good + Glyph('B', 0, 0, -8, 10, 9, 0, 0, 0, 0)), "\"sw\" -8"},
        {"negative sheet height", Description("", good + Glyph('B', 0, 0, 8, -1, 9, 0, 0, 0, 0)), "\"sh\" -1"},
        {"negative advance", Description("", good + Glyph('B', 0, 0, 8, 1, -9, 0, 0, 0, 0)), "\"width\" -9"},
        {"huge bearing", Description("", good + Glyph('B', 0, 0, 8, 1, 9, 0, 0, 0, 1e9f)), "\"by\""},
        {"not a number", Description("", good + "<Char c=\"66\" sw=\"nan\"/>"), "\"sw\" nan"},
        {"infinite", Description("", good + "<Char c=\"66\" sx=\"inf\"/>"), "\"sx\" inf"},
        {"negative cell", Description("", good + Glyph('B', 0, 0, 8, 1, 9, -1, 0, 0, 0)), "cell -1"},
        {"huge cell", Description("", good + Glyph('B', 0, 0, 8, 1, 9, 0, 100000, 0, 0)), "cell 0, 100000"},
        {"glyph not a node", Description("", good + "<Integer value=\"66\"/>"), "not a node"},
        {"negative space width", Description("spacewidth=\"-6\"", good), "\"spacewidth\" -6"},
        {"huge char spacing", Description("charspacing=\"1e30\"", good), "\"charspacing\""},
        {"kerned left glyph missing", Description("", good, Kerning(-1, "#0#42#41")), "pair 42, 41"},
        {"kerned right glyph missing", Description("", good, Kerning(-1, "#0#41#42")), "pair 41, 42"},
        {"kerning before a left character", Description("", good, Kerning(-1, "#41#41")), "before any left"},
        {"kerning token not a number", Description("", good, Kerning(-1, "#0#41#zz")), "\"zz\""},
        {"kerning amount not finite", Description("", good, "<Pair width=\"inf\" chars=\"#0#41#41\"/>"),
         "kerning entry 0"},
        {"kerning entry not a node", Description("", good, "<String value=\"#0#41#41\"/>"), "not a node"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmartPtr<FontBitmap> font = FontFrom(c.description);
        EXPECT_FALSE(font->IsValid());
        EXPECT_NE(font->GetDescriptionError().find(c.problem), std::string::npos) << font->GetDescriptionError();
        // What was good is kept; what was bad left no trace.
        EXPECT_NE(font->FindGlyph('A'), nullptr);
        EXPECT_EQ(font->FindGlyph('B'), nullptr);
        EXPECT_EQ(font->FindGlyph(0), nullptr);
        EXPECT_EQ(font->GetCharInfo('A').GetKerningCount(), 0);
        EXPECT_FALSE(font->HasKerning());
        EXPECT_FLOAT_EQ(font->GetCharSpacing(), 0.0f);
        EXPECT_GT(font->GetStringWidth("AB", 0, FONTWIDTH_PEN, 0, -1), 0.0f);
    }
}

TEST(FontBitmap, AMissingDescriptionIsReported) {
    FontBitmap none(nullptr);
    EXPECT_FALSE(none.IsValid());
    SmartPtr<PropertyStore> store(new PropertyStore);
    ASSERT_TRUE(store->ParseFromBuffer("<root><Node id=\"other\"/></root>"));
    SmartPtr<FontBitmap> absent(new FontBitmap(store->GetNode("font")));
    EXPECT_FALSE(absent->IsValid());
    EXPECT_EQ(absent->GetGlyphCount(), 0);
    // Still safe to ask: everything is a box.
    EXPECT_FLOAT_EQ(absent->GetStringWidth("abc", 0, FONTWIDTH_PEN, 0, -1), 0.0f);
    EXPECT_FALSE(absent->HasCharacter('a'));
}

TEST(FontBitmap, HugeCountsStopAtTheLimits) {
    // Glyphs beyond the limit are refused; the ones before it stay.
    SmartPtr<PropertyVector> chars(new PropertyVector("chars"));
    for (int c = 1; c <= FontBitmap::MAX_GLYPHS + 5; ++c) {
        auto* glyph = new PropertyNode("", "Char");
        glyph->InsertProperty(new PropertyValue("c", std::to_string(c), true));
        glyph->InsertProperty(new PropertyValue("sw", std::string("1"), true));
        chars->InsertProperty(glyph);
    }
    SmartPtr<PropertyNode> node(new PropertyNode("font", "Node"));
    node->InsertProperty(chars);
    SmartPtr<FontBitmap> many(new FontBitmap(node));
    EXPECT_EQ(many->GetGlyphCount(), FontBitmap::MAX_GLYPHS);
    EXPECT_NE(many->GetDescriptionError().find("more than 65536 glyphs"), std::string::npos);
    EXPECT_EQ(many->FindGlyph(FontBitmap::MAX_GLYPHS + 1), nullptr);

    // One kerning text naming a pair over and over is cut off at the limit.
    std::string tokens = "#0#41";
    for (int k = 0; k < FontBitmap::MAX_KERNING_PAIRS + 10; ++k)
        tokens += "#56";
    SmartPtr<FontBitmap> kerned = FontFrom(Description("", kGlyphs, Kerning(-1, tokens) + Kerning(2, "#0#56#41")));
    EXPECT_NE(kerned->GetDescriptionError().find("kerning pairs"), std::string::npos);
    EXPECT_FLOAT_EQ(kerned->GetCharInfo('A').GetKerning('V'), -1.0f);
    EXPECT_FLOAT_EQ(kerned->GetCharInfo('V').GetKerning('A'), 0.0f);
}

// ---- Measuring -------------------------------------------------------------------------

TEST(FontBitmap, ClipRangeKeepsTheRangeInsideTheText) {
    struct Case {
        int start, count, length;
        int wantStart, wantCount;
        bool empty;
    };
    const Case cases[] = {
        {0, -1, 5, 0, 5, false}, {2, 10, 5, 2, 3, false}, {-3, 2, 5, 0, 2, false},
        {5, 1, 5, 5, 0, true},   {7, -1, 5, 7, 0, true},  {1, 0, 5, 1, 0, true},
        {0, -1, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        int start = c.start;
        int count = c.count;
        EXPECT_EQ(FontBitmap::ClipRange(start, count, c.length), c.empty) << c.start << " " << c.count;
        EXPECT_EQ(start, c.wantStart);
        EXPECT_EQ(count, c.wantCount);
    }
}

TEST(FontBitmap, FirstCharacterSitsAtThePaddingAndKerningPullsTheNextIn) {
    SmartPtr<FontBitmap> font = StandardFont();
    FontCharPositions positions;
    font->GetCharacterDrawOffsets("AV", positions, 0.0f, 0, -1);
    // A: at the pen, no bearing; pen := 0 - 1 + 9 + 1, then kerned by -2.
    // V: at 7 + its bearing -1.
    ExpectPositions(positions, {{0, 2, 8, 9, 8}, {6, 2, 13, 16, 13}});
    EXPECT_FLOAT_EQ(positions.GetMaxWidth(FONTWIDTH_BOX), 13.0f);

    font->SetUseKerning(false);
    EXPECT_FLOAT_EQ(font->GetStringWidth("AV", 0.0f, FONTWIDTH_BOX, 0, -1), 15.0f);
    font->SetUseKerning(true);

    // With a layer padded by 2 everything moves in by the padding, and the
    // joined width leaves it out while more text follows.
    font->AddLayer(new FontLayer(2.0f, 0, nullptr));
    positions.Clear();
    font->GetCharacterDrawOffsets("AV", positions, 0.0f, 0, -1);
    ExpectPositions(positions, {{2, 4, 12, 11, 10}, {8, 4, 17, 18, 17}});
}

TEST(FontBitmap, BlanksReachBackAndSpacingAddsUp) {
    SmartPtr<FontBitmap> font = StandardFont();
    FontCharPositions positions;
    font->GetCharacterDrawOffsets("A V", positions, 2.0f, 0, -1);
    // Steps of advance + 1 + 2. The blank's box runs from A's right edge.
    ExpectPositions(positions, {{0, 2, 8, 11, 8}, {11, 0, 14, 20, 14}, {19, 2, 26, 31, 26}});

    // A range measured on its own: its first character is not the text's,
    // so it keeps its bearing, and kerning still looks past the range.
    positions.Clear();
    font->GetCharacterDrawOffsets("VAV", positions, 0.0f, 1, 1);
    ExpectPositions(positions, {{1, 2, 9, 10, 9}});
    EXPECT_FLOAT_EQ(font->GetStringWidth("VAV", 0.0f, FONTWIDTH_PEN, 1, 1), 10.0f);

    // Missing characters measure as the default glyph.
    EXPECT_FLOAT_EQ(font->GetStringWidth("ZZ", 0.0f, FONTWIDTH_PEN, 0, -1), 0 - 1 + 12 + 1 + 12 + 1);
}

TEST(FontBitmap, StringWidthOfNothingIsZero) {
    SmartPtr<FontBitmap> font = StandardFont();
    EXPECT_FLOAT_EQ(font->GetStringWidth("AV", 0.0f, FONTWIDTH_BOX, 5, -1), 0.0f);
    EXPECT_FLOAT_EQ(font->GetStringWidth("AV", 0.0f, FONTWIDTH_BOX, 2, 1), 0.0f);
    EXPECT_FLOAT_EQ(font->GetStringWidth("", 0.0f, FONTWIDTH_PEN, 0, -1), 0.0f);
    EXPECT_FLOAT_EQ(font->GetStringWidth("AV", 0.0f, FONTWIDTH_PEN, 0, 0), 0.0f);
    FontCharPositions positions;
    font->GetCharacterDrawOffsets("AV", positions, 0.0f, 9, 1);
    EXPECT_TRUE(positions.IsEmpty());
    // Measured in characters, not bytes.
    EXPECT_FLOAT_EQ(font->GetStringWidth("\xE2\x80\x9D" "A", 0.0f, FONTWIDTH_PEN, 1, 1), 0 + 9 + 1);
}

TEST(FontBitmap, PositionMaximaStartFromTheFirstPosition) {
    FontCharPositions positions;
    EXPECT_FLOAT_EQ(positions.GetMaxWidth(FONTWIDTH_PEN), 0.0f);
    positions.Add(FontCharPosition(0, 0, -5, -4, -3));
    positions.Add(FontCharPosition(0, 0, -6, -1, -7));
    EXPECT_FLOAT_EQ(positions.GetMaxWidth(FONTWIDTH_BOX), -5.0f);
    EXPECT_FLOAT_EQ(positions.GetMaxWidth(FONTWIDTH_PEN), -1.0f);
    EXPECT_FLOAT_EQ(positions.GetMaxWidth(FONTWIDTH_JOINED), -3.0f);
    EXPECT_FLOAT_EQ(positions.GetMaxWidth(static_cast<eFontWidth>(7)), 0.0f);
}

// ---- Layers ---------------------------------------------------------------------------------

TEST(FontBitmap, LayersSetPaddingAndMatteColour) {
    SmartPtr<FontBitmap> font = StandardFont();
    EXPECT_EQ(font->GetMatteColor(), 0);
    EXPECT_FALSE(font->UsingMatteColor());
    SmartPtr<Image> mask = MakeImage(64, 32, 64, 32, true);
    SmartPtr<Image> picture = MakeImage(64, 32, 64, 32, false);
    font->AddLayer(new FontLayer(0.0f, 0x112233, mask));
    EXPECT_EQ(font->GetMatteColor(), 0x112233);
    EXPECT_FALSE(font->UsingMatteColor());
    font->AddLayer(new FontLayer(3.0f, 0x445566, picture));
    EXPECT_EQ(font->GetLayerCount(), 2);
    EXPECT_EQ(font->GetMatteColor(), 0x445566);
    EXPECT_TRUE(font->UsingMatteColor());
    EXPECT_FLOAT_EQ(font->GetPadding(), 3.0f);
    EXPECT_TRUE(font->GetLayer(0)->IsOnlyMask());
    EXPECT_FALSE(font->GetLayer(1)->IsOnlyMask());
    EXPECT_EQ(font->GetLayer(2), nullptr);

    // Padding comes from data: nonsense is refused.
    EXPECT_FLOAT_EQ(FontLayer(-2.0f, 0, nullptr).GetPadding(), 0.0f);
    EXPECT_FLOAT_EQ(FontLayer(5000.0f, 0, nullptr).GetPadding(), 0.0f);
    FontLayer layer(1.0f, 0, picture);
    layer.SetImage(layer.GetImage());
    EXPECT_EQ(layer.GetImage(), picture.Get());
}

TEST(FontBitmap, GlyphPolygonsGrowWithThePaddedCells) {
    SmartPtr<FontBitmap> font = StandardFont();
    const FontBitmapChar& v = font->GetCharInfo('V');
    // Cell 1 on a sheet padded by 2: every cell grew by 4 before it.
    SmartPtr<PolygonF> polygon(v.CreateCharacterPolygon(2.0f, 100.0f, 50.0f));
    ASSERT_TRUE(polygon);
    ASSERT_EQ(polygon->GetCount(), 4);
    const float corners[4][4] = {{0, 0, 12, 0}, {11, 0, 23, 0}, {11, 14, 23, 14}, {0, 14, 12, 14}};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_FLOAT_EQ(polygon->Get(k).x, corners[k][0]);
        EXPECT_FLOAT_EQ(polygon->Get(k).y, corners[k][1]);
        EXPECT_FLOAT_EQ(polygon->Get(k).u, corners[k][2] / 100.0f);
        EXPECT_FLOAT_EQ(polygon->Get(k).v, corners[k][3] / 50.0f);
    }
    EXPECT_EQ(v.CreateCharacterPolygon(2.0f, 0.0f, 50.0f), nullptr);
    FontLayer bare(2.0f, 0, nullptr);
    EXPECT_EQ(v.CreateCharacterPolygon(&bare), nullptr);
}

// ---- Drawing -------------------------------------------------------------------------------

namespace {

// One drawn quad: its corners (half-pixel shift undone), texture
// coordinates, colour and texture.
struct Quad {
    float x[4], y[4], u[4], v[4];
    uint32_t color;
    ImageData* texture;
};

class FontRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pRenderer = RecordingRenderer::Install(200, 100);
        m_pGraphics = m_pRenderer->GetBackBufferGraphics();
        m_pFont = StandardFont();
        // Top: an alpha-only sheet, unpadded. Bottom: a coloured sheet padded
        // by 2, a 100 x 50 picture in a 128 x 64 texture.
        m_pMask = MakeImage(64, 32, 64, 32, true);
        m_pPicture = MakeImage(100, 50, 128, 64, false);
        m_pFont->AddLayer(new FontLayer(0.0f, 0x112233, m_pMask));
        m_pFont->AddLayer(new FontLayer(2.0f, 0x445566, m_pPicture));
    }

    void TearDown() override {
        EXPECT_TRUE(Graphics::g_GraphicsStack.empty());
        Renderer::ReleaseInstance();
    }

    std::vector<Quad> Render(const FontDrawSettings& settings) {
        m_pRenderer->m_Calls.clear();
        m_pGraphics->BeginBatch();
        m_pFont->Render(m_pGraphics, settings);
        m_pGraphics->EndBatch();
        std::vector<Quad> quads;
        for (const RecordingRenderer::Call& call : m_pRenderer->m_Calls) {
            EXPECT_EQ(call.vertices.size() % 4, 0u);
            for (size_t first = 0; first + 4 <= call.vertices.size(); first += 4) {
                Quad quad{};
                for (int k = 0; k < 4; ++k) {
                    const Vertex& vertex = call.vertices[first + static_cast<size_t>(k)];
                    quad.x[k] = vertex.x + 0.5f;
                    quad.y[k] = vertex.y + 0.5f;
                    quad.u[k] = vertex.u;
                    quad.v[k] = vertex.v;
                }
                quad.color = call.vertices[first].color;
                quad.texture = call.slice.m_pTexture;
                quads.push_back(quad);
            }
        }
        return quads;
    }

    static FontDrawSettings OneLine(const char* text, float x, float y) {
        FontDrawSettings settings;
        settings.AddLine(FontLine(text, 0.0f, Point_t<float>(x, y)));
        return settings;
    }

    static void ExpectRect(const Quad& quad, float left, float top, float right, float bottom) {
        const float xs[4] = {left, right, right, left};
        const float ys[4] = {top, top, bottom, bottom};
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(quad.x[k], xs[k]) << "corner " << k;
            EXPECT_FLOAT_EQ(quad.y[k], ys[k]) << "corner " << k;
        }
    }

    static void ExpectUV(const Quad& quad, float u0, float v0, float u1, float v1) {
        EXPECT_FLOAT_EQ(quad.u[0], u0);
        EXPECT_FLOAT_EQ(quad.v[0], v0);
        EXPECT_FLOAT_EQ(quad.u[2], u1);
        EXPECT_FLOAT_EQ(quad.v[2], v1);
    }

    ImageData* MaskData() const { return m_pMask->GetFrame()->GetImageData(); }
    ImageData* PictureData() const { return m_pPicture->GetFrame()->GetImageData(); }

    RecordingRenderer* m_pRenderer = nullptr;
    Graphics* m_pGraphics = nullptr;
    SmartPtr<FontBitmap> m_pFont;
    SmartPtr<Image> m_pMask;
    SmartPtr<Image> m_pPicture;
};

}  // namespace

TEST_F(FontRenderTest, ALineHandsGlyphQuadsLayerByLayerBottomFirst) {
    FontDrawSettings settings = OneLine("A'V", 10, 20);
    settings.SetLayerColor(0, 0xABCDEF);
    const std::vector<Quad> quads = Render(settings);
    ASSERT_EQ(quads.size(), 6u);

    // Measured with the font's padding 2: A at (2, 4), the missing quote as
    // the default glyph at (12, 2), V at (23, 4). The bottom layer is drawn
    // from (line - 2), in its own colours.
    {
        SCOPED_TRACE("bottom A");
        ExpectRect(quads[0], 10, 22, 22, 36);
        // The padded cell on the 100 x 50 picture, then into the texture.
        ExpectUV(quads[0], 0, 0, 12.0f / 128, 14.0f / 64);
        EXPECT_EQ(quads[0].texture, PictureData());
        EXPECT_EQ(quads[0].color, Tinted(0xFFFFFFFFu));
    }
    {
        SCOPED_TRACE("bottom box");
        ExpectRect(quads[1], 21, 21, 36, 37);
        EXPECT_EQ(quads[1].texture, nullptr);
        EXPECT_EQ(quads[1].color, 0xFFFFFFFFu);
    }
    {
        SCOPED_TRACE("bottom V");
        ExpectRect(quads[2], 31, 22, 42, 36);
        ExpectUV(quads[2], 12.0f / 128, 0, 23.0f / 128, 14.0f / 64);
    }
    // The top layer, unpadded and tinted with the settings' colour.
    {
        SCOPED_TRACE("top A");
        ExpectRect(quads[3], 12, 24, 20, 34);
        ExpectUV(quads[3], 0, 0, 8.0f / 64, 10.0f / 32);
        EXPECT_EQ(quads[3].texture, MaskData());
        EXPECT_EQ(quads[3].color, Tinted(0xFFABCDEFu));
    }
    {
        SCOPED_TRACE("top box");
        ExpectRect(quads[4], 23, 23, 34, 35);
        EXPECT_EQ(quads[4].color, 0xFFABCDEFu);
    }
    {
        SCOPED_TRACE("top V");
        ExpectRect(quads[5], 33, 24, 40, 34);
        ExpectUV(quads[5], 8.0f / 64, 0, 15.0f / 64, 10.0f / 32);
    }
    EXPECT_EQ(m_pGraphics->GetDrawnFlag(), 1);
}

TEST_F(FontRenderTest, BlanksDrawNothingAndSubstitutesDrawTheirGlyph) {
    // Without a settings colour the alpha-only layer takes its own.
    const std::vector<Quad> quads = Render(OneLine(" \"", 0, 0));
    ASSERT_EQ(quads.size(), 2u);
    // The quote borrows U+201D: cell 2, 4 x 4, drawn at pen + bearing.
    ExpectUV(quads[0], (16.0f + 4 * 2) / 100 * 100 / 128, 0, (16.0f + 4 * 2 + 8) / 128, 8.0f / 64);
    ExpectRect(quads[1], 9, 2, 13, 6);
    EXPECT_EQ(quads[1].color, Tinted(0xFF112233u));
}

TEST_F(FontRenderTest, LinesKeepTheirOwnPlaces) {
    FontDrawSettings settings = OneLine("A", 10, 20);
    settings.AddLine(FontLine("V", 0.0f, Point_t<float>(50, 60)));
    settings.SetCharSpacing(5.0f);
    const std::vector<Quad> quads = Render(settings);
    ASSERT_EQ(quads.size(), 4u);
    // Bottom layer: both lines, then the top layer: both lines.
    EXPECT_FLOAT_EQ(quads[0].x[0], 10.0f);
    EXPECT_FLOAT_EQ(quads[1].x[0], 50.0f);
    EXPECT_FLOAT_EQ(quads[1].y[0], 62.0f);
    EXPECT_FLOAT_EQ(quads[2].x[0], 12.0f);
    EXPECT_FLOAT_EQ(quads[3].x[0], 52.0f);
    EXPECT_FLOAT_EQ(quads[3].y[0], 64.0f);
}

TEST_F(FontRenderTest, TheWholeTextScalesAboutThePivotItHad) {
    const FontDrawSettings settings = OneLine("A'V", 10, 20);
    const std::vector<Quad> plain = Render(settings);
    m_pGraphics->ResetSettings();
    m_pGraphics->SetScale(2.0f);
    m_pGraphics->SetPivotPoint(5.0f, 4.0f);
    const std::vector<Quad> scaled = Render(settings);
    ASSERT_EQ(plain.size(), 6u);
    ASSERT_EQ(scaled.size(), plain.size());
    // Glyphs and the boxes for missing characters alike.
    for (size_t q = 0; q < plain.size(); ++q) {
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE(testing::Message() << "quad " << q << " corner " << k);
            EXPECT_NEAR(scaled[q].x[k], 5.0f + 2.0f * (plain[q].x[k] - 5.0f), 1e-3f);
            EXPECT_NEAR(scaled[q].y[k], 4.0f + 2.0f * (plain[q].y[k] - 4.0f), 1e-3f);
        }
    }
}

TEST_F(FontRenderTest, LayersWithoutAnImageDrawNothing) {
    SmartPtr<FontBitmap> bare = StandardFont();
    bare->AddLayer(new FontLayer(1.0f, 0, nullptr));
    m_pGraphics->BeginBatch();
    bare->Render(m_pGraphics, OneLine("A'V", 0, 0));
    bare->Render(nullptr, OneLine("A", 0, 0));
    m_pGraphics->EndBatch();
    EXPECT_TRUE(m_pRenderer->m_Calls.empty());
}

// ---- Threads -------------------------------------------------------------------------------

TEST(FontBitmapThreaded, FontsAreMadeAndMeasuredOnTwoThreads) {
    const std::string xml = Description("spacewidth=\"6\"", kGlyphs, Kerning(-2, "#0#41#56"));
    float widths[2] = {0, 0};
    // The first font of the program builds the substitution groups.
    auto work = [&xml](float* width) {
        for (int k = 0; k < 20; ++k) {
            SmartPtr<PropertyStore> store(new PropertyStore);
            store->ParseFromBuffer(xml.c_str());
            SmartPtr<FontBitmap> font(new FontBitmap(store->GetNode("font")));
            *width = font->GetStringWidth("\"AV\"", 0.0f, FONTWIDTH_PEN, 0, -1);
        }
    };
    std::thread first(work, &widths[0]);
    std::thread second(work, &widths[1]);
    first.join();
    second.join();
    EXPECT_GT(widths[0], 0.0f);
    EXPECT_FLOAT_EQ(widths[0], widths[1]);
}
