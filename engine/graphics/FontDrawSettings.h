#pragma once
// What a label asks a font to draw: the laid-out lines, a colour for each
// tinted layer and extra spacing between characters.
#include "engine/core/ZQVector.h"
#include "engine/graphics/FontLine.h"

namespace ZQ2 {

class FontDrawSettings {
public:
    static constexpr int MAX_LAYERS = 256;

    ZQVector<FontLine>& GetLines() { return m_Lines; }
    const ZQVector<FontLine>& GetLines() const { return m_Lines; }
    void AddLine(const FontLine& line) { m_Lines.push_back(line); }

    // RGB for the alpha-only layer of that index; layers without an entry
    // keep their own colour.
    bool HasLayerColor(int layer) const { return layer >= 0 && layer < m_LayerColors.size(); }
    int GetLayerColor(int layer) const { return HasLayerColor(layer) ? m_LayerColors[layer] : 0; }
    // Entries up to the layer are made as needed, taking color 0. Layers
    // from MAX_LAYERS on are refused: no font has that many.
    void SetLayerColor(int layer, int color);
    ZQVector<int>& GetLayerColors() { return m_LayerColors; }
    const ZQVector<int>& GetLayerColors() const { return m_LayerColors; }

    float GetCharSpacing() const { return m_fCharSpacing; }
    void SetCharSpacing(float spacing) { m_fCharSpacing = spacing; }

private:
    ZQVector<FontLine> m_Lines;
    ZQVector<int> m_LayerColors;
    float m_fCharSpacing = 0.0f;
};

}  // namespace ZQ2
