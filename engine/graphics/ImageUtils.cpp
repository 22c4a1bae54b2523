#include "engine/graphics/ImageUtils.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/graphics/ImageData.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/Mask.h"
#include "engine/math/GameMath.h"

namespace ZQ2 {

namespace {

constexpr unsigned int kChannels[] = {COLORCHANNEL_BLUE, COLORCHANNEL_GREEN, COLORCHANNEL_RED, COLORCHANNEL_ALPHA};

bool Inside(int x, int y, int w, int h, int width, int height) {
    return x >= 0 && y >= 0 && w >= 0 && h >= 0 && static_cast<int64_t>(x) + w <= width &&
           static_cast<int64_t>(y) + h <= height;
}

// The bit position of a single channel; -1 for anything else.
int ChannelShift(eColorChannel channel) {
    for (int i = 0; i < 4; ++i) {
        if (channel == kChannels[i])
            return 8 * i;
    }
    return -1;
}

// The bits of a pixel word that the selected channels cover.
uint32_t ChannelBits(const ImageUtils::Channels& channels) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
        if (channels.IsAnySet(kChannels[i]))
            bits |= 0xFFu << (8 * i);
    }
    return bits;
}

unsigned char ChannelOf(uint32_t pixel, int shift) { return static_cast<unsigned char>(pixel >> shift); }

uint32_t WithChannel(uint32_t pixel, int shift, unsigned char value) {
    return (pixel & ~(0xFFu << shift)) | static_cast<uint32_t>(value) << shift;
}

bool IsByteMask(const Mask& mask) { return !mask.GetMaskData().IsEmpty() && mask.GetBitsPerPixel() == 8; }

// Holds a lock on a frame's image data while it lives. Frames that do not
// lie inside their texture are never locked.
class FrameLock {
public:
    FrameLock(const ImageFrame& frame, bool readOnly) : m_Frame(frame) {
        ImageData* data = frame.GetImageData();
        const Rectangle_t<int>& r = frame.GetPixelRect();
        if (!data || !Inside(r.x, r.y, r.width, r.height, data->GetTextureWidth(), data->GetTextureHeight()))
            return;
        if (!data->Lock(readOnly))
            return;
        if (!data->GetPixelData()) {
            data->Unlock();
            return;
        }
        m_pData = data;
    }
    ~FrameLock() {
        if (m_pData)
            m_pData->Unlock();
    }
    FrameLock(const FrameLock&) = delete;
    FrameLock& operator=(const FrameLock&) = delete;

    bool IsLocked() const { return m_pData != nullptr; }
    int GetWidth() const { return m_Frame.GetWidth(); }
    int GetHeight() const { return m_Frame.GetHeight(); }
    uint32_t& At(int x, int y) const { return *m_Frame.GetPixelData<uint32_t>(x, y); }

    // The rectangle's pixels, so that a write to the same picture cannot
    // change what is still to be read.
    std::vector<uint32_t> Copy(int x, int y, int w, int h) const {
        std::vector<uint32_t> pixels;
        pixels.reserve(static_cast<size_t>(w) * h);
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i)
                pixels.push_back(At(x + i, y + j));
        }
        return pixels;
    }

private:
    const ImageFrame& m_Frame;
    ImageData* m_pData = nullptr;
};

template <class Combine>
bool MaskToMask(const Mask& src, int x, int y, int w, int h, Mask& dst, int dx, int dy, Combine combine) {
    if (!IsByteMask(src) || !IsByteMask(dst) || !Inside(x, y, w, h, src.GetWidth(), src.GetHeight()) ||
        !Inside(dx, dy, w, h, dst.GetWidth(), dst.GetHeight()))
        return false;
    std::vector<unsigned char> copy;
    copy.reserve(static_cast<size_t>(w) * h);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i)
            copy.push_back(src.GetMaskData().At8(x + i, y + j));
    }
    MaskData& out = dst.GetMaskData();
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            unsigned char& d = out.At8(dx + i, dy + j);
            d = combine(d, copy[static_cast<size_t>(j) * w + i]);
        }
    }
    return true;
}

template <class Combine>
bool ImageToMask(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h, Mask& dst, int dx, int dy,
                 Combine combine) {
    const int shift = ChannelShift(channel);
    if (shift < 0 || !IsByteMask(dst) || !Inside(dx, dy, w, h, dst.GetWidth(), dst.GetHeight()))
        return false;
    FrameLock in(src, true);
    if (!in.IsLocked() || !Inside(x, y, w, h, in.GetWidth(), in.GetHeight()))
        return false;
    MaskData& out = dst.GetMaskData();
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            unsigned char& d = out.At8(dx + i, dy + j);
            d = combine(d, ChannelOf(in.At(x + i, y + j), shift));
        }
    }
    return true;
}

template <class Combine>
bool MaskToImage(const Mask& src, eColorChannel channel, int x, int y, int w, int h, const ImageFrame& dst, int dx,
                 int dy, Combine combine) {
    const int shift = ChannelShift(channel);
    if (shift < 0 || !IsByteMask(src) || !Inside(x, y, w, h, src.GetWidth(), src.GetHeight()))
        return false;
    FrameLock out(dst, false);
    if (!out.IsLocked() || !Inside(dx, dy, w, h, out.GetWidth(), out.GetHeight()))
        return false;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            uint32_t& p = out.At(dx + i, dy + j);
            p = WithChannel(p, shift, combine(ChannelOf(p, shift), src.GetMaskData().At8(x + i, y + j)));
        }
    }
    return true;
}

// combine(destination pixel, source pixel) gives the new destination pixel.
template <class Combine>
bool ImageToImage(const ImageFrame& src, int x, int y, int w, int h, const ImageFrame& dst, int dx, int dy,
                  Combine combine) {
    // The writing lock first: a read-only lock of the same data nests on it.
    FrameLock out(dst, false);
    FrameLock in(src, true);
    if (!out.IsLocked() || !in.IsLocked() || !Inside(x, y, w, h, in.GetWidth(), in.GetHeight()) ||
        !Inside(dx, dy, w, h, out.GetWidth(), out.GetHeight()))
        return false;
    const std::vector<uint32_t> copy = in.Copy(x, y, w, h);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            uint32_t& p = out.At(dx + i, dy + j);
            p = combine(p, copy[static_cast<size_t>(j) * w + i]);
        }
    }
    return true;
}

unsigned char Replace(unsigned char, unsigned char value) { return value; }
unsigned char Smaller(unsigned char a, unsigned char b) { return std::min(a, b); }
unsigned char Larger(unsigned char a, unsigned char b) { return std::max(a, b); }

// The source pixel for destination (x, y) in each flip-and-turn mode, for a
// W x H source.
void SourceOf(int mode, int x, int y, int W, int H, int& sx, int& sy) {
    switch (mode) {
    case 1: sx = y, sy = H - 1 - x; return;
    case 2: sx = W - 1 - x, sy = H - 1 - y; return;
    case 3: sx = W - 1 - y, sy = x; return;
    case 4: sx = W - 1 - x, sy = y; return;
    case 5: sx = y, sy = x; return;
    case 6: sx = x, sy = H - 1 - y; return;
    case 7: sx = W - 1 - y, sy = H - 1 - x; return;
    default: sx = x, sy = y; return;
    }
}

}  // namespace

bool ImageUtils::InvertMask(Mask& mask) {
    if (!IsByteMask(mask))
        return false;
    for (unsigned char& b : mask.GetMaskData().GetBytes())
        b = static_cast<unsigned char>(~b);
    return true;
}

bool ImageUtils::FillMask(Mask& mask, unsigned char value) {
    return FillMask(mask, 0, 0, mask.GetWidth(), mask.GetHeight(), value);
}

bool ImageUtils::FillMask(Mask& mask, int x, int y, int w, int h, unsigned char value) {
    if (!IsByteMask(mask) || !Inside(x, y, w, h, mask.GetWidth(), mask.GetHeight()))
        return false;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i)
            mask.GetMaskData().At8(x + i, y + j) = value;
    }
    return true;
}

bool ImageUtils::DrawPixelMask(Mask& mask, int x, int y, unsigned char value) {
    return FillMask(mask, x, y, 1, 1, value);
}

bool ImageUtils::CopyMask(const Mask& src, int x, int y, int w, int h, Mask& dst, int dx, int dy) {
    return MaskToMask(src, x, y, w, h, dst, dx, dy, Replace);
}

bool ImageUtils::CopyMinMask(const Mask& src, int x, int y, int w, int h, Mask& dst, int dx, int dy) {
    return MaskToMask(src, x, y, w, h, dst, dx, dy, Smaller);
}

bool ImageUtils::CopyMaxMask(const Mask& src, int x, int y, int w, int h, Mask& dst, int dx, int dy) {
    return MaskToMask(src, x, y, w, h, dst, dx, dy, Larger);
}

bool ImageUtils::FillRectColorChannel(const ImageFrame& frame, int x, int y, int w, int h, const Channels& channels,
                                      unsigned char value) {
    const uint32_t bits = ChannelBits(channels);
    if (bits == 0)
        return false;
    FrameLock out(frame, false);
    if (!out.IsLocked() || !Inside(x, y, w, h, out.GetWidth(), out.GetHeight()))
        return false;
    const uint32_t fill = value * 0x01010101u & bits;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            uint32_t& p = out.At(x + i, y + j);
            p = (p & ~bits) | fill;
        }
    }
    return true;
}

bool ImageUtils::SetPixelColorChannel(const ImageFrame& frame, int x, int y, const Channels& channels,
                                      unsigned char value) {
    return FillRectColorChannel(frame, x, y, 1, 1, channels, value);
}

bool ImageUtils::CopyImage(const ImageFrame& src, int x, int y, int w, int h, const ImageFrame& dst, int dx, int dy) {
    return ImageToImage(src, x, y, w, h, dst, dx, dy, [](uint32_t, uint32_t s) { return s; });
}

bool ImageUtils::CopyColorChannel(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h, Mask& dst,
                                  int dx, int dy) {
    return ImageToMask(src, channel, x, y, w, h, dst, dx, dy, Replace);
}

bool ImageUtils::CopyMinColorChannel(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h,
                                     Mask& dst, int dx, int dy) {
    return ImageToMask(src, channel, x, y, w, h, dst, dx, dy, Smaller);
}

bool ImageUtils::CopyMaxColorChannel(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h,
                                     Mask& dst, int dx, int dy) {
    return ImageToMask(src, channel, x, y, w, h, dst, dx, dy, Larger);
}

bool ImageUtils::CopyColorChannel(const Mask& src, eColorChannel channel, int x, int y, int w, int h,
                                  const ImageFrame& dst, int dx, int dy) {
    return MaskToImage(src, channel, x, y, w, h, dst, dx, dy, Replace);
}

bool ImageUtils::CopyMinColorChannel(const Mask& src, eColorChannel channel, int x, int y, int w, int h,
                                     const ImageFrame& dst, int dx, int dy) {
    return MaskToImage(src, channel, x, y, w, h, dst, dx, dy, Smaller);
}

bool ImageUtils::CopyMaxColorChannel(const Mask& src, eColorChannel channel, int x, int y, int w, int h,
                                     const ImageFrame& dst, int dx, int dy) {
    return MaskToImage(src, channel, x, y, w, h, dst, dx, dy, Larger);
}

bool ImageUtils::CopyColorChannel(const ImageFrame& src, const Channels& channels, int x, int y, int w, int h,
                                  const ImageFrame& dst, int dx, int dy) {
    const uint32_t bits = ChannelBits(channels);
    if (bits == 0)
        return false;
    return ImageToImage(src, x, y, w, h, dst, dx, dy, [bits](uint32_t d, uint32_t s) { return (d & ~bits) | (s & bits); });
}

bool ImageUtils::CopyMinColorChannel(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h,
                                     const ImageFrame& dst, int dx, int dy) {
    const int shift = ChannelShift(channel);
    if (shift < 0)
        return false;
    return ImageToImage(src, x, y, w, h, dst, dx, dy, [shift](uint32_t d, uint32_t s) {
        return WithChannel(d, shift, Smaller(ChannelOf(d, shift), ChannelOf(s, shift)));
    });
}

bool ImageUtils::CopyMaxColorChannel(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h,
                                     const ImageFrame& dst, int dx, int dy) {
    const int shift = ChannelShift(channel);
    if (shift < 0)
        return false;
    return ImageToImage(src, x, y, w, h, dst, dx, dy, [shift](uint32_t d, uint32_t s) {
        return WithChannel(d, shift, Larger(ChannelOf(d, shift), ChannelOf(s, shift)));
    });
}

bool ImageUtils::FlipRotate(const ImageFrame& src, const ImageFrame& dst, bool flipHorizontal, bool flipVertical,
                            int rotation) {
    FrameLock out(dst, false);
    FrameLock in(src, true);
    if (!out.IsLocked() || !in.IsLocked())
        return false;
    const int mode = (GameMath::Mod(rotation, 4) + (flipVertical ? 2 : 0)) % 4 + (flipHorizontal != flipVertical ? 4 : 0);
    const int W = in.GetWidth();
    const int H = in.GetHeight();
    // Quarter turns and diagonal mirrors swap the sides.
    const bool swapped = (mode & 1) != 0;
    const int outWidth = swapped ? H : W;
    const int outHeight = swapped ? W : H;
    if (outWidth > out.GetWidth() || outHeight > out.GetHeight())
        return false;
    const std::vector<uint32_t> copy = in.Copy(0, 0, W, H);
    for (int y = 0; y < outHeight; ++y) {
        for (int x = 0; x < outWidth; ++x) {
            int sx = 0;
            int sy = 0;
            SourceOf(mode, x, y, W, H, sx, sy);
            out.At(x, y) = copy[static_cast<size_t>(sy) * W + sx];
        }
    }
    return true;
}

}  // namespace ZQ2
