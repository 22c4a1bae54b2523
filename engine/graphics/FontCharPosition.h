#pragma once
// Where one measured character's glyph box is drawn, and its right edge in
// each of the ways a font measures.
#include "engine/graphics/eFontWidth.h"
#include "engine/math/Point_t.h"

namespace ZQ2 {

class FontCharPosition : public Point_t<float> {
public:
    FontCharPosition() = default;
    FontCharPosition(float px, float py, float box, float pen, float joined);

    // 0 for a kind outside eFontWidth.
    float GetWidth(eFontWidth kind) const;
    void SetWidth(eFontWidth kind, float width);

private:
    static bool IsKind(eFontWidth kind) { return kind >= 0 && kind < FONTWIDTH_COUNT; }

    float m_fWidths[FONTWIDTH_COUNT] = {0.0f, 0.0f, 0.0f};
};

}  // namespace ZQ2
