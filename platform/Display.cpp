#include "platform/Display.h"

#include <SDL.h>

namespace platform {
namespace {

// Video is started for the query when nobody has started it yet, and left
// running: SDL's X11 driver often fails to open the display again right
// after closing it, and the game's window follows the first query at once.
// SDL_Quit ends it with everything else.
bool DesktopMode(SDL_DisplayMode& mode) {
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    return SDL_GetDesktopDisplayMode(0, &mode) == 0;
}

}  // namespace

int Display::Width() {
    SDL_DisplayMode mode;
    return DesktopMode(mode) ? mode.w : 0;
}

int Display::Height() {
    SDL_DisplayMode mode;
    return DesktopMode(mode) ? mode.h : 0;
}

int Display::BitsPerPixel() {
    SDL_DisplayMode mode;
    if (!DesktopMode(mode))
        return 0;
    const int bytes = SDL_BYTESPERPIXEL(mode.format);
    return bytes > 0 ? bytes * 8 : static_cast<int>(SDL_BITSPERPIXEL(mode.format));
}

}  // namespace platform
