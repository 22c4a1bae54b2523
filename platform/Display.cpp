#include "platform/Display.h"

#include <SDL.h>

namespace platform {
namespace {

bool DesktopMode(SDL_DisplayMode& mode) {
    const bool started = !SDL_WasInit(SDL_INIT_VIDEO);
    if (started && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    const bool ok = SDL_GetDesktopDisplayMode(0, &mode) == 0;
    if (started)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return ok;
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
