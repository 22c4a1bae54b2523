#pragma once
// A picture as a decoder hands it over: rows of 8-bit samples in one of four
// layouts, plus a palette. The image loaders cut it into textures and masks.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace ZQ2 {

class DecodedPicture {
public:
    enum eLayout : int {
        LAYOUT_NONE = 0,
        LAYOUT_GRAY = 1,     // one gray sample
        LAYOUT_PALETTE = 2,  // one palette index
        LAYOUT_RGB = 3,      // red, green, blue
        LAYOUT_ARGB = 4,     // alpha, red, green, blue
    };

    // Decoders refuse larger pictures before they allocate anything, so a
    // few bytes that declare a huge picture cannot exhaust memory.
    static constexpr int MAX_SIDE = 8192;
    static constexpr int64_t MAX_PIXELS = 64 * 1024 * 1024;
    static bool IsSizeAcceptable(int64_t width, int64_t height);

    // Room for width x height pixels, contents undefined. False for an
    // unacceptable size or when memory runs out.
    bool Allocate(int width, int height, eLayout layout);

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    eLayout GetLayout() const { return m_eLayout; }
    int GetBytesPerPixel() const { return m_eLayout == LAYOUT_ARGB ? 4 : m_eLayout == LAYOUT_RGB ? 3 : 1; }
    size_t GetRowBytes() const { return static_cast<size_t>(m_nWidth) * GetBytesPerPixel(); }
    unsigned char* GetRow(int y) { return m_pSamples.get() + static_cast<size_t>(y) * GetRowBytes(); }
    const unsigned char* GetRow(int y) const { return m_pSamples.get() + static_cast<size_t>(y) * GetRowBytes(); }

    // Palette entries not set are black.
    void SetPaletteEntry(int index, unsigned char r, unsigned char g, unsigned char b);
    // The colour bits an alpha-only pixel of an RGB picture gets; the other
    // layouts always use white.
    void SetAlphaOnlyRgbColor(uint32_t color) { m_nAlphaOnlyRgbColor = color & 0xFFFFFFu; }

    // Pixel (x, y) as an ARGB word. Normally opaque unless the picture has
    // alpha; alpha only moves the first colour sample (or gray) to alpha.
    uint32_t GetPixel(int x, int y, bool alphaOnly) const;
    // The first sample of pixel (x, y): alpha, red, gray, or the palette
    // entry's red.
    unsigned char GetFirstSample(int x, int y) const;

private:
    std::unique_ptr<unsigned char[]> m_pSamples;
    int m_nWidth = 0;
    int m_nHeight = 0;
    eLayout m_eLayout = LAYOUT_NONE;
    uint32_t m_Palette[256] = {};
    uint32_t m_nAlphaOnlyRgbColor = 0xFFFFFFu;
};

}  // namespace ZQ2
