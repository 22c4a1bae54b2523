#include "engine/resource/ResourceFont.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/FontBitmap.h"
#include "engine/graphics/FontLayer.h"
#include "engine/graphics/Image.h"
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

SmartPtr<ResourceFont> Loaded(const std::string& attributes, const std::string& tag = "Font") {
    return resfiles::LoadedFromXml<ResourceFont>(tag, attributes, "f");
}

// A font of one glyph ("A") drawn from a coloured fill over a padded,
// masked shadow; layer images lie beside the description.
std::string Description(const std::string& fillImage = "big_fill.png") {
    return "<root><Font id=\"font\" spacewidth=\"6\" lineheight=\"12\"><Vector id=\"chars\">"
           "<C c=\"65\" sx=\"0\" sy=\"0\" sw=\"4\" sh=\"4\" width=\"5\" ix=\"0\" iy=\"0\" bx=\"0\" by=\"1\"/>"
           "</Vector></Font><Vector id=\"layers\">"
           "<Layer image=\"" +
           fillImage +
           "\" padding=\"0\" color=\"#FF8000\"/>"
           "<Layer image=\"big_shadow.png\" mask=\"big_shadow_mask.png\" padding=\"2\" color=\"255\"/>"
           "</Vector></root>";
}

void ExpectTwoLayerFont(FontBitmap* font) {
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(font->HasCharacter('A'));
    EXPECT_FLOAT_EQ(font->GetCharInfo('A').m_fAdvance, 5.0f);
    EXPECT_FLOAT_EQ(font->GetCharInfo(' ').m_fAdvance, 6.0f);
    EXPECT_FLOAT_EQ(font->GetLineHeight(), 12.0f);
    ASSERT_EQ(font->GetLayerCount(), 2);
    EXPECT_EQ(font->GetLayer(0)->GetColor(), 0xFF8000);
    EXPECT_EQ(font->GetLayer(1)->GetColor(), 255);
    EXPECT_FLOAT_EQ(font->GetPadding(), 2.0f);
    EXPECT_EQ(Pixel(font->GetLayer(0)->GetImage(), 0, 3, 1), 0xFF030107u);
    // The shadow's alpha comes from its mask.
    EXPECT_EQ(Pixel(font->GetLayer(1)->GetImage(), 0, 2, 2) >> 24, 90u);
}

using ResourceFontTest = resfiles::ScratchFolderTest;

}  // namespace

TEST_F(ResourceFontTest, LoadsTheDescriptionAndItsLayerImages) {
    Write("fonts/big.xml", Description());
    Write("fonts/big_fill.png", PatternPng(8, 8));
    Write("fonts/big_shadow.png", PatternPng(8, 8));
    Write("fonts/big_shadow_mask.png", GrayPng(8, 8, [](int, int) { return 90; }));
    SmartPtr<ResourceFont> resource = Loaded("file=\"Fonts/Big.xml\"");
    ASSERT_FALSE(resource->HasError()) << resource->GetErrorMessage();
    EXPECT_TRUE(resource->IsLoaded());
    EXPECT_EQ(resource->GetResource(), resource->GetFont());
    ExpectTwoLayerFont(resource->GetFont());

    // The layers keep their images after the font resource is freed.
    SmartPtr<FontBitmap> font(resource->GetFont());
    resource->FreeResource();
    EXPECT_EQ(resource->GetResource(), nullptr);
    EXPECT_EQ(Pixel(font->GetLayer(0)->GetImage(), 0, 1, 1), 0xFF010107u);
}

TEST_F(ResourceFontTest, LoadsFromEncipheredArchiveMembers) {
    UseArchive({{"fonts/big.xml.!", Enciphered(Description())},
                {"fonts/big_fill.png.!", Enciphered(PatternPng(8, 8))},
                {"fonts/big_shadow.png.!", Enciphered(PatternPng(8, 8))},
                {"fonts/big_shadow_mask.png.!", Enciphered(GrayPng(8, 8, [](int, int) { return 90; }))}});
    SmartPtr<ResourceFont> resource = Loaded("file=\"fonts/big.xml\" archive=\"encryptzip\"", "ResourceFont");
    ASSERT_FALSE(resource->HasError()) << resource->GetErrorMessage();
    ExpectTwoLayerFont(resource->GetFont());
}

TEST_F(ResourceFontTest, ALayerThatFailsIsLeftOutWithItsError) {
    Write("f.xml", Description("missing_fill.png"));
    Write("big_shadow.png", PatternPng(8, 8));
    Write("big_shadow_mask.png", GrayPng(8, 8, [](int, int) { return 90; }));
    SmartPtr<ResourceFont> resource = Loaded("file=\"f.xml\"");
    EXPECT_TRUE(resource->IsLoaded());
    EXPECT_EQ(resource->GetErrorMessage(), "File not found.");
    ASSERT_NE(resource->GetFont(), nullptr);
    ASSERT_EQ(resource->GetFont()->GetLayerCount(), 1);
    EXPECT_FLOAT_EQ(resource->GetFont()->GetLayer(0)->GetPadding(), 2.0f);

    // A shadow mask smaller than the shadow fails that layer.
    Write("fill.png", PatternPng(8, 8));
    Write("big_shadow_mask.png", GrayPng(4, 8, [](int, int) { return 90; }));
    Write("f.xml", Description("fill.png"));
    SmartPtr<ResourceFont> smallMask = Loaded("file=\"f.xml\"");
    EXPECT_EQ(smallMask->GetErrorMessage(), "A sub-resource didn't load.");
    ASSERT_EQ(smallMask->GetFont()->GetLayerCount(), 1);
    EXPECT_EQ(smallMask->GetFont()->GetLayer(0)->GetColor(), 0xFF8000);
}

TEST_F(ResourceFontTest, AnUnreadableDescriptionIsASubResourceError) {
    Write("broken.xml", "<root><Font id=\"font\"");
    for (const char* keys : {"file=\"broken.xml\"", "file=\"missing.xml\"", ""}) {
        SmartPtr<ResourceFont> resource = Loaded(keys);
        EXPECT_TRUE(resource->IsLoaded()) << keys;
        EXPECT_EQ(resource->GetError(), RESOURCE_ERROR_SUBRESOURCE) << keys;
        EXPECT_EQ(resource->GetResource(), nullptr) << keys;
    }
}
