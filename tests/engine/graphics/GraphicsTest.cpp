#include "engine/graphics/Graphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/BufferOpenGL.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/IndexBufferOpenGL.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/VertexBufferOpenGL.h"
#include "engine/math/PolygonF.h"

using namespace ZQ2;

namespace {

constexpr float kWidth = 200.0f;
constexpr float kHeight = 100.0f;

// A renderer without GL that keeps a copy of every slice it is asked to
// draw, with the vertices and indices the slice covers.
class RecordingRenderer : public Renderer {
public:
    struct Call {
        VertexBufferSlice slice;
        std::vector<Vertex> vertices;
        std::vector<uint16_t> indices;
        iRenderTarget* target = nullptr;
    };

    RecordingRenderer(unsigned int vertexCapacity, unsigned int indexCapacity) {
        m_pVertexBuffer = new VertexBufferOpenGL(sizeof(Vertex), vertexCapacity);
        m_pIndexBuffer = new IndexBufferOpenGL(sizeof(uint16_t), indexCapacity);
        SetBackBuffer(new BufferOpenGL(static_cast<int>(kWidth), static_cast<int>(kHeight)));
    }

    int Initialize(int, int) override { return RENDERERROR_NONE; }
    bool Reinitialize() override { return false; }
    void InitMatrices() override {}
    void SetCustomMatrices(float, float) override {}
    void RestoreMatrices() override {}
    void BeginScene() override { ++m_nScenes; }
    bool EndScene() override {
        ++m_nEndedScenes;
        return m_bEndSceneResult;
    }
    void Flush() override { ++m_nFlushes; }
    void Flip() override {}
    bool ApplyVSyncSetting() override { return false; }
    bool IsSurfaceLost() override { return false; }
    bool TestSurfaceLost() override { return false; }
    void SetSurfaceLost() override { ++m_nSurfaceLost; }
    void CreateBackBuffer() override {}
    void SetRenderBlendMode(eBlendMode) override {}
    void SetRenderUseAlphaBlend(bool) override {}
    void Clear(uint32_t) override {}
    ImageData* CreateImageDataManaged(int, int) override { return nullptr; }
    ImageData* CreateImageDataUnmanaged(int, int, bool) override { return nullptr; }
    void CacheSlice(VertexBufferSlice&, const iRenderTarget*) override { ++m_nCachedSlices; }

    void RenderVertexBufferSlice(const VertexBufferSlice& slice) override {
        Call call;
        call.slice = slice;
        call.target = GetRenderTarget();
        const auto* vertices = static_cast<VertexBufferOpenGL*>(GetVertexBuffer())->GetVertexArray();
        call.vertices.assign(vertices + slice.m_nFirstVertex, vertices + slice.m_nFirstVertex + slice.m_nVertexCount);
        const auto* indices = static_cast<IndexBufferOpenGL*>(GetIndexBuffer())->GetIndexArray();
        call.indices.assign(indices + slice.m_nFirstIndex, indices + slice.m_nFirstIndex + slice.m_nIndexCount);
        m_Calls.push_back(call);
    }

    std::vector<Call> m_Calls;
    bool m_bEndSceneResult = true;
    int m_nScenes = 0;
    int m_nEndedScenes = 0;
    int m_nFlushes = 0;
    int m_nCachedSlices = 0;
    int m_nSurfaceLost = 0;
};

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override { StartRenderer(40000, 60000); }

    void TearDown() override {
        EXPECT_TRUE(Graphics::g_GraphicsStack.empty());
        Renderer::ReleaseInstance();
    }

    void StartRenderer(unsigned int vertices, unsigned int indices) {
        Renderer::ReleaseInstance();
        m_pRenderer = new RecordingRenderer(vertices, indices);
        Renderer::g_Instance = m_pRenderer;
        m_pRenderer->AddRef();
        m_pGraphics = m_pRenderer->GetBackBufferGraphics();
    }

    // A 100 x 100 picture in a 128 x 128 texture.
    ImageFrame* Frame(const Rectangle_t<int>& rect = Rectangle_t<int>(0, 0, 100, 100)) {
        if (!m_pData)
            m_pData = new ImageDataOpenGL(100, 100, 128, 128, true);
        m_Frames.push_back(SmartPtr<ImageFrame>(new ImageFrame(m_pData, rect)));
        return m_Frames.back();
    }

    // Draws the frame into the rectangle.
    void DrawRect(float x, float y, float w, float h, ImageFrame* frame) {
        m_pGraphics->SetImageFrame(frame);
        m_pGraphics->SetPolygon(Rectangle_t<float>(x, y, w, h));
        m_pGraphics->Draw();
    }

    void FillRect(float x, float y, float w, float h) { m_pGraphics->FillRect(Rectangle_t<float>(x, y, w, h)); }

    const std::vector<RecordingRenderer::Call>& Calls() const { return m_pRenderer->m_Calls; }

    RecordingRenderer* m_pRenderer = nullptr;
    Graphics* m_pGraphics = nullptr;
    SmartPtr<ImageData> m_pData;
    std::vector<SmartPtr<ImageFrame>> m_Frames;
};

// Positions of a call's vertices, half-pixel shift undone.
std::vector<std::pair<float, float>> Corners(const RecordingRenderer::Call& call) {
    std::vector<std::pair<float, float>> corners;
    for (const Vertex& v : call.vertices)
        corners.emplace_back(v.x + 0.5f, v.y + 0.5f);
    return corners;
}

using Corner = std::pair<float, float>;

}  // namespace

TEST_F(GraphicsTest, TrianglesAndQuadsBecomeFans) {
    m_pGraphics->BeginBatch();
    m_pGraphics->SetColor(0x102030);
    m_pGraphics->SetAlpha(0x80);
    m_pGraphics->FillRect(Rectangle_t<float>(10, 10, 20, 20));
    PolygonF triangle;
    triangle.Add(PolygonPointF(50, 10));
    triangle.Add(PolygonPointF(70, 30));
    triangle.Add(PolygonPointF(50, 30));
    SmartPtr<PolygonF> shape(new PolygonF(triangle));
    m_pGraphics->SetPolygon(shape);
    m_pGraphics->FillPolygon();
    EXPECT_TRUE(m_pGraphics->EndBatch());

    // Neighbours of equal state: one call, indices absolute.
    ASSERT_EQ(Calls().size(), 1u);
    const RecordingRenderer::Call& call = Calls()[0];
    EXPECT_EQ(call.indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 4, 5, 6}));
    ASSERT_EQ(call.vertices.size(), 7u);
    EXPECT_EQ(Corners(call)[0], Corner(10, 10));
    EXPECT_EQ(Corners(call)[2], Corner(30, 30));
    EXPECT_FLOAT_EQ(call.vertices[0].x, 9.5f);
    EXPECT_EQ(call.vertices[0].color, 0x80102030u);
    // A fill multiplies the points' white by the composed colour.
    EXPECT_EQ(call.vertices[5].color, 0x7F0F1F2Fu);
    EXPECT_EQ(call.slice.m_pTexture, nullptr);
    EXPECT_EQ(call.slice.m_nPrimitive, VertexBufferSlice::PRIMITIVE_TRIANGLES);
    EXPECT_EQ(m_pRenderer->m_nCachedSlices, 2);
    EXPECT_EQ(call.target, m_pRenderer->GetBackBuffer());
}

TEST_F(GraphicsTest, DrawMapsTheFrameThroughTheFillFactors) {
    m_pGraphics->BeginBatch();
    // The right half of the picture, which takes 100 of 128 texels.
    DrawRect(10, 20, 50, 100, Frame(Rectangle_t<int>(50, 0, 50, 100)));
    m_pGraphics->EndBatch();
    ASSERT_EQ(Calls().size(), 1u);
    const RecordingRenderer::Call& call = Calls()[0];
    EXPECT_EQ(call.slice.m_pTexture, m_pData.Get());
    EXPECT_EQ(call.indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_FLOAT_EQ(call.vertices[0].u, 0.5f * 100 / 128);
    EXPECT_FLOAT_EQ(call.vertices[1].u, 100.0f / 128);
    EXPECT_FLOAT_EQ(call.vertices[2].v, 100.0f / 128);
    EXPECT_EQ(call.vertices[0].color, 0xFFFFFFFFu);
}

TEST_F(GraphicsTest, WholeTextureKeepsThePolygonsOwnCoordinatesUnlessFlipped) {
    SmartPtr<ImageData> exact(new ImageDataOpenGL(64, 64, 64, 64, true));
    SmartPtr<ImageFrame> frame(new ImageFrame(exact));
    SmartPtr<PolygonF> shape(new PolygonF(Rectangle_t<float>(0, 0, 10, 10)));
    shape->At(1).u = 0.25f;  // a polygon with texture coordinates of its own
    m_pGraphics->SetImageFrame(frame);
    m_pGraphics->SetPolygon(shape);
    m_pGraphics->BeginBatch();
    m_pGraphics->Draw();
    m_pGraphics->SetFlipImageHorizontal(true);
    m_pGraphics->Draw();
    m_pGraphics->EndBatch();
    ASSERT_EQ(Calls().size(), 1u);
    ASSERT_EQ(Calls()[0].vertices.size(), 8u);
    EXPECT_FLOAT_EQ(Calls()[0].vertices[1].u, 0.25f);
    EXPECT_FLOAT_EQ(Calls()[0].vertices[5].u, 0.75f);
    EXPECT_FLOAT_EQ(Calls()[0].vertices[4].u, 1.0f);
}

TEST_F(GraphicsTest, AlphaBlendingFollowsModeAlphaAndTexture) {
    struct Case {
        const char* name;
        eBlendMode mode;
        int alpha;
        bool textureAlpha;
        bool useAlphaChannel;
        bool blends;
    };
    const Case cases[] = {
        {"mode 4 opaque", BLENDMODE_REPLACE_OPAQUE, 255, true, true, false},
        {"mode 4 half alpha", BLENDMODE_REPLACE_OPAQUE, 128, true, true, true},
        {"mode 0 texture without alpha", BLENDMODE_BLEND, 255, false, true, false},
        {"mode 0 texture with alpha", BLENDMODE_BLEND, 255, true, false, true},
        {"mode 3 texture without alpha", BLENDMODE_REPLACE, 255, false, true, false},
        {"mode 1 without alpha channel", BLENDMODE_ADDITIVE, 255, true, false, false},
        {"mode 1 with alpha channel", BLENDMODE_ADDITIVE, 255, false, true, true},
        {"mode 2 faded", BLENDMODE_MULTIPLY, 200, true, false, true},
    };
    ImageFrame* frame = Frame();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pRenderer->m_Calls.clear();
        m_pData->SetHasAlpha(c.textureAlpha);
        m_pGraphics->SetBlendMode(c.mode);
        m_pGraphics->SetAlpha(c.alpha);
        m_pGraphics->SetUseAlphaChannel(c.useAlphaChannel);
        m_pGraphics->BeginBatch();
        DrawRect(0, 0, 10, 10, frame);
        m_pGraphics->EndBatch();
        ASSERT_EQ(Calls().size(), 1u);
        EXPECT_EQ(Calls()[0].slice.m_bAlphaBlend, c.blends);
        EXPECT_EQ(Calls()[0].slice.m_eBlendMode, c.mode);
    }
}

TEST_F(GraphicsTest, NothingIsDrawnWithoutAlphaFramePolygonOrTarget) {
    ImageFrame* frame = Frame();
    m_pGraphics->BeginBatch();
    m_pGraphics->SetAlpha(0);
    DrawRect(0, 0, 10, 10, frame);
    m_pGraphics->SetAlpha(255);
    DrawRect(0, 0, 10, 10, nullptr);
    m_pGraphics->SetImageFrame(frame);
    m_pGraphics->SetPolygon(static_cast<PolygonF*>(nullptr));
    m_pGraphics->Draw();
    // Outside the target, and touching its right edge only.
    DrawRect(-50, 10, 40, 10, frame);
    DrawRect(kWidth, 0, 10, 10, frame);
    DrawRect(10, kHeight + 1, 10, 10, frame);
    EXPECT_EQ(m_pGraphics->GetUsedSliceCount(), 0u);
    EXPECT_FALSE(m_pGraphics->EndBatch());
    EXPECT_EQ(m_pRenderer->m_nScenes, 0);

    // Half outside is drawn whole: the target does not clip.
    m_pGraphics->BeginBatch();
    DrawRect(-5, -5, 10, 10, frame);
    m_pGraphics->EndBatch();
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Corners(Calls()[0])[0], Corner(-5, -5));
}

TEST_F(GraphicsTest, ClipStatesChooseTheGeometry) {
    ImageFrame* frame = Frame();
    m_pGraphics->PushClipPolygon(PolygonF(Rectangle_t<float>(0, 0, 100, 100)));
    struct Case {
        const char* name;
        Rectangle_t<float> rect;
        std::vector<Corner> corners;  // empty: dropped
        float rightU;                 // u at the corners' right edge
    };
    const float fill = 100.0f / 128;
    const std::vector<Case> cases = {
        {"inside", {10, 10, 20, 20}, {{10, 10}, {30, 10}, {30, 30}, {10, 30}}, fill},
        {"overlapping", {50, 50, 100, 100}, {{50, 50}, {100, 50}, {100, 100}, {50, 100}}, 0.5f * fill},
        {"holding the clip", {-100, -100, 400, 400}, {{0, 0}, {100, 0}, {100, 100}, {0, 100}}, 0.5f * fill},
        {"outside", {150, 10, 20, 20}, {}, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pRenderer->m_Calls.clear();
        m_pGraphics->BeginBatch();
        DrawRect(c.rect.x, c.rect.y, c.rect.width, c.rect.height, frame);
        m_pGraphics->EndBatch();
        if (c.corners.empty()) {
            EXPECT_TRUE(Calls().empty());
            continue;
        }
        ASSERT_EQ(Calls().size(), 1u);
        const RecordingRenderer::Call& call = Calls()[0];
        std::vector<Corner> corners = Corners(call);
        ASSERT_EQ(corners.size(), c.corners.size());
        for (const Corner& expected : c.corners) {
            bool found = false;
            for (size_t i = 0; i < corners.size(); ++i) {
                if (std::fabs(corners[i].first - expected.first) < 1e-3f &&
                    std::fabs(corners[i].second - expected.second) < 1e-3f) {
                    found = true;
                    if (expected.first == 100.0f) {
                        EXPECT_NEAR(call.vertices[i].u, c.rightU, 1e-3f);
                    }
                }
            }
            EXPECT_TRUE(found) << "corner (" << expected.first << ", " << expected.second << ")";
        }
        EXPECT_EQ(call.indices.size(), 3 * corners.size() - 6);
    }
    m_pGraphics->PopClipPolygon();
}

TEST_F(GraphicsTest, ClipInsideAPolygonTakesItsColours) {
    // A non-rectangular clip held by the fill: the clip's own points are
    // drawn, with colours taken from the fill.
    PolygonF diamond;
    diamond.Add(PolygonPointF(50, 0));
    diamond.Add(PolygonPointF(100, 50));
    diamond.Add(PolygonPointF(50, 100));
    diamond.Add(PolygonPointF(0, 50));
    m_pGraphics->PushClipPolygon(diamond);
    m_pGraphics->SetColor(0x00FF00);
    m_pGraphics->BeginBatch();
    FillRect(-10, -10, 120, 120);
    m_pGraphics->EndBatch();
    m_pGraphics->PopClipPolygon();
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Corners(Calls()[0]), (std::vector<Corner>{{50, 0}, {100, 50}, {50, 100}, {0, 50}}));
    // Interpolating colour weighs each byte in 256ths, rounding down.
    for (const Vertex& v : Calls()[0].vertices) {
        EXPECT_NEAR(static_cast<int>(v.color >> 24), 255, 3);
        EXPECT_NEAR(static_cast<int>((v.color >> 8) & 0xFF), 255, 3);
        EXPECT_EQ(v.color & 0xFF00FFu, 0u);
    }
}

TEST_F(GraphicsTest, ClipStackIntersectsAndEmptiesOutside) {
    m_pGraphics->PushClipPolygon(PolygonF(Rectangle_t<float>(0, 0, 100, 100)));
    // A larger clip inside a smaller one keeps the smaller one.
    m_pGraphics->PushClipPolygon(PolygonF(Rectangle_t<float>(-50, -50, 300, 300)));
    EXPECT_EQ(m_pGraphics->GetClipStack()[1].GetBoundingRect(), Rectangle_t<float>(0, 0, 100, 100));
    m_pGraphics->PopClipPolygon();
    // Overlapping: the overlap.
    m_pGraphics->PushClipPolygon(PolygonF(Rectangle_t<float>(50, 60, 100, 100)));
    EXPECT_EQ(m_pGraphics->GetClipStack()[1].GetBoundingRect(), Rectangle_t<float>(50, 60, 50, 40));
    m_pGraphics->PopClipPolygon();
    // The transformation in force moves a pushed clip.
    m_pGraphics->PushTranslation(10, 20);
    m_pGraphics->PushClipPolygon(PolygonF(Rectangle_t<float>(0, 0, 10, 10)));
    EXPECT_EQ(m_pGraphics->GetClipStack()[1].GetBoundingRect(), Rectangle_t<float>(10, 20, 10, 10));
    m_pGraphics->PopClipPolygon();
    m_pGraphics->PopTransformation();
    // Wholly outside: an empty clip, under which nothing is drawn.
    m_pGraphics->PushClipPolygon(PolygonF(Rectangle_t<float>(150, 0, 10, 10)));
    EXPECT_EQ(m_pGraphics->GetClipStack()[1].GetCount(), 0);
    m_pGraphics->BeginBatch();
    FillRect(0, 0, 200, 100);
    DrawRect(0, 0, 200, 100, Frame());
    m_pGraphics->EndBatch();
    EXPECT_TRUE(Calls().empty());
    m_pGraphics->PopClipPolygon();
    m_pGraphics->PopClipPolygon();
    EXPECT_TRUE(m_pGraphics->GetClipStack().empty());
}

TEST_F(GraphicsTest, OnlyEqualStateNeighboursMerge) {
    ImageFrame* frame = Frame();
    SmartPtr<ImageData> otherData(new ImageDataOpenGL(8, 8, 8, 8, true));
    SmartPtr<ImageFrame> other(new ImageFrame(otherData));
    m_pGraphics->BeginBatch();
    DrawRect(0, 0, 10, 10, frame);
    DrawRect(20, 0, 10, 10, frame);  // merges with the first
    DrawRect(40, 0, 10, 10, other);  // another texture
    m_pGraphics->SetPolygon(Rectangle_t<float>(0, 0, 10, 10));
    m_pGraphics->DrawPolygon(false);
    m_pGraphics->DrawPolygon(false);  // strips never merge
    m_pGraphics->DrawLine(0, 0, 5, 5);
    m_pGraphics->DrawLine(5, 5, 9, 0);  // separate lines do
    m_pGraphics->SetBlendMode(BLENDMODE_ADDITIVE);
    DrawRect(60, 0, 10, 10, other);
    m_pGraphics->Clear();
    m_pGraphics->Clear();  // equal clears merge
    m_pGraphics->EndBatch();

    ASSERT_EQ(Calls().size(), 7u);
    EXPECT_EQ(Calls()[0].slice.m_nIndexCount, 12u);
    EXPECT_EQ(Calls()[0].slice.m_nVertexCount, 8u);
    EXPECT_EQ(Calls()[1].slice.m_pTexture, otherData.Get());
    EXPECT_EQ(Calls()[2].slice.m_nMode, VertexBufferSlice::MODE_STRIP);
    // A closed outline ends on its first point.
    ASSERT_EQ(Calls()[2].vertices.size(), 5u);
    EXPECT_EQ(Calls()[2].vertices[4].x, Calls()[2].vertices[0].x);
    EXPECT_EQ(Calls()[2].vertices[0].x, 0.0f);  // no half-pixel shift
    EXPECT_EQ(Calls()[3].slice.m_nMode, VertexBufferSlice::MODE_STRIP);
    EXPECT_EQ(Calls()[4].slice.m_nPrimitive, VertexBufferSlice::PRIMITIVE_LINES);
    EXPECT_EQ(Calls()[4].slice.m_nVertexCount, 4u);
    EXPECT_EQ(Calls()[5].slice.m_eBlendMode, BLENDMODE_ADDITIVE);
    EXPECT_EQ(Calls()[6].slice.m_nPrimitive, VertexBufferSlice::PRIMITIVE_CLEAR);
    EXPECT_EQ(Calls()[6].slice.m_nClearColor, 0xFFFFFFFFu);
}

TEST_F(GraphicsTest, FullBuffersDropDrawsAtTheirEdges) {
    // Six vertices and thirteen indices: after one quad, two vertices and
    // seven indices are left.
    StartRenderer(6, 13);
    ImageFrame* frame = Frame();
    m_pGraphics->BeginBatch();
    DrawRect(0, 0, 10, 10, frame);
    DrawRect(20, 0, 10, 10, frame);  // needs 4 vertices
    m_pGraphics->DrawLine(0, 0, 10, 10);
    EXPECT_EQ(m_pGraphics->GetUsedSliceCount(), 2u);
    m_pGraphics->EndBatch();
    ASSERT_EQ(Calls().size(), 2u);
    EXPECT_EQ(Calls()[1].slice.m_nPrimitive, VertexBufferSlice::PRIMITIVE_LINES);

    // An index request that would reach the capacity exactly is refused.
    StartRenderer(100, 12);
    m_pGraphics->BeginBatch();
    DrawRect(0, 0, 10, 10, Frame());
    DrawRect(20, 0, 10, 10, Frame());
    EXPECT_EQ(m_pGraphics->GetUsedSliceCount(), 1u);
    m_pGraphics->EndBatch();

    StartRenderer(100, 13);
    m_pGraphics->BeginBatch();
    DrawRect(0, 0, 10, 10, Frame());
    DrawRect(20, 0, 10, 10, Frame());
    EXPECT_EQ(m_pGraphics->GetUsedSliceCount(), 2u);
    m_pGraphics->EndBatch();
}

TEST_F(GraphicsTest, SliceListGrowsAndDrawsOutsideABatchAreRefused) {
    m_pGraphics->DrawLine(0, 0, 1, 1);
    m_pGraphics->FillRect(Rectangle_t<float>(0, 0, 5, 5));
    EXPECT_EQ(m_pGraphics->GetUsedSliceCount(), 0u);

    EXPECT_EQ(m_pGraphics->GetSliceListSize(), Graphics::INITIAL_SLICES);
    m_pGraphics->BeginBatch();
    for (int i = 0; i < 25; ++i) {
        m_pGraphics->SetBlendMode(i % 2 ? BLENDMODE_ADDITIVE : BLENDMODE_BLEND);
        m_pGraphics->DrawLine(0, 0, static_cast<float>(i), 1);
    }
    EXPECT_EQ(m_pGraphics->GetSliceListSize(), 120);
    m_pGraphics->EndBatch();
    EXPECT_EQ(Calls().size(), 25u);
}

// The inner batch renders only its own slices, into its own target, and
// leaves the outer batch's vertices in place even when its scene fails.
TEST_F(GraphicsTest, NestedBatchesKeepTheOuterSlices) {
    ImageFrame* frame = Frame();
    SmartPtr<BufferOpenGL> texture(new BufferOpenGL(32, 32));
    SmartPtr<Graphics> inner(texture->CreateGraphics());

    m_pGraphics->BeginBatch();
    DrawRect(0, 0, 10, 10, frame);
    inner->BeginBatch();
    EXPECT_EQ(Graphics::g_GraphicsStack.size(), 2);
    inner->SetImageFrameAndPolygon(frame);
    inner->Draw(1, 1);
    m_pRenderer->m_bEndSceneResult = false;
    EXPECT_FALSE(inner->EndBatch());
    m_pRenderer->m_bEndSceneResult = true;
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].target, texture.Get());
    EXPECT_EQ(Corners(Calls()[0])[0], Corner(1, 1));
    EXPECT_EQ(Corners(Calls()[0])[2], Corner(101, 101));
    EXPECT_EQ(m_pRenderer->GetRenderTarget(), texture.Get());

    DrawRect(20, 0, 10, 10, frame);
    EXPECT_TRUE(m_pGraphics->EndBatch());
    EXPECT_EQ(m_pRenderer->GetRenderTarget(), m_pRenderer->GetBackBuffer());
    // Same state, but the inner batch's vertices lie between: two calls,
    // and neither reaches into the inner batch's range.
    ASSERT_EQ(Calls().size(), 3u);
    EXPECT_EQ(Calls()[1].target, m_pRenderer->GetBackBuffer());
    EXPECT_EQ(Corners(Calls()[1]), (std::vector<Corner>{{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
    EXPECT_EQ(Calls()[1].indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(Corners(Calls()[2])[0], Corner(20, 0));
    EXPECT_EQ(Calls()[2].indices, (std::vector<uint16_t>{8, 9, 10, 8, 10, 11}));
    EXPECT_EQ(m_pRenderer->m_nSurfaceLost, 0);
}

// Enough one-pixel fills in a row to pass the early-submission mark.
constexpr int kManyFills = static_cast<int>(Graphics::EARLY_SUBMIT_VERTICES / 4) + 100;

// Every fill of a row, in order, across all calls: the x of each quad's
// first corner.
std::vector<float> FilledColumns(const std::vector<RecordingRenderer::Call>& calls, iRenderTarget* target) {
    std::vector<float> columns;
    for (const RecordingRenderer::Call& call : calls) {
        if (call.target != target)
            continue;
        for (size_t i = 0; i < call.vertices.size(); i += 4)
            columns.push_back(call.vertices[i].x + 0.5f);
    }
    return columns;
}

std::vector<float> Columns(int first, int count) {
    std::vector<float> columns;
    for (int i = 0; i < count; ++i)
        columns.push_back(static_cast<float>(first + i));
    return columns;
}

TEST_F(GraphicsTest, BigBatchesReachTheRendererInPartsWithinOneScene) {
    m_pGraphics->BeginBatch();
    for (int i = 0; i < kManyFills; ++i)
        FillRect(static_cast<float>(i), 0, 1, 1);
    // The first part is drawn and flushed while the batch is still open.
    EXPECT_EQ(m_pRenderer->m_nScenes, 1);
    EXPECT_EQ(m_pRenderer->m_nEndedScenes, 0);
    EXPECT_EQ(m_pRenderer->m_nFlushes, 1);
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].vertices.size(), Graphics::EARLY_SUBMIT_VERTICES);
    EXPECT_EQ(m_pRenderer->GetVertexBuffer()->GetUsed(), 400u);  // restarted: the last 100 fills

    EXPECT_TRUE(m_pGraphics->EndBatch());
    EXPECT_EQ(m_pRenderer->m_nScenes, 1);
    EXPECT_EQ(m_pRenderer->m_nEndedScenes, 1);
    EXPECT_EQ(FilledColumns(Calls(), m_pRenderer->GetBackBuffer()), Columns(0, kManyFills));
}

// A nested batch draws into its own target: the outer scene ends before it
// and begins again for the outer batch's next part, and nothing is lost.
TEST_F(GraphicsTest, ANestedBatchEndsAndReopensAnEarlySubmittedScene) {
    SmartPtr<BufferOpenGL> texture(new BufferOpenGL(32, 32));
    SmartPtr<Graphics> inner(texture->CreateGraphics());
    m_pGraphics->BeginBatch();
    for (int i = 0; i < kManyFills; ++i)
        FillRect(static_cast<float>(i), 0, 1, 1);
    inner->BeginBatch();
    EXPECT_EQ(m_pRenderer->m_nEndedScenes, 1);
    inner->FillRect(Rectangle_t<float>(0, 0, 4, 4));
    EXPECT_TRUE(inner->EndBatch());
    for (int i = kManyFills; i < 2 * kManyFills; ++i)
        FillRect(static_cast<float>(i), 0, 1, 1);
    EXPECT_TRUE(m_pGraphics->EndBatch());

    EXPECT_EQ(m_pRenderer->m_nScenes, 3);
    EXPECT_EQ(m_pRenderer->m_nEndedScenes, 3);
    EXPECT_EQ(FilledColumns(Calls(), m_pRenderer->GetBackBuffer()), Columns(0, 2 * kManyFills));
    EXPECT_EQ(FilledColumns(Calls(), texture.Get()), Columns(0, 1));
}

// Drawing into a texture starts from its pixels at every scene, so its
// batch waits for its end however big it grows.
TEST_F(GraphicsTest, TextureBatchesAreDrawnWhole) {
    SmartPtr<BufferOpenGL> texture(new BufferOpenGL(32, 32));
    SmartPtr<Graphics> graphics(texture->CreateGraphics());
    graphics->BeginBatch();
    for (int i = 0; i < kManyFills; ++i)
        graphics->FillRect(Rectangle_t<float>(static_cast<float>(i % 32), 0, 1, 1));
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(graphics->EndBatch());
    EXPECT_EQ(m_pRenderer->m_nScenes, 1);
    EXPECT_EQ(m_pRenderer->m_nFlushes, 0);
}

TEST_F(GraphicsTest, TransformationsPlaceWhatIsDrawn) {
    m_pGraphics->BeginBatch();
    m_pGraphics->PushTranslation(10, 20);
    Matrix3x3 scale;
    Matrix3x3::MakeScalingMatrix(scale, 2, 2);
    m_pGraphics->PushTransformation(scale);  // scale acts first
    FillRect(1, 1, 1, 1);
    m_pGraphics->SetTransformation(scale);  // not combined with the top
    FillRect(1, 1, 1, 1);
    m_pGraphics->PopTransformation();
    m_pGraphics->PopTransformation();
    m_pGraphics->DrawLine(0, 0, 1, 0);  // translated, no half-pixel shift
    m_pGraphics->PopTransformation();
    EXPECT_TRUE(m_pGraphics->GetTransformationStack().empty());
    // The settings' own offset, as a sprite's position.
    m_pGraphics->SetAnchorPoint(1.0f, 1.0f);
    FillRect(1, 1, 1, 1);
    m_pGraphics->AddOffset(50, 60);
    FillRect(1, 1, 1, 1);
    m_pGraphics->SubOffset(50, 60);
    m_pGraphics->EndBatch();

    ASSERT_EQ(Calls().size(), 3u);
    ASSERT_EQ(Calls()[0].vertices.size(), 8u);
    EXPECT_EQ(Corners(Calls()[0])[0], Corner(12, 22));
    EXPECT_EQ(Corners(Calls()[0])[2], Corner(14, 24));
    EXPECT_EQ(Corners(Calls()[0])[4], Corner(2, 2));
    EXPECT_EQ(Calls()[1].vertices[0].x, 10.0f);
    EXPECT_EQ(Calls()[1].vertices[1].x, 11.0f);
    EXPECT_EQ(Calls()[1].vertices[1].y, 20.0f);
    ASSERT_EQ(Calls()[2].vertices.size(), 8u);
    EXPECT_EQ(Corners(Calls()[2])[0], Corner(0, 0));
    EXPECT_EQ(Corners(Calls()[2])[4], Corner(50, 60));
}

TEST_F(GraphicsTest, SettingsCarryTheirPositionAndDrawAtAPointRestoresIt) {
    class Placed : public GraphicsSettings {
    public:
        float GetDestX() const override { return 30.0f; }
        float GetDestY() const override { return 40.0f; }
    } sprite;
    sprite.SetImageFrame(Frame());
    sprite.SetPolygon(Rectangle_t<float>(0, 0, 10, 10));
    sprite.SetAlpha(77);
    m_pGraphics->SetDrawnFlag(1);
    m_pGraphics->SetSettings(sprite);
    EXPECT_EQ(m_pGraphics->GetDrawnFlag(), 0);
    EXPECT_FLOAT_EQ(m_pGraphics->GetDestX(), 30.0f);
    EXPECT_EQ(m_pGraphics->GetComposedColor(), 0x4DFFFFFFu);
    m_pGraphics->BeginBatch();
    m_pGraphics->Draw();
    m_pGraphics->Draw(5, 5);
    m_pGraphics->EndBatch();
    EXPECT_FLOAT_EQ(m_pGraphics->GetDestX(), 30.0f);
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Corners(Calls()[0])[0], Corner(30, 40));
    EXPECT_EQ(Corners(Calls()[0])[4], Corner(35, 45));

    m_pGraphics->ResetSettings();
    EXPECT_FLOAT_EQ(m_pGraphics->GetDestX(), 0.0f);
    EXPECT_EQ(m_pGraphics->GetImageFrame(), nullptr);
    EXPECT_EQ(m_pGraphics->QueryInterface(GraphicsSettings::rtti), static_cast<GraphicsSettings*>(m_pGraphics));
    EXPECT_EQ(m_pGraphics->QueryInterface(Interface::rtti), nullptr);
}

// The context takes the settings' cached placement: a change between two
// draws must reach the second, inside a transformation as well.
TEST_F(GraphicsTest, SettingsDrawnAgainFollowTheirNewPlacement) {
    GraphicsSettings settings;
    settings.SetImageFrame(Frame());
    settings.SetPolygon(Rectangle_t<float>(0, 0, 10, 10));
    m_pGraphics->BeginBatch();
    m_pGraphics->SetSettings(settings);
    m_pGraphics->Draw();
    settings.SetScale(2.0f);
    m_pGraphics->SetSettings(settings);
    m_pGraphics->Draw();
    settings.SetAnchorPoint(5.0f, 5.0f);
    m_pGraphics->PushTranslation(100.0f, 0.0f);
    m_pGraphics->SetSettings(settings);
    m_pGraphics->Draw();
    m_pGraphics->PopTransformation();
    m_pGraphics->EndBatch();
    ASSERT_EQ(Calls().size(), 1u);
    const std::vector<Corner> corners = Corners(Calls()[0]);
    ASSERT_EQ(corners.size(), 12u);
    EXPECT_EQ(corners[2], Corner(10, 10));
    EXPECT_EQ(corners[6], Corner(20, 20));
    EXPECT_EQ(corners[8], Corner(90, -10));
    EXPECT_EQ(corners[10], Corner(110, 10));
}

TEST_F(GraphicsTest, FillCoversTheTargetAndColorFillReplacesTheFrame) {
    m_pGraphics->SetColor(0x0000FF);
    m_pGraphics->BeginBatch();
    m_pGraphics->Fill();
    m_pGraphics->SetUseColorToFillPolygon(true);
    DrawRect(0, 0, 5, 5, Frame());
    m_pGraphics->EndBatch();
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Corners(Calls()[0])[2], Corner(kWidth, kHeight));
    EXPECT_EQ(Calls()[0].slice.m_pTexture, nullptr);
    EXPECT_EQ(Calls()[0].vertices[0].color, 0xFF0000FFu);
    EXPECT_EQ(Calls()[0].vertices.size(), 8u);
}

TEST_F(GraphicsTest, ContextDestroyedInsideItsBatchLeavesTheStack) {
    SmartPtr<BufferOpenGL> texture(new BufferOpenGL(16, 16));
    {
        SmartPtr<Graphics> context(texture->CreateGraphics());
        context->BeginBatch();
        EXPECT_EQ(Graphics::g_GraphicsStack.size(), 1);
    }
    EXPECT_TRUE(Graphics::g_GraphicsStack.empty());
    m_pRenderer->UnlockVertexBuffer();
    m_pRenderer->UnlockIndexBuffer();
}
