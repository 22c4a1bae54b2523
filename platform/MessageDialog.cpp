#include "platform/MessageDialog.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace platform {
namespace {

MessageDialog::Presenter& CurrentPresenter() {
    static MessageDialog::Presenter presenter;
    return presenter;
}

bool IsHeadlessDriver(const char* name) {
    return name && (std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0 ||
                    std::strcmp(name, "evdev") == 0);
}

bool IsSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

void WriteToStandardError(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s\n\t%s\n", caption.c_str(), text.c_str());
}

int ShowWithSdl(const std::string& caption, const std::string& text,
                const std::vector<std::string>& buttons) {
    std::vector<SDL_MessageBoxButtonData> data(buttons.size());
    for (size_t i = 0; i < buttons.size(); ++i) {
        data[i].flags = 0;
        if (i == 0)
            data[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (i + 1 == buttons.size())
            data[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data[i].buttonid = static_cast<int>(i);
        data[i].text = buttons[i].c_str();
    }
    SDL_MessageBoxData box;
    SDL_zero(box);
    box.flags = SDL_MESSAGEBOX_WARNING | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.title = caption.c_str();
    box.message = text.c_str();
    box.numbuttons = static_cast<int>(data.size());
    box.buttons = data.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) {
        WriteToStandardError(caption, text);
        return 0;
    }
    return pressed;
}

}  // namespace

int MessageDialog::Show(const std::string& caption, const std::string& text,
                        const std::vector<std::string>& buttons) {
    if (CurrentPresenter())
        return CurrentPresenter()(caption, text, buttons);
    if (buttons.empty() || !HasVisibleDisplay()) {
        WriteToStandardError(caption, text);
        return 0;
    }
    return ShowWithSdl(caption, text, buttons);
}

void MessageDialog::SetPresenter(Presenter presenter) { CurrentPresenter() = std::move(presenter); }

bool MessageDialog::HasVisibleDisplay() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        if (IsHeadlessDriver(SDL_GetCurrentVideoDriver()))
            return false;
    } else if (IsHeadlessDriver(SDL_getenv("SDL_VIDEODRIVER"))) {
        return false;
    }
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

}  // namespace platform
