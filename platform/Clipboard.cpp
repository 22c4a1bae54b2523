#include "platform/Clipboard.h"

#include <SDL.h>

namespace platform {

bool Clipboard::SetText(const std::string& text) {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    return SDL_SetClipboardText(text.c_str()) == 0;
}

std::string Clipboard::GetText() {
    if (!SDL_WasInit(SDL_INIT_VIDEO) || !SDL_HasClipboardText())
        return "";
    char* text = SDL_GetClipboardText();
    if (!text)
        return "";
    std::string result(text);
    SDL_free(text);
    return result;
}

}  // namespace platform
