// One frame of the real pipeline on Mesa through SDL's offscreen driver: the
// application's standard tasks tick, purge and draw a tree of sprites, and
// the picture is compared with a committed reference. Run with
// DELVOR_UPDATE_REFERENCE=1 to write the reference anew.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
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
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataBufferOpenGL.h"
#include "engine/graphics/Renderer.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/TaskRender.h"
#include "tests/engine/modifier/RecordingModifier.h"
#include "tests/ReferenceImage.h"

using namespace ZQ2;

namespace {

using reference_image::Distance;
using reference_image::Hex;

constexpr int kWidth = 128;
constexpr int kHeight = 96;
constexpr uint32_t kBackground = 0xFF202830;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// A sprite that draws a subtree into a texture of its own, inside the
// frame's batch, and then shows that texture: what buffered dialogs do.
class BufferSprite : public Sprite {
public:
    BufferSprite(float x, float y, Image* target, GameNode* content)
        : Sprite(x, y, target), m_pContent(content) {}

    void Render(Graphics* graphics) override {
        SmartPtr<Graphics> inner(GetImage()->CreateGraphics());
        inner->BeginBatch();
        inner->SetColor(0);
        inner->SetAlpha(255);
        inner->Clear();
        TaskRender::Render(m_pContent, inner);
        m_bInnerDrawn = inner->EndBatch();
        Sprite::Render(graphics);
    }

    bool m_bInnerDrawn = false;

private:
    SmartPtr<GameNode> m_pContent;
};

// A node that asks to be removed the first time it is ticked.
class OneTickNode : public GameNode {
public:
    OneTickNode() : GameNode("one-tick") {}
    void Tick(int) override {
        ++m_nTicks;
        SetObsolete(true);
    }
    int m_nTicks = 0;
};

class FramePipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GameWindow::CreateInstance("Frame pipeline", kWidth, kHeight, false, true, 0, nullptr));
        Renderer::CreateInstance();
        ASSERT_EQ(Renderer::g_Instance->Initialize(kWidth, kHeight), RENDERERROR_NONE);
        GameTree::CreateInstance();
        AnimTree::CreateInstance();
        TaskmanagerTimed::CreateInstance();
        // The application attaches the frame tasks to the trees that exist.
        m_pApplication = new Application("no-manifest.xml");
        m_pApplication->AddTasks();
    }

    void TearDown() override {
        // The application releases every service in its own order.
        m_pApplication = nullptr;
        iInstance<TaskManager>::ReleaseInstance();
        iInstance<AnimTree>::ReleaseInstance();
        iInstance<GameTree>::ReleaseInstance();
        Renderer::RemoveInstance();
        GameWindow::RemoveInstance();
    }

    // Two 16 x 16 frames: quadrants red, green, blue and white; a soft
    // white disc whose alpha falls off from the middle.
    static SmartPtr<Image> MakeAtlas() {
        SmartPtr<Image> atlas(Renderer::g_Instance->CreateImageManaged(32, 16, 2, 2));
        if (!atlas || !atlas->Lock(false))
            return atlas;
        ImageData* data = atlas->GetFrame()->GetImageData();
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const uint32_t quadrant = y < 8 ? (x < 8 ? kRed : kGreen) : (x < 8 ? kBlue : kWhite);
                *data->GetPixelData<uint32_t>(x, y) = quadrant;
                const double d = std::hypot(x - 7.5, y - 7.5);
                const auto alpha = static_cast<uint32_t>(std::clamp(255.0 - d * 32.0, 0.0, 255.0));
                *data->GetPixelData<uint32_t>(16 + x, y) = alpha << 24 | 0xFFFFFF;
            }
        }
        atlas->Unlock();
        return atlas;
    }

    static Sprite* Add(GameNode* parent, Sprite* sprite, const char* name) {
        sprite->SetName(name);
        GameTree::LinkNodeUnder(parent, sprite);
        return sprite;
    }

    static std::vector<uint32_t> ReadBack() { return reference_image::ReadBack(kWidth, kHeight); }

    static std::string ReferencePath() { return reference_image::TestDataPath("frame_pipeline.png"); }

    SmartPtr<Application> m_pApplication;
};

TEST_F(FramePipelineTest, OneFrameTicksPurgesAndDrawsTheTree) {
    GameTree* tree = GameTree::g_Instance;
    SmartPtr<Image> atlas = MakeAtlas();
    ASSERT_NE(atlas, nullptr);
    ASSERT_EQ(atlas->GetFrameCount(), 2);

    auto* background = Add(tree, new Sprite(0.0f, 0.0f, kWidth, kHeight), "background");
    background->SetUseColorToFillPolygon(true);
    background->SetColor(kBackground & 0xFFFFFF);

    Sprite* plain = Add(tree, new Sprite(4.0f, 4.0f, atlas), "plain");

    Sprite* turned = Add(tree, new Sprite(36.0f, 12.0f, atlas), "turned");
    turned->SetAnchorPoint(ANCHOR_CENTER);
    turned->SetRotation(static_cast<float>(M_PI / 4));
    turned->SetScaleX(1.5f);
    turned->SetScaleY(1.5f);

    Sprite* tinted = Add(tree, new Sprite(60.0f, 4.0f, atlas), "tinted");
    tinted->SetColor(0xFF8040);
    tinted->SetAlpha(200);

    Sprite* glow = Add(tree, new Sprite(82.0f, 4.0f, atlas), "additive");
    glow->SetCurrentFrame(1);
    glow->SetBlendMode(BLENDMODE_ADDITIVE);

    auto* grey = Add(tree, new Sprite(104.0f, 4.0f, 16.0f, 16.0f), "grey");
    grey->SetUseColorToFillPolygon(true);
    grey->SetColor(0x808080);
    Sprite* multiplied = Add(tree, new Sprite(104.0f, 4.0f, atlas), "multiply");
    multiplied->SetBlendMode(BLENDMODE_MULTIPLY);

    // The clip lies in the frame the clipper is placed in; its child is
    // drawn in the clipper's frame, twice its size, and cut to the clip.
    Sprite* clipper = Add(tree, new Sprite(4.0f, 36.0f, 40.0f, 40.0f), "clipper");
    clipper->SetClipRect(4.0f, 36.0f, 20.0f, 20.0f);
    Sprite* big = Add(clipper, new Sprite(0.0f, 0.0f, atlas), "big");
    big->SetScaleX(2.0f);
    big->SetScaleY(2.0f);

    Sprite* flipped = Add(tree, new Sprite(50.0f, 40.0f, atlas), "flipped");
    flipped->SetFlipImageHorizontal(true);

    Sprite* nested = Add(tree, new Sprite(84.0f, 48.0f, atlas), "nested");
    nested->SetAnchorPoint(ANCHOR_CENTER);
    nested->SetRotation(static_cast<float>(M_PI / 2));
    Sprite* moon = Add(nested, new Sprite(14.0f, 0.0f, atlas), "moon");
    moon->SetCurrentFrame(1);
    moon->SetAnchorPoint(ANCHOR_CENTER);

    Sprite* hidden = Add(tree, new Sprite(70.0f, 76.0f, atlas), "hidden");
    hidden->SetVisible(false);

    SmartPtr<Sprite> doomed(Add(tree, new Sprite(100.0f, 76.0f, atlas), "doomed"));
    doomed->SetObsolete(true);
    EXPECT_EQ(doomed->GetRefCount(), 2);
    SmartPtr<OneTickNode> oneTick(new OneTickNode());
    GameTree::LinkNodeUnder(tree, oneTick);
    EXPECT_EQ(oneTick->GetRefCount(), 2);
    auto* modifier = new test::RecordingModifier("mod", -1);
    AnimTree::g_Instance->LinkNode(modifier, plain);

    // The texture-target round trip: the atlas's first frame drawn into a
    // texture inside the frame's batch, then the texture drawn on screen.
    SmartPtr<Image> target(Renderer::g_Instance->CreateImageUnmanaged(16, 16, true, 1, 1));
    ASSERT_NE(target, nullptr);
    ASSERT_NE(DynamicCast<ImageDataBufferOpenGL>(target->GetFrame()->GetImageData()), nullptr);
    SmartPtr<Sprite> content(new Sprite(0.0f, 0.0f, atlas));
    auto* buffered = static_cast<BufferSprite*>(Add(tree, new BufferSprite(104.0f, 40.0f, target, content),
                                                    "buffered"));

    TaskManager::g_Instance->Update();

    // Ticked, then purged before the drawing.
    EXPECT_EQ(oneTick->m_nTicks, 1);
    EXPECT_EQ(oneTick->GetRefCount(), 1);
    EXPECT_EQ(oneTick->GetParent(), nullptr);
    EXPECT_FALSE(oneTick->IsObsolete());
    EXPECT_EQ(doomed->GetRefCount(), 1);
    EXPECT_EQ(doomed->GetParent(), nullptr);
    EXPECT_EQ(modifier->m_Ticks.size(), 1u);
    EXPECT_FALSE(plain->IsChanged()) << "drawing clears the changed flag";
    EXPECT_TRUE(hidden->IsChanged()) << "an invisible sprite is not drawn";
    EXPECT_TRUE(buffered->m_bInnerDrawn);
    EXPECT_TRUE(Graphics::g_GraphicsStack.empty());

    // The offscreen driver draws into a single-buffered surface, so the
    // frame can be read after it was shown.
    const std::vector<uint32_t> pixels = ReadBack();
    auto at = [&pixels](int x, int y) { return pixels[y * kWidth + x]; };
    struct Probe {
        const char* what;
        int x, y;
        uint32_t expected;
    };
    const Probe probes[] = {
        {"plain, top left", 6, 6, kRed},
        {"plain, bottom right", 17, 17, kWhite},
        {"background", 2, 2, kBackground},
        {"tinted red: alpha 200 over the background", 62, 6, 0xD3CE090A},
        {"multiplied green", 116, 6, 0xFF008000},
        {"clipped child inside the clip", 6, 38, kRed},
        {"clipped child inside the clip, lower right", 22, 54, kWhite},
        {"clipped child outside the clip", 26, 38, kBackground},
        {"flipped: green on the left", 52, 42, kGreen},
        {"flipped: red on the right", 63, 42, kRed},
        {"hidden", 74, 80, kBackground},
        {"purged", 104, 80, kBackground},
        {"texture target, top left", 106, 42, kRed},
        {"texture target, top right", 117, 42, kGreen},
        {"texture target, bottom left", 106, 53, kBlue},
        {"texture target, bottom right", 117, 53, kWhite},
    };
    for (const Probe& p : probes)
        EXPECT_LE(Distance(at(p.x, p.y), p.expected), 3) << p.what << ": " << Hex(at(p.x, p.y));

    const std::string path = ReferencePath();
    reference_image::ExpectMatchesReference(path, kWidth, kHeight, pixels);
}

}  // namespace
