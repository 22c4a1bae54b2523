#pragma once
// Pixel editing on the CPU side: fills and copies on 8-bit masks, moving
// single colour channels between images and masks (plain, minimum or
// maximum), block copies between images, and flips and quarter turns.
// Image coordinates are relative to the frame; mask coordinates absolute.
// In copies (x, y, w, h) is the source rectangle and (dx, dy) the
// destination's top-left corner; in fills it is the destination rectangle.
//
// Every operation answers whether it wrote. Rectangles that do not lie
// wholly inside both pictures, masks that are not 8 bits a pixel, images
// that cannot be locked and single-channel arguments that are not exactly
// one channel are refused with nothing written. Source and destination may
// be the same picture, overlapping or not.
#include "engine/core/BitFlags_t.h"
#include "engine/graphics/eColorChannel.h"

namespace ZQ2 {

class ImageFrame;
class Mask;

class ImageUtils {
public:
    using Channels = BitFlags_t<eColorChannel>;

    static bool InvertMask(Mask& mask);
    static bool FillMask(Mask& mask, unsigned char value);
    static bool FillMask(Mask& mask, int x, int y, int w, int h, unsigned char value);
    static bool DrawPixelMask(Mask& mask, int x, int y, unsigned char value);
    static bool CopyMask(const Mask& src, int x, int y, int w, int h, Mask& dst, int dx, int dy);
    static bool CopyMinMask(const Mask& src, int x, int y, int w, int h, Mask& dst, int dx, int dy);
    static bool CopyMaxMask(const Mask& src, int x, int y, int w, int h, Mask& dst, int dx, int dy);

    // The selected channels := value, the others kept.
    static bool FillRectColorChannel(const ImageFrame& frame, int x, int y, int w, int h, const Channels& channels,
                                     unsigned char value);
    static bool SetPixelColorChannel(const ImageFrame& frame, int x, int y, const Channels& channels,
                                     unsigned char value);
    static bool CopyImage(const ImageFrame& src, int x, int y, int w, int h, const ImageFrame& dst, int dx, int dy);

    // Image channel into a mask.
    static bool CopyColorChannel(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h, Mask& dst,
                                 int dx, int dy);
    static bool CopyMinColorChannel(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h,
                                    Mask& dst, int dx, int dy);
    static bool CopyMaxColorChannel(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h,
                                    Mask& dst, int dx, int dy);
    // Mask into an image channel, the other channels kept.
    static bool CopyColorChannel(const Mask& src, eColorChannel channel, int x, int y, int w, int h,
                                 const ImageFrame& dst, int dx, int dy);
    static bool CopyMinColorChannel(const Mask& src, eColorChannel channel, int x, int y, int w, int h,
                                    const ImageFrame& dst, int dx, int dy);
    static bool CopyMaxColorChannel(const Mask& src, eColorChannel channel, int x, int y, int w, int h,
                                    const ImageFrame& dst, int dx, int dy);
    // Image channels into the same channels of an image, the others kept.
    static bool CopyColorChannel(const ImageFrame& src, const Channels& channels, int x, int y, int w, int h,
                                 const ImageFrame& dst, int dx, int dy);
    static bool CopyMinColorChannel(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h,
                                    const ImageFrame& dst, int dx, int dy);
    static bool CopyMaxColorChannel(const ImageFrame& src, eColorChannel channel, int x, int y, int w, int h,
                                    const ImageFrame& dst, int dx, int dy);

    // Writes src into dst's top-left corner, turned by rotation quarter turns
    // clockwise, then flipped. The flip pair and the rotation collapse into
    // one of eight modes ((rotation + (flipV ? 2 : 0)) mod 4, plus 4 when
    // exactly one flip is set); quarter-turn and diagonal modes write a
    // picture of src's height by src's width. False when dst is too small.
    static bool FlipRotate(const ImageFrame& src, const ImageFrame& dst, bool flipHorizontal, bool flipVertical,
                           int rotation);
};

}  // namespace ZQ2
