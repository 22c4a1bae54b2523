#include "engine/graphics/FontDrawSettings.h"

namespace ZQ2 {

void FontDrawSettings::SetLayerColor(int layer, int color) {
    if (layer < 0 || layer >= MAX_LAYERS)
        return;
    if (layer >= m_LayerColors.size())
        m_LayerColors.resize(layer + 1);
    m_LayerColors[layer] = color;
}

}  // namespace ZQ2
