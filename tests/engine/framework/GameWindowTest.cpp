#include "engine/framework/GameWindow.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/app/Application.h"
#include "engine/core/Platform.h"
#include "engine/framework/GameWindowSDL.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/Message.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/framework/TemplateMessageData.h"
#include "platform/GlWindow.h"

using namespace ZQ2;

namespace {

// What one message carried, flattened so that tests compare whole lists.
struct Heard {
    int number = 0;
    float x = 0.0f;
    float y = 0.0f;
    bool doubleClick = false;
    unsigned long character = 0;
    unsigned int key = 0;
    bool flag = false;

    bool operator==(const Heard& o) const {
        return number == o.number && x == o.x && y == o.y && doubleClick == o.doubleClick &&
               character == o.character && key == o.key && flag == o.flag;
    }
};

void PrintTo(const Heard& h, std::ostream* os) {
    *os << "{" << h.number << " at " << h.x << "," << h.y << (h.doubleClick ? " double" : "") << " char "
        << h.character << " key " << h.key << (h.flag ? " true" : " false") << "}";
}

Heard Mouse(int number, float x, float y, bool doubleClick = false) {
    Heard h;
    h.number = number;
    h.x = x;
    h.y = y;
    h.doubleClick = doubleClick;
    return h;
}

Heard Key(int number, unsigned long character, unsigned int key) {
    Heard h;
    h.number = number;
    h.character = character;
    h.key = key;
    return h;
}

Heard Flag(int number, bool value) {
    Heard h;
    h.number = number;
    h.flag = value;
    return h;
}

Heard Plain(int number) {
    Heard h;
    h.number = number;
    return h;
}

class Recorder : public iMessageListener {
public:
    void ProcessMessage(const Message& message) override {
        Heard h;
        h.number = message.GetNumber();
        if (auto* mouse = message.GetData<MouseMessageData>()) {
            h.x = mouse->GetX();
            h.y = mouse->GetY();
            h.doubleClick = mouse->IsDoubleClick();
            EXPECT_TRUE(mouse->GetState().IsEmpty());
        }
        if (auto* key = message.GetData<KeyboardMessageData>()) {
            h.character = key->GetCharacter();
            h.key = key->GetKey();
            EXPECT_EQ(key->GetSecondKey(), key->GetKey());
        }
        if (auto* flag = message.GetData<TemplateMessageData<bool>>())
            h.flag = flag->GetValue();
        m_Heard.push_back(h);
    }

    std::vector<Heard> m_Heard;
};

constexpr int kWidth = 320;
constexpr int kHeight = 240;

class GameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application::g_ApplicationRunning = true;
        ASSERT_TRUE(GameWindow::CreateInstance("Delvor test", kWidth, kHeight, false, true, 0, nullptr));
        m_pWindow = DynamicCast<GameWindowSDL>(GameWindow::g_Instance);
        ASSERT_NE(m_pWindow, nullptr);
        // The desktop's own events about the new window are not under test.
        Dispatch();
        m_pWindow->GetMessageHandler().AddMessageListener(&m_Recorder);
    }

    void TearDown() override {
        GameWindow::RemoveInstance();
        Application::g_ApplicationRunning = true;
    }

    static void Dispatch() {
        while (Platform::DispatchOneSystemEvent()) {
        }
    }

    static void Push(SDL_Event& event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    void PushMotion(int x, int y) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = x;
        event.motion.y = y;
        Push(event);
    }

    void PushButton(Uint32 type, Uint8 button, int x, int y, Uint8 clicks) {
        SDL_Event event{};
        event.type = type;
        event.button.button = button;
        event.button.x = x;
        event.button.y = y;
        event.button.clicks = clicks;
        Push(event);
    }

    void PushKey(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = sym;
        event.key.keysym.mod = mod;
        Push(event);
    }

    void PushText(const char* text) {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        SDL_strlcpy(event.text.text, text, sizeof event.text.text);
        Push(event);
    }

    void PushWindowEvent(Uint8 what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = what;
        Push(event);
    }

    std::vector<Heard> Take() {
        Dispatch();
        return std::exchange(m_Recorder.m_Heard, {});
    }

    GameWindowSDL* m_pWindow = nullptr;
    Recorder m_Recorder;
};

using List = std::vector<Heard>;

TEST_F(GameWindowTest, OpensAWindowOfTheGivenSizeWithAGlContext) {
    std::shared_ptr<platform::GlWindow> context = m_pWindow->GetContext();
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(context->MakeCurrent());
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    int width = 0;
    int height = 0;
    context->GetDrawableSize(width, height);
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    const RectangleI client = m_pWindow->GetCurrentClientBounds();
    EXPECT_EQ(client.width, kWidth);
    EXPECT_EQ(client.height, kHeight);
    EXPECT_EQ(m_pWindow->GetViewport(), RectangleI(0, 0, kWidth, kHeight));
    EXPECT_STREQ(SDL_GetWindowTitle(SDL_GetWindowFromID(context->GetId())), "Delvor test");
    EXPECT_FALSE(m_pWindow->IsFullscreen());
    EXPECT_TRUE(m_pWindow->CanToggle());

    // The pixel format the engine draws with. (The offscreen driver draws
    // into a single buffer whatever is asked, so double buffering is not
    // checked here.)
    int value = 0;
    SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &value);
    EXPECT_GE(value, 8);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &value);
    EXPECT_GE(value, 16);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &value);
    EXPECT_GE(value, 8);
}

TEST_F(GameWindowTest, MouseEventsBecomeMouseMessagesInGameCoordinates) {
    PushMotion(10, 20);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 11, 21, 1);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 11, 21, 1);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 11, 21, 2);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 11, 21, 2);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 12, 22, 1);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 12, 22, 3);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 13, 23, 1);  // no message
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 13, 23, 1);
    // A drag beyond the window's edges: left of it is outside, at or past the
    // right and bottom edges is held at the edge.
    PushMotion(-5, 300);
    PushMotion(kWidth, kHeight - 1);
    PushMotion(70000, 5);
    EXPECT_EQ(Take(), (List{Mouse(1, 10, 20), Mouse(2, 11, 21), Mouse(3, 11, 21), Mouse(2, 11, 21, true),
                            Mouse(3, 11, 21, true), Mouse(6, 12, 22), Mouse(7, 12, 22), Mouse(1, -1, kHeight),
                            Mouse(1, kWidth, kHeight - 1), Mouse(1, -1, 5)}));
}

TEST_F(GameWindowTest, KeyEventsBecomeKeyMessagesAndTheDeleteKeysAlsoTypedOnes) {
    const unsigned int a = Platform::GetZQKey(SDL_SCANCODE_A);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_LSHIFT);
    PushKey(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_DELETE, SDLK_DELETE);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_LCTRL);  // not a plain delete
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_P, SDLK_p, KMOD_RCTRL);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_P, SDLK_p);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_F1, SDLK_F1);
    const unsigned int p = Platform::GetZQKey(SDL_SCANCODE_P);
    EXPECT_EQ(Take(), (List{Key(258, 'a', a), Key(260, 'a', a), Key(258, '\b', SYSKEY_BACKSPACE),
                            Key(261, 0, SYSKEY_BACKSPACE), Key(258, 0x7F, SYSKEY_DELETE), Key(261, 0, SYSKEY_DELETE),
                            Key(258, '\b', SYSKEY_BACKSPACE), Key(258, 'p', p), Plain(1537), Key(258, 'p', p),
                            Key(258, 0, SYSKEY_F1)}));
}

TEST_F(GameWindowTest, TypedTextGivesOneMessagePerUtf16Unit) {
    PushText("a\xC3\xA9\xF0\x9F\x98\x80");  // a, e acute, and a character beyond the basic plane
    EXPECT_EQ(Take(), (List{Key(261, 'a', 0), Key(261, 0xE9, 0), Key(261, 0xD83D, 0), Key(261, 0xDE00, 0)}));
}

TEST_F(GameWindowTest, FocusAndMinimiseChangesArePostedOnce) {
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    Dispatch();
    EXPECT_FALSE(m_pWindow->IsActive());
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    Dispatch();
    EXPECT_TRUE(m_pWindow->IsActive());
    EXPECT_TRUE(m_pWindow->IsMinimized());
    PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    EXPECT_EQ(Take(), (List{Flag(518, false), Flag(518, true), Flag(517, true), Flag(517, false)}));
    EXPECT_FALSE(m_pWindow->IsMinimized());
}

TEST_F(GameWindowTest, ClosingAndQuittingPost1026WhichEndsTheRun) {
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    EXPECT_EQ(Take(), List{Plain(1026)});
    EXPECT_FALSE(Application::g_ApplicationRunning);
    // The window stays until shutdown removes it.
    ASSERT_NE(m_pWindow->GetContext(), nullptr);
    EXPECT_NE(SDL_GetWindowFromID(m_pWindow->GetContext()->GetId()), nullptr);

    Application::g_ApplicationRunning = true;
    Platform::PostQuitMessage(0);
    EXPECT_EQ(Take(), List{Plain(1026)});
    EXPECT_FALSE(Application::g_ApplicationRunning);
}

TEST_F(GameWindowTest, FullScreenSwitchesOnceAndEscapeLeavesItAfterTheKeyMessage) {
    m_pWindow->SetFullscreenTo(true);
    m_pWindow->SetFullscreenTo(true);
    EXPECT_TRUE(m_pWindow->IsFullscreen());
    EXPECT_EQ(Take(), List{Flag(514, true)});

    PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    EXPECT_EQ(Take(), (List{Key(258, 0x1B, SYSKEY_ESCAPE), Flag(514, false)}));
    EXPECT_FALSE(m_pWindow->IsFullscreen());

    PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    EXPECT_EQ(Take(), List{Key(258, 0x1B, SYSKEY_ESCAPE)});
}

// As in full screen: a desktop window larger than the game, in other
// proportions, shows the game scaled and centred.
TEST_F(GameWindowTest, ALargerWindowScalesTheViewAndTheMouseIntoTheGame) {
    m_pWindow->GetContext()->SetBounds(0, 0, 800, 480);
    EXPECT_EQ(m_pWindow->GetViewport(), RectangleI(80, 0, 640, 480));
    PushMotion(80, 0);
    PushMotion(400, 240);
    PushMotion(79, 10);
    PushMotion(720, 480);
    EXPECT_EQ(Take(), (List{Mouse(1, 0, 0), Mouse(1, 160, 120), Mouse(1, -1, 5), Mouse(1, kWidth, kHeight)}));
}

TEST_F(GameWindowTest, RemovedWindowTakesNoMoreEvents) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);  // the queue outlives the window
    std::weak_ptr<platform::GlWindow> context = m_pWindow->GetContext();
    GameWindow::RemoveInstance();
    EXPECT_TRUE(context.expired());
    Platform::PostQuitMessage(0);
    PushMotion(1, 1);
    EXPECT_TRUE(Take().empty());
    EXPECT_TRUE(Application::g_ApplicationRunning);
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

TEST(GameWindow, MouseCoordinatesOutsideTheViewAreConverted) {
    GameWindowSDL window;  // no desktop window: conversion only
    window.SetSize(kWidth, kHeight);
    struct Case {
        float in;
        float outX;
        float outY;
    };
    const Case cases[] = {
        {-0.5f, -1.0f, -1.0f}, {0.0f, 0.0f, 0.0f},          {100.25f, 100.25f, 100.25f},
        {300.0f, 300.0f, 240.0f}, {320.5f, 320.0f, 240.0f}, {60000.0f, 320.0f, 240.0f},
        {60000.5f, -1.0f, -1.0f},
    };
    for (const Case& c : cases) {
        float x = c.in;
        float y = c.in;
        window.ConvertMousePosToInternalCoordinates(x, y);
        EXPECT_EQ(x, c.outX) << c.in;
        EXPECT_EQ(y, c.outY) << c.in;
    }
}

TEST(GameWindow, FullScreenFitsTheGameAreaCentredAndInProportion) {
    EXPECT_EQ(GameWindow::FitGameArea(1920, 1080, 800, 600), RectangleI(240, 0, 1440, 1080));
    EXPECT_EQ(GameWindow::FitGameArea(1000, 1000, 800, 600), RectangleI(0, 125, 1000, 750));
    EXPECT_EQ(GameWindow::FitGameArea(800, 600, 800, 600), RectangleI(0, 0, 800, 600));
    EXPECT_EQ(GameWindow::FitGameArea(1600, 1200, 800, 600), RectangleI(0, 0, 1600, 1200));
    EXPECT_EQ(GameWindow::FitGameArea(0, 0, 800, 600), RectangleI(0, 0, 800, 600));
}

}  // namespace
