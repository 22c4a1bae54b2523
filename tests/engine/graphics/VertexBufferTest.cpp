#include "engine/graphics/VertexBuffer.h"

#include <gtest/gtest.h>

#include <functional>

#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/IndexBufferOpenGL.h"
#include "engine/graphics/RendererOpenGL.h"
#include "engine/graphics/VertexBufferOpenGL.h"
#include "engine/graphics/VertexBufferSlice.h"

using namespace ZQ2;

namespace {

TEST(VertexBuffer, OutermostLockDecidesWhetherContentsAreKept) {
    VertexBufferOpenGL buffer(sizeof(Vertex), 100);
    EXPECT_EQ(buffer.GetLockedVertices(), nullptr);

    ASSERT_TRUE(buffer.Lock(true));
    buffer.SetUsed(30);
    ASSERT_NE(buffer.GetLockedVertices(), nullptr);
    EXPECT_TRUE(buffer.Lock(false));  // nested keep on a discarding lock
    EXPECT_TRUE(buffer.Unlock());
    EXPECT_TRUE(buffer.Unlock());
    EXPECT_EQ(buffer.GetLockedVertices(), nullptr);
    EXPECT_EQ(buffer.GetUsed(), 30u);

    ASSERT_TRUE(buffer.Lock(false));  // keeps the 30 vertices
    EXPECT_EQ(buffer.GetUsed(), 30u);
    EXPECT_FALSE(buffer.Lock(true));  // would wipe what the outer lock keeps
    EXPECT_EQ(buffer.GetUsed(), 30u);
    EXPECT_EQ(buffer.GetLockCount(), 1);
    EXPECT_TRUE(buffer.Unlock());

    ASSERT_TRUE(buffer.Lock(true));
    EXPECT_EQ(buffer.GetUsed(), 0u);
    buffer.Unlock();
}

TEST(VertexBuffer, CapacityStopsWhere16BitIndicesEnd) {
    VertexBufferOpenGL largest(sizeof(Vertex), 65536);
    EXPECT_EQ(largest.GetCapacity(), 65536u);
    VertexBufferOpenGL tooLarge(sizeof(Vertex), 100000);
    EXPECT_EQ(tooLarge.GetCapacity(), 65536u);
    EXPECT_EQ(tooLarge.GetSize(), 65536u * 28u);
    EXPECT_EQ(QueryInterface<Interface>(&tooLarge), static_cast<Interface*>(static_cast<Lockable*>(&tooLarge)));
}

TEST(IndexBuffer, OneLockAtATimeAndDiscardAlwaysRestarts) {
    IndexBufferOpenGL buffer(2, 150);
    EXPECT_FALSE(buffer.Unlock());
    EXPECT_EQ(buffer.GetLockedIndices(), nullptr);

    ASSERT_TRUE(buffer.Lock(false));
    ASSERT_NE(buffer.GetLockedIndices(), nullptr);
    buffer.SetUsed(12);
    EXPECT_FALSE(buffer.Lock(false));
    EXPECT_EQ(buffer.GetUsed(), 12u);
    EXPECT_FALSE(buffer.Lock(true));  // fails, and still clears the count
    EXPECT_EQ(buffer.GetUsed(), 0u);
    EXPECT_TRUE(buffer.IsLocked());
    EXPECT_TRUE(buffer.Unlock());
    EXPECT_FALSE(buffer.Unlock());
    EXPECT_EQ(buffer.GetLockedIndices(), nullptr);
}

TEST(VertexBufferSlice, CurrentVerticesAndIndicesOnlyWhileLocked) {
    VertexBufferOpenGL vertices(sizeof(Vertex), 10);
    IndexBufferOpenGL indices(2, 15);
    VertexBufferSlice slice;
    EXPECT_EQ(slice.GetCurrentVertices(), nullptr);
    EXPECT_EQ(slice.GetCurrentIndices(), nullptr);

    slice.m_pVertexBuffer = &vertices;
    slice.m_pIndexBuffer = &indices;
    slice.m_nFirstVertex = 4;
    slice.m_nFirstIndex = 6;
    EXPECT_EQ(slice.GetCurrentVertices(), nullptr);
    EXPECT_EQ(slice.GetCurrentIndices(), nullptr);

    vertices.Lock(true);
    indices.Lock(true);
    EXPECT_EQ(slice.GetCurrentVertices(), vertices.GetLockedVertices() + 4);
    EXPECT_EQ(slice.GetCurrentIndices(), indices.GetLockedIndices() + 6);
    vertices.Unlock();
    indices.Unlock();
}

TEST(VertexBufferSlice, DefaultsAreAnIndexedTriangleListBlendingOverOpaqueBlack) {
    const VertexBufferSlice slice;
    EXPECT_EQ(slice.m_nPrimitive, VertexBufferSlice::PRIMITIVE_TRIANGLES);
    EXPECT_EQ(slice.m_nMode, VertexBufferSlice::MODE_LIST);
    EXPECT_EQ(slice.m_eBlendMode, BLENDMODE_BLEND);
    EXPECT_TRUE(slice.m_bAlphaBlend);
    EXPECT_EQ(slice.m_nClearColor, 0xFF000000u);
}

TEST(VertexBufferSlice, OnlyListsOfEqualStateMerge) {
    VertexBufferOpenGL vertices(sizeof(Vertex), 10);
    VertexBufferOpenGL otherVertices(sizeof(Vertex), 10);
    IndexBufferOpenGL indices(2, 15);
    ImageDataOpenGL texture(4, 4, 4, 4, true);

    VertexBufferSlice base;
    base.m_pVertexBuffer = &vertices;
    base.m_pIndexBuffer = &indices;

    using Change = std::function<void(VertexBufferSlice & first, VertexBufferSlice & second)>;
    struct Case {
        const char* what;
        Change change;
        bool merges;
    };
    VertexBuffer* const other = &otherVertices;
    ImageData* const tex = &texture;
    const Case cases[] = {
        {"equal triangle lists", [](VertexBufferSlice&, VertexBufferSlice&) {}, true},
        {"other vertex buffer", [other](VertexBufferSlice&, VertexBufferSlice& b) { b.m_pVertexBuffer = other; }, false},
        {"no index buffer", [](VertexBufferSlice&, VertexBufferSlice& b) { b.m_pIndexBuffer = nullptr; }, false},
        {"triangles and lines",
         [](VertexBufferSlice&, VertexBufferSlice& b) { b.m_nPrimitive = VertexBufferSlice::PRIMITIVE_LINES; }, false},
        {"textured and untextured", [tex](VertexBufferSlice&, VertexBufferSlice& b) { b.m_pTexture = tex; },
         false},
        {"same texture",
         [tex](VertexBufferSlice& a, VertexBufferSlice& b) { a.m_pTexture = b.m_pTexture = tex; }, true},
        {"blend modes", [](VertexBufferSlice&, VertexBufferSlice& b) { b.m_eBlendMode = BLENDMODE_ADDITIVE; }, false},
        {"alpha blend flags", [](VertexBufferSlice&, VertexBufferSlice& b) { b.m_bAlphaBlend = false; }, false},
        {"strips", [](VertexBufferSlice& a, VertexBufferSlice& b) { a.m_nMode = b.m_nMode = 1; }, false},
        {"fan after list", [](VertexBufferSlice&, VertexBufferSlice& b) { b.m_nMode = 2; }, false},
        {"separate lines",
         [](VertexBufferSlice& a, VertexBufferSlice& b) {
             a.m_nPrimitive = b.m_nPrimitive = VertexBufferSlice::PRIMITIVE_LINES;
         },
         true},
        {"line strips",
         [](VertexBufferSlice& a, VertexBufferSlice& b) {
             a.m_nPrimitive = b.m_nPrimitive = VertexBufferSlice::PRIMITIVE_LINES;
             a.m_nMode = b.m_nMode = 1;
         },
         false},
        {"clears of one colour",
         [](VertexBufferSlice& a, VertexBufferSlice& b) {
             a.m_nPrimitive = b.m_nPrimitive = VertexBufferSlice::PRIMITIVE_CLEAR;
             a.m_nClearColor = b.m_nClearColor = 0x80102030;
             b.m_eBlendMode = BLENDMODE_ALPHA_ONLY;  // a clear's other state does not matter
         },
         true},
        {"clears a blue bit apart",
         [](VertexBufferSlice& a, VertexBufferSlice& b) {
             a.m_nPrimitive = b.m_nPrimitive = VertexBufferSlice::PRIMITIVE_CLEAR;
             a.m_nClearColor = 0x80102030;
             b.m_nClearColor = 0x80102031;
         },
         false},
    };
    for (const Case& c : cases) {
        VertexBufferSlice first = base;
        VertexBufferSlice second = base;
        c.change(first, second);
        EXPECT_EQ(first.IsBatchableWith(second), c.merges) << c.what;
    }
}

// Renderer bookkeeping that needs no GL context.
class RendererWithoutWindowTest : public ::testing::Test {
protected:
    void SetUp() override { Renderer::CreateInstance(); }
    void TearDown() override { Renderer::RemoveInstance(); }
};

TEST_F(RendererWithoutWindowTest, StartingWithoutAContextFailsWithItsOwnText) {
    const int code = Renderer::g_Instance->Initialize(320, 240);
    EXPECT_EQ(code, RENDERERROR_NO_CONTEXT);
    EXPECT_EQ(Renderer::GetRenderError(code), "No OpenGL context");
    EXPECT_EQ(Renderer::GetRenderError(RENDERERROR_REINITIALIZATION), "Re-initialization failed");
    EXPECT_EQ(Renderer::GetRenderError(42), "Unknown error");
    EXPECT_FALSE(Renderer::g_Instance->IsInitialized());
    EXPECT_FALSE(Renderer::g_Instance->LockVertexBuffer(true));
    EXPECT_FALSE(Renderer::g_Instance->LockIndexBuffer(true));
}

TEST_F(RendererWithoutWindowTest, VertexCapacityIsLimitedTo16BitIndices) {
    Renderer& renderer = *Renderer::g_Instance;
    EXPECT_EQ(renderer.GetVertexCapacity(), 40000);
    renderer.SetVertexCapacity(1000);
    EXPECT_EQ(renderer.GetVertexCapacity(), 1000);
    renderer.SetVertexCapacity(65537);
    EXPECT_EQ(renderer.GetVertexCapacity(), 65536);
    renderer.SetVertexCapacity(0);
    EXPECT_EQ(renderer.GetVertexCapacity(), 65536);
    renderer.SetVertexCapacity(-5);
    EXPECT_EQ(renderer.GetVertexCapacity(), 65536);
}

TEST_F(RendererWithoutWindowTest, TexturesOver1024PixelsAreRefused) {
    Renderer& renderer = *Renderer::g_Instance;
    struct Case {
        int width;
        int height;
        bool made;
    };
    const Case cases[] = {{1024, 1024, true}, {1025, 10, false}, {10, 1025, false}, {0, 10, false}, {10, -1, false}};
    for (const Case& c : cases) {
        SmartPtr<ImageData> data(renderer.CreateImageDataManaged(c.width, c.height));
        EXPECT_EQ(data != nullptr, c.made) << c.width << "x" << c.height;
        if (!data)
            continue;
        EXPECT_EQ(data->GetTextureWidth(), c.width);
        // New pixels are transparent white.
        EXPECT_EQ(static_cast<const uint32_t*>(data->GetPixelData())[c.width * c.height - 1], 0x00FFFFFFu);
    }
}

// Exposes the texture-shape flag that only the card's extensions set.
class ShapedRenderer : public RendererOpenGL {
public:
    void SetSquareTextures(bool square) { m_bSquareTextures = square; }
};

TEST(Renderer, WithoutRectangleTexturesTexturesAreSquare) {
    SmartPtr<ShapedRenderer> renderer(new ShapedRenderer());
    int width = 300;
    int height = 100;
    renderer->GetRequiredWidthAndHeight(width, height);
    EXPECT_EQ(width, 300);
    EXPECT_EQ(height, 100);

    renderer->SetSquareTextures(true);
    SmartPtr<ImageData> data(renderer->CreateImageDataManaged(300, 100));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetTextureWidth(), 300);
    EXPECT_EQ(data->GetTextureHeight(), 300);
    EXPECT_FLOAT_EQ(data->GetFillFactorX(), 1.0f);
    EXPECT_FLOAT_EQ(data->GetFillFactorY(), 1.0f / 3.0f);
}

}  // namespace
