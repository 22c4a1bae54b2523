#include "engine/graphics/FontCharPositions.h"

namespace ZQ2 {

void FontCharPositions::Add(const FontCharPosition& position) {
    // The first position sets the maxima outright: widths may be negative.
    const bool first = m_Positions.empty();
    m_Positions.push_back(position);
    for (int k = 0; k < FONTWIDTH_COUNT; ++k) {
        const auto kind = static_cast<eFontWidth>(k);
        const float width = position.GetWidth(kind);
        if (first || width > m_Max.GetWidth(kind))
            m_Max.SetWidth(kind, width);
    }
}

void FontCharPositions::Clear() {
    m_Positions.clear();
    m_Max = FontCharPosition();
}

}  // namespace ZQ2
