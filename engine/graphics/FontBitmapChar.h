#pragma once
// One glyph of a bitmap font: its rectangle on the unpadded sheet, how far
// the pen moves past it, its cell in the sheet's grid (padded layers grow
// every cell), where its box sits relative to the pen, and its kerning
// before particular following characters.
#include <map>

#include "engine/math/Point_t.h"
#include "engine/math/Rectangle_t.h"

namespace ZQ2 {

class FontLayer;
class PolygonF;

class FontBitmapChar {
public:
    // The amount for that following character; 0 when none is set.
    float GetKerning(unsigned long next) const;
    void SetKerning(unsigned long next, float amount) { m_Kerning[next] = amount; }
    int GetKerningCount() const { return static_cast<int>(m_Kerning.size()); }

    // The glyph's box on a layer of that padding, with texture coordinates
    // as fractions of an image of imageWidth x imageHeight pixels, corners
    // top-left, top-right, bottom-right, bottom-left. False, with out left
    // alone, for an image without size.
    bool FillCharacterPolygon(PolygonF& out, float padding, float imageWidth, float imageHeight) const;
    // The same as a new polygon (no reference taken), or null.
    PolygonF* CreateCharacterPolygon(float padding, float imageWidth, float imageHeight) const;
    // For the layer's padding and its image's first frame; null without one.
    PolygonF* CreateCharacterPolygon(const FontLayer* layer) const;

    Rectangle_t<float> m_SheetRect{0.0f, 0.0f, 0.0f, 0.0f};
    float m_fAdvance = 0.0f;
    Point_t<int> m_Cell{0, 0};
    Point_t<float> m_Bearing{0.0f, 0.0f};
    std::map<unsigned long, float> m_Kerning;
};

}  // namespace ZQ2
