#include "engine/io/DecodedPicture.h"

#include <new>

namespace ZQ2 {

bool DecodedPicture::IsSizeAcceptable(int64_t width, int64_t height) {
    return width >= 1 && height >= 1 && width <= MAX_SIDE && height <= MAX_SIDE && width * height <= MAX_PIXELS;
}

bool DecodedPicture::Allocate(int width, int height, eLayout layout) {
    m_pSamples.reset();
    m_nWidth = m_nHeight = 0;
    m_eLayout = LAYOUT_NONE;
    if (!IsSizeAcceptable(width, height) || layout == LAYOUT_NONE)
        return false;
    m_nWidth = width;
    m_nHeight = height;
    m_eLayout = layout;
    // Left uninitialised: the decoder writes every sample, and untouched
    // pages of a large picture that fails early never cost memory.
    m_pSamples.reset(new (std::nothrow) unsigned char[GetRowBytes() * static_cast<size_t>(height)]);
    if (m_pSamples)
        return true;
    m_nWidth = m_nHeight = 0;
    m_eLayout = LAYOUT_NONE;
    return false;
}

void DecodedPicture::SetPaletteEntry(int index, unsigned char r, unsigned char g, unsigned char b) {
    if (index >= 0 && index < 256)
        m_Palette[index] = static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
}

uint32_t DecodedPicture::GetPixel(int x, int y, bool alphaOnly) const {
    const unsigned char* p = GetRow(y) + static_cast<size_t>(x) * GetBytesPerPixel();
    switch (m_eLayout) {
    case LAYOUT_GRAY:
        if (alphaOnly)
            return static_cast<uint32_t>(p[0]) << 24 | 0xFFFFFFu;
        return 0xFF000000u | static_cast<uint32_t>(p[0]) * 0x010101u;
    case LAYOUT_PALETTE: {
        const uint32_t color = m_Palette[p[0]];
        if (alphaOnly)
            return (color >> 16) << 24 | 0xFFFFFFu;
        return 0xFF000000u | color;
    }
    case LAYOUT_RGB:
        if (alphaOnly)
            return static_cast<uint32_t>(p[0]) << 24 | m_nAlphaOnlyRgbColor;
        return 0xFF000000u | static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
    case LAYOUT_ARGB:
        return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
               static_cast<uint32_t>(p[2]) << 8 | p[3];
    case LAYOUT_NONE: break;
    }
    return 0;
}

unsigned char DecodedPicture::GetFirstSample(int x, int y) const {
    const unsigned char* p = GetRow(y) + static_cast<size_t>(x) * GetBytesPerPixel();
    if (m_eLayout == LAYOUT_PALETTE)
        return static_cast<unsigned char>(m_Palette[p[0]] >> 16);
    return p[0];
}

}  // namespace ZQ2
