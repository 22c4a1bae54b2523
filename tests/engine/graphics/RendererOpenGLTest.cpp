#include "engine/graphics/RendererOpenGL.h"

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/GameWindow.h"
#include "engine/graphics/BufferOpenGL.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/VertexBuffer.h"
#include "engine/graphics/VertexBufferSlice.h"
#include "platform/GlWindow.h"

using namespace ZQ2;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

Vertex V(float x, float y, uint32_t color, float u = 0.0f, float v = 0.0f) { return Vertex{x, y, 0.0f, 1.0f, color, u, v}; }

// A rectangle of whole pixels as the drawing context writes it: corners
// clockwise on screen, moved half a pixel so that its edges lie on pixel edges.
std::vector<Vertex> Rect(float x, float y, float w, float h, uint32_t color) {
    return {V(x - 0.5f, y - 0.5f, color, 0, 0), V(x + w - 0.5f, y - 0.5f, color, 1, 0),
            V(x + w - 0.5f, y + h - 0.5f, color, 1, 1), V(x - 0.5f, y + h - 0.5f, color, 0, 1)};
}

const std::vector<uint16_t> kQuadIndices = {0, 1, 2, 0, 2, 3};

int ChannelOf(uint32_t argb, int shift) { return static_cast<int>((argb >> shift) & 0xFFu); }

// Channels of a colour as fractions, for the blend equations.
struct Rgba {
    double r, g, b, a;
};

Rgba ToRgba(uint32_t argb) {
    return {ChannelOf(argb, 16) / 255.0, ChannelOf(argb, 8) / 255.0, ChannelOf(argb, 0) / 255.0,
            ChannelOf(argb, 24) / 255.0};
}

uint32_t ToArgb(const Rgba& c) {
    auto byte = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

std::string Hex(uint32_t argb) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", argb);
    return text;
}

::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance = 2) {
    for (int shift : {24, 16, 8, 0}) {
        if (std::abs(ChannelOf(actual, shift) - ChannelOf(expected, shift)) > tolerance)
            return ::testing::AssertionFailure() << Hex(actual) << " is not near " << Hex(expected);
    }
    return ::testing::AssertionSuccess();
}

class RendererOpenGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GameWindow::CreateInstance("Renderer test", kWidth, kHeight, false, true, 0, nullptr));
        StartRenderer();
    }

    void TearDown() override {
        Renderer::RemoveInstance();
        GameWindow::RemoveInstance();
    }

    void StartRenderer(int vertexCapacity = 0) {
        Renderer::CreateInstance();
        m_pRenderer = RendererOpenGL::Instance();
        ASSERT_NE(m_pRenderer, nullptr);
        if (vertexCapacity)
            m_pRenderer->SetVertexCapacity(vertexCapacity);
        ASSERT_EQ(m_pRenderer->Initialize(kWidth, kHeight), RENDERERROR_NONE);
    }

    // Writes vertices, and indices relative to them, as the drawing context
    // does, and takes them as one slice.
    VertexBufferSlice Triangles(const std::vector<Vertex>& vertices, const std::vector<uint16_t>& indices,
                                ImageData* texture = nullptr, int mode = VertexBufferSlice::MODE_LIST) {
        VertexBufferSlice slice;
        slice.m_nMode = mode;
        slice.m_pTexture = texture;
        Write(slice, vertices);
        // Converted while the vertices are locked, as the drawing context does.
        m_pRenderer->CacheSlice(slice, m_pRenderer->GetBackBuffer());
        EXPECT_TRUE(m_pRenderer->UnlockVertexBuffer());
        EXPECT_TRUE(m_pRenderer->LockIndexBuffer(false));
        if (!indices.empty()) {
            IndexBuffer* buffer = m_pRenderer->GetIndexBuffer();
            slice.m_pIndexBuffer = buffer;
            slice.m_nFirstIndex = buffer->GetUsed();
            slice.m_nIndexCount = static_cast<unsigned int>(indices.size());
            buffer->SetUsed(slice.m_nFirstIndex + slice.m_nIndexCount);
            for (size_t i = 0; i < indices.size(); ++i)
                slice.GetCurrentIndices()[i] = static_cast<uint16_t>(indices[i] + slice.m_nFirstVertex);
        }
        EXPECT_TRUE(m_pRenderer->UnlockIndexBuffer());
        return slice;
    }

    VertexBufferSlice Lines(const std::vector<Vertex>& vertices, int mode) {
        VertexBufferSlice slice;
        slice.m_nPrimitive = VertexBufferSlice::PRIMITIVE_LINES;
        slice.m_nMode = mode;
        Write(slice, vertices);
        EXPECT_TRUE(m_pRenderer->UnlockVertexBuffer());
        return slice;
    }

    static VertexBufferSlice ClearTo(uint32_t argb) {
        VertexBufferSlice slice;
        slice.m_nPrimitive = VertexBufferSlice::PRIMITIVE_CLEAR;
        slice.m_nClearColor = argb;
        return slice;
    }

    void Frame(std::initializer_list<VertexBufferSlice> slices) {
        m_pRenderer->SetRenderTarget(m_pRenderer->GetBackBuffer());
        m_pRenderer->BeginScene();
        for (const VertexBufferSlice& slice : slices)
            m_pRenderer->RenderVertexBufferSlice(slice);
        EXPECT_TRUE(m_pRenderer->EndScene());
    }

    // The back buffer's pixel at engine coordinates, as ARGB.
    static uint32_t Pixel(int x, int y) {
        uint32_t argb = 0;
        glReadPixels(x, kHeight - 1 - y, 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &argb);
        return argb;
    }

    SmartPtr<ImageDataOpenGL> MakeTexture(int width, int height, const std::vector<uint32_t>& pixels) {
        SmartPtr<ImageDataOpenGL> data(DynamicCast<ImageDataOpenGL>(m_pRenderer->CreateImageDataManaged(width, height)));
        EXPECT_NE(data, nullptr);
        if (!data)
            return data;
        EXPECT_TRUE(data->Lock(false));
        auto* out = static_cast<uint32_t*>(data->GetPixelData());
        for (int y = 0; y < height; ++y)
            std::copy_n(pixels.begin() + y * width, width, out + y * data->GetPitch() / 4);
        data->Unlock();
        return data;
    }

    RendererOpenGL* m_pRenderer = nullptr;

private:
    void Write(VertexBufferSlice& slice, const std::vector<Vertex>& vertices) {
        EXPECT_TRUE(m_pRenderer->LockVertexBuffer(false));
        VertexBuffer* buffer = m_pRenderer->GetVertexBuffer();
        slice.m_pVertexBuffer = buffer;
        slice.m_nFirstVertex = buffer->GetUsed();
        slice.m_nVertexCount = static_cast<unsigned int>(vertices.size());
        buffer->SetUsed(slice.m_nFirstVertex + slice.m_nVertexCount);
        std::copy(vertices.begin(), vertices.end(), slice.GetCurrentVertices());
    }
};

TEST_F(RendererOpenGLTest, InitialisesOnMesaWithTexturesOfAnySizeAndSharedBuffers) {
    EXPECT_TRUE(m_pRenderer->IsInitialized());
    EXPECT_EQ(m_pRenderer->GetTextureTarget(), static_cast<unsigned int>(GL_TEXTURE_2D));
    EXPECT_FALSE(m_pRenderer->HasSquareTextures());
    EXPECT_FALSE(m_pRenderer->HasPowerOfTwoTextures());
    EXPECT_TRUE(m_pRenderer->UsesShaderPrograms());
    EXPECT_TRUE(m_pRenderer->IsBlendEquationSeparable());
    EXPECT_EQ(m_pRenderer->GetVertexBuffer()->GetCapacity(), 40000u);
    EXPECT_EQ(m_pRenderer->GetIndexBuffer()->GetCapacity(), 60000u);
    ASSERT_NE(m_pRenderer->GetBackBuffer(), nullptr);
    EXPECT_EQ(m_pRenderer->GetBackBuffer()->GetWidth(), kWidth);
    EXPECT_EQ(m_pRenderer->GetBackBuffer()->GetHeight(), kHeight);
    ASSERT_NE(m_pRenderer->GetBackBufferGraphics(), nullptr);
    EXPECT_EQ(m_pRenderer->GetBackBufferGraphics()->GetRenderTarget(), m_pRenderer->GetBackBuffer());
}

// A frame of one fill per pixel goes to the GL in several parts, each
// flushed while the rest is prepared; every part lands where it should.
TEST_F(RendererOpenGLTest, BigFramesAreDrawnInPartsWithoutLosingAny) {
    Graphics* graphics = m_pRenderer->GetBackBufferGraphics();
    ASSERT_NE(graphics, nullptr);
    auto colorAt = [](int x, int y) {
        return 0xFF000000u | static_cast<uint32_t>(x * 4) << 16 | static_cast<uint32_t>(y * 5);
    };
    graphics->BeginBatch();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            graphics->SetColor(static_cast<int>(colorAt(x, y) & 0xFFFFFFu));
            graphics->FillRect(Rectangle_t<float>(static_cast<float>(x), static_cast<float>(y), 1, 1));
        }
    }
    ASSERT_GT(kWidth * kHeight * 4, static_cast<int>(2 * Graphics::EARLY_SUBMIT_VERTICES));
    ASSERT_TRUE(graphics->EndBatch());
    for (const auto& [x, y] : {std::pair{0, 0}, {kWidth / 2, kHeight / 2}, {kWidth - 1, kHeight - 1}, {5, kHeight - 2}})
        EXPECT_EQ(Pixel(x, y), colorAt(x, y)) << x << "," << y;
}

TEST_F(RendererOpenGLTest, ClearFillsTheBackBuffer) {
    Frame({ClearTo(0xFF204060)});
    EXPECT_EQ(Pixel(0, 0), 0xFF204060u);
    EXPECT_EQ(Pixel(kWidth - 1, kHeight - 1), 0xFF204060u);
    m_pRenderer->Flip();
}

TEST_F(RendererOpenGLTest, EveryBlendModeFollowsItsEquation) {
    const uint32_t destination = 0x80C86432;  // alpha 128 over (200, 100, 50)
    const uint32_t source = 0x6028B4DC;       // alpha 96 over (40, 180, 220)
    const Rgba d = ToRgba(destination);
    const Rgba s = ToRgba(source);
    const Rgba over = {s.r * s.a + d.r * (1 - s.a), s.g * s.a + d.g * (1 - s.a), s.b * s.a + d.b * (1 - s.a),
                       s.a * s.a + d.a * (1 - s.a)};
    struct Case {
        int mode;
        bool alphaBlend;
        Rgba expected;
    };
    // In this order, so that mode 5's separate alpha equation must not leak
    // into mode 6.
    const Case cases[] = {
        {BLENDMODE_BLEND, true, over},
        {BLENDMODE_ADDITIVE, true, {s.r * s.a + d.r, s.g * s.a + d.g, s.b * s.a + d.b, s.a * s.a + d.a}},
        {BLENDMODE_MULTIPLY, true, {s.r * d.r, s.g * d.g, s.b * d.b, s.a * d.a}},
        {BLENDMODE_REPLACE, true, s},
        {BLENDMODE_REPLACE_OPAQUE, true, s},
        {BLENDMODE_BLEND_MAX_ALPHA, true, {over.r, over.g, over.b, std::max(s.a, d.a)}},
        {BLENDMODE_ALPHA_ONLY, true, {d.r, d.g, d.b, s.a}},
        {BLENDMODE_BLEND, false, s},
    };
    for (const Case& c : cases) {
        VertexBufferSlice quad = Triangles(Rect(8, 8, 16, 16, source), kQuadIndices);
        quad.m_eBlendMode = static_cast<eBlendMode>(c.mode);
        quad.m_bAlphaBlend = c.alphaBlend;
        Frame({ClearTo(destination), quad});
        EXPECT_TRUE(Near(Pixel(12, 12), ToArgb(c.expected))) << "mode " << c.mode << " blend " << c.alphaBlend;
        EXPECT_TRUE(Near(Pixel(24, 24), destination, 0)) << "the quad ends before pixel 24";
        EXPECT_TRUE(Near(Pixel(7, 12), destination, 0));
    }
}

TEST_F(RendererOpenGLTest, TexturedSlicesModulateTexelsAndUploadChanges) {
    const std::vector<uint32_t> texels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                                          0xFF102030, 0xFF405060, 0xFF708090, 0xFF000000};
    SmartPtr<ImageDataOpenGL> texture = MakeTexture(4, 2, texels);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetTextureName(), 0u);

    Frame({ClearTo(0xFF808080), Triangles(Rect(10, 10, 4, 2, 0xFFFFFFFF), kQuadIndices, texture)});
    EXPECT_NE(texture->GetTextureName(), 0u);
    EXPECT_FALSE(texture->NeedsUpload());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Pixel(10 + x, 10 + y), texels[y * 4 + x]) << x << "," << y;
    }
    EXPECT_EQ(m_pRenderer->GetImage(), texture.Get());

    // Vertex colour scales the texels; a changed pixel is uploaded again.
    ASSERT_TRUE(texture->Lock(false));
    static_cast<uint32_t*>(texture->GetPixelData())[3] = 0xFF6080A0;
    texture->Unlock();
    EXPECT_TRUE(texture->NeedsUpload());
    Frame({ClearTo(0xFF000000), Triangles(Rect(10, 10, 4, 2, 0xFF808080), kQuadIndices, texture)});
    EXPECT_TRUE(Near(Pixel(13, 10), 0xFF304050));
    EXPECT_TRUE(Near(Pixel(10, 10), 0xFF800000));
}

// Textures sample linearly and stop at their edges, as rectangle textures
// do: no wrapping into the opposite edge, no waiting for mipmaps.
TEST_F(RendererOpenGLTest, TexturesFilterLinearlyAndClampAtTheirEdges) {
    SmartPtr<ImageDataOpenGL> stretched = MakeTexture(2, 1, {0xFFFF0000, 0xFF0000FF});
    SmartPtr<ImageDataOpenGL> shrunk = MakeTexture(4, 1, {0xFFFF0000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF});
    ASSERT_NE(stretched, nullptr);
    ASSERT_NE(shrunk, nullptr);
    Frame({ClearTo(0xFF000000), Triangles(Rect(0, 0, 16, 1, 0xFFFFFFFF), kQuadIndices, stretched),
           Triangles(Rect(0, 4, 2, 1, 0xFFFFFFFF), kQuadIndices, shrunk)});
    EXPECT_EQ(Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(15, 0), 0xFF0000FFu);
    EXPECT_TRUE(Near(Pixel(8, 0), 0xFF70008F, 3));  // a little past the middle
    EXPECT_TRUE(Near(Pixel(0, 4), 0xFFFF0000, 3));
    EXPECT_TRUE(Near(Pixel(1, 4), 0xFF0000FF, 3));
}

TEST_F(RendererOpenGLTest, AlphaOnlyTexturesTakeTheirColourFromTheVertices) {
    SmartPtr<ImageDataOpenGL> texture = MakeTexture(2, 2, std::vector<uint32_t>(4, 0x8000FF00));
    ASSERT_NE(texture, nullptr);
    texture->SetAlphaOnly(true);
    Frame({ClearTo(0xFF000000), Triangles(Rect(4, 4, 2, 2, 0xFFFF0000), kQuadIndices, texture)});
    EXPECT_TRUE(Near(Pixel(4, 4), 0xBF800000));  // red at half alpha over opaque black

    texture->SetAlphaOnly(false);
    Frame({ClearTo(0xFF000000), Triangles(Rect(4, 4, 2, 2, 0xFFFF0000), kQuadIndices, texture)});
    EXPECT_TRUE(Near(Pixel(4, 4), 0xBF000000));  // green texel times red vertex
}

TEST_F(RendererOpenGLTest, LinesAndLineStripsDrawOnPixelCentres) {
    Frame({ClearTo(0xFF000000),
           Lines({V(2, 5, 0xFFFFFFFF), V(12, 5, 0xFFFFFFFF)}, VertexBufferSlice::MODE_LIST),
           Lines({V(20, 2, 0xFF00FF00), V(30, 2, 0xFF00FF00), V(30, 12, 0xFF00FF00)}, VertexBufferSlice::MODE_STRIP),
           Lines({V(40, 2, 0xFFFFFFFF), V(50, 2, 0xFFFFFFFF)}, VertexBufferSlice::MODE_FAN)});
    EXPECT_EQ(Pixel(2, 5), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(7, 5), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(7, 4), 0xFF000000u);
    EXPECT_EQ(Pixel(7, 6), 0xFF000000u);
    EXPECT_EQ(Pixel(25, 2), 0xFF00FF00u);
    EXPECT_EQ(Pixel(30, 8), 0xFF00FF00u);
    EXPECT_EQ(Pixel(45, 2), 0xFF000000u) << "lines have no fan";
}

TEST_F(RendererOpenGLTest, StripsAndFansDrawWithoutIndicesAndBackFacesAreCulled) {
    const std::vector<Vertex> quad = Rect(4, 4, 8, 8, 0xFFFF0000);
    const std::vector<Vertex> strip = {quad[0], quad[1], quad[3], quad[2]};
    std::vector<Vertex> counterClockwise = Rect(30, 4, 8, 8, 0xFF00FF00);
    std::reverse(counterClockwise.begin(), counterClockwise.end());
    Frame({ClearTo(0xFF000000), Triangles(strip, {}, nullptr, VertexBufferSlice::MODE_STRIP),
           Triangles(Rect(16, 4, 8, 8, 0xFF0000FF), {}, nullptr, VertexBufferSlice::MODE_FAN),
           Triangles(counterClockwise, {}, nullptr, VertexBufferSlice::MODE_FAN)});
    EXPECT_EQ(Pixel(4, 4), 0xFFFF0000u);
    EXPECT_EQ(Pixel(11, 11), 0xFFFF0000u);
    EXPECT_EQ(Pixel(20, 8), 0xFF0000FFu);
    EXPECT_EQ(Pixel(34, 8), 0xFF000000u);
}

// A slice of one colour sends it once, a mixed one per vertex: switching
// between the two in one frame must leave neither with the other's colours.
TEST_F(RendererOpenGLTest, CornerColoursBlendAcrossSlicesOfMixedAndSingleColours) {
    std::vector<Vertex> mixed = Rect(4, 4, 16, 16, 0xFFFF0000);
    mixed[1].color = 0xFF00FF00;
    mixed[2].color = 0xFF0000FF;
    mixed[3].color = 0xFFFFFFFF;
    std::vector<Vertex> mixedFan = mixed;
    for (Vertex& v : mixedFan)
        v.x += 30;
    Frame({ClearTo(0xFF000000), Triangles(Rect(4, 26, 8, 8, 0xFF808080), kQuadIndices),
           Triangles(mixed, kQuadIndices), Triangles(Rect(16, 26, 8, 8, 0xFF00FFFF), kQuadIndices),
           Triangles(mixedFan, {}, nullptr, VertexBufferSlice::MODE_FAN),
           Triangles(Rect(28, 26, 8, 8, 0xFFFFFF00), {}, nullptr, VertexBufferSlice::MODE_FAN)});
    for (int offset : {0, 30}) {
        EXPECT_TRUE(Near(Pixel(4 + offset, 4), 0xFFFF0000u, 24)) << offset;
        EXPECT_TRUE(Near(Pixel(19 + offset, 4), 0xFF00FF00u, 24)) << offset;
        EXPECT_TRUE(Near(Pixel(19 + offset, 19), 0xFF0000FFu, 24)) << offset;
        EXPECT_TRUE(Near(Pixel(4 + offset, 19), 0xFFFFFFFFu, 24)) << offset;
    }
    EXPECT_EQ(Pixel(8, 30), 0xFF808080u);
    EXPECT_EQ(Pixel(20, 30), 0xFF00FFFFu);
    EXPECT_EQ(Pixel(32, 30), 0xFFFFFF00u);
}

TEST_F(RendererOpenGLTest, ViewportFollowsTheRenderTarget) {
    SmartPtr<BufferOpenGL> target(new BufferOpenGL(16, 8));
    m_pRenderer->SetRenderTarget(target);
    EXPECT_TRUE(m_pRenderer->HasCustomMatrices());
    m_pRenderer->BeginScene();
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 16);
    EXPECT_EQ(viewport[3], 8);
    m_pRenderer->EndScene();

    m_pRenderer->SetRenderTarget(m_pRenderer->GetBackBuffer());
    EXPECT_FALSE(m_pRenderer->HasCustomMatrices());
    m_pRenderer->BeginScene();
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], kWidth);
    EXPECT_EQ(viewport[3], kHeight);
    EXPECT_EQ(m_pRenderer->GetViewportSize().x, kWidth);
    EXPECT_EQ(m_pRenderer->GetViewportSize().y, kHeight);
    m_pRenderer->EndScene();
}

TEST_F(RendererOpenGLTest, IndexCapacityFollowsTheVertexCapacity) {
    Renderer::RemoveInstance();
    StartRenderer(1000);
    EXPECT_EQ(m_pRenderer->GetVertexBuffer()->GetCapacity(), 1000u);
    EXPECT_EQ(m_pRenderer->GetIndexBuffer()->GetCapacity(), 1500u);
}

TEST_F(RendererOpenGLTest, TheLastVertexOfTheLargestBufferIsStillAddressed) {
    Renderer::RemoveInstance();
    StartRenderer(200000);
    ASSERT_EQ(m_pRenderer->GetVertexBuffer()->GetCapacity(), 65536u);
    EXPECT_EQ(m_pRenderer->GetIndexBuffer()->GetCapacity(), 98304u);
    m_pRenderer->GetVertexBuffer()->SetUsed(65532);
    const VertexBufferSlice quad = Triangles(Rect(2, 2, 4, 4, 0xFF00FFFF), kQuadIndices);
    EXPECT_EQ(quad.m_nFirstVertex + quad.m_nVertexCount, 65536u);
    Frame({ClearTo(0xFF000000), quad});
    EXPECT_EQ(Pixel(5, 5), 0xFF00FFFFu);
}

TEST_F(RendererOpenGLTest, TheContextOutlivesTheWindowUntilTheRendererAndTexturesAreGone) {
    SmartPtr<ImageDataOpenGL> texture = MakeTexture(1, 1, {0xFFFFFFFF});
    ASSERT_NE(texture, nullptr);
    Frame({ClearTo(0xFF000000), Triangles(Rect(0, 0, 1, 1, 0xFFFFFFFF), kQuadIndices, texture)});
    ASSERT_NE(texture->GetTextureName(), 0u);
    const uint32_t windowId = GameWindow::g_Instance->GetContext()->GetId();

    // Shutdown removes the window before the renderer: drawing goes on.
    GameWindow::RemoveInstance();
    EXPECT_NE(SDL_GetWindowFromID(windowId), nullptr);
    Frame({ClearTo(0xFF123456)});
    EXPECT_EQ(Pixel(3, 3), 0xFF123456u);

    Renderer::RemoveInstance();
    EXPECT_NE(SDL_GetWindowFromID(windowId), nullptr) << "the texture still needs the context";
    texture = nullptr;
    EXPECT_EQ(SDL_GetWindowFromID(windowId), nullptr);
}

}  // namespace
