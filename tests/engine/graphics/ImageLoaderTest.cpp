#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/ImageData.h"
#include "engine/graphics/ImageLoaderJPG.h"
#include "engine/graphics/ImageLoaderPNG.h"
#include "engine/graphics/RendererOpenGL.h"
#include "engine/io/DecodedPicture.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"
#include "tests/engine/io/PictureFiles.h"
#include "tests/engine/io/ResourceFiles.h"

using namespace ZQ2;
using pictures::Bytes;
using pictures::EncodeJpeg;
using pictures::EncodePng;
using pictures::Png;

namespace {

constexpr unsigned kAlphaOnly = IMAGEDATA_CREATE_ALPHA_ONLY;
constexpr unsigned kPadding = IMAGEDATA_CREATE_PADDING;

// The frame's pixels as ARGB words, row by row.
std::vector<uint32_t> Pixels(const ImageData* data) {
    std::vector<uint32_t> words;
    for (int y = 0; y < data->GetHeight(); ++y) {
        for (int x = 0; x < data->GetWidth(); ++x)
            words.push_back(*data->GetPixelData<uint32_t>(x, y));
    }
    return words;
}

bool LoadFrom(iImageLoader& loader, const std::string& bytes, unsigned flags = 0, int frames = 1, int columns = 1) {
    loader.SetDrawSettings(Bytes(bytes), static_cast<int>(bytes.size()), "picture", flags);
    loader.SetFrameCount(frames);
    loader.SetColumnCount(columns);
    return loader.Load();
}

// A picture whose pixel (x, y) is red x, green y, blue 7.
std::string Gradient(int width, int height, bool interlaced = false) {
    Png png;
    png.width = width;
    png.height = height;
    png.interlaced = interlaced;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            png.samples.insert(png.samples.end(), {static_cast<unsigned>(x % 256), static_cast<unsigned>(y % 256), 7u});
    }
    return EncodePng(png);
}

uint32_t GradientPixel(int x, int y) { return 0xFF000007u | static_cast<uint32_t>(x % 256) << 16 | static_cast<uint32_t>(y % 256) << 8; }

// Four flat 8 x 8 blocks, so that a lossless-quality JPEG decodes them
// within a step or two of the colours given.
std::string Blocks(int components, const std::vector<std::vector<unsigned char>>& colors, bool progressive = false) {
    std::vector<unsigned char> samples;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const auto& c = colors[(y / 8) * 2 + x / 8];
            samples.insert(samples.end(), c.begin(), c.end());
        }
    }
    return EncodeJpeg(16, 16, components, components == 1 ? JCS_GRAYSCALE : JCS_RGB, samples, 100, progressive);
}

std::string ColorJpeg(bool progressive = false) {
    return Blocks(3, {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}, {200, 120, 40}}, progressive);
}
std::string GrayJpeg() { return Blocks(1, {{0}, {90}, {180}, {255}}); }

void ExpectNear(uint32_t got, uint32_t want, int tolerance, const std::string& where) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((got >> shift) & 0xFF);
        const int b = static_cast<int>((want >> shift) & 0xFF);
        EXPECT_LE(std::abs(a - b), tolerance) << where << std::hex << " got " << got << " want " << want;
    }
}

// Rewrites the width and height of a PNG's header and its checksum.
std::string ForgePngSize(std::string png, uint32_t width, uint32_t height) {
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<char>(width >> (24 - 8 * i));
        png[20 + i] = static_cast<char>(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0L, Bytes(png) + 12, 17);
    for (int i = 0; i < 4; ++i)
        png[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
    return png;
}

// Rewrites the size in a JPEG's baseline frame header.
std::string ForgeJpegSize(std::string jpeg, unsigned width, unsigned height) {
    const size_t at = jpeg.find("\xFF\xC0");
    if (at == std::string::npos)
        return jpeg;
    jpeg[at + 5] = static_cast<char>(height >> 8);
    jpeg[at + 6] = static_cast<char>(height);
    jpeg[at + 7] = static_cast<char>(width >> 8);
    jpeg[at + 8] = static_cast<char>(width);
    return jpeg;
}

// Runs in a scratch working folder, without archive or renderer.
using ImageLoaderFiles = resfiles::ScratchFolderTest;

// A renderer whose textures are rounded up to powers of two, so frames have
// room for padding.
class PowerOfTwoRenderer : public RendererOpenGL {
public:
    PowerOfTwoRenderer() { m_bPowerOfTwoTextures = true; }
};

}  // namespace

TEST(ImageLoaderPNG, EveryLayoutDecodesToArgb) {
    const png_color pal[] = {{1, 2, 3}, {200, 100, 50}, {9, 8, 7}, {40, 50, 60}};
    struct Case {
        const char* name;
        Png png;
        std::vector<uint32_t> want;
        bool hasAlpha;
    };
    const Case cases[] = {
        {"rgb", {2, 2, PNG_COLOR_TYPE_RGB, 8, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}, {}, {}, false},
         {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF0A141E}, false},
        {"rgba", {2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 255}, {}, {}, false},
         {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFF0A141E}, true},
        {"rgba opaque", {2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {1, 2, 3, 255, 4, 5, 6, 255}, {}, {}, false},
         {0xFF010203, 0xFF040506}, false},
        {"palette", {2, 2, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2, 1}, {pal, pal + 3}, {}, false},
         {0xFF010203, 0xFFC86432, 0xFF090807, 0xFFC86432}, false},
        {"palette 2-bit", {3, 1, PNG_COLOR_TYPE_PALETTE, 2, {3, 2, 1}, {pal, pal + 4}, {}, false},
         {0xFF28323C, 0xFF090807, 0xFFC86432}, false},
        {"palette 4-bit", {3, 1, PNG_COLOR_TYPE_PALETTE, 4, {1, 0, 3}, {pal, pal + 4}, {}, false},
         {0xFFC86432, 0xFF010203, 0xFF28323C}, false},
        {"palette transparency", {3, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2}, {pal, pal + 3}, {0, 128}, false},
         {0x00010203, 0x80C86432, 0xFF090807}, true},
        {"gray", {4, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 77, 200, 255}, {}, {}, false},
         {0xFF000000, 0xFF4D4D4D, 0xFFC8C8C8, 0xFFFFFFFF}, false},
        {"gray 1-bit", {3, 1, PNG_COLOR_TYPE_GRAY, 1, {1, 0, 1}, {}, {}, false},
         {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}, false},
        {"gray 4-bit", {2, 1, PNG_COLOR_TYPE_GRAY, 4, {15, 5}, {}, {}, false}, {0xFFFFFFFF, 0xFF555555}, false},
        {"gray alpha", {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {100, 255, 50, 0}, {}, {}, false},
         {0xFF646464, 0x00323232}, true},
        {"rgb 16-bit", {2, 1, PNG_COLOR_TYPE_RGB, 16, {0xFFFF, 0x8000, 0x0000, 0x1234, 0x5678, 0x9ABC}, {}, {}, false},
         {0xFFFF8000, 0xFF12569A}, false},
        {"rgba 16-bit", {1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {0x1234, 0x5678, 0x9ABC, 0x80FF}, {}, {}, false},
         {0x8012569A}, true},
        {"gray 16-bit", {1, 1, PNG_COLOR_TYPE_GRAY, 16, {0xABCD}, {}, {}, false}, {0xFFABABAB}, false},
        {"gray alpha 16-bit", {1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {0x4000, 0x2000}, {}, {}, false}, {0x20404040}, true},
        {"interlaced rgb", {3, 3, PNG_COLOR_TYPE_RGB, 8, {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9}, {}, {}, true},
         {0xFF010101, 0xFF020202, 0xFF030303, 0xFF040404, 0xFF050505, 0xFF060606, 0xFF070707, 0xFF080808, 0xFF090909}, false},
    };
    for (const Case& c : cases) {
        const std::string file = EncodePng(c.png);
        ASSERT_FALSE(file.empty()) << c.name;
        SmartPtr<ImageLoaderPNG> loader(new ImageLoaderPNG);
        int width = 0, height = 0;
        loader->SetDrawSettings(Bytes(file), static_cast<int>(file.size()), "x.png", 0);
        ASSERT_TRUE(loader->GetImageDimensions(width, height)) << c.name;
        EXPECT_EQ(width, c.png.width) << c.name;
        EXPECT_EQ(height, c.png.height) << c.name;
        ASSERT_TRUE(LoadFrom(*loader, file)) << c.name;
        ASSERT_EQ(loader->GetImageDatas().size(), 1) << c.name;
        const ImageData* data = loader->GetImageDatas()[0];
        EXPECT_EQ(Pixels(data), c.want) << c.name;
        EXPECT_EQ(data->HasAlpha(), c.hasAlpha) << c.name;
        EXPECT_FALSE(data->IsAlphaOnly()) << c.name;
        EXPECT_FALSE(data->IsAltered()) << c.name << ": freshly loaded pixels are no run-time change";
    }
}

TEST(ImageLoader, AlphaOnlyMovesTheFirstSampleIntoAlpha) {
    const png_color pal[] = {{200, 100, 50}};
    struct Case {
        const char* name;
        std::string file;
        uint32_t want;
    };
    const Case cases[] = {
        {"rgb keeps no colour", EncodePng({1, 1, PNG_COLOR_TYPE_RGB, 8, {200, 1, 2}, {}, {}, false}), 0xC8000000},
        {"rgba as it is", EncodePng({1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {1, 2, 3, 77}, {}, {}, false}), 0x4D010203},
        {"palette red", EncodePng({1, 1, PNG_COLOR_TYPE_PALETTE, 8, {0}, {pal, pal + 1}, {}, false}), 0xC8FFFFFF},
        {"gray", EncodePng({1, 1, PNG_COLOR_TYPE_GRAY, 8, {90}, {}, {}, false}), 0x5AFFFFFF},
    };
    for (const Case& c : cases) {
        SmartPtr<ImageLoaderPNG> loader(new ImageLoaderPNG);
        ASSERT_TRUE(LoadFrom(*loader, c.file, kAlphaOnly)) << c.name;
        const ImageData* data = loader->GetImageDatas()[0];
        EXPECT_EQ(Pixels(data)[0], c.want) << c.name;
        EXPECT_TRUE(data->HasAlpha()) << c.name;
        EXPECT_TRUE(data->IsAlphaOnly()) << c.name;
    }

    SmartPtr<ImageLoaderJPG> jpeg(new ImageLoaderJPG);
    ASSERT_TRUE(LoadFrom(*jpeg, ColorJpeg(), kAlphaOnly));
    const std::vector<uint32_t> pixels = Pixels(jpeg->GetImageDatas()[0]);
    EXPECT_EQ(pixels[0] & 0xFFFFFFu, 0xFFFFFFu) << "colour bits all set";
    ExpectNear(pixels[0], 0xFAFFFFFF, 2, "alpha is the red sample");
    EXPECT_TRUE(jpeg->GetImageDatas()[0]->HasAlpha());
    EXPECT_TRUE(jpeg->GetImageDatas()[0]->IsAlphaOnly());
}

TEST(ImageLoader, FramesAreCutRowByRowFromTheGrid) {
    const std::string file = Gradient(256, 64);
    SmartPtr<ImageLoaderPNG> loader(new ImageLoaderPNG);
    ASSERT_TRUE(LoadFrom(*loader, file, 0, 4, 4));
    ASSERT_EQ(loader->GetImageDatas().size(), 4);
    for (int i = 0; i < 4; ++i) {
        const ImageData* data = loader->GetImageDatas()[i];
        EXPECT_EQ(data->GetWidth(), 64);
        EXPECT_EQ(data->GetHeight(), 64);
        EXPECT_EQ(*data->GetPixelData<uint32_t>(0, 0), GradientPixel(64 * i, 0));
        EXPECT_EQ(*data->GetPixelData<uint32_t>(63, 63), GradientPixel(64 * i + 63, 63));
    }

    // Three frames in rows of two: two rows of 128 x 32, the third frame in
    // the second row's first column.
    ASSERT_TRUE(LoadFrom(*loader, file, 0, 3, 2));
    ASSERT_EQ(loader->GetImageDatas().size(), 3);
    const ImageData* third = loader->GetImageDatas()[2];
    EXPECT_EQ(third->GetWidth(), 128);
    EXPECT_EQ(third->GetHeight(), 32);
    EXPECT_EQ(*third->GetPixelData<uint32_t>(0, 0), GradientPixel(0, 32));
    EXPECT_EQ(*loader->GetImageDatas()[1]->GetPixelData<uint32_t>(5, 6), GradientPixel(133, 6));

    // Counts below 1, or a grid finer than the picture, make nothing.
    for (const auto& grid : {std::pair{0, 1}, std::pair{1, 0}, std::pair{-3, 2}, std::pair{300, 300}}) {
        EXPECT_FALSE(LoadFrom(*loader, file, 0, grid.first, grid.second)) << grid.first << "/" << grid.second;
        EXPECT_TRUE(loader->GetImageDatas().empty());
    }
    loader->FreeImageDatas();
    EXPECT_TRUE(loader->GetImageDatas().empty());
}

TEST(ImageLoader, FramesLargerThanATextureFailAsAWhole) {
    const std::string wide = Gradient(1100, 2);
    for (bool withRenderer : {false, true}) {
        if (withRenderer)
            Renderer::CreateInstance();
        SmartPtr<ImageLoaderPNG> loader(new ImageLoaderPNG);
        EXPECT_FALSE(LoadFrom(*loader, wide, 0, 1, 1)) << withRenderer;
        EXPECT_TRUE(loader->GetImageDatas().empty());
        EXPECT_TRUE(LoadFrom(*loader, wide, 0, 2, 2)) << withRenderer << ": frames of 550 fit";
        Renderer::RemoveInstance();
    }
}

TEST(ImageLoader, PaddingRepeatsTheLastColumnAndRowWhereTheTextureHasRoom) {
    Renderer::g_Instance = new PowerOfTwoRenderer;
    Renderer::g_Instance->AddRef();
    const std::string file = Gradient(3, 3);
    SmartPtr<ImageLoaderPNG> loader(new ImageLoaderPNG);
    ASSERT_TRUE(LoadFrom(*loader, file, kPadding));
    const ImageData* padded = loader->GetImageDatas()[0];
    ASSERT_EQ(padded->GetTextureWidth(), 4);
    ASSERT_EQ(padded->GetTextureHeight(), 4);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(*padded->GetPixelData<uint32_t>(3, y), GradientPixel(2, y));
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(*padded->GetPixelData<uint32_t>(x, 3), GradientPixel(x, 2));
    EXPECT_EQ(*padded->GetPixelData<uint32_t>(3, 3), GradientPixel(2, 2));

    ASSERT_TRUE(LoadFrom(*loader, file, 0));
    const ImageData* plain = loader->GetImageDatas()[0];
    EXPECT_EQ(*plain->GetPixelData<uint32_t>(3, 0), 0x00FFFFFFu) << "without padding the rest stays clear";
    EXPECT_EQ(*plain->GetPixelData<uint32_t>(0, 3), 0x00FFFFFFu);
    loader = nullptr;
    Renderer::RemoveInstance();
}

TEST(ImageLoaderJPG, ColourAndGrayPicturesDecodeToRgb) {
    SmartPtr<ImageLoaderJPG> loader(new ImageLoaderJPG);
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        const std::string color = ColorJpeg(progressive);
        int width = 0, height = 0;
        loader->SetDrawSettings(Bytes(color), static_cast<int>(color.size()), "x.jpg", 0);
        ASSERT_TRUE(loader->GetImageDimensions(width, height));
        EXPECT_EQ(width, 16);
        EXPECT_EQ(height, 16);
        ASSERT_TRUE(LoadFrom(*loader, color));
        const ImageData* data = loader->GetImageDatas()[0];
        EXPECT_FALSE(data->HasAlpha());
        const uint32_t colors[] = {0xFFFA0A0A, 0xFF0AFA0A, 0xFF0A0AFA, 0xFFC87828};
        for (int block = 0; block < 4; ++block) {
            for (const auto& at : {std::pair{1, 1}, std::pair{6, 6}})
                ExpectNear(*data->GetPixelData<uint32_t>(block % 2 * 8 + at.first, block / 2 * 8 + at.second),
                           colors[block], 3, "colour block " + std::to_string(block));
        }
    }

    // A gray picture fills all three colour bytes alike.
    ASSERT_TRUE(LoadFrom(*loader, GrayJpeg(), 0, 4, 2));
    ASSERT_EQ(loader->GetImageDatas().size(), 4);
    const unsigned grays[] = {0, 90, 180, 255};
    for (int block = 0; block < 4; ++block) {
        for (uint32_t pixel : Pixels(loader->GetImageDatas()[block])) {
            EXPECT_EQ(pixel >> 24, 0xFFu);
            EXPECT_EQ(pixel & 0xFF, (pixel >> 8) & 0xFF);
            EXPECT_EQ(pixel & 0xFF, (pixel >> 16) & 0xFF);
            EXPECT_LE(std::abs(static_cast<int>(pixel & 0xFF) - static_cast<int>(grays[block])), 2) << block;
        }
    }
}

TEST(ImageLoader, LoadersKnowTheirExtensionsAndSignatures) {
    SmartPtr<ImageLoaderPNG> png(new ImageLoaderPNG);
    SmartPtr<ImageLoaderJPG> jpg(new ImageLoaderJPG);
    const struct {
        const char* file;
        bool png, jpg;
    } names[] = {{"a.png", true, false}, {"A.PNG", true, false}, {"dir.jpg/a.png", true, false},
                 {"b.jpg", false, true}, {"b.JPEG", false, true}, {"c.xjpegx", false, true},
                 {"d.gif", false, false}, {"png", true, false}, {"e.", false, false}};
    for (const auto& n : names) {
        EXPECT_EQ(png->HandlesExtension(n.file), n.png) << n.file;
        EXPECT_EQ(jpg->HandlesExtension(n.file), n.jpg) << n.file;
    }

    const std::string pngFile = Gradient(2, 2);
    EXPECT_TRUE(ImageLoaderPNG::FileIsPng(Bytes(pngFile), pngFile.size()));
    EXPECT_FALSE(ImageLoaderPNG::FileIsPng(Bytes(pngFile), 3));
    EXPECT_FALSE(ImageLoaderPNG::FileIsPng(Bytes(std::string("\x89PNX")), 4));

    const std::string jfif = ColorJpeg();
    std::string exif = jfif;
    exif.replace(6, 4, "Exif");
    std::string noHeader = jfif;
    noHeader.replace(6, 4, "ABCD");
    std::string endCode = jfif;
    endCode[1] = '\xD9';
    EXPECT_TRUE(ImageLoaderJPG::FileIsJpeg(Bytes(jfif), jfif.size()));
    EXPECT_TRUE(ImageLoaderJPG::FileIsJpeg(Bytes(exif), exif.size()));
    EXPECT_FALSE(ImageLoaderJPG::FileIsJpeg(Bytes(noHeader), noHeader.size()));
    EXPECT_FALSE(ImageLoaderJPG::FileIsJpeg(Bytes(endCode), endCode.size()));
    EXPECT_FALSE(ImageLoaderJPG::FileIsJpeg(Bytes(jfif), 9));
}

TEST(ImageLoader, TruncatedPicturesFailAtEveryLength) {
    const struct {
        const char* name;
        std::string file;
        bool jpeg;
    } files[] = {
        {"png rgb", Gradient(5, 4), false},
        {"png interlaced", Gradient(9, 9, true), false},
        {"png palette", EncodePng({3, 1, PNG_COLOR_TYPE_PALETTE, 2, {1, 0, 1}, {{1, 2, 3}, {4, 5, 6}}, {}, false}), false},
        {"jpeg colour", ColorJpeg(), true},
        {"jpeg progressive", ColorJpeg(true), true},
        {"jpeg gray", GrayJpeg(), true},
    };
    for (const auto& f : files) {
        SmartPtr<iImageLoader> loader(f.jpeg ? static_cast<iImageLoader*>(new ImageLoaderJPG)
                                             : static_cast<iImageLoader*>(new ImageLoaderPNG));
        ASSERT_TRUE(LoadFrom(*loader, f.file)) << f.name;
        // A JPEG cut inside its end code has all its pixels; any shorter cut
        // loses some and fails.
        const size_t whole = f.jpeg ? f.file.size() - 2 : f.file.size();
        for (size_t length = 0; length < whole; ++length) {
            const std::string cut = f.file.substr(0, length);
            // From a buffer of its own, so the sanitizer sees any read past it.
            std::vector<unsigned char> bytes(cut.begin(), cut.end());
            loader->SetDrawSettings(bytes.empty() ? nullptr : bytes.data(), static_cast<int>(bytes.size()), "cut", 0);
            EXPECT_FALSE(loader->Load()) << f.name << " cut at " << length;
            EXPECT_TRUE(loader->GetImageDatas().empty());
        }
    }
}

TEST(ImageLoader, CorruptPicturesFailOrDecodeWithoutHarm) {
    // Every byte of a PNG is covered by the signature, a length or a
    // checksum: any change fails.
    const std::string png = Gradient(4, 3);
    SmartPtr<ImageLoaderPNG> pngLoader(new ImageLoaderPNG);
    for (size_t at = 0; at < png.size(); ++at) {
        std::vector<unsigned char> bytes(png.begin(), png.end());
        bytes[at] ^= 0x5A;
        pngLoader->SetDrawSettings(bytes.data(), static_cast<int>(bytes.size()), "bad.png", 0);
        EXPECT_FALSE(pngLoader->Load()) << "byte " << at;
    }
    // A damaged JPEG may still decode to some picture; it must never harm.
    const std::string jpeg = ColorJpeg();
    SmartPtr<ImageLoaderJPG> jpegLoader(new ImageLoaderJPG);
    for (size_t at = 0; at < jpeg.size(); ++at) {
        std::vector<unsigned char> bytes(jpeg.begin(), jpeg.end());
        bytes[at] ^= 0x5A;
        jpegLoader->SetDrawSettings(bytes.data(), static_cast<int>(bytes.size()), "bad.jpg", 0);
        if (jpegLoader->Load())
            EXPECT_EQ(jpegLoader->GetImageDatas().size(), 1);
        else
            EXPECT_TRUE(jpegLoader->GetImageDatas().empty());
    }

    const std::string garbage(300, '\x42');
    EXPECT_FALSE(LoadFrom(*pngLoader, garbage));
    EXPECT_FALSE(LoadFrom(*jpegLoader, garbage));
    EXPECT_FALSE(LoadFrom(*pngLoader, jpeg)) << "each loader only reads its own format";
    EXPECT_FALSE(LoadFrom(*jpegLoader, png));
    // Zero sizes are refused by the decoders themselves.
    EXPECT_FALSE(LoadFrom(*pngLoader, ForgePngSize(png, 0, 3)));
    EXPECT_FALSE(LoadFrom(*jpegLoader, ForgeJpegSize(jpeg, 0, 16)));
}

TEST(ImageLoaderJPG, ColourSpacesWithoutAnRgbConversionAreRefused) {
    const std::vector<unsigned char> cmyk(16 * 16 * 4, 100);
    const std::string file = EncodeJpeg(16, 16, 4, JCS_CMYK, cmyk);
    SmartPtr<ImageLoaderJPG> loader(new ImageLoaderJPG);
    int width = 0, height = 0;
    loader->SetDrawSettings(Bytes(file), static_cast<int>(file.size()), "cmyk.jpg", 0);
    EXPECT_TRUE(loader->GetImageDimensions(width, height)) << "the header itself is fine";
    EXPECT_FALSE(loader->Load());
    EXPECT_TRUE(loader->GetImageDatas().empty());
}

TEST(ImageLoader, HugeDeclaredSizesAreRefusedBeforeDecoding) {
    const struct {
        int64_t width, height;
        bool acceptable;
    } sizes[] = {{1, 1, true},        {8192, 8192, true}, {8193, 1, false}, {1, 8193, false},
                 {0, 5, false},       {5, -1, false},     {8192, 8193, false}, {100000, 100000, false}};
    for (const auto& s : sizes)
        EXPECT_EQ(DecodedPicture::IsSizeAcceptable(s.width, s.height), s.acceptable) << s.width << "x" << s.height;

    const std::string png = Gradient(4, 3);
    DecodedPicture picture;
    int width = 0, height = 0;
    for (const auto& forged : {ForgePngSize(png, 9000, 3), ForgePngSize(png, 3, 0x7FFFFFFF)}) {
        EXPECT_FALSE(ImageLoaderPNG::ReadDimensions(Bytes(forged), forged.size(), width, height));
        EXPECT_FALSE(ImageLoaderPNG::Decode(Bytes(forged), forged.size(), picture));
    }
    // Within the limits the picture is tried and fails on its missing rows.
    const std::string large = ForgePngSize(png, 8192, 8192);
    EXPECT_FALSE(ImageLoaderPNG::Decode(Bytes(large), large.size(), picture));

    const std::string jpeg = ForgeJpegSize(ColorJpeg(), 60000, 60000);
    ASSERT_TRUE(ImageLoaderJPG::ReadDimensions(Bytes(jpeg), jpeg.size(), width, height));
    EXPECT_EQ(width, 60000);
    EXPECT_FALSE(ImageLoaderJPG::Decode(Bytes(jpeg), jpeg.size(), picture));
}

TEST(ImageLoaderPNG, MasksTakeTheFirstSampleOrTheWholeColour) {
    const png_color pal[] = {{210, 1, 2}, {30, 3, 4}};
    struct Case {
        const char* name;
        std::string file;
        std::vector<unsigned char> bytes;  // the 8-bit mask
        uint32_t firstColor;               // pixel 0 of the colour table
    };
    const Case cases[] = {
        {"rgba: alpha", EncodePng({2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {9, 8, 7, 40, 1, 2, 3, 250}, {}, {}, false}),
         {40, 250}, 0x28090807},
        {"rgb: red", EncodePng({2, 1, PNG_COLOR_TYPE_RGB, 8, {9, 8, 7, 1, 2, 3}, {}, {}, false}), {9, 1}, 0xFF090807},
        {"palette: entry red", EncodePng({2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, {pal, pal + 2}, {}, false}),
         {30, 210}, 0xFF1E0304},
        {"gray", EncodePng({2, 1, PNG_COLOR_TYPE_GRAY, 8, {66, 99}, {}, {}, false}), {66, 99}, 0xFF424242},
    };
    SmartPtr<ImageLoaderPNG> loader(new ImageLoaderPNG);
    for (const Case& c : cases) {
        const auto size = static_cast<unsigned long>(c.file.size());
        for (eMaskType type : {MASKTYPE_ALPHA, MASKTYPE_BIT}) {
            std::unique_ptr<MaskData> mask = loader->LoadMaskFromMemory(Bytes(c.file), size, type);
            ASSERT_NE(mask, nullptr) << c.name;
            EXPECT_EQ(mask->GetBitsPerPixel(), 8) << c.name;
            EXPECT_EQ(mask->GetBytes(), c.bytes) << c.name;
        }
        std::unique_ptr<MaskData> colors = loader->LoadMaskFromMemory(Bytes(c.file), size, MASKTYPE_COLORLUT);
        ASSERT_NE(colors, nullptr) << c.name;
        EXPECT_EQ(colors->GetBitsPerPixel(), 32);
        EXPECT_EQ(colors->Get32(0, 0), c.firstColor) << c.name;
        EXPECT_EQ(loader->LoadMaskFromMemory(Bytes(c.file), size, static_cast<eMaskType>(3)), nullptr);
    }
    const std::string cut = cases[0].file.substr(0, cases[0].file.size() - 20);
    EXPECT_EQ(loader->LoadMaskFromMemory(Bytes(cut), static_cast<unsigned long>(cut.size()), MASKTYPE_ALPHA), nullptr);
}

TEST_F(ImageLoaderFiles, PlainFilesAreReadByPath) {
    const std::string png = Gradient(6, 2);
    const std::string jpeg = GrayJpeg();
    pictures::WriteFile("good.png", png);
    pictures::WriteFile("cut.png", png.substr(0, png.size() / 2));
    pictures::WriteFile("good.jpg", jpeg);
    pictures::WriteFile("cut.jpg", jpeg.substr(0, jpeg.size() / 2));
    pictures::WriteFile("text.png", "not a picture at all");

    SmartPtr<ImageLoaderPNG> pngLoader(new ImageLoaderPNG);
    SmartPtr<ImageLoaderJPG> jpegLoader(new ImageLoaderJPG);
    int width = 0, height = 0;
    pngLoader->SetDrawSettings(nullptr, 0, "good.png", 0);
    ASSERT_TRUE(pngLoader->GetImageDimensions(width, height));
    EXPECT_EQ(width, 6);
    EXPECT_EQ(height, 2);
    ASSERT_TRUE(pngLoader->Load());
    EXPECT_EQ(*pngLoader->GetImageDatas()[0]->GetPixelData<uint32_t>(5, 1), GradientPixel(5, 1));

    jpegLoader->SetDrawSettings(nullptr, 0, "good.jpg", 0);
    ASSERT_TRUE(jpegLoader->GetImageDimensions(width, height));
    EXPECT_EQ(width, 16);
    EXPECT_TRUE(jpegLoader->Load());

    for (const char* name : {"cut.png", "text.png", "missing.png", ""}) {
        pngLoader->SetDrawSettings(nullptr, 0, name, 0);
        EXPECT_FALSE(pngLoader->Load()) << name;
        EXPECT_TRUE(pngLoader->GetImageDatas().empty());
    }
    for (const char* name : {"cut.jpg", "missing.jpg"}) {
        jpegLoader->SetDrawSettings(nullptr, 0, name, 0);
        EXPECT_FALSE(jpegLoader->Load()) << name;
    }

    EXPECT_TRUE(pngLoader->CheckValidFile("good.png", nullptr));
    EXPECT_TRUE(pngLoader->CheckValidFile("cut.png", nullptr));
    EXPECT_FALSE(pngLoader->CheckValidFile("text.png", nullptr));
    EXPECT_FALSE(pngLoader->CheckValidFile("missing.png", nullptr));
    EXPECT_TRUE(jpegLoader->CheckValidFile("good.jpg", nullptr));
    EXPECT_FALSE(jpegLoader->CheckValidFile("good.png", nullptr));
    EXPECT_FALSE(jpegLoader->CheckValidFile("missing.jpg", nullptr));

    EXPECT_NE(pngLoader->LoadMask("good.png", MASKTYPE_ALPHA, nullptr), nullptr);
    EXPECT_EQ(pngLoader->LoadMask("cut.png", MASKTYPE_ALPHA, nullptr), nullptr);
    EXPECT_EQ(pngLoader->LoadMask("good.jpg", MASKTYPE_ALPHA, nullptr), nullptr);
}

TEST_F(ImageLoaderFiles, ArchiveMembersDecodeFromTheirBytes) {
    const std::string png = Gradient(6, 2);
    const std::string jpeg = ColorJpeg();
    ASSERT_TRUE(resfiles::WriteZip("data.zip",
                                   {{"img/good.png", png},
                                    {"img/cut.png", png.substr(0, 40)},
                                    {"img/good.jpg", jpeg},
                                    {"img/cut.jpg", jpeg.substr(0, 300)}},
                                   Z_BEST_COMPRESSION));
    FileArchive::CreateInstance("data.zip", ARCHIVE_ZIP);

    const struct {
        const char* name;
        bool ok;
    } members[] = {{"img/good.png", true}, {"img/cut.png", false}, {"img/good.jpg", true}, {"img/cut.jpg", false}};
    for (const auto& m : members) {
        MemoryBuffer_t<unsigned char> bytes;
        ASSERT_TRUE(FileArchive::LoadFile(m.name, &bytes, ARCHIVE_DEFAULT)) << m.name;
        SmartPtr<iImageLoader> loader(std::string(m.name).find(".png") != std::string::npos
                                          ? static_cast<iImageLoader*>(new ImageLoaderPNG)
                                          : static_cast<iImageLoader*>(new ImageLoaderJPG));
        loader->SetDrawSettings(bytes.GetData(), bytes.GetSize(), m.name, 0);
        EXPECT_EQ(loader->Load(), m.ok) << m.name;
        EXPECT_EQ(loader->GetImageDatas().size(), m.ok ? 1 : 0) << m.name;
    }

    // The JPEG signature test looks into the archive first.
    SmartPtr<ImageLoaderJPG> jpegLoader(new ImageLoaderJPG);
    EXPECT_TRUE(jpegLoader->CheckValidFile("img/good.jpg", FileArchive::g_Instance));
    EXPECT_FALSE(jpegLoader->CheckValidFile("img/good.png", FileArchive::g_Instance));
    EXPECT_FALSE(jpegLoader->CheckValidFile("img/good.jpg", nullptr)) << "no such plain file";
}
