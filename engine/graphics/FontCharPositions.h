#pragma once
// The measured characters of a text, one position each, with the largest
// right edge of each kind seen so far.
#include "engine/core/ZQVector.h"
#include "engine/graphics/FontCharPosition.h"

namespace ZQ2 {

class FontCharPositions {
public:
    // Appends and raises the maxima.
    void Add(const FontCharPosition& position);
    void Clear();

    int GetCount() const { return m_Positions.size(); }
    bool IsEmpty() const { return m_Positions.empty(); }
    const FontCharPosition& operator[](int i) const { return m_Positions[i]; }
    const FontCharPosition* begin() const { return m_Positions.begin(); }
    const FontCharPosition* end() const { return m_Positions.end(); }
    // The largest width of that kind; 0 while nothing was added.
    float GetMaxWidth(eFontWidth kind) const { return m_Max.GetWidth(kind); }
    const FontCharPosition& GetMax() const { return m_Max; }

private:
    ZQVector<FontCharPosition> m_Positions;
    FontCharPosition m_Max;
};

}  // namespace ZQ2
