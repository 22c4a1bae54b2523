#include "platform/SdlSystem.h"

#include <SDL.h>

#include <cstdio>

namespace platform {

bool SdlSystem::Init() {
    // The game installs its own quit signals; SDL must not take them over.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "SDL could not start: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void SdlSystem::Quit() { SDL_Quit(); }

}  // namespace platform
