#include "engine/graphics/ImageUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/Mask.h"

using namespace ZQ2;

namespace {

using Bytes = std::vector<unsigned char>;
using Words = std::vector<uint32_t>;

// Image data of width x height holding pixels row by row, in a texture that
// may be larger.
SmartPtr<ImageData> MakeData(int width, int height, const Words& pixels, int textureWidth = 0,
                             int textureHeight = 0) {
    SmartPtr<ImageData> data(new ImageDataOpenGL(width, height, textureWidth ? textureWidth : width,
                                                 textureHeight ? textureHeight : height, true));
    data->Lock(false);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            *data->GetPixelData<uint32_t>(x, y) = pixels[y * width + x];
    }
    data->Unlock();
    return data;
}

SmartPtr<ImageFrame> Whole(ImageData* data) { return SmartPtr<ImageFrame>(new ImageFrame(data)); }
SmartPtr<ImageFrame> Part(ImageData* data, int x, int y, int w, int h) {
    return SmartPtr<ImageFrame>(new ImageFrame(data, Rectangle_t<int>(x, y, w, h)));
}

Words Read(const ImageData* data, int width, int height) {
    Words words;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            words.push_back(*data->GetPixelData<uint32_t>(x, y));
    }
    return words;
}
Words Read(const ImageData* data) { return Read(data, data->GetWidth(), data->GetHeight()); }

SmartPtr<Mask> MakeMask(int width, int height, const Bytes& bytes) { return SmartPtr<Mask>(new Mask(width, height, bytes)); }

}  // namespace

TEST(ImageUtils, MaskFillsWriteOnlyTheirRectangle) {
    SmartPtr<Mask> mask = MakeMask(3, 2, {0, 1, 2, 3, 4, 255});
    ASSERT_TRUE(ImageUtils::InvertMask(*mask));
    EXPECT_EQ(mask->GetData(), (Bytes{255, 254, 253, 252, 251, 0}));
    ASSERT_TRUE(ImageUtils::InvertMask(*mask));
    EXPECT_EQ(mask->GetData(), (Bytes{0, 1, 2, 3, 4, 255}));

    ASSERT_TRUE(ImageUtils::FillMask(*mask, 1, 0, 2, 2, 9));
    EXPECT_EQ(mask->GetData(), (Bytes{0, 9, 9, 3, 9, 9}));
    ASSERT_TRUE(ImageUtils::DrawPixelMask(*mask, 0, 1, 7));
    EXPECT_EQ(mask->GetData(), (Bytes{0, 9, 9, 7, 9, 9}));

    // Rectangles reaching outside are refused whole.
    const struct {
        int x, y, w, h;
    } outside[] = {{-1, 0, 1, 1}, {2, 0, 2, 1}, {0, 1, 1, 2}, {0, 0, -1, 1}, {0, 0, 3, 3}, {3, 0, 1, 1}};
    for (const auto& r : outside)
        EXPECT_FALSE(ImageUtils::FillMask(*mask, r.x, r.y, r.w, r.h, 1)) << r.x << "," << r.y << " " << r.w << "x" << r.h;
    EXPECT_FALSE(ImageUtils::DrawPixelMask(*mask, 3, 0, 1));
    EXPECT_EQ(mask->GetData(), (Bytes{0, 9, 9, 7, 9, 9}));

    ASSERT_TRUE(ImageUtils::FillMask(*mask, 5));
    EXPECT_EQ(mask->GetData(), Bytes(6, 5));

    mask->ToBitMask();
    EXPECT_FALSE(ImageUtils::FillMask(*mask, 0)) << "only 8-bit masks";
    EXPECT_FALSE(ImageUtils::InvertMask(*mask));
}

TEST(ImageUtils, MaskCopiesReplaceOrKeepTheSmallerOrLarger) {
    const Bytes source = {10, 200,  //
                          50, 90};
    const struct {
        const char* name;
        bool (*copy)(const Mask&, int, int, int, int, Mask&, int, int);
        Bytes want;
    } cases[] = {
        {"copy", &ImageUtils::CopyMask, {100, 100, 100, 100, 10, 200, 100, 50, 90}},
        {"min", &ImageUtils::CopyMinMask, {100, 100, 100, 100, 10, 100, 100, 50, 90}},
        {"max", &ImageUtils::CopyMaxMask, {100, 100, 100, 100, 100, 200, 100, 100, 100}},
    };
    for (const auto& c : cases) {
        SmartPtr<Mask> src = MakeMask(2, 2, source);
        SmartPtr<Mask> dst = MakeMask(3, 3, Bytes(9, 100));
        ASSERT_TRUE(c.copy(*src, 0, 0, 2, 2, *dst, 1, 1)) << c.name;
        EXPECT_EQ(dst->GetData(), c.want) << c.name;
        EXPECT_FALSE(c.copy(*src, 0, 0, 2, 2, *dst, 2, 2)) << c.name << ": past the destination";
        EXPECT_FALSE(c.copy(*src, 1, 0, 2, 2, *dst, 0, 0)) << c.name << ": past the source";
        EXPECT_EQ(dst->GetData(), c.want) << c.name;
    }
    // Within one mask, overlapping: every byte is read before it is written.
    SmartPtr<Mask> row = MakeMask(5, 1, {1, 2, 3, 4, 5});
    ASSERT_TRUE(ImageUtils::CopyMask(*row, 0, 0, 4, 1, *row, 1, 0));
    EXPECT_EQ(row->GetData(), (Bytes{1, 1, 2, 3, 4}));
}

TEST(ImageUtils, ChannelFillsKeepTheOtherChannels) {
    SmartPtr<ImageData> data = MakeData(3, 2, {0xFF112233, 0xFF445566, 0xFF778899,  //
                                               0x01020304, 0x05060708, 0x090A0B0C});
    // Frame coordinates: the frame starts at (1, 0) of the picture.
    SmartPtr<ImageFrame> frame = Part(data, 1, 0, 2, 2);
    ASSERT_TRUE(ImageUtils::SetPixelColorChannel(*frame, 0, 0, COLORCHANNEL_ALPHA, 0));
    EXPECT_EQ(*data->GetPixelData<uint32_t>(1, 0), 0x00445566u) << "transparent, colour kept";

    const ImageUtils::Channels redAndBlue(COLORCHANNEL_RED | COLORCHANNEL_BLUE);
    ASSERT_TRUE(ImageUtils::FillRectColorChannel(*frame, 0, 1, 2, 1, redAndBlue, 0x80));
    EXPECT_EQ(Read(data), (Words{0xFF112233, 0x00445566, 0xFF778899,  //
                                 0x01020304, 0x05800780, 0x09800B80}));
    EXPECT_FALSE(ImageUtils::FillRectColorChannel(*frame, 1, 0, 2, 1, redAndBlue, 0)) << "outside the frame";
    EXPECT_FALSE(ImageUtils::SetPixelColorChannel(*frame, 0, 0, ImageUtils::Channels(0), 0)) << "no channel";
    EXPECT_EQ(*data->GetPixelData<uint32_t>(1, 0), 0x00445566u);
}

TEST(ImageUtils, SingleChannelsMoveBetweenImagesAndMasks) {
    SmartPtr<ImageData> data = MakeData(2, 1, {0x11223344, 0x55667788});
    SmartPtr<ImageFrame> frame = Whole(data);

    // Mask into the green channel.
    SmartPtr<Mask> mask = MakeMask(2, 1, {0xAB, 0x10});
    ASSERT_TRUE(ImageUtils::CopyColorChannel(*mask, COLORCHANNEL_GREEN, 0, 0, 2, 1, *frame, 0, 0));
    EXPECT_EQ(Read(data), (Words{0x1122AB44, 0x55661088}));
    ASSERT_TRUE(ImageUtils::CopyMaxColorChannel(*MakeMask(2, 1, {0x01, 0x99}), COLORCHANNEL_ALPHA, 0, 0, 2, 1, *frame, 0, 0));
    EXPECT_EQ(Read(data), (Words{0x1122AB44, 0x99661088}));
    ASSERT_TRUE(ImageUtils::CopyMinColorChannel(*MakeMask(1, 1, {0x05}), COLORCHANNEL_BLUE, 0, 0, 1, 1, *frame, 1, 0));
    EXPECT_EQ(Read(data), (Words{0x1122AB44, 0x99661005}));

    // Image channel into a mask.
    SmartPtr<Mask> red = MakeMask(3, 1, {0x50, 0x50, 0x50});
    ASSERT_TRUE(ImageUtils::CopyColorChannel(*frame, COLORCHANNEL_RED, 0, 0, 2, 1, *red, 1, 0));
    EXPECT_EQ(red->GetData(), (Bytes{0x50, 0x22, 0x66}));
    SmartPtr<Mask> low = MakeMask(2, 1, {0x50, 0x50});
    ASSERT_TRUE(ImageUtils::CopyMinColorChannel(*frame, COLORCHANNEL_ALPHA, 0, 0, 2, 1, *low, 0, 0));
    EXPECT_EQ(low->GetData(), (Bytes{0x11, 0x50}));
    ASSERT_TRUE(ImageUtils::CopyMaxColorChannel(*frame, COLORCHANNEL_BLUE, 0, 0, 2, 1, *low, 0, 0));
    EXPECT_EQ(low->GetData(), (Bytes{0x44, 0x50}));

    // Anything but exactly one channel writes nothing.
    const auto both = static_cast<eColorChannel>(3);
    const Words before = Read(data);
    EXPECT_FALSE(ImageUtils::CopyMaxColorChannel(*mask, both, 0, 0, 2, 1, *frame, 0, 0));
    EXPECT_FALSE(ImageUtils::CopyColorChannel(*mask, static_cast<eColorChannel>(0), 0, 0, 2, 1, *frame, 0, 0));
    EXPECT_FALSE(ImageUtils::CopyMaxColorChannel(*frame, both, 0, 0, 2, 1, *low, 0, 0));
    EXPECT_FALSE(ImageUtils::CopyMaxColorChannel(*frame, both, 0, 0, 2, 1, *frame, 0, 0));
    EXPECT_EQ(Read(data), before);
    EXPECT_EQ(low->GetData(), (Bytes{0x44, 0x50}));
}

TEST(ImageUtils, ImageCopiesTakeWholePixelsOrTheChosenChannels) {
    SmartPtr<ImageData> src = MakeData(2, 2, {0xA1A2A3A4, 0xB1B2B3B4, 0xC1C2C3C4, 0xD1D2D3D4});
    SmartPtr<ImageData> dst = MakeData(3, 2, Words(6, 0x50505050));

    ASSERT_TRUE(ImageUtils::CopyImage(*Whole(src), 1, 0, 1, 2, *Whole(dst), 2, 0));
    EXPECT_EQ(Read(dst), (Words{0x50505050, 0x50505050, 0xB1B2B3B4, 0x50505050, 0x50505050, 0xD1D2D3D4}));

    const ImageUtils::Channels alphaAndGreen(COLORCHANNEL_ALPHA | COLORCHANNEL_GREEN);
    ASSERT_TRUE(ImageUtils::CopyColorChannel(*Whole(src), alphaAndGreen, 0, 0, 1, 1, *Whole(dst), 0, 0));
    EXPECT_EQ(*dst->GetPixelData<uint32_t>(0, 0), 0xA150A350u);
    ASSERT_TRUE(ImageUtils::CopyMinColorChannel(*Whole(src), COLORCHANNEL_RED, 0, 1, 1, 1, *Whole(dst), 1, 0));
    EXPECT_EQ(*dst->GetPixelData<uint32_t>(1, 0), 0x50505050u) << "0x50 is smaller than 0xC2";
    ASSERT_TRUE(ImageUtils::CopyMaxColorChannel(*Whole(src), COLORCHANNEL_RED, 0, 1, 1, 1, *Whole(dst), 1, 0));
    EXPECT_EQ(*dst->GetPixelData<uint32_t>(1, 0), 0x50C25050u);

    EXPECT_FALSE(ImageUtils::CopyImage(*Whole(src), 0, 0, 2, 2, *Whole(dst), 2, 0)) << "past the destination";
    EXPECT_FALSE(ImageUtils::CopyImage(*Whole(src), 1, 1, 2, 1, *Whole(dst), 0, 0)) << "past the source";

    // Two frames of one picture, overlapping: read before written.
    SmartPtr<ImageData> strip = MakeData(4, 1, {1, 2, 3, 4});
    ASSERT_TRUE(ImageUtils::CopyImage(*Part(strip, 0, 0, 3, 1), 0, 0, 3, 1, *Part(strip, 1, 0, 3, 1), 0, 0));
    EXPECT_EQ(Read(strip), (Words{1, 1, 2, 3}));

    // A destination somebody holds for reading cannot be written.
    ASSERT_TRUE(dst->Lock(true));
    EXPECT_FALSE(ImageUtils::CopyImage(*Whole(src), 0, 0, 1, 1, *Whole(dst), 0, 0));
    EXPECT_FALSE(ImageUtils::SetPixelColorChannel(*Whole(dst), 0, 0, COLORCHANNEL_RED, 0));
    dst->Unlock();
}

TEST(ImageUtils, FlipRotateCoversAllEightModes) {
    // a b c
    // d e f
    const uint32_t a = 1, b = 2, c = 3, d = 4, e = 5, f = 6;
    SmartPtr<ImageData> src = MakeData(3, 2, {a, b, c, d, e, f});
    const struct {
        bool flipH, flipV;
        int rotation;
        int width, height;
        Words want;
    } cases[] = {
        {false, false, 0, 3, 2, {a, b, c, d, e, f}},
        {false, false, 1, 2, 3, {d, a, e, b, f, c}},   // a quarter turn clockwise
        {false, false, 2, 3, 2, {f, e, d, c, b, a}},
        {false, false, 3, 2, 3, {c, f, b, e, a, d}},   // counter-clockwise
        {false, false, -1, 2, 3, {c, f, b, e, a, d}},
        {false, false, 5, 2, 3, {d, a, e, b, f, c}},
        {true, true, 0, 3, 2, {f, e, d, c, b, a}},     // both flips: the half turn
        {true, false, 0, 3, 2, {c, b, a, f, e, d}},
        {false, true, 0, 3, 2, {d, e, f, a, b, c}},
        {true, false, 1, 2, 3, {a, d, b, e, c, f}},    // the main diagonal
        {false, true, 1, 2, 3, {f, c, e, b, d, a}},    // the other diagonal
        {true, true, 1, 2, 3, {c, f, b, e, a, d}},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(std::to_string(t.flipH) + std::to_string(t.flipV) + " " + std::to_string(t.rotation));
        SmartPtr<ImageData> dst = MakeData(3, 3, Words(9, 0));
        ASSERT_TRUE(ImageUtils::FlipRotate(*Whole(src), *Whole(dst), t.flipH, t.flipV, t.rotation));
        EXPECT_EQ(Read(dst, t.width, t.height), t.want);
        // Nothing is written outside the turned picture.
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 3; ++x) {
                if (x >= t.width || y >= t.height) {
                    EXPECT_EQ(*dst->GetPixelData<uint32_t>(x, y), 0u) << x << "," << y;
                }
            }
        }
        // A destination just too small either way is refused untouched.
        SmartPtr<ImageData> narrow = MakeData(t.width - 1, t.height, Words(9, 0));
        SmartPtr<ImageData> low = MakeData(t.width, t.height - 1, Words(9, 0));
        EXPECT_FALSE(ImageUtils::FlipRotate(*Whole(src), *Whole(narrow), t.flipH, t.flipV, t.rotation));
        EXPECT_FALSE(ImageUtils::FlipRotate(*Whole(src), *Whole(low), t.flipH, t.flipV, t.rotation));
        EXPECT_EQ(Read(narrow), Words((t.width - 1) * t.height, 0));
    }

    // In place on a square picture.
    SmartPtr<ImageData> square = MakeData(2, 2, {a, b, c, d});
    ASSERT_TRUE(ImageUtils::FlipRotate(*Whole(square), *Whole(square), false, false, 1));
    EXPECT_EQ(Read(square), (Words{c, a, d, b}));
}
