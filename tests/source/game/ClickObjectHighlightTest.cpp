// The rollover highlight on screen, on Mesa through SDL's offscreen driver:
// a lit object under the pointer is drawn a second time, added in warm
// light; away from the pointer, or with the day paused, it is drawn once.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/GameWindow.h"
#include "engine/framework/Message.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/RendererOpenGL.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/InputHandler.h"
#include "engine/sprite/TaskRender.h"
#include "source/game/ClickObject.h"
#include "tests/ReferenceImage.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/GameHarness.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSize = 64;
constexpr uint32_t kGrey = 0xFF606060u;

// A flat grey square with a transparent quarter at the top left.
ZQ2::SmartPtr<ZQ2::Image> Square() {
    auto* data = new ZQ2::ImageDataOpenGL(kSize, kSize, kSize, kSize, true);
    data->Lock(false);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            *data->GetPixelData<uint32_t>(x, y) = x < kSize / 2 && y < kSize / 2 ? 0u : kGrey;
    data->Unlock();
    return ZQ2::SmartPtr<ZQ2::Image>(new ZQ2::Image(data, 1, 1));
}

class Lit : public ClickObject {
public:
    explicit Lit(ZQ2::Image* image) : ClickObject(300.0f, 200.0f, image, nullptr, nullptr) {}
    bool HasRolloverHighlight() const override { return true; }
};

class Highlight : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        ASSERT_TRUE(ZQ2::GameWindow::CreateInstance("Highlight", kWidth, kHeight, false, true, 0, nullptr));
        ZQ2::Renderer::CreateInstance();
        ASSERT_EQ(ZQ2::Renderer::g_Instance->Initialize(kWidth, kHeight), ZQ2::RENDERERROR_NONE);
        m_pHarness = std::make_unique<gametest::LevelHarness>(gametest::Var("total_seconds", 600));
        ASSERT_TRUE(m_pHarness->OpenDay());
        m_spRender = new ZQ2::TaskRender(ZQ2::GameTree::g_Instance);
        // An opaque ground, so that nothing an earlier test left on screen shows.
        auto* ground = new ZQ2::Sprite(0.0f, 0.0f, static_cast<float>(kWidth), static_cast<float>(kHeight));
        ground->SetUseColorToFillPolygon(true);
        ground->SetColor(0x3C6E8C);
        ZQ2::GameTree::LinkNodeUnderAtFront(m_pHarness->Level(), ground);
        m_spObject = new Lit(Square().Get());
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), m_spObject.Get());
    }
    void TearDown() override {
        m_spObject = nullptr;
        m_spRender = nullptr;
        m_pHarness.reset();
        ZQ2::Renderer::RemoveInstance();
        ZQ2::GameWindow::RemoveInstance();
    }
    // Moves the pointer, runs a frame and reads the screen back.
    std::vector<uint32_t> DrawWithPointerAt(float x, float y) {
        ZQ2::InputHandler::g_Instance->ProcessMessage(
            ZQ2::Message(ZQ2::MESSAGE_MOUSE_MOVED, new ZQ2::MouseMessageData(x, y, 0, false)));
        ZQ2::InputHandler::g_Instance->OnUpdate(gametest::FRAME_MS);
        m_pHarness->Step(1);
        m_spRender->OnUpdate(gametest::FRAME_MS);
        return reference_image::ReadBack(kWidth, kHeight);
    }
    static uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) {
        return pixels[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)];
    }

    std::unique_ptr<gametest::LevelHarness> m_pHarness;
    ZQ2::SmartPtr<ZQ2::TaskRender> m_spRender;
    ZQ2::SmartPtr<Lit> m_spObject;
};

}  // namespace

TEST_F(Highlight, APointedObjectIsLitWarmAndOnlyWhereItIsDrawn) {
    const std::vector<uint32_t> plain = DrawWithPointerAt(10.0f, 10.0f);
    const std::vector<uint32_t> lit = DrawWithPointerAt(350.0f, 250.0f);
    reference_image::ExpectMatchesReference(reference_image::TestDataPath("game/click_highlight.png"), kWidth,
                                            kHeight, lit);
    const uint32_t before = At(plain, 350, 250);
    const uint32_t after = At(lit, 350, 250);
    // Red and green gain, blue does not: the light is 0x664000.
    EXPECT_GT(reference_image::Channel(after, 16), reference_image::Channel(before, 16) + 10)
        << reference_image::Hex(after);
    EXPECT_GT(reference_image::Channel(after, 8), reference_image::Channel(before, 8) + 5)
        << reference_image::Hex(after);
    EXPECT_LE(reference_image::Distance(after & 0xFFu, before & 0xFFu), 2) << reference_image::Hex(after);
    // The transparent quarter and the ground around stay as they were.
    EXPECT_EQ(At(lit, 305, 205), At(plain, 305, 205));
    EXPECT_EQ(At(lit, 290, 250), At(plain, 290, 250));
}

TEST_F(Highlight, NoLightOverATransparentCornerOrWhilePaused) {
    const std::vector<uint32_t> plain = DrawWithPointerAt(10.0f, 10.0f);
    EXPECT_EQ(At(DrawWithPointerAt(305.0f, 205.0f), 350, 250), At(plain, 350, 250));
    m_pHarness->Level()->Pause(true);
    EXPECT_EQ(At(DrawWithPointerAt(350.0f, 250.0f), 350, 250), At(plain, 350, 250));
}
