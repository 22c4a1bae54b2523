#pragma once
// The engine's one window: a fixed-size drawing area of the game's
// resolution with a title, full screen, minimised and active states, and the
// message handler through which every window and input event flows.
#include <memory>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/iInstance.h"
#include "engine/framework/MessageHandler.h"
#include "engine/framework/iMessageListener.h"
#include "engine/math/Rectangle_t.h"

namespace platform {
class GlWindow;
}

namespace ZQ2 {

class GameWindow : public BaseObject, public iInstance<GameWindow>, public iMessageListener {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Mouse coordinates above this are taken for wrapped negative values.
    static constexpr float MAX_MOUSE_COORDINATE = 60000.0f;

    // While false the main loop ends; the window clears it on a quit message.
    static bool g_bRunning;

    // Asked when the user closes the window; true when it took care of the
    // request (the game keeps running), false to quit. Without one, a close
    // quits.
    using CloseRequestHandler = bool (*)();
    static void SetCloseRequestHandler(CloseRequestHandler handler) { s_pCloseRequestHandler = handler; }

    // Makes the platform's window, stores it as the instance and shows it.
    // icon and parentHandle mean nothing on this platform. False when no
    // window with a GL context could be made; the instance then exists
    // without one, and the renderer refuses to start on it.
    static bool CreateInstance(const std::string& title, int width, int height, bool fullscreen, bool canToggle,
                               int icon, void* parentHandle);
    static void RemoveInstance();

    GameWindow();
    ~GameWindow() override;
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const RTTI& which) override;

    virtual void RemoveWindow() {}
    virtual void Show() {}
    virtual void Hide() {}
    // Posts 517 with the new value when it changes.
    virtual void SetMinimizedTo(bool minimized);
    // Switches full screen and posts 514, when the value changes.
    virtual void SetFullscreenTo(bool fullscreen) { (void)fullscreen; }
    virtual void SetTitle(const std::string& title) { m_strTitle = title; }
    // Shows the cursor of the highest voted type (see MouseCursorCounter).
    virtual void ResetCursorToSelectedType() {}
    // 1026 ends the run.
    void ProcessMessage(const Message& message) override;
    // The drawing area on the desktop; the bounds when there is no window.
    virtual RectangleI GetCurrentClientBounds() const { return m_Bounds; }
    virtual void SetDragAcceptFiles(bool accept) { m_bDragAcceptFiles = accept; }
    virtual void FixWin32FullScreenProblem(bool) {}
    // Stores the flag only; SetFullscreenTo does the switching.
    virtual void SetFullscreen(bool fullscreen) { m_bFullscreen = fullscreen; }
    virtual bool CreateFullscreenWindow() { return false; }
    virtual bool CreateWindowedWindow() { return false; }
    virtual void Clear(int) {}
    virtual void UpdateWindowBounds() {}
    // The frame around the drawing area; the desktop draws it here.
    virtual RectangleI CalcOuterWindowBounds() const { return m_Bounds; }

    // Where the game's area lies in the GL drawable, in GL's viewport terms
    // (pixels, origin at the bottom left). The whole drawable in a window;
    // scaled and centred in full screen.
    virtual RectangleI GetViewport() const { return RectangleI(0, 0, m_Bounds.width, m_Bounds.height); }
    // The GL context the game draws with; null without a window.
    virtual std::shared_ptr<platform::GlWindow> GetContext() const { return nullptr; }

    void SetSize(int width, int height);
    void SetLocation(int x, int y);
    // Centres the outer frame on the display.
    void Center();
    // Makes the platform window: full screen first when asked for (falling
    // back to a window), then always the windowed window, whose success counts.
    bool Create();
    void Invalidate() {}

    // A coordinate below 0 or above MAX_MOUSE_COORDINATE becomes -1; any
    // other is limited to the width (x) or the height (y).
    void ConvertMousePosToInternalCoordinates(float& x, float& y) const;

    // The largest rectangle of the game's proportions centred in an area,
    // in the area's coordinates; the game's own rectangle when either size
    // is unusable.
    static RectangleI FitGameArea(int areaWidth, int areaHeight, int gameWidth, int gameHeight);

    MessageHandler& GetMessageHandler() { return m_MessageHandler; }
    const RectangleI& GetBounds() const { return m_Bounds; }
    int GetWidth() const { return m_Bounds.width; }
    int GetHeight() const { return m_Bounds.height; }
    const std::string& GetTitle() const { return m_strTitle; }
    bool IsFullscreen() const { return m_bFullscreen; }
    bool CanToggle() const { return m_bCanToggle; }
    void SetCanToggle(bool canToggle) { m_bCanToggle = canToggle; }
    bool IsActive() const { return m_bActive; }
    bool IsMinimized() const { return m_bMinimized; }
    bool GetDragAcceptFiles() const { return m_bDragAcceptFiles; }
    int GetSelectedCursorType() const { return m_nSelectedCursorType; }

protected:
    void PostMessage(int number);
    // The user's request to close: quits unless the handler takes it.
    void RequestClose();
    void PostFlag(int number, bool value);

    RectangleI m_Bounds;
    std::string m_strTitle = "<untitled>";
    bool m_bFullscreen = false;
    bool m_bCanToggle = true;
    bool m_bActive = true;
    bool m_bMinimized = false;
    MessageHandler m_MessageHandler;
    int m_nSelectedCursorType = 0;
    bool m_bDragAcceptFiles = false;

private:
    static inline CloseRequestHandler s_pCloseRequestHandler = nullptr;
};

}  // namespace ZQ2
