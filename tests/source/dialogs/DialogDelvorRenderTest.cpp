// A darkened dialog on Mesa through SDL's offscreen driver: a known backdrop
// behind it, the screen read back while the dialog is shown, fading in and
// fading out. Black of alpha a over a pixel p must leave p x (1 - a).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/graphics/RendererOpenGL.h"
#include "engine/io/PropertyStore.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/TaskRender.h"
#include "source/dialogs/DialogDelvor.h"
#include "tests/ReferenceImage.h"
#include "tests/source/GameTestSupport.h"

using namespace ZQ2;
using reference_image::Hex;

namespace {

constexpr int kWidth = DialogDelvor::BACKGROUND_WIDTH;
constexpr int kHeight = DialogDelvor::BACKGROUND_HEIGHT;
constexpr int kDarkAlpha = 128;  // DIALOG_BACKGROUND_ALPHA of the test catalogue
constexpr int kFadeMs = 300;     // DIALOG_FADE_TIME of the test catalogue

// Two backdrop colours, left and right half, and the dialog's own.
constexpr uint32_t kLeft = 0xFFC8A064u;
constexpr uint32_t kRight = 0xFF2850F0u;
constexpr uint32_t kDialog = 0xFF3050A0u;

// Painted flat in its colour; the components root stays at (200, 150).
const char* const kDialogXml =
    "<root><DialogDelvor x=\"200\" y=\"150\" width=\"240\" height=\"120\" minwidth=\"240\" minheight=\"120\" dodarkenbackground=\"true\">"
    "  <DialogPainter id=\"painter\" centercolor=\"0x3050A0\"/>"
    "</DialogDelvor></root>";

int Channel(uint32_t argb, int shift) { return static_cast<int>((argb >> shift) & 0xFFu); }

// p over which black of alpha a lies, or the dialog's colour at alpha a.
uint32_t Over(uint32_t top, int alpha, uint32_t below) {
    uint32_t out = 0xFF000000u;
    for (int shift : {16, 8, 0}) {
        const int value = (Channel(top, shift) * alpha + Channel(below, shift) * (255 - alpha) + 127) / 255;
        out |= static_cast<uint32_t>(value) << shift;
    }
    return out;
}

uint32_t Darkened(uint32_t below, int alpha) { return Over(0xFF000000u, alpha, below); }

// The window's own alpha is never seen: colour only.
int ColourDistance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift : {16, 8, 0})
        worst = std::max(worst, std::abs(Channel(a, shift) - Channel(b, shift)));
    return worst;
}

// Every case runs with frame buffer objects and again as if the GL had none,
// where render targets are drawn in the back buffer and copied out.
class DialogDelvorRenderTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(GameWindow::CreateInstance("Darkened dialog", kWidth, kHeight, false, true, 0, nullptr));
        Renderer::CreateInstance();
        ASSERT_EQ(Renderer::g_Instance->Initialize(kWidth, kHeight), RENDERERROR_NONE);
        RendererOpenGL::Instance()->SetFrameBufferObjectsAllowed(GetParam());
        m_pWorld = std::make_unique<gametest::GameWorld>();
        m_spRender = new TaskRender(GameTree::g_Instance);
        AddBackdrop(0.0f, kLeft);
        AddBackdrop(kWidth / 2.0f, kRight);
        Frame(0);
    }

    void TearDown() override {
        m_spRender = nullptr;
        m_pWorld.reset();
        Renderer::RemoveInstance();
        GameWindow::RemoveInstance();
    }

    void AddBackdrop(float x, uint32_t colour) {
        auto* half = new Sprite(x, 0.0f, kWidth / 2.0f, kHeight);
        half->SetUseColorToFillPolygon(true);
        half->SetColor(static_cast<int>(colour & 0xFFFFFFu));
        m_pWorld->Scene()->AddComponent(half, false);
    }

    DialogDelvor* Open() {
        SmartPtr<PropertyStore> store(new PropertyStore);
        EXPECT_TRUE(store->ParseFromBuffer(kDialogXml));
        auto* dialog = new DialogDelvor(store->GetChild(0));
        m_pWorld->Scene()->ActivateDialog(dialog);
        return dialog;
    }

    void Frame(int deltaMs) {
        m_pWorld->Frame(deltaMs);
        m_spRender->OnUpdate(deltaMs);
    }

    // Probes on both backdrop halves, their corners, and inside the dialog
    // at the given alpha of the dialog as a whole.
    void ExpectScreen(int dialogAlpha, const char* when) {
        const std::vector<uint32_t> pixels = reference_image::ReadBack(kWidth, kHeight);
        auto at = [&pixels](int x, int y) { return pixels[static_cast<size_t>(y) * kWidth + x]; };
        const int dark = kDarkAlpha * dialogAlpha / 255;
        struct Probe {
            const char* what;
            int x, y;
            uint32_t expected;
        };
        const Probe probes[] = {
            {"top-left corner", 0, 0, Darkened(kLeft, dark)},
            {"left half", 100, 400, Darkened(kLeft, dark)},
            {"right half", 600, 100, Darkened(kRight, dark)},
            {"bottom-right corner", kWidth - 1, kHeight - 1, Darkened(kRight, dark)},
            {"inside the dialog, left half", 250, 200, Over(kDialog, dialogAlpha, kLeft)},
            {"inside the dialog, right half", 420, 250, Over(kDialog, dialogAlpha, kRight)},
        };
        for (const Probe& p : probes)
            EXPECT_LE(ColourDistance(at(p.x, p.y), p.expected), 3)
                << when << ", " << p.what << ": " << Hex(at(p.x, p.y)) << " expected " << Hex(p.expected);
    }

    std::unique_ptr<gametest::GameWorld> m_pWorld;
    SmartPtr<TaskRender> m_spRender;
};

}  // namespace

TEST_P(DialogDelvorRenderTest, BackdropIsDarkenedBehindTheShownDialog) {
    ExpectScreen(0, "before the dialog");
    DialogDelvor* dialog = Open();
    ASSERT_NE(dialog->GetSavedDialogImage(), nullptr);
    Frame(16);
    ExpectScreen(255, "shown");
    // Another frame draws the kept pictures again, unchanged.
    Frame(16);
    ExpectScreen(255, "shown, next frame");
}

TEST_P(DialogDelvorRenderTest, DarknessFadesInAndOutWithTheDialog) {
    DialogDelvor* dialog = Open();
    SmartPtr<DialogDelvor> hold(dialog);
    dialog->CreateStandardShowAnimation();
    Frame(0);
    ExpectScreen(0, "fade-in start");
    Frame(kFadeMs / 2);
    ExpectScreen(dialog->GetAlpha(), "fade-in half way");
    Frame(kFadeMs / 2);
    ASSERT_FALSE(dialog->IsUseBufferImage());
    ExpectScreen(255, "faded in");

    dialog->CreateStandardHideAnimation();
    Frame(0);
    ExpectScreen(255, "fade-out start");
    Frame(kFadeMs / 2);
    ExpectScreen(dialog->GetAlpha(), "fade-out half way");
    Frame(kFadeMs / 2);
    ExpectScreen(0, "faded out");
}

INSTANTIATE_TEST_SUITE_P(Targets, DialogDelvorRenderTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "FrameBufferObjects" : "ThroughBackBuffer";
                         });
