#include "engine/graphics/ImageDataBufferOpenGL.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/RendererOpenGL.h"

using namespace ZQ2;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kYellow = 0xFFFFFF00u;

std::string Hex(uint32_t argb) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", argb);
    return text;
}

// Every case runs with frame buffer objects and again as if the GL had
// none, where texture targets are drawn in the back buffer and copied out.
class TextureTargetTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(GameWindow::CreateInstance("Texture target test", kWidth, kHeight, false, true, 0, nullptr));
        Renderer::CreateInstance();
        m_pRenderer = RendererOpenGL::Instance();
        ASSERT_NE(m_pRenderer, nullptr);
        ASSERT_EQ(m_pRenderer->Initialize(kWidth, kHeight), RENDERERROR_NONE);
        m_pRenderer->SetFrameBufferObjectsAllowed(GetParam());
        ASSERT_EQ(m_pRenderer->DrawsTargetsThroughBackBuffer(), !GetParam());
    }

    void TearDown() override {
        m_pImage = nullptr;
        Renderer::RemoveInstance();
        GameWindow::RemoveInstance();
    }

    // A 32 x 16 texture target and a drawing context on it.
    void MakeTarget() {
        m_pImage = m_pRenderer->CreateImageUnmanaged(32, 16, true, 1, 1);
        ASSERT_NE(m_pImage, nullptr);
        m_pData = DynamicCast<ImageDataBufferOpenGL>(m_pImage->GetFrame()->GetImageData());
        ASSERT_NE(m_pData, nullptr);
        m_pTarget = m_pImage->CreateGraphics();
        ASSERT_EQ(m_pTarget->GetRenderTarget(), static_cast<iRenderTarget*>(m_pData));
    }

    void FillTarget(uint32_t rgb, float x, float y, float w, float h) {
        m_pTarget->SetColor(static_cast<int>(rgb & 0xFFFFFFu));
        m_pTarget->FillRect(Rectangle_t<float>(x, y, w, h));
    }

    // The target's picture at (4, 4) on a blue back buffer.
    void ShowTarget() {
        Graphics* back = m_pRenderer->GetBackBufferGraphics();
        back->BeginBatch();
        back->SetColor(0x0000FF);
        back->Fill();
        back->ResetSettings();
        back->SetImageFrameAndPolygon(m_pImage->GetFrame());
        back->Draw(4, 4);
        EXPECT_TRUE(back->EndBatch());
    }

    // The back buffer's pixel at engine coordinates, as ARGB.
    static uint32_t Pixel(int x, int y) {
        uint32_t argb = 0;
        glReadPixels(x, kHeight - 1 - y, 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &argb);
        return argb;
    }

    uint32_t Stored(int x, int y) const { return *m_pData->GetPixelData<uint32_t>(x, y); }

    RendererOpenGL* m_pRenderer = nullptr;
    SmartPtr<Image> m_pImage;
    ImageDataBufferOpenGL* m_pData = nullptr;
    SmartPtr<Graphics> m_pTarget;
};

}  // namespace

TEST_P(TextureTargetTest, RendererMakesDrawableTextures) {
    MakeTarget();
    EXPECT_FALSE(m_pData->IsManaged());
    EXPECT_TRUE(m_pData->HasAlpha());
    auto* target = static_cast<iRenderTarget*>(m_pData->QueryInterface(iRenderTarget::rtti));
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->GetImageData(), m_pData);
    EXPECT_EQ(target->GetWidth(), m_pData->GetTextureWidth());
    EXPECT_EQ(target->GetImageWidth(), 32);
    EXPECT_EQ(target->QueryBaseObject(), static_cast<BaseObject*>(m_pData));
    EXPECT_EQ(Stored(31, 15), 0x00FFFFFFu);

    EXPECT_EQ(m_pRenderer->CreateImageDataUnmanaged(1025, 10, true), nullptr);
    SmartPtr<Image> opaque(m_pRenderer->CreateImageUnmanaged(8, 8, false, 1, 1));
    EXPECT_FALSE(opaque->GetFrame()->GetImageData()->HasAlpha());
    SmartPtr<Image> grid(m_pRenderer->CreateImageManaged(10, 10, 4, 2));
    ASSERT_EQ(grid->GetFrameCount(), 4);
    EXPECT_EQ(grid->GetFrame(3)->GetPixelRect(), Rectangle_t<int>(5, 5, 5, 5));
    // A managed texture takes no drawing: its context draws on the back buffer.
    SmartPtr<Graphics> onBack(grid->CreateGraphics());
    EXPECT_EQ(onBack->GetRenderTarget(), m_pRenderer->GetBackBuffer());
}

// Drawing lands in the texture the right way up, whether the pixels or the
// texture held the content before.
TEST_P(TextureTargetTest, DrawingIntoATextureAndShowingIt) {
    MakeTarget();
    // Fresh pixels are the master copy: the first batch reads its drawing
    // back into them.
    m_pTarget->BeginBatch();
    FillTarget(0xFF0000, 0, 0, 32, 8);
    EXPECT_TRUE(m_pTarget->EndBatch());
    EXPECT_EQ(Stored(5, 2), kRed) << Hex(Stored(5, 2));
    EXPECT_EQ(Stored(5, 12), 0x00FFFFFFu) << Hex(Stored(5, 12));
    EXPECT_FALSE(m_pData->IsCopiedFromFrameBuffer());

    // Now the texture itself holds the drawing.
    m_pTarget->BeginBatch();
    FillTarget(0x00FF00, 0, 8, 32, 8);
    EXPECT_TRUE(m_pTarget->EndBatch());
    EXPECT_TRUE(m_pData->IsCopiedFromFrameBuffer());
    ShowTarget();
    EXPECT_EQ(Pixel(10, 6), kBlue) << Hex(Pixel(10, 6));
    EXPECT_EQ(Pixel(10, 15), kGreen) << Hex(Pixel(10, 15));
    EXPECT_EQ(Pixel(40, 30), kBlue) << Hex(Pixel(40, 30));
}

TEST_P(TextureTargetTest, DrawingStartsFromWrittenPixels) {
    MakeTarget();
    ASSERT_TRUE(m_pData->Lock(false));
    for (int y = 0; y < m_pData->GetTextureHeight(); ++y) {
        for (int x = 0; x < m_pData->GetTextureWidth(); ++x)
            *m_pData->GetPixelData<uint32_t>(x, y) = y < 4 ? kBlue : kYellow;
    }
    m_pData->Unlock();
    EXPECT_TRUE(m_pData->ArePixelsChanged());
    m_pTarget->BeginBatch();
    FillTarget(0xFF0000, 20, 10, 4, 4);
    EXPECT_TRUE(m_pTarget->EndBatch());
    EXPECT_FALSE(m_pData->ArePixelsChanged());
    EXPECT_EQ(Stored(1, 1), kBlue) << Hex(Stored(1, 1));
    EXPECT_EQ(Stored(1, 10), kYellow) << Hex(Stored(1, 10));
    EXPECT_EQ(Stored(21, 11), kRed) << Hex(Stored(21, 11));

    ShowTarget();
    EXPECT_EQ(Pixel(5, 5), kBlue) << Hex(Pixel(5, 5));
    EXPECT_EQ(Pixel(5, 14), kYellow) << Hex(Pixel(5, 14));
    EXPECT_EQ(Pixel(25, 15), kRed) << Hex(Pixel(25, 15));

    // A reading lock does not make the stale pixels the master again.
    m_pTarget->BeginBatch();
    FillTarget(0x00FF00, 0, 0, 32, 16);
    m_pTarget->EndBatch();
    ASSERT_TRUE(m_pData->Lock(true));
    m_pData->Unlock();
    EXPECT_FALSE(m_pData->ArePixelsChanged());
}

// A texture's batch inside the frame's batch renders into the texture and
// leaves the frame's slices to be drawn afterwards.
TEST_P(TextureTargetTest, TextureBatchInsideTheFramesBatch) {
    MakeTarget();
    Graphics* back = m_pRenderer->GetBackBufferGraphics();
    back->BeginBatch();
    back->SetColor(0x0000FF);
    back->Fill();
    m_pTarget->BeginBatch();
    FillTarget(0xFF0000, 0, 0, 32, 16);
    EXPECT_TRUE(m_pTarget->EndBatch());
    back->ResetSettings();
    back->SetImageFrameAndPolygon(m_pImage->GetFrame());
    back->Draw(4, 4);
    EXPECT_TRUE(back->EndBatch());
    EXPECT_EQ(Pixel(1, 1), kBlue) << Hex(Pixel(1, 1));
    EXPECT_EQ(Pixel(10, 10), kRed) << Hex(Pixel(10, 10));
    EXPECT_EQ(Pixel(40, 30), kBlue) << Hex(Pixel(40, 30));
}

// Past the early-submission mark the frame's first part reaches the back
// buffer before the rest is ready; a texture target drawn after it must
// neither take that part into its picture nor wipe it from the frame.
TEST_P(TextureTargetTest, TextureDrawnAfterTheFramesEarlyPart) {
    MakeTarget();
    // The texture, not the pixels, holds the content from here on.
    m_pTarget->BeginBatch();
    FillTarget(0x00FF00, 0, 0, 32, 8);
    ASSERT_TRUE(m_pTarget->EndBatch());

    Graphics* back = m_pRenderer->GetBackBufferGraphics();
    back->BeginBatch();
    back->SetColor(0x0000FF);
    back->Fill();
    back->SetColor(0xFF0000);
    // Red where the texture's transparent lower half is drawn.
    for (unsigned int i = 0; i < Graphics::EARLY_SUBMIT_VERTICES / 4 + 10; ++i)
        back->FillRect(Rectangle_t<float>(2, 12, 4, 4));
    m_pTarget->BeginBatch();
    FillTarget(0x00FF00, 0, 0, 32, 8);
    EXPECT_TRUE(m_pTarget->EndBatch());
    back->ResetSettings();
    back->SetImageFrameAndPolygon(m_pImage->GetFrame());
    back->Draw(30, 30);
    EXPECT_TRUE(back->EndBatch());

    EXPECT_EQ(Pixel(3, 13), kRed) << Hex(Pixel(3, 13));
    EXPECT_EQ(Pixel(20, 5), kBlue) << Hex(Pixel(20, 5));
    EXPECT_EQ(Pixel(35, 33), kGreen) << Hex(Pixel(35, 33));
    EXPECT_EQ(Pixel(33, 43), kBlue) << Hex(Pixel(33, 43));
}

INSTANTIATE_TEST_SUITE_P(FrameBuffers, TextureTargetTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "FrameBufferObjects" : "ThroughBackBuffer";
                         });
