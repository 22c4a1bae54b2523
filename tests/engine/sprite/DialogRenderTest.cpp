// A dialog end to end on Mesa through SDL's offscreen driver: a nine-piece
// painter, buttons drawn into the cached picture, the frame compared with a
// committed reference, and SDL mouse events that press and release a button
// through the window, the input handler and the dialog's command handler.
// Run with DELVOR_UPDATE_REFERENCE=1 to write the reference anew.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/Application.h"
#include "engine/core/Platform.h"
#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/TaskManager.h"
#include "engine/framework/TaskmanagerTimed.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageData.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/Renderer.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Dialog.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/InputHandler.h"
#include "engine/sprite/Sprite.h"
#include "tests/engine/sprite/WidgetTestSupport.h"
#include "tests/ReferenceImage.h"

using namespace ZQ2;

namespace {

using reference_image::Distance;
using reference_image::Hex;

constexpr int kWidth = 128;
constexpr int kHeight = 96;
constexpr uint32_t kBackground = 0xFF202830;
constexpr uint32_t kCentre = 0xFF3050A0;
constexpr uint32_t kCorner = 0xFFE0E0E0;
constexpr uint32_t kEdgeDark = 0xFF806040;
constexpr uint32_t kEdgeLight = 0xFFC0A080;
// Button frames: normal, over, pressed, disabled.
constexpr uint32_t kFrames[4] = {0xFF00A000, 0xFFE0E000, 0xFFE00000, 0xFF808080};

// Records the commands its buttons send.
class CommandDialog : public Dialog {
public:
    explicit CommandDialog(AbstractProperty* data) : Dialog(data) {}
    void HandleCommand(const std::string& command, GameNode*) override { m_Commands.push_back(command); }
    std::vector<std::string> m_Commands;
};

// The dialog: 60 x 40 asked, enlarged to whole edge tiles (64 x 40), centred
// in the window at 32, 28; an enabled and a disabled button, drawn into its
// cached picture or live above it.
const char* const kDialogXml =
    "<root><Dialog autocenter=\"true\" usebuffer=\"%s\" minwidth=\"60\" minheight=\"40\">"
    "<DialogPainter id=\"painter\" section=\"ui\" centercolor=\"0x3050A0\">"
    "  <Vector id=\"images\"><String value=\"corner\"/><String value=\"hedge\"/><String value=\"corner\"/>"
    "  <String value=\"vedge\"/><String value=\"\"/><String value=\"vedge\"/><String value=\"corner\"/>"
    "  <String value=\"hedge\"/><String value=\"corner\"/></Vector>"
    "</DialogPainter>"
    "<Vector id=\"components\">"
    "  <Button name=\"ok\" command=\"accept\" x=\"12\" y=\"14\" image=\"button\" section=\"ui\"/>"
    "  <Button name=\"off\" x=\"36\" y=\"14\" image=\"button\" section=\"ui\" enabled=\"false\"/>"
    "</Vector></Dialog></root>";

class DialogRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application::g_ApplicationRunning = true;
        ASSERT_TRUE(GameWindow::CreateInstance("Dialog", kWidth, kHeight, false, true, 0, nullptr));
        Renderer::CreateInstance();
        ASSERT_EQ(Renderer::g_Instance->Initialize(kWidth, kHeight), RENDERERROR_NONE);
        GameTree::CreateInstance();
        AnimTree::CreateInstance();
        InputHandler::CreateInstance(GameTree::g_Instance);
        TaskmanagerTimed::CreateInstance();
        m_spApplication = new Application("no-manifest.xml");
        m_spApplication->AddTasks();
        Dispatch();  // the desktop's own events about the new window
        InputHandler::g_Instance->ClearMessages();

        m_Images.Add("ui/corner", Solid(8, 8, {kCorner}).Get());
        m_Images.Add("ui/hedge", Striped(8, 8, true).Get());
        m_Images.Add("ui/vedge", Striped(8, 8, false).Get());
        m_Images.Add("ui/button", Solid(16, 8, {kFrames[0], kFrames[1], kFrames[2], kFrames[3]}).Get());
    }

    void TearDown() override {
        m_spApplication = nullptr;
        iInstance<InputHandler>::ReleaseInstance();
        iInstance<TaskManager>::ReleaseInstance();
        iInstance<AnimTree>::ReleaseInstance();
        iInstance<GameTree>::ReleaseInstance();
        Renderer::RemoveInstance();
        GameWindow::RemoveInstance();
    }

    // One frame per colour, side by side.
    static SmartPtr<Image> Solid(int width, int height, const std::vector<uint32_t>& colours) {
        const int frames = static_cast<int>(colours.size());
        SmartPtr<Image> image(Renderer::g_Instance->CreateImageManaged(width * frames, height, frames, frames));
        if (!image || !image->Lock(false))
            return image;
        ImageData* data = image->GetFrame()->GetImageData();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width * frames; ++x)
                *data->GetPixelData<uint32_t>(x, y) = colours[x / width];
        }
        image->Unlock();
        return image;
    }

    // Stripes across the edge, so that tiling shows: two dark rows (or
    // columns) at the outer side, the rest light.
    static SmartPtr<Image> Striped(int width, int height, bool rows) {
        SmartPtr<Image> image(Renderer::g_Instance->CreateImageManaged(width, height, 1, 1));
        if (!image || !image->Lock(false))
            return image;
        ImageData* data = image->GetFrame()->GetImageData();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                *data->GetPixelData<uint32_t>(x, y) = (rows ? y : x) % 4 < 2 ? kEdgeDark : kEdgeLight;
        }
        image->Unlock();
        return image;
    }

    static void Dispatch() {
        while (Platform::DispatchOneSystemEvent()) {
        }
    }

    static void PushMotion(int x, int y, Uint32 state) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = x;
        event.motion.y = y;
        event.motion.state = state;
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }

    static void PushButton(Uint32 type, int x, int y) {
        SDL_Event event{};
        event.type = type;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.x = x;
        event.button.y = y;
        event.button.clicks = 1;
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }

    // Delivers the pending SDL events, then runs one frame.
    static void Frame() {
        Dispatch();
        TaskManager::g_Instance->Update();
    }

    static std::vector<uint32_t> ReadBack() { return reference_image::ReadBack(kWidth, kHeight); }

    static uint32_t At(int x, int y) { return ReadBack()[y * kWidth + x]; }

    static std::string ReferencePath() { return reference_image::TestDataPath("dialog_render.png"); }

    // A full-window backdrop and the dialog shown above it, as a scene
    // activates its dialogs.
    CommandDialog* Show(bool buffered) {
        auto* backdrop = new Sprite(0.0f, 0.0f, kWidth, kHeight);
        backdrop->SetUseColorToFillPolygon(true);
        backdrop->SetColor(kBackground & 0xFFFFFF);
        GameTree::LinkNodeUnder(GameTree::g_Instance, backdrop);

        SmartPtr<PropertyStore> store(new PropertyStore);
        std::string xml = kDialogXml;
        xml.replace(xml.find("%s"), 2, buffered ? "true" : "false");
        EXPECT_TRUE(store->ParseFromBuffer(xml.c_str()));
        auto* dialog = new CommandDialog(store->GetChild(0));
        GameTree::LinkNodeUnder(GameTree::g_Instance, dialog);
        dialog->OnActivate();
        return dialog;
    }

    SmartPtr<Application> m_spApplication;
    WidgetTest::FakeImages m_Images;
};

TEST_F(DialogRenderTest, PaintedDialogWithButtonsMatchesTheReference) {
    CommandDialog* dialog = Show(true);
    EXPECT_EQ(dialog->GetWidth(), 64.0f);
    EXPECT_EQ(dialog->GetHeight(), 40.0f);
    EXPECT_EQ(dialog->GetX(), 32.0f);
    EXPECT_EQ(dialog->GetY(), 28.0f);

    Frame();
    EXPECT_FALSE(dialog->IsBackgroundDirty());
    EXPECT_FALSE(dialog->GetPainter()->IsRepaint());
    ASSERT_NE(dialog->GetBackgroundImage(), nullptr);
    ASSERT_NE(dialog->GetImage(), nullptr);
    EXPECT_NE(dialog->GetImage(), dialog->GetBackgroundImage()) << "the composed picture is a picture of its own";

    const std::vector<uint32_t> pixels = ReadBack();
    auto at = [&pixels](int x, int y) { return pixels[y * kWidth + x]; };
    struct Probe {
        const char* what;
        int x, y;
        uint32_t expected;
    };
    const Probe probes[] = {
        {"backdrop", 2, 2, kBackground},
        {"backdrop right of the dialog", 100, 50, kBackground},
        {"top-left corner", 33, 29, kCorner},
        {"bottom-right corner", 94, 66, kCorner},
        {"top edge, outer rows", 50, 28, kEdgeDark},
        {"top edge, inner rows", 50, 31, kEdgeLight},
        {"top edge tiled: next stripe", 50, 33, kEdgeDark},
        {"left edge, outer columns", 32, 45, kEdgeDark},
        {"left edge, inner columns", 35, 45, kEdgeLight},
        {"flat centre", 70, 55, kCentre},
        {"enabled button, normal frame", 46, 44, kFrames[0]},
        {"disabled button", 70, 44, kFrames[3]},
    };
    for (const Probe& p : probes)
        EXPECT_LE(Distance(at(p.x, p.y), p.expected), 3) << p.what << ": " << Hex(at(p.x, p.y));

    const std::string path = ReferencePath();
    reference_image::ExpectMatchesReference(path, kWidth, kHeight, pixels);

    // A component that changes makes the cached picture be composed again.
    auto* ok = DynamicCast<Button>(dialog->GetComponent("ok"));
    ASSERT_NE(ok, nullptr);
    ok->SetEnabled(false);
    Frame();
    EXPECT_LE(Distance(At(46, 44), kFrames[3]), 3) << "recomposed: " << Hex(At(46, 44));
    EXPECT_FALSE(dialog->GetPainter()->IsRepaint()) << "the frame itself is not painted again";
}

// Components of a buffered dialog sit under a hidden root, which the input
// handler skips; interactive dialogs draw their components live.
TEST_F(DialogRenderTest, SdlMouseEventsPressAndReleaseAButton) {
    CommandDialog* dialog = Show(false);
    Frame();
    auto* ok = DynamicCast<Button>(dialog->GetComponent("ok"));
    ASSERT_NE(ok, nullptr);
    // The ok button covers 44..59 x 42..49 on screen.
    PushMotion(50, 45, 0);
    Frame();
    EXPECT_TRUE(ok->IsStateSet(SPRITESTATE_OVER));
    EXPECT_LE(Distance(At(46, 44), kFrames[1]), 3) << "the over frame: " << Hex(At(46, 44));

    PushButton(SDL_MOUSEBUTTONDOWN, 50, 45);
    Frame();
    EXPECT_TRUE(ok->IsStateSet(SPRITESTATE_PRESSED));
    EXPECT_LE(Distance(At(46, 44), kFrames[2]), 3) << "pressed: " << Hex(At(46, 44));
    EXPECT_TRUE(dialog->m_Commands.empty());

    PushButton(SDL_MOUSEBUTTONUP, 51, 46);
    Frame();
    EXPECT_EQ(dialog->m_Commands, std::vector<std::string>{"accept"});
    EXPECT_TRUE(ok->GetState().IsEmpty());
    EXPECT_LE(Distance(At(46, 44), kFrames[0]), 3) << "released: " << Hex(At(46, 44));

    // The disabled button takes nothing, and being modal the dialog
    // swallows the press inside it.
    PushButton(SDL_MOUSEBUTTONDOWN, 72, 45);
    PushButton(SDL_MOUSEBUTTONUP, 72, 45);
    Frame();
    EXPECT_EQ(dialog->m_Commands, std::vector<std::string>{"accept"});
    EXPECT_EQ(InputHandler::g_Instance->GetQueuedMessageCount(), 0u);
}

}  // namespace
