#include "engine/graphics/Mask.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "tests/engine/io/PictureFiles.h"
#include "tests/engine/io/ResourceFiles.h"

using namespace ZQ2;

namespace {

// An image of frames side by side, each width x height, whose pixels carry
// the alphas given row by row across the whole picture; colours are white.
SmartPtr<Image> MakeImage(int width, int height, const std::vector<int>& alphas, int frames = 1) {
    auto* data = new ImageDataOpenGL(width * frames, height, width * frames, height, true);
    data->Lock(false);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * frames; ++x)
            *data->GetPixelData<uint32_t>(x, y) = static_cast<uint32_t>(alphas[y * width * frames + x]) << 24 | 0xFFFFFF;
    }
    data->Unlock();
    data->SetAltered(false);
    return SmartPtr<Image>(new Image(data, frames, frames));
}

// Which pixels of a bit mask are set, row by row.
std::string Bits(const Mask& mask) {
    std::string bits;
    for (int y = 0; y < mask.GetHeight(); ++y) {
        for (int x = 0; x < mask.GetWidth(); ++x)
            bits += mask.GetBit(x, y) ? '1' : '0';
    }
    return bits;
}

const std::vector<int> kAlphas = {0, 1, 127,  //
                                  128, 254, 255,  //
                                  255, 0, 200};

SmartPtr<Mask> FromXml(const std::string& attributes) {
    SmartPtr<PropertyStore> store(new PropertyStore);
    EXPECT_TRUE(store->ParseFromBuffer(("<root><Mask " + attributes + "/></root>").c_str()));
    BaseObject* made = ObjectFactory::Instance()->CreateObject(store->GetChild(0));
    return SmartPtr<Mask>(DynamicCast<Mask>(made));
}

// A 4 x 2 picture, its alpha (RGBA) or gray (gray) a fixed pattern.
const std::vector<unsigned> kPattern = {0, 127, 128, 255,  //
                                        255, 10, 200, 0};

std::string PatternPng(bool withAlpha) {
    pictures::Png png;
    png.width = 4;
    png.height = 2;
    png.colorType = withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_GRAY;
    for (unsigned v : kPattern) {
        if (withAlpha)
            png.samples.insert(png.samples.end(), {9u, 9u, 9u, v});
        else
            png.samples.push_back(v);
    }
    return pictures::EncodePng(png);
}

using MaskFiles = resfiles::ScratchFolderTest;

}  // namespace

TEST(Mask, BitMasksAnswerEveryPixelByTheThreshold) {
    SmartPtr<Image> image = MakeImage(3, 3, kAlphas);
    SmartPtr<Mask> bits(new Mask(image->GetFrame(), MASKTYPE_BIT, 128));
    ASSERT_TRUE(bits->IsFinished());
    ASSERT_TRUE(bits->IsBitMask());
    EXPECT_EQ(bits->GetType(), MASKTYPE_BIT);
    // Nine pixels in two bytes, most significant bit first, no row padding.
    EXPECT_EQ(bits->GetData(), (std::vector<unsigned char>{0x1E, 0x80}));
    EXPECT_EQ(Bits(*bits), "000111101");
    EXPECT_FALSE(image->GetFrame()->GetImageData()->IsAltered()) << "reading the frame is no change to it";

    const struct {
        int x, y;
        bool inside;
    } points[] = {{0, 0, false}, {0, 1, true}, {2, 1, true}, {0, 2, true}, {-1, 0, false},
                  {3, 0, false}, {0, 3, false}, {0, -1, false}, {2, 2, true}, {1, 2, false}};
    for (const auto& p : points)
        EXPECT_EQ(bits->GetBit(p.x, p.y), p.inside) << p.x << "," << p.y;

    SmartPtr<Mask> low(new Mask(image->GetFrame(), MASKTYPE_BIT, 1));
    EXPECT_EQ(Bits(*low), "011111101");
}

TEST(Mask, AlphaMasksKeepTheFramesOwnAlphaUntilTurnedIntoBits) {
    // Two frames side by side; the mask of the second sees only its cell.
    const std::vector<int> alphas = {1, 2, 3, 4,  //
                                     5, 6, 7, 8};
    SmartPtr<Image> image = MakeImage(2, 2, alphas, 2);
    SmartPtr<Mask> mask(new Mask(image->GetFrame(1), MASKTYPE_ALPHA, 6));
    ASSERT_TRUE(mask->IsFinished());
    EXPECT_FALSE(mask->IsBitMask());
    EXPECT_EQ(mask->GetBitsPerPixel(), 8);
    EXPECT_EQ(mask->GetData(), (std::vector<unsigned char>{3, 4, 7, 8}));
    EXPECT_FALSE(mask->GetBit(0, 0)) << "an alpha mask answers no bits";

    mask->ToBitMask();
    EXPECT_TRUE(mask->IsBitMask());
    EXPECT_EQ(mask->GetType(), MASKTYPE_BIT);
    EXPECT_EQ(Bits(*mask), "0011");
    mask->SetThreshold(0);
    mask->ToBitMask();
    EXPECT_EQ(Bits(*mask), "0011") << "a bit mask stays as it is";
}

TEST(Mask, FramesThatCannotBeReadLeaveTheMaskUnfinished) {
    SmartPtr<ImageData> data(new ImageDataOpenGL(4, 4, 4, 4, true));
    SmartPtr<ImageFrame> outside(new ImageFrame(data, Rectangle_t<int>(2, 2, 4, 4)));
    SmartPtr<Mask> mask(new Mask(outside, MASKTYPE_BIT, 128));
    EXPECT_FALSE(mask->IsFinished());
    EXPECT_FALSE(mask->IsBitMask());
    SmartPtr<Mask> none(new Mask(static_cast<ImageFrame*>(nullptr), MASKTYPE_BIT, 128));
    EXPECT_FALSE(none->IsFinished());
    EXPECT_EQ(none->GetWidth(), 0);
}

TEST(Mask, CropKeepsTheFirstCellOfTheGrid) {
    std::vector<unsigned char> alpha(400 * 100);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 400; ++x)
            alpha[y * 400 + x] = static_cast<unsigned char>(x + y);
    }
    SmartPtr<Mask> mask(new Mask(400, 100, alpha));
    ASSERT_TRUE(mask->Crop(8, 4));
    EXPECT_EQ(mask->GetWidth(), 100);
    EXPECT_EQ(mask->GetHeight(), 50);
    EXPECT_EQ(mask->GetData().size(), 5000u);
    EXPECT_EQ(mask->GetMaskData().At8(99, 49), static_cast<unsigned char>(99 + 49));
    EXPECT_EQ(mask->GetMaskData().At8(0, 1), 1);

    for (const auto& bad : {std::pair{0, 1}, std::pair{1, 0}, std::pair{8, 500}}) {
        SmartPtr<Mask> other(new Mask(400, 100, alpha));
        EXPECT_FALSE(other->Crop(bad.first, bad.second));
        EXPECT_EQ(other->GetWidth(), 400);
    }
    mask->ToBitMask();
    EXPECT_FALSE(mask->Crop(1, 2)) << "bit masks are not cropped";
    EXPECT_EQ(mask->GetWidth(), 100);
}

TEST(Mask, DataKeysNameTheFileAndTheType) {
    const struct {
        const char* attributes;
        eMaskType type;
        const char* file;
    } cases[] = {
        {"alphamask=\"a.png\"", MASKTYPE_ALPHA, "a.png"},
        {"bitmask=\"Masks/B.png\"", MASKTYPE_BIT, "masks/b.png"},
        {"colorlut=\"c.png\"", MASKTYPE_COLORLUT, "c.png"},
        {"alphamask=\"a.png\" colorlut=\"c.png\" bitmask=\"b.png\"", MASKTYPE_COLORLUT, "c.png"},
        {"file=\"f.png\"", MASKTYPE_ALPHA, "f.png"},
    };
    for (const auto& c : cases) {
        SmartPtr<Mask> mask = FromXml(c.attributes);
        ASSERT_NE(mask, nullptr) << c.attributes;
        EXPECT_EQ(mask->GetType(), c.type) << c.attributes;
        EXPECT_EQ(mask->GetFile(), c.file) << c.attributes;
        EXPECT_EQ(mask->GetThreshold(), Mask::DEFAULT_THRESHOLD);
        EXPECT_EQ(mask->GetResource(), mask.Get());
        EXPECT_FALSE(mask->IsLoaded());
    }
    SmartPtr<Mask> archived = FromXml("bitmask=\"b.png\" archive=\"encryptfile\"");
    EXPECT_EQ(archived->GetArchiveType(), ARCHIVE_ENCRYPT_FILE);
    EXPECT_EQ(archived->ToString().substr(archived->ToString().size() - 5), " Mask");
}

TEST_F(MaskFiles, LoadedMasksAnswerHitTestsPixelForPixel) {
    pictures::WriteFile("alpha.png", PatternPng(true));
    pictures::WriteFile("gray.png", PatternPng(false));
    for (const char* file : {"alpha.png", "gray.png"}) {
        SmartPtr<Mask> mask = FromXml(std::string("bitmask=\"") + file + "\"");
        ASSERT_TRUE(mask->EnsureLoaded()) << file << ": " << mask->GetErrorMessage();
        EXPECT_EQ(mask->GetBitsPerPixel(), 8) << "loaded as alpha; bits follow the threshold";
        EXPECT_EQ(mask->GetData(), (std::vector<unsigned char>{0, 127, 128, 255, 255, 10, 200, 0}));
        mask->ToBitMask();
        EXPECT_EQ(Bits(*mask), "00111010") << file;

        mask->Unload();
        EXPECT_FALSE(mask->IsLoaded());
        EXPECT_EQ(mask->GetWidth(), 0) << "freeing drops the pixels";
        ASSERT_TRUE(mask->EnsureLoaded()) << "and loading brings them back";
        EXPECT_EQ(mask->GetWidth(), 4);
    }
    SmartPtr<Mask> colors(new Mask("alpha.png", MASKTYPE_COLORLUT));
    ASSERT_TRUE(colors->EnsureLoaded());
    EXPECT_EQ(colors->GetBitsPerPixel(), 32);
    EXPECT_EQ(colors->GetMaskData().Get32(1, 0), 0x7F090909u);
    colors->SetThreshold(200);
    colors->ToBitMask();
    EXPECT_EQ(Bits(*colors), "00011010") << "colour masks answer by their alpha";
}

TEST_F(MaskFiles, FailuresEndLoadedWithTheirError) {
    const std::string png = PatternPng(true);
    pictures::WriteFile("cut.png", png.substr(0, png.size() - 10));
    pictures::WriteFile("text.png", "no picture");
    pictures::WriteFile("photo.jpg", pictures::EncodeJpeg(8, 8, 1, JCS_GRAYSCALE, std::vector<unsigned char>(64, 9)));
    const struct {
        const char* file;
        eResourceError error;
    } cases[] = {{"", RESOURCE_ERROR_FILENAME_EMPTY},
                 {"missing.png", RESOURCE_ERROR_FILE_NOT_FOUND},
                 {"cut.png", RESOURCE_ERROR_UNSPECIFIED},
                 {"text.png", RESOURCE_ERROR_UNSPECIFIED},
                 {"photo.jpg", RESOURCE_ERROR_UNSPECIFIED}};
    for (const auto& c : cases) {
        SmartPtr<Mask> mask(new Mask(c.file, MASKTYPE_BIT));
        EXPECT_FALSE(mask->EnsureLoaded()) << c.file;
        EXPECT_TRUE(mask->IsLoaded()) << c.file;
        EXPECT_EQ(mask->GetError(), c.error) << c.file;
        EXPECT_EQ(mask->GetWidth(), 0) << c.file;
    }
}

TEST_F(MaskFiles, MasksAreReadWhereTheArchiveSays) {
    const std::string png = PatternPng(false);
    pictures::WriteFile("plain.png.!", resfiles::Enciphered(png));

    // An enciphered plain file exists only under its ".!" name.
    SmartPtr<Mask> enciphered = FromXml("alphamask=\"plain.png\" archive=\"encryptfile\"");
    ASSERT_TRUE(enciphered->EnsureLoaded()) << enciphered->GetErrorMessage();
    EXPECT_EQ(enciphered->GetMaskData().At8(3, 0), 255);

    ASSERT_TRUE(resfiles::WriteZip("data.zip", {{"m/good.png", png}, {"m/cut.png", png.substr(0, 50)}},
                                   Z_BEST_COMPRESSION));
    FileArchive::CreateInstance("data.zip", ARCHIVE_ZIP);

    SmartPtr<Mask> good(new Mask("m/good.png", MASKTYPE_ALPHA));
    ASSERT_TRUE(good->EnsureLoaded()) << good->GetErrorMessage();
    EXPECT_EQ(good->GetWidth(), 4);
    SmartPtr<Mask> cut(new Mask("m/cut.png", MASKTYPE_ALPHA));
    EXPECT_FALSE(cut->EnsureLoaded());
    EXPECT_EQ(cut->GetError(), RESOURCE_ERROR_UNSPECIFIED);
    SmartPtr<Mask> absent(new Mask("m/none.png", MASKTYPE_ALPHA));
    EXPECT_FALSE(absent->EnsureLoaded());
    EXPECT_EQ(absent->GetError(), RESOURCE_ERROR_FILE_NOT_FOUND);
}
