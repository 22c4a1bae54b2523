#pragma once
// The pixels of a mask: 8 bits a pixel in rows of exactly width bytes, 32
// bits a pixel as ARGB words, or 1 bit a pixel packed row after row without
// padding, most significant bit first. Top row first in every case.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZQ2 {

class MaskData {
public:
    MaskData() = default;
    // A zero-filled buffer; an empty mask for sizes below 1 or bits per
    // pixel other than 1, 8 and 32.
    MaskData(int width, int height, int bitsPerPixel);

    // Bytes that width x height pixels of that depth take; 0 when invalid.
    static size_t GetByteCount(int width, int height, int bitsPerPixel);

    bool IsEmpty() const { return m_Bytes.empty(); }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetBitsPerPixel() const { return m_nBitsPerPixel; }
    std::vector<unsigned char>& GetBytes() { return m_Bytes; }
    const std::vector<unsigned char>& GetBytes() const { return m_Bytes; }

    // No bounds checks: callers stay inside the mask.
    unsigned char& At8(int x, int y) { return m_Bytes[static_cast<size_t>(y) * m_nWidth + x]; }
    unsigned char At8(int x, int y) const { return m_Bytes[static_cast<size_t>(y) * m_nWidth + x]; }
    uint32_t Get32(int x, int y) const;
    void Set32(int x, int y, uint32_t argb);
    bool GetBit(int x, int y) const;
    void SetBit(int x, int y, bool on);

    void Clear() { *this = MaskData(); }

private:
    std::vector<unsigned char> m_Bytes;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nBitsPerPixel = 8;
};

}  // namespace ZQ2
