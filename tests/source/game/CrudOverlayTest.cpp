// The crud over a find: the crud picture's colours cut to another picture's
// alpha, on a copy that leaves the loaded crud picture as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorHole.h"

namespace {

using Words = std::vector<uint32_t>;

// A picture of frameCount frames side by side, each width x height, holding
// pixels row by row over the whole strip.
ZQ2::SmartPtr<ZQ2::Image> Picture(int width, int height, const Words& pixels, int frameCount = 1) {
    const int stripWidth = width * frameCount;
    auto* data = new ZQ2::ImageDataOpenGL(stripWidth, height, stripWidth, height, true);
    ZQ2::SmartPtr<ZQ2::Image> image(new ZQ2::Image(data, frameCount, frameCount));
    data->Lock(false);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < stripWidth; ++x)
            *data->GetPixelData<uint32_t>(x, y) = pixels[static_cast<size_t>(y * stripWidth + x)];
    }
    data->Unlock();
    return image;
}

Words Read(const ZQ2::Image* image) {
    Words words;
    const ZQ2::ImageFrame* frame = image->GetFrame();
    for (int y = 0; y < frame->GetHeight(); ++y) {
        for (int x = 0; x < frame->GetWidth(); ++x)
            words.push_back(*frame->GetPixelData<uint32_t>(x, y));
    }
    return words;
}

// The crud picture, 3 x 2, opaque: each pixel its own colour.
const Words kCrud = {0xFF102030u, 0xFF112131u, 0xFF122232u, 0xFF132333u, 0xFF142434u, 0xFF152535u};

class CrudOverlay : public ::testing::Test {
protected:
    void SetUp() override {
        s_spCrud = Picture(3, 2, kCrud);
        ZQ2::ResourceLookup::SetImageSource(&Lookup);
    }
    void TearDown() override {
        ZQ2::ResourceLookup::SetImageSource(nullptr);
        s_spCrud = nullptr;
    }
    // Runs the call and takes over the reference the result comes with.
    static bool Make(const ZQ2::Image* src, ZQ2::SmartPtr<ZQ2::Image>& result) {
        // Anything but null, so that a refusal is seen to clear it.
        const ZQ2::SmartPtr<ZQ2::Image> stale(new ZQ2::Image(nullptr, 1, 1));
        ZQ2::Image* out = stale.Get();
        const bool made = DelvorHole::CreateCrudOverlay(src, &out);
        result = out;
        if (out)
            out->Release();
        return made;
    }

    static ZQ2::Image* Lookup(const std::string& name, const std::string& section, const std::string*) {
        return name == "ARTIFACT_DIRTY_TEST" && section == "delvor" ? s_spCrud.Get() : nullptr;
    }
    static inline ZQ2::SmartPtr<ZQ2::Image> s_spCrud;
};

TEST_F(CrudOverlay, TakesTheAlphaOfTheSourceAndTheColoursOfTheCrudOnACopy) {
    const ZQ2::SmartPtr<ZQ2::Image> src =
        Picture(3, 2, {0x00FFFFFFu, 0x80FFFFFFu, 0xFF000000u, 0x01ABCDEFu, 0x7F000000u, 0x00000000u});
    ZQ2::SmartPtr<ZQ2::Image> crud;
    ASSERT_TRUE(Make(src.Get(), crud));
    ASSERT_NE(crud.Get(), nullptr);
    EXPECT_EQ(crud->GetRefCount(), 1) << "the caller's reference only";
    EXPECT_NE(crud->GetFrame()->GetImageData(), s_spCrud->GetFrame()->GetImageData());
    EXPECT_EQ(Read(crud.Get()),
              (Words{0x00102030u, 0x80112131u, 0xFF122232u, 0x01132333u, 0x7F142434u, 0x00152535u}));
    EXPECT_EQ(Read(s_spCrud.Get()), kCrud) << "the loaded crud picture is untouched";
}

TEST_F(CrudOverlay, KeepsTheCrudSizeAndCopiesAlphaOnlyWhereBothPicturesLie) {
    struct Case {
        const char* what;
        int width;
        int height;
        int frames;
        Words pixels;
        Words expected;
    };
    const Case cases[] = {
        {"a larger source is cut", 4, 3, 1,
         {0x11000000u, 0x22000000u, 0x33000000u, 0x44000000u,  //
          0x55000000u, 0x66000000u, 0x77000000u, 0x88000000u,  //
          0x99000000u, 0xAA000000u, 0xBB000000u, 0xCC000000u},
         {0x11102030u, 0x22112131u, 0x33122232u, 0x55132333u, 0x66142434u, 0x77152535u}},
        {"outside a smaller source the crud is transparent", 2, 1, 1, {0xFF000000u, 0x40000000u},
         {0xFF102030u, 0x40112131u, 0x00122232u, 0x00132333u, 0x00142434u, 0x00152535u}},
        {"a strip gives its first frame", 3, 2, 2,
         {0x10000000u, 0x20000000u, 0x30000000u, 0xEE000000u, 0xEE000000u, 0xEE000000u,  //
          0x40000000u, 0x50000000u, 0x60000000u, 0xEE000000u, 0xEE000000u, 0xEE000000u},
         {0x10102030u, 0x20112131u, 0x30122232u, 0x40132333u, 0x50142434u, 0x60152535u}},
    };
    for (const Case& c : cases) {
        const ZQ2::SmartPtr<ZQ2::Image> src = Picture(c.width, c.height, c.pixels, c.frames);
        ZQ2::SmartPtr<ZQ2::Image> crud;
        ASSERT_TRUE(Make(src.Get(), crud)) << c.what;
        EXPECT_EQ(crud->GetFrame()->GetWidth(), 3) << c.what;
        EXPECT_EQ(crud->GetFrame()->GetHeight(), 2) << c.what;
        EXPECT_EQ(Read(crud.Get()), c.expected) << c.what;
    }
}

TEST_F(CrudOverlay, RefusesAMissingSourceOrCrudPicture) {
    ZQ2::SmartPtr<ZQ2::Image> crud;
    EXPECT_FALSE(Make(nullptr, crud));
    EXPECT_EQ(crud.Get(), nullptr);
    const ZQ2::SmartPtr<ZQ2::Image> noFrames(new ZQ2::Image(nullptr, 1, 1));
    EXPECT_FALSE(Make(noFrames.Get(), crud));
    EXPECT_EQ(crud.Get(), nullptr);
    const ZQ2::SmartPtr<ZQ2::Image> src = Picture(1, 1, {0xFF000000u});
    EXPECT_FALSE(DelvorHole::CreateCrudOverlay(src.Get(), nullptr));
    s_spCrud = nullptr;
    EXPECT_FALSE(Make(src.Get(), crud)) << "no crud picture";
    EXPECT_EQ(crud.Get(), nullptr);
}

}  // namespace
