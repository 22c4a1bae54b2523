#include "engine/graphics/ImageFrame.h"

namespace ZQ2 {

const RTTI* const ImageFrame::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI ImageFrame::rtti("ImageFrame", ImageFrame::rttis);

namespace {

float Fraction(int part, int whole) { return whole > 0 ? static_cast<float>(part) / static_cast<float>(whole) : 0.0f; }

}  // namespace

ImageFrame::ImageFrame(ImageData* data)
    : m_pImageData(data),
      m_TextureRect(0.0f, 0.0f, 1.0f, 1.0f),
      m_PixelRect(0, 0, data ? data->GetWidth() : 0, data ? data->GetHeight() : 0) {}

ImageFrame::ImageFrame(ImageData* data, const Rectangle_t<int>& r) : m_pImageData(data), m_PixelRect(r) {
    const int width = data ? data->GetWidth() : 0;
    const int height = data ? data->GetHeight() : 0;
    m_TextureRect = Rectangle_t<float>(Fraction(r.x, width), Fraction(r.y, height), Fraction(r.width, width),
                                       Fraction(r.height, height));
}

}  // namespace ZQ2
