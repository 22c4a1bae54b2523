#include "engine/resource/ResourceImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageData.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "tests/engine/io/ResourceFiles.h"

using namespace ZQ2;
using resfiles::Enciphered;
using resfiles::GrayPng;
using resfiles::PatternPng;
using resfiles::Pixel;
using resfiles::Write;

namespace {

// An image resource made by the factory from one element written as XML
// attributes, the way a resource list names it.
SmartPtr<ResourceImage> FromXml(const std::string& attributes, const std::string& tag = "Image") {
    return resfiles::FromXml<ResourceImage>(tag, attributes, "pic");
}

SmartPtr<ResourceImage> Loaded(const std::string& attributes) {
    return resfiles::LoadedFromXml<ResourceImage>("Image", attributes, "pic");
}

// The ARGB word of the pattern picture's pixel (x, y) (red x, green y, blue 7).
uint32_t PatternAt(int x, int y, uint32_t alpha = 0xFF) {
    return alpha << 24 | static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8 | 7u;
}

using ResourceImageTest = resfiles::ScratchFolderTest;

}  // namespace

TEST(ResourceImageKeys, GridKeysGiveFramesAndColumns) {
    const struct {
        const char* keys;
        int frames, columns;
    } cases[] = {
        {"", 1, 1},
        {"framecount=\"10\" rowcount=\"3\"", 10, 4},
        {"columncount=\"4\" rowcount=\"2\"", 8, 4},
        {"columncount=\"4\"", 4, 4},
        {"framecount=\"6\"", 6, 1},
        {"columncount=\"3\" framecount=\"5\"", 5, 3},
    };
    for (const auto& c : cases) {
        SmartPtr<ResourceImage> image = FromXml(std::string("file=\"a.png\" ") + c.keys);
        ASSERT_TRUE(image) << c.keys;
        EXPECT_EQ(image->GetFrameCount(), c.frames) << c.keys;
        EXPECT_EQ(image->GetColumnCount(), c.columns) << c.keys;
    }
}

TEST(ResourceImageKeys, BothTagSpellingsAndTheOtherKeys) {
    SmartPtr<ResourceImage> image =
        FromXml("file=\"Pics\\Logo.PNG\" mask=\"/Pics/Logo_Mask.png\" padding=\"true\" usealphachannel=\"false\" "
                "archive=\"encryptzip\"",
                "ResourceImage");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetFile(), "pics/logo.png");
    EXPECT_EQ(image->GetMaskFile(), "pics/logo_mask.png");
    EXPECT_TRUE(image->HasPadding());
    EXPECT_EQ(image->GetUseAlphaChannel(), 0);
    EXPECT_EQ(image->GetArchiveType(), ARCHIVE_ENCRYPT_ZIP);
    EXPECT_EQ(FromXml("file=\"a.png\"")->GetUseAlphaChannel(), 2);

    SmartPtr<ResourceImage> sheet = FromXml("file=\"Sheets/Menu.XML\"");
    EXPECT_EQ(sheet->GetFile(), "");
    EXPECT_EQ(sheet->GetDescriptionFile(), "sheets/menu.xml");
}

TEST_F(ResourceImageTest, GridCountsBelowOneAreRefusedNotDividedBy) {
    Write("a.png", PatternPng(8, 4));
    for (const char* keys : {"columncount=\"0\"", "rowcount=\"0\"", "framecount=\"0\"", "framecount=\"4\" rowcount=\"0\"",
                             "columncount=\"-2\"", "framecount=\"x\"", "columncount=\"70000\"",
                             "columncount=\"60000\" rowcount=\"60000\""}) {
        SmartPtr<ResourceImage> image = Loaded(std::string("file=\"a.png\" ") + keys);
        EXPECT_TRUE(image->IsLoaded()) << keys;
        EXPECT_EQ(image->GetErrorMessage(), "Invalid format.") << keys;
        EXPECT_EQ(image->GetImage(), nullptr) << keys;
    }
    SmartPtr<ResourceImage> direct(new ResourceImage("a.png", "", 0, 1, false));
    direct->Load();
    EXPECT_EQ(direct->GetError(), RESOURCE_ERROR_INVALID_FORMAT);
}

TEST_F(ResourceImageTest, CutsThePictureIntoFramesInRows) {
    Write("pics/strip.png", PatternPng(12, 8));
    SmartPtr<ResourceImage> image = Loaded("file=\"Pics/Strip.PNG\" framecount=\"5\" rowcount=\"2\"");
    ASSERT_FALSE(image->HasError()) << image->GetErrorMessage();
    EXPECT_EQ(image->GetResource(), image.Get());
    Image* frames = image->GetImage();
    ASSERT_NE(frames, nullptr);
    EXPECT_EQ(image->GetImage(""), frames);
    ASSERT_EQ(frames->GetFrameCount(), 5);
    EXPECT_EQ(frames->GetColumnCount(), 3);
    // 3 columns of 4 pixels, 2 rows of 4: frame 4 is the middle of row 1.
    EXPECT_EQ(frames->GetFrame(4)->GetWidth(), 4);
    EXPECT_EQ(frames->GetFrame(4)->GetHeight(), 4);
    EXPECT_EQ(Pixel(frames, 0, 0, 0), PatternAt(0, 0));
    EXPECT_EQ(Pixel(frames, 4, 1, 2), PatternAt(5, 6));

    SmartPtr<ResourceImage> single = Loaded("file=\"pics/strip.png\"");
    ASSERT_EQ(single->GetImage()->GetFrameCount(), 1);
    EXPECT_EQ(single->GetImage()->GetFrame(0)->GetWidth(), 12);
    EXPECT_EQ(Pixel(single->GetImage(), 0, 11, 7), PatternAt(11, 7));
}

TEST_F(ResourceImageTest, JpegPicturesLoadThroughTheSecondLoader) {
    Write("photo.jpg", resfiles::Jpeg(16, 8, 200, 100, 50));
    SmartPtr<ResourceImage> image = Loaded("file=\"photo.jpg\" columncount=\"2\"");
    ASSERT_FALSE(image->HasError()) << image->GetErrorMessage();
    ASSERT_EQ(image->GetImage()->GetFrameCount(), 2);
    const uint32_t pixel = Pixel(image->GetImage(), 1, 3, 3);
    EXPECT_EQ(pixel >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>(pixel >> 16 & 0xFF), 200, 4);
    EXPECT_NEAR(static_cast<int>(pixel >> 8 & 0xFF), 100, 4);
    EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 50, 4);
}

// The file is looked for where it is read: a plain file, a member of the
// data archive, or the enciphered ".!" form of either.
TEST_F(ResourceImageTest, LoadsFromEverySourceItsArchiveTypeNames) {
    const std::string png = PatternPng(4, 2);
    const struct {
        const char* name;
        const char* archiveKey;
        bool useArchive;
        resfiles::Member stored;
    } cases[] = {
        {"plain file", "", false, {"", ""}},
        {"archive member, global type", "", true, {"pics/a.png", png}},
        {"archive member, zip", "archive=\"zip\"", true, {"pics/a.png", png}},
        {"enciphered file", "archive=\"encryptfile\"", false, {"", ""}},
        {"enciphered member", "archive=\"encryptzip\"", true, {"pics/a.png.!", Enciphered(png)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FileArchive::ReleaseInstance();
        std::filesystem::remove_all("pics");
        std::filesystem::remove("data.dat");
        if (std::string(c.name) == "plain file")
            Write("pics/a.png", png);
        if (std::string(c.name) == "enciphered file")
            Write("pics/a.png.!", Enciphered(png));
        if (c.useArchive)
            UseArchive({c.stored});
        SmartPtr<ResourceImage> image = Loaded(std::string("file=\"pics/a.png\" ") + c.archiveKey);
        ASSERT_FALSE(image->HasError()) << image->GetErrorMessage();
        EXPECT_EQ(Pixel(image->GetImage(), 0, 3, 1), PatternAt(3, 1));
    }
}

TEST_F(ResourceImageTest, AFileThatIsNotWhereItsTypeSaysIsNotFound) {
    UseArchive({{"in_zip.png", PatternPng(2, 2)}});
    Write("on_disk.png", PatternPng(2, 2));
    EXPECT_EQ(Loaded("file=\"in_zip.png\" archive=\"file\"")->GetErrorMessage(), "File not found.");
    EXPECT_EQ(Loaded("file=\"on_disk.png\"")->GetErrorMessage(), "File not found.");
    EXPECT_EQ(Loaded("file=\"on_disk.png\" archive=\"encryptfile\"")->GetErrorMessage(), "File not found.");
    EXPECT_FALSE(Loaded("file=\"on_disk.png\" archive=\"file\"")->HasError());
}

TEST_F(ResourceImageTest, FailuresEndLoadedWithTheirErrorCodes) {
    const std::string png = PatternPng(8, 8);
    Write("good.png", png);
    Write("good.bmp", png);
    Write("garbage.png", "this is no picture at all");
    // Cut inside the pixel data: the header still reads.
    const std::string large = PatternPng(32, 32);
    Write("truncated.png", large.substr(0, large.size() - 30));
    Write("wide.png", PatternPng(2048, 2));
    const struct {
        const char* keys;
        eResourceError error;
    } cases[] = {
        {"file=\"missing.png\"", RESOURCE_ERROR_FILE_NOT_FOUND},
        {"", RESOURCE_ERROR_FILENAME_EMPTY},
        {"file=\"good.bmp\"", RESOURCE_ERROR_UNSPECIFIED},
        {"file=\"garbage.png\"", RESOURCE_ERROR_UNSPECIFIED},
        {"file=\"truncated.png\"", RESOURCE_ERROR_INVALID_FORMAT},
        {"file=\"wide.png\"", RESOURCE_ERROR_TOO_BIG},
        {"file=\"good.png\" columncount=\"9\"", RESOURCE_ERROR_INVALID_FORMAT},
        {"file=\"good.png\" mask=\"missing.png\"", RESOURCE_ERROR_SUBRESOURCE},
    };
    for (const auto& c : cases) {
        SmartPtr<ResourceImage> image = Loaded(c.keys);
        EXPECT_TRUE(image->IsLoaded()) << c.keys;
        EXPECT_EQ(image->GetError(), c.error) << c.keys;
        EXPECT_EQ(image->GetImage(), nullptr) << c.keys;
    }
    // Each half of the wide picture fits a texture.
    SmartPtr<ResourceImage> halves = Loaded("file=\"wide.png\" columncount=\"2\"");
    EXPECT_FALSE(halves->HasError()) << halves->GetErrorMessage();
    EXPECT_EQ(halves->GetImage()->GetFrameCount(), 2);
}

TEST_F(ResourceImageTest, TheMaskBecomesEachFramesAlpha) {
    Write("hero.png", PatternPng(8, 4));
    Write("hero_mask.png", GrayPng(8, 4, [](int x, int y) { return x * 30 + y; }));
    SmartPtr<ResourceImage> image = Loaded("file=\"hero.png\" mask=\"hero_mask.png\" columncount=\"2\"");
    ASSERT_FALSE(image->HasError()) << image->GetErrorMessage();
    Image* frames = image->GetImage();
    ASSERT_EQ(frames->GetFrameCount(), 2);
    EXPECT_EQ(Pixel(frames, 0, 1, 2), PatternAt(1, 2, 1 * 30 + 2));
    EXPECT_EQ(Pixel(frames, 1, 3, 3), PatternAt(7, 3, 7 * 30 + 3));
    EXPECT_TRUE(frames->GetFrame(1)->GetImageData()->HasAlpha());
    // Loading the mask is no change at run time: the image can be freed.
    EXPECT_FALSE(image->HasAlteredData());

    // Only the mask: its gray is the alpha, the colour white.
    SmartPtr<ResourceImage> only = Loaded("mask=\"hero_mask.png\"");
    ASSERT_FALSE(only->HasError()) << only->GetErrorMessage();
    EXPECT_EQ(Pixel(only->GetImage(), 0, 2, 1), (2u * 30 + 1) << 24 | 0xFFFFFFu);
}

// A mask smaller than its picture would be read past its end.
TEST_F(ResourceImageTest, AMaskSmallerThanThePictureIsALoadError) {
    Write("hero.png", PatternPng(8, 4));
    Write("narrow.png", GrayPng(7, 4, [](int, int) { return 200; }));
    Write("short.png", GrayPng(8, 3, [](int, int) { return 200; }));
    Write("large.png", GrayPng(9, 5, [](int, int) { return 200; }));
    for (const char* mask : {"narrow.png", "short.png"}) {
        SmartPtr<ResourceImage> image = Loaded(std::string("file=\"hero.png\" mask=\"") + mask + "\"");
        EXPECT_EQ(image->GetErrorMessage(), "A sub-resource didn't load.") << mask;
        EXPECT_EQ(image->GetImage(), nullptr) << mask;
    }
    SmartPtr<ResourceImage> large = Loaded("file=\"hero.png\" mask=\"large.png\"");
    ASSERT_FALSE(large->HasError()) << large->GetErrorMessage();
    EXPECT_EQ(Pixel(large->GetImage(), 0, 7, 3), PatternAt(7, 3, 200));
}

TEST_F(ResourceImageTest, UseAlphaChannelSetsEveryFramesAlphaFlag) {
    Write("see_through.png", PatternPng(4, 2, 100));
    SmartPtr<ResourceImage> off = Loaded("file=\"see_through.png\" columncount=\"2\" usealphachannel=\"false\"");
    ASSERT_FALSE(off->HasError());
    EXPECT_FALSE(off->GetImage()->GetFrame(0)->GetImageData()->HasAlpha());
    EXPECT_FALSE(off->GetImage()->GetFrame(1)->GetImageData()->HasAlpha());
    SmartPtr<ResourceImage> given = Loaded("file=\"see_through.png\"");
    EXPECT_TRUE(given->GetImage()->GetFrame(0)->GetImageData()->HasAlpha());
}

TEST_F(ResourceImageTest, ADescriptionFileNamesSubImagesOfOnePicture) {
    Write("sheets/menu.png", PatternPng(8, 4));
    Write("sheets/menu_mask.png", GrayPng(8, 4, [](int x, int) { return 100 + x; }));
    Write("sheets/menu.xml",
          "<root><Sheet id=\"sheet\" image=\"menu.png\" mask=\"menu_mask.png\"><Vector id=\"sheets\">"
          "<Entry name=\"right\" x=\"4\" y=\"0\" width=\"4\" height=\"4\" columncount=\"2\"/>"
          "<Entry name=\"left\" x=\"0\" y=\"0\" width=\"4\" height=\"4\"/>"
          "</Vector></Sheet></root>");
    SmartPtr<ResourceImage> image = Loaded("file=\"Sheets/Menu.xml\"");
    ASSERT_FALSE(image->HasError()) << image->GetErrorMessage();
    EXPECT_EQ(image->GetImages().size(), 2u);
    EXPECT_EQ(image->GetImage(), image->GetImage("left"));
    Image* right = image->GetImage("right");
    ASSERT_NE(right, nullptr);
    ASSERT_EQ(right->GetFrameCount(), 2);
    EXPECT_EQ(Pixel(right, 1, 0, 1), PatternAt(6, 1, 106));
    EXPECT_EQ(Pixel(image->GetImage("left"), 0, 3, 3), PatternAt(3, 3, 103));
    EXPECT_EQ(image->GetImage("middle"), nullptr);
}

TEST_F(ResourceImageTest, ABadDescriptionIsRefused) {
    Write("s/pic.png", PatternPng(8, 4));
    const struct {
        const char* name;
        const char* xml;
        eResourceError error;
    } cases[] = {
        {"no sheet node", "<root><String id=\"sheet\" value=\"pic.png\"/></root>", RESOURCE_ERROR_INVALID_FORMAT},
        {"not XML", "<root><Sheet", RESOURCE_ERROR_INVALID_FORMAT},
        {"no image", "<root><Sheet id=\"sheet\"/></root>", RESOURCE_ERROR_FILENAME_EMPTY},
        {"missing image", "<root><Sheet id=\"sheet\" image=\"nope.png\"/></root>", RESOURCE_ERROR_FILE_NOT_FOUND},
        {"entry past the picture",
         "<root><Sheet id=\"sheet\" image=\"pic.png\"><Vector id=\"sheets\">"
         "<E name=\"a\" x=\"6\" y=\"0\" width=\"4\" height=\"4\"/></Vector></Sheet></root>",
         RESOURCE_ERROR_INVALID_FORMAT},
        {"entry of zero rows",
         "<root><Sheet id=\"sheet\" image=\"pic.png\"><Vector id=\"sheets\">"
         "<E name=\"a\" width=\"4\" height=\"4\" framecount=\"2\" rowcount=\"0\"/></Vector></Sheet></root>",
         RESOURCE_ERROR_INVALID_FORMAT},
    };
    for (const auto& c : cases) {
        Write("s/pic.xml", c.xml);
        SmartPtr<ResourceImage> image = Loaded("file=\"s/pic.xml\"");
        EXPECT_EQ(image->GetError(), c.error) << c.name;
        EXPECT_TRUE(image->GetImages().empty()) << c.name;
    }
    EXPECT_EQ(Loaded("file=\"s/none.xml\"")->GetError(), RESOURCE_ERROR_FILE_NOT_FOUND);
}

TEST_F(ResourceImageTest, FreeingKeepsPixelsChangedAtRunTime) {
    Write("a.png", PatternPng(4, 4));
    SmartPtr<ResourceImage> image = Loaded("file=\"a.png\"");
    ASSERT_TRUE(image->GetImage());
    ImageData* data = image->GetImage()->GetFrame()->GetImageData();
    ASSERT_TRUE(data->Lock(false));
    *data->GetPixelData<uint32_t>(0, 0) = 0;
    data->Unlock();
    image->FreeResource();
    EXPECT_TRUE(image->IsLoaded());
    EXPECT_NE(image->GetImage(), nullptr);

    data->SetAltered(false);
    image->FreeResource();
    EXPECT_FALSE(image->IsLoaded());
    EXPECT_EQ(image->GetImage(), nullptr);
    image->Load();
    EXPECT_EQ(Pixel(image->GetImage(), 0, 0, 0), PatternAt(0, 0));
}

TEST(ResourceImageKeys, EqualsComparesFileAndMask) {
    SmartPtr<ResourceImage> a(new ResourceImage("a.png", "m.png", 1, 1, false));
    SmartPtr<ResourceImage> same(new ResourceImage("A.PNG", "M.png", 2, 2, true));
    SmartPtr<ResourceImage> otherMask(new ResourceImage("a.png", "", 1, 1, false));
    EXPECT_TRUE(a->Equals(same.Get()));
    EXPECT_FALSE(a->Equals(otherMask.Get()));
    EXPECT_FALSE(a->Equals(nullptr));
}
