#pragma once
// The engine's bitmap font: glyph rectangles on a sheet, read from a font
// description in property data, drawn from a stack of layer images (a
// tinted fill over a padded shadow or outline, say). A font is fixed once
// its layers are added, so any thread may measure with it.
#include <map>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontCharPositions.h"
#include "engine/graphics/FontBitmapChar.h"
#include "engine/graphics/FontLayer.h"

namespace ZQ2 {

class AbstractProperty;
class PropertyNode;

// Keys of a font description.
extern const char* const PROP_FONT_CHARSPACING;
extern const char* const PROP_FONT_SPACEWIDTH;
extern const char* const PROP_FONT_LINEHEIGHT;
extern const char* const PROP_FONT_BASELINE;
extern const char* const PROP_FONT_CHARS;
extern const char* const PROP_FONT_KERNING;
// Keys of one glyph of "chars".
extern const char* const PROP_FONT_CHAR_CODE;
extern const char* const PROP_FONT_SHEET_X;
extern const char* const PROP_FONT_SHEET_Y;
extern const char* const PROP_FONT_SHEET_WIDTH;
extern const char* const PROP_FONT_SHEET_HEIGHT;
extern const char* const PROP_FONT_ADVANCE;
extern const char* const PROP_FONT_CELL_X;
extern const char* const PROP_FONT_CELL_Y;
extern const char* const PROP_FONT_BEARING_X;
extern const char* const PROP_FONT_BEARING_Y;
// Keys of one entry of "kerning": "width" (the amount) and "chars".
extern const char* const PROP_FONT_KERNING_AMOUNT;
extern const char* const PROP_FONT_KERNING_CHARS;

class FontBitmap : public Font {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Limits on a description; whatever lies beyond them is refused.
    static constexpr unsigned long MAX_CODE_POINT = 0x10FFFF;
    static constexpr int MAX_GLYPHS = 65536;
    static constexpr int MAX_KERNING_PAIRS = 262144;
    static constexpr int MAX_CELL = 4096;
    static constexpr float MAX_METRIC = 16384.0f;

    // Groups of interchangeable characters (kinds of quotes, degree signs),
    // each tried in order for a character the font lacks. Built by the first
    // font made.
    static ZQVector<UTF8String> m_Substitutes;

    // Reads the description. Entries that break its rules are left out and
    // the first problem is kept (GetDescriptionError); the font stays usable.
    explicit FontBitmap(AbstractProperty* node);

    const RTTI& GetRTTI() const override { return rtti; }

    // Holds the layer and widens the font's padding to the layer's.
    void AddLayer(FontLayer* layer);
    FontLayer* GetLayer(int i) const { return i >= 0 && i < m_Layers.size() ? m_Layers[i].Get() : nullptr; }

    // White space, and every character with a glyph.
    bool ContainsCharacter(unsigned long c) const;
    // c when contained, else the first member with a glyph of the first
    // substitution group holding c, else 0.
    unsigned long GetValidSubstitute(unsigned long c) const;
    // The glyph that stands for c: its substitute's, or the default glyph.
    const FontBitmapChar& GetCharInfo(unsigned long c) const;
    const FontBitmapChar& GetDefaultChar() const { return m_DefaultChar; }
    // The glyph read for exactly c, or null.
    const FontBitmapChar* FindGlyph(unsigned long c) const;
    int GetGlyphCount() const { return static_cast<int>(m_Glyphs.size()); }
    float GetGlyphBottom() const { return m_fGlyphBottom; }

    // start := max(start, 0); count is cut to the text's end (a negative
    // count runs to it). True when nothing is left.
    static bool ClipRange(int& start, int& count, int length);

    // Whether the description was read without a problem, and the first
    // problem found.
    bool IsValid() const { return m_strDescriptionError.empty(); }
    const std::string& GetDescriptionError() const { return m_strDescriptionError; }

    void Render(Graphics* graphics, const FontDrawSettings& settings) const override;
    void GetCharacterDrawOffsets(const UTF8String& text, FontCharPositions& positions, float spacing, int start,
                                 int count) const override;
    float GetStringWidth(const UTF8String& text, float spacing, eFontWidth kind, int start,
                         int count) const override;
    bool HasCharacter(unsigned long c) const override { return GetValidSubstitute(c) != 0; }
    // Kerning is applied while this is on (the default).
    bool UseKerning() const override { return m_bUseKerning; }
    void SetUseKerning(bool use) override { m_bUseKerning = use; }
    // Whether the description gave any kerning pair.
    bool HasKerning() const override { return m_bHasKerning; }
    float GetCharHeight() const override { return 2.0f * m_fPadding + m_fGlyphBottom; }
    float GetBaseLine() const override { return m_fBaseLine; }
    float GetCharSpacing() const override { return m_fCharSpacing; }
    // The described line height when above 0, else the character height.
    float GetLineHeight() const override;
    // The last layer's colour; 0 without layers.
    int GetMatteColor() const override;
    // There are layers and the last one keeps its own colours.
    bool UsingMatteColor() const override;
    int GetLayerCount() const override { return m_Layers.size(); }
    float GetPadding() const override { return m_fPadding; }

private:
    static void BuildSubstitutes();

    void ReadDescription(const PropertyNode& node);
    bool ReadMetric(const PropertyNode& node, const char* key, float low, float& out,
                    const std::string& where = std::string());
    void ReadChars(const PropertyNode& node);
    bool ReadGlyph(const PropertyNode& entry, int index);
    void ReadSpaceWidth(const PropertyNode& node);
    void ReadKerning(const PropertyNode& node);
    void ReadKerningChars(const std::string& chars, float amount);
    bool AddKerningPair(unsigned long left, unsigned long right, float amount);
    void FinishDefaultChar();
    // Keeps the first problem and reports the first few.
    void Refuse(const std::string& problem);

    // One layer's glyphs of every line, as Render describes.
    void RenderLayer(Graphics* graphics, const FontDrawSettings& settings,
                     const std::vector<FontCharPositions>& measured, const FontLayer& layer, int index,
                     const Point_t<float>& pivot) const;

    ZQVector<SmartPtr<FontLayer>> m_Layers;
    std::map<unsigned long, FontBitmapChar> m_Glyphs;
    float m_fCharSpacing = 0.0f;
    float m_fLineHeight = 0.0f;
    float m_fGlyphBottom = 0.0f;
    float m_fBaseLine = 0.0f;
    bool m_bHasKerning = false;
    bool m_bUseKerning = true;
    float m_fPadding = 0.0f;
    FontBitmapChar m_DefaultChar;
    int m_nKerningPairs = 0;
    int m_nProblems = 0;
    std::string m_strDescriptionError;
};

}  // namespace ZQ2
