#include "engine/graphics/FontLayer.h"

#include <cmath>

#include "engine/core/Platform.h"

namespace ZQ2 {

const RTTI* const FontLayer::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI FontLayer::rtti("FontLayer", FontLayer::rttis);

FontLayer::FontLayer(float padding, int color, Image* image) : m_nColor(color), m_pImage(image) {
    if (std::isfinite(padding) && padding >= 0.0f && padding <= MAX_PADDING) {
        m_fPadding = padding;
        return;
    }
    Platform::OutputDebugStringFormat("FontLayer: padding %g refused; it must lie between 0 and %g.\n",
                                      static_cast<double>(padding), static_cast<double>(MAX_PADDING));
}

ImageFrame* FontLayer::GetFrame() const { return m_pImage ? m_pImage->GetFrame() : nullptr; }

bool FontLayer::IsOnlyMask() const {
    const ImageFrame* frame = GetFrame();
    const ImageData* data = frame ? frame->GetImageData() : nullptr;
    return data && data->IsAlphaOnly();
}

}  // namespace ZQ2
