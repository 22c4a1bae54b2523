#include "engine/graphics/FontBitmap.h"

#include <cctype>
#include <cmath>
#include <mutex>

#include "engine/core/Platform.h"
#include "engine/core/UTF8Iterator.h"
#include "engine/core/Utils.h"
#include "engine/graphics/FontDrawSettings.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/math/PolygonF.h"

namespace ZQ2 {

const char* const PROP_FONT_CHARSPACING = "charspacing";
const char* const PROP_FONT_SPACEWIDTH = "spacewidth";
const char* const PROP_FONT_LINEHEIGHT = "lineheight";
const char* const PROP_FONT_BASELINE = "baseline";
const char* const PROP_FONT_CHARS = "chars";
const char* const PROP_FONT_KERNING = "kerning";
const char* const PROP_FONT_CHAR_CODE = "c";
const char* const PROP_FONT_SHEET_X = "sx";
const char* const PROP_FONT_SHEET_Y = "sy";
const char* const PROP_FONT_SHEET_WIDTH = "sw";
const char* const PROP_FONT_SHEET_HEIGHT = "sh";
const char* const PROP_FONT_ADVANCE = "width";
const char* const PROP_FONT_CELL_X = "ix";
const char* const PROP_FONT_CELL_Y = "iy";
const char* const PROP_FONT_BEARING_X = "bx";
const char* const PROP_FONT_BEARING_Y = "by";
const char* const PROP_FONT_KERNING_AMOUNT = "width";
const char* const PROP_FONT_KERNING_CHARS = "chars";

const RTTI* const FontBitmap::rttis[] = {&Font::rtti, nullptr};
const RTTI FontBitmap::rtti("FontBitmap", FontBitmap::rttis);

ZQVector<UTF8String> FontBitmap::m_Substitutes;

namespace {

constexpr unsigned long SPACE = 0x20;
constexpr unsigned long NO_BREAK_SPACE = 0xA0;
constexpr unsigned long EN_SPACE = 0x2002;
// Problems past this many are counted but not reported one by one.
constexpr int REPORTED_PROBLEMS = 8;

std::once_flag g_SubstitutesOnce;

std::string Hex(unsigned long c) { return Utils::ToHexString(static_cast<int>(c)); }

// A kerning token as sscanf's "%x" reads it: optional blanks and "0x", then
// hexadecimal digits; only the low 16 bits are kept.
bool ParseHexToken(const std::string& token, unsigned long& value) {
    size_t at = 0;
    while (at < token.size() && std::isspace(static_cast<unsigned char>(token[at])))
        ++at;
    if (at + 1 < token.size() && token[at] == '0' && (token[at + 1] == 'x' || token[at + 1] == 'X') &&
        at + 2 < token.size() && std::isxdigit(static_cast<unsigned char>(token[at + 2])))
        at += 2;
    const size_t first = at;
    value = 0;
    for (; at < token.size() && std::isxdigit(static_cast<unsigned char>(token[at])); ++at) {
        const char digit = static_cast<char>(std::tolower(static_cast<unsigned char>(token[at])));
        const unsigned long nibble = digit <= '9' ? static_cast<unsigned long>(digit - '0')
                                                  : static_cast<unsigned long>(digit - 'a' + 10);
        value = ((value << 4) | nibble) & 0xFFFF;
    }
    return at > first;
}

bool InGroup(const UTF8String& group, unsigned long c) {
    for (UTF8Iterator it(group); it.IsInside(); it.Next()) {
        if (it.GetCurrent() == c)
            return true;
    }
    return false;
}

}  // namespace

void FontBitmap::BuildSubstitutes() {
    static const unsigned long kGroups[][9] = {
        // double quotes
        {0x0022, 0x201C, 0x201D, 0x2033, 0x275D, 0x275E, 0x301D, 0x301E, 0},
        // single quotes and apostrophes
        {0x0027, 0x0060, 0x00B4, 0x02BB, 0x02BC, 0x2018, 0x2019, 0x275B, 0x275C},
        // degree and ring signs
        {0x00BA, 0x00B0, 0x02DA, 0x030A, 0x2070, 0x2218, 0, 0, 0},
    };
    for (const auto& members : kGroups) {
        UTF8String group;
        for (unsigned long c : members) {
            if (c != 0)
                group.Append(c);
        }
        m_Substitutes.push_back(group);
    }
}

FontBitmap::FontBitmap(AbstractProperty* node) {
    // The loader thread and the main thread may both make the first font.
    std::call_once(g_SubstitutesOnce, BuildSubstitutes);
    const PropertyNode* description = node ? node->ToNode() : nullptr;
    if (!description || description == &dummyPropertyNode) {
        Refuse("there is no font description");
    } else {
        ReadDescription(*description);
    }
    FinishDefaultChar();
}

// ---- Reading the description ------------------------------------------------

void FontBitmap::Refuse(const std::string& problem) {
    if (m_strDescriptionError.empty())
        m_strDescriptionError = problem;
    ++m_nProblems;
    if (m_nProblems <= REPORTED_PROBLEMS)
        Platform::OutputDebugString("FontBitmap: " + problem + ".\n");
    else if (m_nProblems == REPORTED_PROBLEMS + 1)
        Platform::OutputDebugString("FontBitmap: further problems of this description are not reported.\n");
}

void FontBitmap::ReadDescription(const PropertyNode& node) {
    ReadMetric(node, PROP_FONT_CHARSPACING, -MAX_METRIC, m_fCharSpacing);
    ReadMetric(node, PROP_FONT_LINEHEIGHT, -MAX_METRIC, m_fLineHeight);
    ReadMetric(node, PROP_FONT_BASELINE, -MAX_METRIC, m_fBaseLine);
    ReadChars(node);
    // After the glyphs, so that it overrides a described space.
    ReadSpaceWidth(node);
    // Last: a pair needs both of its glyphs.
    ReadKerning(node);
}

// A present key within [low, MAX_METRIC] lands in out; anything else leaves
// out alone. False for a refused value.
bool FontBitmap::ReadMetric(const PropertyNode& node, const char* key, float low, float& out,
                            const std::string& where) {
    if (!node.HasProperty(key))
        return true;
    const float value = node.GetValue(key)->ToFloat();
    if (!std::isfinite(value) || value < low || value > MAX_METRIC) {
        Refuse(where + "\"" + key + "\" " + node.GetPropString(key).substr(0, 32) + " lies outside " +
               Utils::ToString(low, 0, true) + " to " + Utils::ToString(MAX_METRIC, 0, true));
        return false;
    }
    out = value;
    return true;
}

void FontBitmap::ReadChars(const PropertyNode& node) {
    if (!node.HasProperty(PROP_FONT_CHARS))
        return;
    const PropertyVector* chars = node.GetVector(PROP_FONT_CHARS);
    int index = 0;
    for (const SmartPtr<AbstractProperty>& entry : *chars) {
        if (!entry || entry->GetType() != PROPERTY_NODE) {
            Refuse("glyph " + Utils::ToString(index) + " is not a node");
        } else if (!ReadGlyph(*entry->ToNode(), index) && GetGlyphCount() >= MAX_GLYPHS) {
            return;
        }
        ++index;
    }
}

bool FontBitmap::ReadGlyph(const PropertyNode& entry, int index) {
    const std::string where = "glyph " + Utils::ToString(index);
    const int code = entry.GetValue(PROP_FONT_CHAR_CODE)->ToInt();
    if (!entry.HasProperty(PROP_FONT_CHAR_CODE) || code < 1 || static_cast<unsigned long>(code) > MAX_CODE_POINT) {
        Refuse(where + ": character code \"" + entry.GetPropString(PROP_FONT_CHAR_CODE).substr(0, 32) +
               "\" lies outside 1 to " +
               Hex(MAX_CODE_POINT));
        return false;
    }
    const auto c = static_cast<unsigned long>(code);
    if (!m_Glyphs.count(c) && GetGlyphCount() >= MAX_GLYPHS) {
        Refuse(where + ": more than " + Utils::ToString(MAX_GLYPHS) + " glyphs");
        return false;
    }

    FontBitmapChar glyph;
    float* sizes[] = {&glyph.m_SheetRect.width, &glyph.m_SheetRect.height, &glyph.m_fAdvance};
    const char* sizeKeys[] = {PROP_FONT_SHEET_WIDTH, PROP_FONT_SHEET_HEIGHT, PROP_FONT_ADVANCE};
    float* places[] = {&glyph.m_SheetRect.x, &glyph.m_SheetRect.y, &glyph.m_Bearing.x, &glyph.m_Bearing.y};
    const char* placeKeys[] = {PROP_FONT_SHEET_X, PROP_FONT_SHEET_Y, PROP_FONT_BEARING_X, PROP_FONT_BEARING_Y};
    bool good = true;
    for (int k = 0; k < 3; ++k)
        good = ReadMetric(entry, sizeKeys[k], 0.0f, *sizes[k], where + ": ") && good;
    for (int k = 0; k < 4; ++k)
        good = ReadMetric(entry, placeKeys[k], -MAX_METRIC, *places[k], where + ": ") && good;
    const int cellX = entry.GetValue(PROP_FONT_CELL_X)->ToInt();
    const int cellY = entry.GetValue(PROP_FONT_CELL_Y)->ToInt();
    if (cellX < 0 || cellX > MAX_CELL || cellY < 0 || cellY > MAX_CELL) {
        Refuse(where + ": cell " + Utils::ToString(cellX) + ", " + Utils::ToString(cellY) + " lies outside 0 to " +
               Utils::ToString(MAX_CELL));
        good = false;
    }
    if (!good) {
        Refuse(where + " (character " + Hex(c) + ") is left out");
        return false;
    }
    glyph.m_Cell.Set(cellX, cellY);
    m_Glyphs[c] = glyph;
    const float bottom = glyph.m_Bearing.y + glyph.m_SheetRect.height;
    if (bottom > m_fGlyphBottom)
        m_fGlyphBottom = bottom;
    return true;
}

void FontBitmap::ReadSpaceWidth(const PropertyNode& node) {
    float width = 0.0f;
    if (!node.HasProperty(PROP_FONT_SPACEWIDTH) || !ReadMetric(node, PROP_FONT_SPACEWIDTH, 0.0f, width))
        return;
    const std::pair<unsigned long, float> spaces[] = {{SPACE, width}, {NO_BREAK_SPACE, width}, {EN_SPACE, width * 0.5f}};
    for (const auto& space : spaces) {
        FontBitmapChar& glyph = m_Glyphs[space.first];
        glyph.m_fAdvance = space.second;
        glyph.m_SheetRect.width = space.second;
    }
}

void FontBitmap::ReadKerning(const PropertyNode& node) {
    if (!node.HasProperty(PROP_FONT_KERNING))
        return;
    const PropertyVector* kerning = node.GetVector(PROP_FONT_KERNING);
    int index = 0;
    for (const SmartPtr<AbstractProperty>& entry : *kerning) {
        if (m_nKerningPairs >= MAX_KERNING_PAIRS)
            return;
        const std::string where = "kerning entry " + Utils::ToString(index++);
        if (!entry || entry->GetType() != PROPERTY_NODE) {
            Refuse(where + " is not a node");
            continue;
        }
        const PropertyNode& pairs = *entry->ToNode();
        float amount = 0.0f;
        if (!ReadMetric(pairs, PROP_FONT_KERNING_AMOUNT, -MAX_METRIC, amount, where + ": ")) {
            Refuse(where + " is left out");
            continue;
        }
        ReadKerningChars(pairs.GetPropString(PROP_FONT_KERNING_CHARS), amount);
    }
}

// The text is a run of tokens, each after a one-character separator
// (normally "#") and up to the next "#". A token 0, or one starting with the
// character 1, breaks the pairs: the token after it names a left character,
// and every token after that a right one until the next break.
void FontBitmap::ReadKerningChars(const std::string& chars, float amount) {
    unsigned long left = 0;
    bool breakPending = false;
    size_t pos = 0;
    while (pos < chars.size()) {
        const size_t begin = pos + 1;
        size_t next = begin < chars.size() ? chars.find('#', begin) : std::string::npos;
        if (next == std::string::npos)
            next = chars.size();
        const std::string token = begin < next ? chars.substr(begin, next - begin) : std::string();
        pos = next;
        if (token.empty())
            continue;  // a trailing or doubled separator
        unsigned long value = 0;
        if (token[0] == '\x01' || (ParseHexToken(token, value) && value == 0)) {
            breakPending = true;
        } else if (!ParseHexToken(token, value)) {
            Refuse("kerning token \"" + token.substr(0, 16) + "\" is not a hexadecimal number");
        } else if (breakPending) {
            left = value;
            breakPending = false;
        } else if (!AddKerningPair(left, value, amount)) {
            return;
        }
    }
}

// False once the pair limit is reached.
bool FontBitmap::AddKerningPair(unsigned long left, unsigned long right, float amount) {
    auto leftGlyph = m_Glyphs.find(left);
    if (leftGlyph == m_Glyphs.end() || !m_Glyphs.count(right)) {
        if (left == 0)
            Refuse("kerning for character " + Hex(right) + " comes before any left character");
        else
            Refuse("kerning pair " + Hex(left) + ", " + Hex(right) + " names a character without a glyph");
        return true;
    }
    if (m_nKerningPairs >= MAX_KERNING_PAIRS) {
        Refuse("more than " + Utils::ToString(MAX_KERNING_PAIRS) + " kerning pairs");
        return false;
    }
    leftGlyph->second.SetKerning(right, amount);
    ++m_nKerningPairs;
    m_bHasKerning = true;
    return true;
}

void FontBitmap::FinishDefaultChar() {
    const float advance = 2.0f * GetCharInfo(SPACE).m_fAdvance;
    float bearingSum = 0.0f;
    for (const auto& glyph : m_Glyphs)
        bearingSum += glyph.second.m_Bearing.x;
    m_DefaultChar.m_fAdvance = advance;
    m_DefaultChar.m_SheetRect.width = advance;
    if (!m_Glyphs.empty())
        m_DefaultChar.m_Bearing.x = bearingSum / static_cast<float>(m_Glyphs.size());
}

// ---- Glyph lookup -------------------------------------------------------------

void FontBitmap::AddLayer(FontLayer* layer) {
    if (!layer)
        return;
    m_Layers.push_back(SmartPtr<FontLayer>(layer));
    if (layer->GetPadding() > m_fPadding)
        m_fPadding = layer->GetPadding();
}

const FontBitmapChar* FontBitmap::FindGlyph(unsigned long c) const {
    auto found = m_Glyphs.find(c);
    return found == m_Glyphs.end() ? nullptr : &found->second;
}

bool FontBitmap::ContainsCharacter(unsigned long c) const { return Utils::IsSpace(c) || m_Glyphs.count(c) != 0; }

unsigned long FontBitmap::GetValidSubstitute(unsigned long c) const {
    if (ContainsCharacter(c))
        return c;
    for (const UTF8String& group : m_Substitutes) {
        if (!InGroup(group, c))
            continue;
        for (UTF8Iterator it(group); it.IsInside(); it.Next()) {
            if (m_Glyphs.count(it.GetCurrent()))
                return it.GetCurrent();
        }
        return 0;
    }
    return 0;
}

const FontBitmapChar& FontBitmap::GetCharInfo(unsigned long c) const {
    const unsigned long s = GetValidSubstitute(c);
    const FontBitmapChar* glyph = s != 0 ? FindGlyph(s) : nullptr;
    return glyph ? *glyph : m_DefaultChar;
}

float FontBitmap::GetLineHeight() const { return m_fLineHeight > 0.0f ? m_fLineHeight : GetCharHeight(); }

int FontBitmap::GetMatteColor() const { return m_Layers.empty() ? 0 : m_Layers[m_Layers.size() - 1]->GetColor(); }

bool FontBitmap::UsingMatteColor() const {
    return !m_Layers.empty() && !m_Layers[m_Layers.size() - 1]->IsOnlyMask();
}

// ---- Measuring ------------------------------------------------------------------

bool FontBitmap::ClipRange(int& start, int& count, int length) {
    if (start < 0)
        start = 0;
    if (start >= length) {
        count = 0;
        return true;
    }
    if (count < 0 || count > length - start)
        count = length - start;
    return count < 1;
}

void FontBitmap::GetCharacterDrawOffsets(const UTF8String& text, FontCharPositions& positions, float spacing,
                                         int start, int count) const {
    const int length = text.Length();
    if (ClipRange(start, count, length))
        return;
    const float padding = GetPadding();
    const float step = spacing + m_fCharSpacing;
    float pen = padding;
    float previousRight = 0.0f;
    UTF8Iterator it(text, start);
    for (int i = start; i < start + count; ++i, it.Next()) {
        const unsigned long c = it.GetCurrent();
        const FontBitmapChar& glyph = GetCharInfo(c);
        const bool more = i + 1 < length;
        const float kern = m_bUseKerning && more ? glyph.GetKerning(it.ReadNext()) : 0.0f;

        float box = glyph.m_SheetRect.width;
        // A blank's box reaches back to the glyph before it.
        if (Utils::IsWhitespace(c))
            box = previousRight - pen + glyph.m_SheetRect.width;
        const float y = padding + glyph.m_Bearing.y;
        // The text's first character starts at the padding, without its bearing.
        const float x = i == 0 ? pen : pen + glyph.m_Bearing.x;
        const float base = i == 0 ? pen - glyph.m_Bearing.x : pen;
        const float nextPen = base + glyph.m_fAdvance + step;

        const float right = x + box + padding;
        positions.Add(FontCharPosition(x, y, right, nextPen, more ? right - padding : right));
        previousRight = x + glyph.m_SheetRect.width;
        pen = nextPen + kern;
    }
}

float FontBitmap::GetStringWidth(const UTF8String& text, float spacing, eFontWidth kind, int start,
                                 int count) const {
    if (ClipRange(start, count, text.Length()))
        return 0.0f;
    FontCharPositions positions;
    GetCharacterDrawOffsets(text, positions, spacing, start, count);
    return positions.IsEmpty() ? 0.0f : positions.GetMaxWidth(kind);
}

// ---- Drawing ----------------------------------------------------------------------

void FontBitmap::Render(Graphics* graphics, const FontDrawSettings& settings) const {
    if (!graphics)
        return;
    const ZQVector<FontLine>& lines = settings.GetLines();
    std::vector<FontCharPositions> measured(static_cast<size_t>(lines.size()));
    for (int k = 0; k < lines.size(); ++k)
        GetCharacterDrawOffsets(lines[k].GetText(), measured[static_cast<size_t>(k)], settings.GetCharSpacing(), 0,
                                -1);
    const Point_t<float> pivot(graphics->GetPivotPointX(), graphics->GetPivotPointY());
    // The first layer is drawn last, on top.
    for (int layer = m_Layers.size() - 1; layer >= 0; --layer)
        RenderLayer(graphics, settings, measured, *m_Layers[layer], layer, pivot);
    graphics->SetDrawnFlag(1);
}

void FontBitmap::RenderLayer(Graphics* graphics, const FontDrawSettings& settings,
                             const std::vector<FontCharPositions>& measured, const FontLayer& layer, int index,
                             const Point_t<float>& pivot) const {
    ImageFrame* frame = layer.GetFrame();
    if (!frame)
        return;
    graphics->SetImageFrame(frame);
    int color = 0xFFFFFF;
    if (layer.IsOnlyMask())
        color = settings.HasLayerColor(index) ? settings.GetLayerColor(index) : layer.GetColor();
    graphics->SetColor(color);

    const float padding = layer.GetPadding();
    const float imageWidth = static_cast<float>(frame->GetWidth());
    const float imageHeight = static_cast<float>(frame->GetHeight());
    const SmartPtr<PolygonF> polygon(new PolygonF);
    const ZQVector<FontLine>& lines = settings.GetLines();
    for (int k = 0; k < lines.size(); ++k) {
        const FontLine& line = lines[k];
        const FontCharPositions& positions = measured[static_cast<size_t>(k)];
        const Point_t<float> origin(line.GetPosition().x - padding, line.GetPosition().y - padding);
        int i = 0;
        for (UTF8Iterator it(line.GetText()); it.IsInside() && i < positions.GetCount(); it.Next(), ++i) {
            const unsigned long c = it.GetCurrent();
            if (Utils::IsWhitespace(c))
                continue;
            const float x = origin.x + positions[i].x;
            const float y = origin.y + positions[i].y;
            // Every glyph turns and scales about the pivot the context had.
            graphics->SetPivotPoint(pivot.x - x, pivot.y - y);
            const unsigned long s = GetValidSubstitute(c);
            const FontBitmapChar* glyph = s != 0 ? FindGlyph(s) : nullptr;
            if (glyph) {
                if (!glyph->FillCharacterPolygon(*polygon, padding, imageWidth, imageHeight))
                    continue;
                graphics->SetPolygon(polygon.Get());
                graphics->Draw(x, y);
                continue;
            }
            // A box stands for a character the font cannot show. Drawn at the
            // glyph's place like a glyph, so it turns about the same pivot.
            graphics->AddOffset(x, y);
            graphics->FillRect(Rectangle_t<float>(1.0f, 1.0f, 2.0f * padding - 1.0f + m_DefaultChar.m_fAdvance,
                                                  2.0f * padding - 1.0f + m_fGlyphBottom));
            graphics->SubOffset(x, y);
        }
    }
}

}  // namespace ZQ2
