#pragma once
// A font as labels see it: it measures text character by character and
// draws laid-out lines through a drawing context.
#include "engine/core/BaseObject.h"
#include "engine/core/UTF8String.h"
#include "engine/graphics/eFontWidth.h"

namespace ZQ2 {

class FontCharPositions;
class FontDrawSettings;
class Graphics;

class Font : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    const RTTI& GetRTTI() const override { return rtti; }

    // Draws every line of the settings, glyph by glyph.
    virtual void Render(Graphics* graphics, const FontDrawSettings& settings) const = 0;
    // Appends one position per character of text[start, start + count); a
    // negative count runs to the end. spacing is added after every
    // character, on top of the font's own.
    virtual void GetCharacterDrawOffsets(const UTF8String& text, FontCharPositions& positions, float spacing,
                                         int start, int count) const = 0;
    // The widest right edge of that kind over text[start, start + count);
    // 0 when nothing is measured.
    virtual float GetStringWidth(const UTF8String& text, float spacing, eFontWidth kind, int start,
                                 int count) const = 0;
    virtual bool HasCharacter(unsigned long c) const = 0;
    virtual bool UseKerning() const = 0;
    virtual void SetUseKerning(bool use) = 0;
    virtual bool HasKerning() const = 0;
    // Height of a glyph box, padding included.
    virtual float GetCharHeight() const = 0;
    virtual float GetBaseLine() const = 0;
    virtual float GetCharSpacing() const = 0;
    // Distance from one line's top to the next.
    virtual float GetLineHeight() const = 0;
    // The colour of the bottom layer, which a label may fill its background
    // with.
    virtual int GetMatteColor() const = 0;
    virtual bool UsingMatteColor() const = 0;
    virtual int GetLayerCount() const = 0;
    // The widest padding of any layer.
    virtual float GetPadding() const = 0;
};

}  // namespace ZQ2
