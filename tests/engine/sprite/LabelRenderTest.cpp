// Labels end to end on Mesa through SDL's offscreen driver: a bitmap font on
// an alpha-only glyph sheet, a label drawn once into its own image, and a
// styled label with coloured words and an inline picture, compared with a
// committed reference. Run with DELVOR_UPDATE_REFERENCE=1 to write the
// reference anew.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/Application.h"
#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/TaskManager.h"
#include "engine/framework/TaskmanagerTimed.h"
#include "engine/graphics/FontBitmap.h"
#include "engine/graphics/FontLayer.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageData.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/PropertyStore.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/LabelStyle.h"
#include "tests/engine/sprite/WidgetTestSupport.h"
#include "tests/ReferenceImage.h"

using namespace ZQ2;

namespace {

using reference_image::Distance;
using reference_image::Hex;

constexpr int kWidth = 128;
constexpr int kHeight = 64;
constexpr uint32_t kBackground = 0xFF202830;
constexpr uint32_t kYellow = 0xFFFFE000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kRed = 0xFFFF0000;

// Glyphs: 6 x 8 blocks on an 8 x 8 grid of the sheet, each with its own
// notch (a column of holes), advance 7.
constexpr int kGlyphs = 5;  // A to E
constexpr int kCell = 8;

std::string FontDescription() {
    std::string xml = "<root><Node id=\"font\" spacewidth=\"4\" charspacing=\"0\" baseline=\"8\" lineheight=\"10\">"
                      "<Vector id=\"chars\">";
    for (int i = 0; i < kGlyphs; ++i) {
        char glyph[160];
        std::snprintf(glyph, sizeof glyph,
                      "<Char c=\"%d\" sx=\"%d\" sy=\"0\" sw=\"6\" sh=\"8\" width=\"7\" ix=\"%d\" iy=\"0\" bx=\"0\" "
                      "by=\"0\"/>",
                      'A' + i, i * kCell, i);
        xml += glyph;
    }
    return xml + "</Vector></Node></root>";
}

class LabelRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application::g_ApplicationRunning = true;
        ASSERT_TRUE(GameWindow::CreateInstance("Labels", kWidth, kHeight, false, true, 0, nullptr));
        Renderer::CreateInstance();
        ASSERT_EQ(Renderer::g_Instance->Initialize(kWidth, kHeight), RENDERERROR_NONE);
        GameTree::CreateInstance();
        AnimTree::CreateInstance();
        TaskmanagerTimed::CreateInstance();
        m_spApplication = new Application("no-manifest.xml");
        m_spApplication->AddTasks();
        m_Images.Add("ui/pic", Solid(6, 6, kRed).Get());
    }

    void TearDown() override {
        m_spFont = nullptr;
        m_spApplication = nullptr;
        iInstance<TaskManager>::ReleaseInstance();
        iInstance<AnimTree>::ReleaseInstance();
        iInstance<GameTree>::ReleaseInstance();
        Renderer::RemoveInstance();
        GameWindow::RemoveInstance();
    }

    static SmartPtr<Image> Solid(int width, int height, uint32_t argb) {
        SmartPtr<Image> image(Renderer::g_Instance->CreateImageManaged(width, height, 1, 1));
        if (!image || !image->Lock(false))
            return image;
        ImageData* data = image->GetFrame()->GetImageData();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                *data->GetPixelData<uint32_t>(x, y) = argb;
        }
        image->Unlock();
        return image;
    }

    // White glyphs on a transparent, alpha-only sheet, tinted when drawn.
    void MakeFont() {
        SmartPtr<PropertyStore> store(new PropertyStore);
        ASSERT_TRUE(store->ParseFromBuffer(FontDescription().c_str()));
        m_spFont = new FontBitmap(store->GetNode("font"));
        ASSERT_TRUE(m_spFont->IsValid()) << m_spFont->GetDescriptionError();
        SmartPtr<Image> sheet(Renderer::g_Instance->CreateImageManaged(kGlyphs * kCell, kCell, 1, 1));
        ASSERT_TRUE(sheet && sheet->Lock(false));
        ImageData* data = sheet->GetFrame()->GetImageData();
        for (int y = 0; y < kCell; ++y) {
            for (int x = 0; x < kGlyphs * kCell; ++x) {
                const int glyph = x / kCell;
                const int column = x % kCell;
                const bool notch = column == 1 + glyph && y % 2 == 0;
                const bool ink = column < 6 && !notch;
                *data->GetPixelData<uint32_t>(x, y) = ink ? kWhite : 0x00FFFFFFu;
            }
        }
        data->SetAlphaOnly(true);
        sheet->Unlock();
        m_spFont->AddLayer(new FontLayer(0.0f, 0xFFFFFF, sheet.Get()));
    }

    static std::vector<uint32_t> ReadBack() { return reference_image::ReadBack(kWidth, kHeight); }

    static std::string ReferencePath() { return reference_image::TestDataPath("label_render.png"); }

    SmartPtr<Application> m_spApplication;
    SmartPtr<FontBitmap> m_spFont;
    WidgetTest::FakeImages m_Images;
};

TEST_F(LabelRenderTest, AnImageLabelAndAStyledLabelMatchTheReference) {
    MakeFont();
    auto* backdrop = new Sprite(0.0f, 0.0f, kWidth, kHeight);
    backdrop->SetUseColorToFillPolygon(true);
    backdrop->SetColor(kBackground & 0xFFFFFF);
    GameTree::LinkNodeUnder(GameTree::g_Instance, backdrop);

    // "ABC" in yellow, drawn once into the label's own picture.
    auto* plain = new Label(m_spFont.Get(), 4.0f, 4.0f, 0.0f, 0.0f, TEXTWRAP_AUTOWIDTH);
    plain->SetImageMode(true);
    plain->SetLayerColor(kYellow & 0xFFFFFF, 0);
    plain->SetText("ABC");
    GameTree::LinkNodeUnder(GameTree::g_Instance, plain);

    // White, then green words, a red picture in the text, and a second line
    // aligned right in a 60 wide box.
    auto* styled = new LabelStyle(m_spFont.Get(), 4.0f, 20.0f, 60.0f, 10.0f, TEXTWRAP_WORDWRAP);
    GameTree::LinkNodeUnder(GameTree::g_Instance, styled);
    styled->SetText("AB [color=#00FF00]CD[/color] [image=pic,ui]E\\n[alignh=right]DE\\[A]");

    TaskManager::g_Instance->Update();
    ASSERT_NE(plain->GetImage(), nullptr);
    EXPECT_EQ(plain->GetWidth(), 20.0f);
    EXPECT_EQ(plain->GetHeight(), 8.0f);
    ASSERT_NE(styled->GetImage(), nullptr);
    ASSERT_EQ(styled->GetLines().size(), 2);
    EXPECT_EQ(styled->GetLines()[1]->front()->GetText(), "DE[A]");

    const std::vector<uint32_t> pixels = ReadBack();
    auto at = [&pixels](int x, int y) { return pixels[y * kWidth + x]; };
    struct Probe {
        const char* what;
        int x, y;
        uint32_t expected;
    };
    const Probe probes[] = {
        {"background", 100, 4, kBackground},
        {"yellow A, solid column", 4, 5, kYellow},
        {"yellow A, notch", 5, 4, kBackground},
        {"yellow C, solid", 18, 11, kYellow},
        {"gap between glyphs", 10, 6, kBackground},
        {"white A of the styled label", 4, 21, kWhite},
        {"green C", 4 + 14 + 4, 21, kGreen},
        {"red picture", 4 + 14 + 4 + 14 + 4 + 1, 22, kRed},
    };
    for (const Probe& p : probes)
        EXPECT_LE(Distance(at(p.x, p.y), p.expected), 3) << p.what << ": " << Hex(at(p.x, p.y));

    const std::string path = ReferencePath();
    reference_image::ExpectMatchesReference(path, kWidth, kHeight, pixels);
}

}  // namespace
