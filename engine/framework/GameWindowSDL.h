#pragma once
// The game window on an SDL desktop window with an OpenGL context. It is also
// the view: SDL's mouse, key, text and window events become engine messages
// with positions in game coordinates.
#include <cstdint>
#include <memory>

#include "engine/framework/GameWindow.h"

union SDL_Event;

namespace ZQ2 {

class GameWindowSDL : public GameWindow {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    GameWindowSDL() = default;
    ~GameWindowSDL() override;

    const RTTI& GetRTTI() const override { return rtti; }

    // Hides the window and lets go of it. The GL context lives on while the
    // renderer or a texture still holds it.
    void RemoveWindow() override;
    void Show() override;
    void Hide() override;
    // Full screen is the desktop's own resolution with the game scaled to
    // fit; when the desktop refuses, the flag changes and 514 is posted all
    // the same, and the window stays as it was.
    void SetFullscreenTo(bool fullscreen) override;
    void SetTitle(const std::string& title) override;
    void ResetCursorToSelectedType() override;
    RectangleI GetCurrentClientBounds() const override;
    bool CreateWindowedWindow() override;
    void UpdateWindowBounds() override;
    RectangleI GetViewport() const override;
    std::shared_ptr<platform::GlWindow> GetContext() const override { return m_pGlWindow; }

    // Turns one SDL event into the engine's messages.
    void HandleEvent(const SDL_Event& event);

    // A position in window coordinates, in game coordinates as the mouse
    // messages carry them.
    void WindowToGameCoordinates(int windowX, int windowY, float& x, float& y) const;

private:
    void HandleMouseButton(const SDL_Event& event, bool down);
    void HandleKeyDown(const SDL_Event& event);
    void HandleKeyUp(const SDL_Event& event);
    void HandleText(const char* text);
    void HandleWindowEvent(const SDL_Event& event);
    void PostMouse(int number, int windowX, int windowY, bool doubleClick);
    void PostKey(int number, unsigned long character, unsigned int key);

    std::shared_ptr<platform::GlWindow> m_pGlWindow;
    bool m_bHandlerInstalled = false;
};

}  // namespace ZQ2
