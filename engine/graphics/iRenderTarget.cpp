#include "engine/graphics/iRenderTarget.h"

#include "engine/graphics/ImageData.h"

namespace ZQ2 {

const RTTI* const iRenderTarget::rttis[] = {&Interface::rtti, nullptr};
const RTTI iRenderTarget::rtti("iRenderTarget", iRenderTarget::rttis);

int iRenderTarget::GetImageWidth() {
    const ImageData* data = GetImageData();
    return data ? data->GetWidth() : m_nWidth;
}

int iRenderTarget::GetImageHeight() {
    const ImageData* data = GetImageData();
    return data ? data->GetHeight() : m_nHeight;
}

}  // namespace ZQ2
