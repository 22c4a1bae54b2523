#include "engine/framework/GameWindowSDL.h"

#include <SDL.h>

#include "engine/core/Platform.h"
#include "engine/core/UTF8String.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/MouseCursorCounter.h"
#include "engine/framework/MouseMessageData.h"
#include "platform/EventPump.h"
#include "platform/GlWindow.h"

namespace ZQ2 {

const RTTI* const GameWindowSDL::rttis[] = {&GameWindow::rtti, nullptr};
const RTTI GameWindowSDL::rtti("GameWindowSDL", GameWindowSDL::rttis);

namespace {

platform::GlWindow::Cursor CursorOfType(int type) {
    using Cursor = platform::GlWindow::Cursor;
    switch (type) {
        // The desktop has no open hand; the hand says "this can be handled".
        case CURSOR_HAND_OPEN:
        case CURSOR_HAND_POINT: return Cursor::Hand;
        case CURSOR_TEXT: return Cursor::IBeam;
        case CURSOR_BUSY:
        case CURSOR_BUSY_STARTUP: return Cursor::Wait;
        case CURSOR_NOT_ALLOWED: return Cursor::NotAllowed;
        default: return Cursor::Arrow;
    }
}

bool HasCommandModifier(Uint16 mod) { return (mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) != 0; }

}  // namespace

GameWindowSDL::~GameWindowSDL() { GameWindowSDL::RemoveWindow(); }

void GameWindowSDL::RemoveWindow() {
    if (m_bHandlerInstalled) {
        platform::EventPump::SetHandler(nullptr);
        m_bHandlerInstalled = false;
    }
    if (m_pGlWindow)
        m_pGlWindow->Hide();
    m_pGlWindow.reset();
}

void GameWindowSDL::Show() {
    if (m_pGlWindow)
        m_pGlWindow->Show();
}

void GameWindowSDL::Hide() {
    if (m_pGlWindow)
        m_pGlWindow->Hide();
}

void GameWindowSDL::SetFullscreenTo(bool fullscreen) {
    if (fullscreen == m_bFullscreen)
        return;
    SetFullscreen(fullscreen);
    if (m_pGlWindow && !m_pGlWindow->SetFullscreen(fullscreen))
        Platform::OutputDebugStringFormat("Full screen could not be %s: %s\n", fullscreen ? "entered" : "left",
                                          SDL_GetError());
    PostFlag(MESSAGE_FULLSCREEN_CHANGED, fullscreen);
}

void GameWindowSDL::SetTitle(const std::string& title) {
    GameWindow::SetTitle(title);
    if (m_pGlWindow)
        m_pGlWindow->SetTitle(title);
}

void GameWindowSDL::ResetCursorToSelectedType() {
    m_nSelectedCursorType = MouseCursorCounter::GetSelectedCursorType();
    if (m_pGlWindow)
        m_pGlWindow->SetCursor(CursorOfType(m_nSelectedCursorType));
}

RectangleI GameWindowSDL::GetCurrentClientBounds() const {
    if (!m_pGlWindow)
        return m_Bounds;
    RectangleI bounds;
    m_pGlWindow->GetBounds(bounds.x, bounds.y, bounds.width, bounds.height);
    return bounds;
}

bool GameWindowSDL::CreateWindowedWindow() {
    if (!m_pGlWindow)
        m_pGlWindow = platform::GlWindow::Create(m_strTitle, m_Bounds.x, m_Bounds.y, m_Bounds.width, m_Bounds.height);
    if (!m_pGlWindow)
        return false;
    platform::EventPump::SetHandler([this](const SDL_Event& event) { HandleEvent(event); });
    m_bHandlerInstalled = true;
    return true;
}

void GameWindowSDL::UpdateWindowBounds() {
    if (m_pGlWindow && !m_bFullscreen)
        m_pGlWindow->SetBounds(m_Bounds.x, m_Bounds.y, m_Bounds.width, m_Bounds.height);
}

RectangleI GameWindowSDL::GetViewport() const {
    int width = 0;
    int height = 0;
    if (m_pGlWindow)
        m_pGlWindow->GetDrawableSize(width, height);
    if (width < 1 || height < 1)
        return GameWindow::GetViewport();
    const RectangleI fit = FitGameArea(width, height, m_Bounds.width, m_Bounds.height);
    return RectangleI(fit.x, height - fit.y - fit.height, fit.width, fit.height);
}

void GameWindowSDL::WindowToGameCoordinates(int windowX, int windowY, float& x, float& y) const {
    x = static_cast<float>(windowX);
    y = static_cast<float>(windowY);
    RectangleI window;
    if (m_pGlWindow)
        m_pGlWindow->GetBounds(window.x, window.y, window.width, window.height);
    const RectangleI fit = FitGameArea(window.width, window.height, m_Bounds.width, m_Bounds.height);
    if (fit.width > 0 && fit.height > 0) {
        x = static_cast<float>(windowX - fit.x) * static_cast<float>(m_Bounds.width) / static_cast<float>(fit.width);
        y = static_cast<float>(windowY - fit.y) * static_cast<float>(m_Bounds.height) /
            static_cast<float>(fit.height);
    }
    ConvertMousePosToInternalCoordinates(x, y);
}

void GameWindowSDL::HandleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEMOTION: PostMouse(MESSAGE_MOUSE_MOVED, event.motion.x, event.motion.y, false); break;
        case SDL_MOUSEBUTTONDOWN: HandleMouseButton(event, true); break;
        case SDL_MOUSEBUTTONUP: HandleMouseButton(event, false); break;
        case SDL_KEYDOWN: HandleKeyDown(event); break;
        case SDL_KEYUP: HandleKeyUp(event); break;
        case SDL_TEXTINPUT: HandleText(event.text.text); break;
        case SDL_WINDOWEVENT: HandleWindowEvent(event); break;
        case SDL_QUIT: RequestClose(); break;
        default: break;
    }
}

// Only the left and right buttons make messages; a second click in quick
// succession marks both its press and its release as a double click.
void GameWindowSDL::HandleMouseButton(const SDL_Event& event, bool down) {
    int number = 0;
    if (event.button.button == SDL_BUTTON_LEFT)
        number = down ? MESSAGE_MOUSE_LEFT_DOWN : MESSAGE_MOUSE_LEFT_UP;
    else if (event.button.button == SDL_BUTTON_RIGHT)
        number = down ? MESSAGE_MOUSE_RIGHT_DOWN : MESSAGE_MOUSE_RIGHT_UP;
    if (number == 0)
        return;
    PostMouse(number, event.button.x, event.button.y, event.button.clicks == 2);
}

void GameWindowSDL::HandleKeyDown(const SDL_Event& event) {
    const SDL_Keysym& keysym = event.key.keysym;
    const unsigned int key = Platform::GetZQKey(keysym.scancode);
    // The key's character ignoring modifiers; keys without one give 0.
    const unsigned long character = (keysym.sym & SDLK_SCANCODE_MASK) ? 0 : static_cast<unsigned long>(keysym.sym);
    PostKey(MESSAGE_KEY_DOWN, character, key);
    if (key == SYSKEY_ESCAPE && m_bFullscreen)
        SetFullscreenTo(false);
    if (keysym.sym == SDLK_p && (keysym.mod & KMOD_CTRL))
        PostMessage(MESSAGE_PAUSE_KEY);
    // The delete keys edit text without typing a character.
    if (HasCommandModifier(keysym.mod))
        return;
    if (keysym.sym == SDLK_BACKSPACE)
        PostKey(MESSAGE_KEY_TYPED, 0, SYSKEY_BACKSPACE);
    else if (keysym.sym == SDLK_DELETE)
        PostKey(MESSAGE_KEY_TYPED, 0, SYSKEY_DELETE);
}

void GameWindowSDL::HandleKeyUp(const SDL_Event& event) {
    const SDL_Keysym& keysym = event.key.keysym;
    const unsigned long character = (keysym.sym & SDLK_SCANCODE_MASK) ? 0 : static_cast<unsigned long>(keysym.sym);
    PostKey(MESSAGE_KEY_UP, character, Platform::GetZQKey(keysym.scancode));
}

// One message per UTF-16 unit: characters beyond the basic plane come as
// their two surrogates.
void GameWindowSDL::HandleText(const char* text) {
    const UTF8String utf8(text);
    const int size = static_cast<int>(utf8.size());
    for (int position = 0; position < size; position = utf8.GetNextBufferPosition(position)) {
        const unsigned long codePoint = UTF8String::ConvertUTF8StringToUTF32Character(utf8, position);
        if (codePoint == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            continue;
        if (codePoint < 0x10000) {
            PostKey(MESSAGE_KEY_TYPED, codePoint, SYSKEY_NONE);
            continue;
        }
        const unsigned long offset = codePoint - 0x10000;
        PostKey(MESSAGE_KEY_TYPED, 0xD800 + (offset >> 10), SYSKEY_NONE);
        PostKey(MESSAGE_KEY_TYPED, 0xDC00 + (offset & 0x3FF), SYSKEY_NONE);
    }
}

void GameWindowSDL::HandleWindowEvent(const SDL_Event& event) {
    switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            m_bActive = true;
            PostFlag(MESSAGE_ACTIVE_CHANGED, true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            m_bActive = false;
            PostFlag(MESSAGE_ACTIVE_CHANGED, false);
            Invalidate();
            break;
        case SDL_WINDOWEVENT_MINIMIZED: SetMinimizedTo(true); break;
        case SDL_WINDOWEVENT_RESTORED: SetMinimizedTo(false); break;
        // The window stays open: the main loop ends and shutdown closes it.
        case SDL_WINDOWEVENT_CLOSE: RequestClose(); break;
        default: break;
    }
}

void GameWindowSDL::PostMouse(int number, int windowX, int windowY, bool doubleClick) {
    float x = 0.0f;
    float y = 0.0f;
    WindowToGameCoordinates(windowX, windowY, x, y);
    m_MessageHandler.ProcessMessage(
        Message(number, new MouseMessageData(x, y, BitFlags_t<eMouseState>(), doubleClick)));
}

void GameWindowSDL::PostKey(int number, unsigned long character, unsigned int key) {
    const eSysKey sysKey = static_cast<eSysKey>(key);
    m_MessageHandler.ProcessMessage(
        Message(number, new KeyboardMessageData(character, sysKey, false, KEYLOCATION_STANDARD, sysKey)));
}

}  // namespace ZQ2
