#include "engine/graphics/FontCharPosition.h"

namespace ZQ2 {

FontCharPosition::FontCharPosition(float px, float py, float box, float pen, float joined)
    : Point_t<float>(px, py), m_fWidths{box, pen, joined} {}

float FontCharPosition::GetWidth(eFontWidth kind) const { return IsKind(kind) ? m_fWidths[kind] : 0.0f; }

void FontCharPosition::SetWidth(eFontWidth kind, float width) {
    if (IsKind(kind))
        m_fWidths[kind] = width;
}

}  // namespace ZQ2
