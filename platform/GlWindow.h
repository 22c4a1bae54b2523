#pragma once
// A desktop window with an OpenGL compatibility context on it, over SDL.
// Shared by reference: the game window and everything that owns GL objects
// (the renderer, textures) hold it, so the context lives until the last GL
// object is gone, and nothing touches GL after the context is destroyed.
#include <cstdint>
#include <memory>
#include <string>

struct SDL_Window;
struct SDL_Cursor;

namespace platform {

class GlWindow {
public:
    // Mouse pointer shapes the desktop offers.
    enum class Cursor { Arrow, Hand, IBeam, Wait, NotAllowed, Count };

    // A hidden, fixed-size window whose drawing area is width x height at
    // (x, y), with a double-buffered context of 8 bits per colour channel and
    // alpha, 16 bits of depth and 8 of stencil, made current. Null (with
    // SDL's reason on stderr) when SDL video or the context cannot start.
    static std::shared_ptr<GlWindow> Create(const std::string& title, int x, int y, int width, int height);
    // Asks SDL for that context (OpenGL 2.1 compatibility) for the next
    // window it creates; Create does it itself.
    static void SetContextAttributes();

    ~GlWindow();
    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

    // False when SDL's video has been shut down under the window; GL must
    // then not be called.
    bool MakeCurrent();
    void SwapBuffers();

    void Show();
    void Hide();
    void SetTitle(const std::string& title);
    // The drawing area's position and size in desktop coordinates.
    void SetBounds(int x, int y, int width, int height);
    void GetBounds(int& x, int& y, int& width, int& height) const;
    // Size of the GL drawable in pixels; may differ from the window size in
    // full screen.
    void GetDrawableSize(int& width, int& height) const;
    // Full screen at the desktop's own resolution: no mode switch.
    bool SetFullscreen(bool on);

    // Shown while the pointer is over the window. Shapes the desktop cannot
    // give fall back to its default pointer.
    void SetCursor(Cursor cursor);

    // SDL's id of the window, as its events carry it.
    uint32_t GetId() const;

private:
    GlWindow() = default;

    bool IsAlive() const;

    SDL_Window* m_pWindow = nullptr;
    uint32_t m_nId = 0;
    void* m_pContext = nullptr;
    SDL_Cursor* m_Cursors[static_cast<int>(Cursor::Count)] = {};
    bool m_bVideoStarted = false;
};

}  // namespace platform
