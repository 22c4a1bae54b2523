#include "engine/graphics/MaskData.h"

namespace ZQ2 {

MaskData::MaskData(int width, int height, int bitsPerPixel) {
    const size_t count = GetByteCount(width, height, bitsPerPixel);
    if (count == 0)
        return;
    m_Bytes.assign(count, 0);
    m_nWidth = width;
    m_nHeight = height;
    m_nBitsPerPixel = bitsPerPixel;
}

size_t MaskData::GetByteCount(int width, int height, int bitsPerPixel) {
    if (width < 1 || height < 1)
        return 0;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    switch (bitsPerPixel) {
    case 1: return (pixels + 7) / 8;
    case 8: return pixels;
    case 32: return pixels * 4;
    default: return 0;
    }
}

// Words are kept little-endian whatever the machine, like the data files.
uint32_t MaskData::Get32(int x, int y) const {
    const unsigned char* p = &m_Bytes[(static_cast<size_t>(y) * m_nWidth + x) * 4];
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void MaskData::Set32(int x, int y, uint32_t argb) {
    unsigned char* p = &m_Bytes[(static_cast<size_t>(y) * m_nWidth + x) * 4];
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(argb >> (8 * i));
}

bool MaskData::GetBit(int x, int y) const {
    const size_t i = static_cast<size_t>(y) * m_nWidth + x;
    return (m_Bytes[i / 8] >> (7 - i % 8)) & 1u;
}

void MaskData::SetBit(int x, int y, bool on) {
    const size_t i = static_cast<size_t>(y) * m_nWidth + x;
    const auto bit = static_cast<unsigned char>(0x80u >> (i % 8));
    if (on)
        m_Bytes[i / 8] |= bit;
    else
        m_Bytes[i / 8] &= static_cast<unsigned char>(~bit);
}

}  // namespace ZQ2
