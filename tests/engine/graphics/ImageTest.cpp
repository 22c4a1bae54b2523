#include "engine/graphics/Image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

using namespace ZQ2;

namespace {

// Image data without GL: nothing here draws, so no texture is ever made.
SmartPtr<ImageData> MakeData(int width, int height, int textureWidth = 0, int textureHeight = 0) {
    return SmartPtr<ImageData>(new ImageDataOpenGL(width, height, textureWidth ? textureWidth : width,
                                                   textureHeight ? textureHeight : height, true));
}

SmartPtr<PropertyNode> Node(const std::vector<std::pair<std::string, int>>& keys) {
    SmartPtr<PropertyNode> node(new PropertyNode("sheet", "Node"));
    for (const auto& [name, value] : keys)
        node->InsertProperty(new PropertyValue(name, value));
    return node;
}

void ExpectCell(const Image& image, int i, int x, int y, int w, int h) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const ImageFrame* frame = image.GetFrame(i);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetPixelRect(), Rectangle_t<int>(x, y, w, h));
}

}  // namespace

TEST(Image, FramesFillRowsLeftToRight) {
    SmartPtr<ImageData> data = MakeData(400, 300);
    // 10 frames in 3 rows: 4 columns, the last row holding 2.
    Image image(Node({{"framecount", 10}, {"rowcount", 3}, {"width", 400}, {"height", 300}}), data);
    EXPECT_EQ(image.GetColumnCount(), 4);
    ASSERT_EQ(image.GetFrameCount(), 10);
    ExpectCell(image, 0, 0, 0, 100, 100);
    ExpectCell(image, 3, 300, 0, 100, 100);
    ExpectCell(image, 4, 0, 100, 100, 100);
    ExpectCell(image, 9, 100, 200, 100, 100);
    EXPECT_EQ(image.GetFrame(10), nullptr);
    EXPECT_EQ(image.GetFrame(-1), nullptr);
    EXPECT_EQ(image.GetFrame(), image.GetFrame(0));
}

TEST(Image, CountKeysCombine) {
    SmartPtr<ImageData> data = MakeData(64, 64);
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, int>> keys;
        int frames;
        int columns;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, 1, 1},
        {"columns alone", {{"columncount", 4}}, 4, 4},
        {"columns and rows", {{"columncount", 4}, {"rowcount", 2}}, 8, 4},
        {"frames alone", {{"framecount", 3}}, 3, 1},
        {"frames and columns", {{"columncount", 2}, {"framecount", 5}}, 5, 2},
        {"rows alone", {{"rowcount", 3}}, 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmartPtr<PropertyNode> node = Node(c.keys);
        node->InsertProperty(new PropertyValue("width", 64));
        node->InsertProperty(new PropertyValue("height", 64));
        Image image(node, data);
        EXPECT_EQ(image.GetFrameCount(), c.frames);
        EXPECT_EQ(image.GetColumnCount(), c.columns);
    }
}

// Counts below 1 would divide by zero: they are refused, leaving no frames.
TEST(Image, CountsBelowOneAreRefused) {
    SmartPtr<ImageData> data = MakeData(64, 64);
    const std::vector<std::vector<std::pair<std::string, int>>> keys = {
        {{"columncount", 0}},
        {{"columncount", -2}, {"rowcount", 2}},
        {{"framecount", 0}},
        {{"framecount", 5}, {"rowcount", 0}},
        {{"framecount", 5}, {"rowcount", -1}},
        {{"rowcount", 0}},
    };
    for (size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        Image image(Node(keys[i]), data);
        EXPECT_EQ(image.GetFrameCount(), 0);
        EXPECT_EQ(image.GetFrame(), nullptr);
    }
    EXPECT_EQ(Image(data, 3, 0).GetFrameCount(), 0);
    EXPECT_EQ(Image(data, 0, 3).GetFrameCount(), 0);
    EXPECT_EQ(Image(data, -1, 1).GetFrameCount(), 0);
    EXPECT_EQ(Image(nullptr, 4, 2).GetFrameCount(), 0);
    EXPECT_EQ(data->GetRefCount(), 1);
}

// Counts from data are bounded before they are multiplied, and a grid finer
// than the picture's pixels would only make empty frames.
TEST(Image, CountsBeyondTheBoundsOrThePictureAreRefused) {
    SmartPtr<ImageData> data = MakeData(12, 8);
    const std::vector<std::vector<std::pair<std::string, int>>> keys = {
        {{"columncount", 2}, {"rowcount", 2147483647}},
        {{"columncount", 65536}, {"rowcount", 65536}},
        {{"rowcount", 65537}},
        {{"framecount", 65537}},
        {{"framecount", 65536}},
        {{"columncount", 13}},
        {{"framecount", 97}, {"rowcount", 8}},
    };
    for (size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        SmartPtr<PropertyNode> node = Node(keys[i]);
        node->InsertProperty(new PropertyValue("width", 12));
        node->InsertProperty(new PropertyValue("height", 8));
        Image image(node, data);
        EXPECT_EQ(image.GetFrameCount(), 0);
    }
    SmartPtr<PropertyNode> finest = Node({{"columncount", 12}, {"rowcount", 8}, {"width", 12}, {"height", 8}});
    EXPECT_EQ(Image(finest, data).GetFrameCount(), 96);
}

TEST(Image, RemaindersStayUnused) {
    SmartPtr<ImageData> data = MakeData(100, 10);
    Image image(data, 3, 3);
    ASSERT_EQ(image.GetFrameCount(), 3);
    ExpectCell(image, 0, 0, 0, 33, 10);
    ExpectCell(image, 2, 66, 0, 33, 10);  // pixel column 99 is in no frame
    // Five frames in rows of two: three rows of 3 pixels, one row unused.
    SmartPtr<ImageData> tall = MakeData(10, 10);
    Image grid(tall, 5, 2);
    ExpectCell(grid, 4, 0, 6, 5, 3);
}

TEST(Image, RegionComesFromTheRectangleKeys) {
    SmartPtr<ImageData> data = MakeData(200, 100);
    Image image(Node({{"minx", 40}, {"miny", 20}, {"width", 60}, {"height", 30}, {"columncount", 2}}), data);
    ASSERT_EQ(image.GetFrameCount(), 2);
    ExpectCell(image, 0, 40, 20, 30, 30);
    ExpectCell(image, 1, 70, 20, 30, 30);
    // Texture rectangle in fractions of the picture.
    const Rectangle_t<float>& t = image.GetFrame(1)->GetTextureRect();
    EXPECT_FLOAT_EQ(t.x, 0.35f);
    EXPECT_FLOAT_EQ(t.y, 0.2f);
    EXPECT_FLOAT_EQ(t.width, 0.15f);
    EXPECT_FLOAT_EQ(t.height, 0.3f);
}

TEST(Image, FillFactorsAndWholeFrames) {
    SmartPtr<ImageData> data = MakeData(300, 100, 300, 300);
    EXPECT_FLOAT_EQ(data->GetFillFactorX(), 1.0f);
    EXPECT_FLOAT_EQ(data->GetFillFactorY(), 1.0f / 3.0f);
    EXPECT_EQ(data->GetPitch(), 300 * 4);

    SmartPtr<ImageData> other = MakeData(10, 20);
    ZQVector<ImageData*> datas;
    datas.push_back(data);
    datas.push_back(other);
    Image image(datas, 2);
    ASSERT_EQ(image.GetFrameCount(), 2);
    EXPECT_EQ(image.GetFrame(1)->GetImageData(), other.Get());
    EXPECT_EQ(image.GetFrame(1)->GetPixelRect(), Rectangle_t<int>(0, 0, 10, 20));
    EXPECT_EQ(image.GetFrame(0)->GetTextureRect(), Rectangle_t<float>(0, 0, 1, 1));
    EXPECT_EQ(data->GetRefCount(), 2);
}

TEST(Image, PixelsOfAFrameAndLocks) {
    SmartPtr<ImageData> data = MakeData(8, 4, 16, 4);
    Image image(data, 2, 2);
    ImageFrame* second = image.GetFrame(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetPitch(), 16 * 4);
    EXPECT_EQ(second->GetPixelData<uint32_t>(1, 2), data->GetPixelData<uint32_t>(5, 2));
    EXPECT_EQ(static_cast<void*>(data->GetPixelData<uint32_t>(5, 2)),
              static_cast<unsigned char*>(data->GetPixelData()) + 2 * 64 + 5 * 4);

    // A reading lock leaves the pixels as they were; a writing one marks
    // them altered and due for upload.
    auto* texture = static_cast<ImageDataOpenGL*>(data.Get());
    texture->SetNeedsUpload(false);
    ASSERT_TRUE(image.Lock(true));
    EXPECT_TRUE(image.Unlock());
    EXPECT_FALSE(data->IsAltered());
    EXPECT_FALSE(texture->NeedsUpload());
    ASSERT_TRUE(image.Lock(false));
    *static_cast<uint32_t*>(image.GetPixelData()) = 0xFF00FF00u;
    EXPECT_TRUE(image.Unlock());
    EXPECT_TRUE(data->IsAltered());
    EXPECT_TRUE(texture->NeedsUpload());
    EXPECT_EQ(*data->GetPixelData<uint32_t>(0, 0), 0xFF00FF00u);

    Image empty(nullptr, 1, 1);
    EXPECT_FALSE(empty.Lock(false));
    EXPECT_EQ(empty.GetPixelData(), nullptr);
}

TEST(Image, FlushDropsLocksAndRestoreClearsTheFlag) {
    SmartPtr<ImageData> data = MakeData(4, 4);
    ASSERT_TRUE(data->Lock(false));
    ASSERT_TRUE(data->Lock(false));
    data->Flush();
    EXPECT_TRUE(data->IsFlushed());
    EXPECT_EQ(data->GetLockCount(), 0);
    data->Restore();
    EXPECT_FALSE(data->IsFlushed());
}

TEST(Image, CopyOfImageDataIsManagedAndOwnsItsPixels) {
    ImageDataOpenGL source(3, 2, 4, 2, false);
    source.SetHasAlpha(false);
    *source.GetPixelData<uint32_t>(2, 1) = 0x11223344u;
    SmartPtr<ImageDataOpenGL> copy(new ImageDataOpenGL(&source));
    EXPECT_TRUE(copy->IsManaged());
    EXPECT_FALSE(copy->HasAlpha());
    EXPECT_EQ(copy->GetTextureWidth(), 4);
    EXPECT_EQ(*copy->GetPixelData<uint32_t>(2, 1), 0x11223344u);
    EXPECT_NE(copy->GetPixelData(), source.GetPixelData());
    EXPECT_EQ(copy->GetTextureName(), 0u);
}
