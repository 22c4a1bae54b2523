#include "platform/GlWindow.h"

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <set>

namespace platform {
namespace {

int CollectModule(dl_phdr_info* info, size_t, void* names) {
    if (info->dlpi_name && *info->dlpi_name)
        static_cast<std::set<std::string>*>(names)->insert(info->dlpi_name);
    return 0;
}

std::set<std::string> LoadedModules() {
    std::set<std::string> names;
    dl_iterate_phdr(CollectModule, &names);
    return names;
}

// SDL unloads the GL library with its last window, and Mesa's drivers leave
// their allocations behind when unloaded (and reload LLVM next time). The
// modules the first context brought in therefore stay for the process.
void KeepGlDriverResident(const std::set<std::string>& before) {
    static bool s_bDone = false;
    if (s_bDone)
        return;
    s_bDone = true;
    for (const std::string& name : LoadedModules()) {
        if (!before.count(name))
            dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    }
}

SDL_SystemCursor SystemCursorOf(GlWindow::Cursor cursor) {
    switch (cursor) {
        case GlWindow::Cursor::Hand: return SDL_SYSTEM_CURSOR_HAND;
        case GlWindow::Cursor::IBeam: return SDL_SYSTEM_CURSOR_IBEAM;
        case GlWindow::Cursor::Wait: return SDL_SYSTEM_CURSOR_WAIT;
        case GlWindow::Cursor::NotAllowed: return SDL_SYSTEM_CURSOR_NO;
        default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

}  // namespace

void GlWindow::SetContextAttributes() {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

std::shared_ptr<GlWindow> GlWindow::Create(const std::string& title, int x, int y, int width, int height) {
    // The game turns signals into quit requests itself, and a click on the
    // close button must reach it as a window event, not end SDL's loop.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (width < 1 || height < 1) {
        std::fprintf(stderr, "Window size %dx%d is not usable.\n", width, height);
        return nullptr;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL video could not start: %s\n", SDL_GetError());
        return nullptr;
    }
    std::shared_ptr<GlWindow> window(new GlWindow());
    window->m_bVideoStarted = true;

    const std::set<std::string> modulesBefore = LoadedModules();
    SetContextAttributes();
    window->m_pWindow = SDL_CreateWindow(title.c_str(), x, y, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window->m_pWindow) {
        std::fprintf(stderr, "The window could not be created: %s\n", SDL_GetError());
        return nullptr;
    }
    window->m_nId = SDL_GetWindowID(window->m_pWindow);
    window->m_pContext = SDL_GL_CreateContext(window->m_pWindow);
    if (!window->m_pContext) {
        std::fprintf(stderr, "No OpenGL context of the needed format: %s\n", SDL_GetError());
        return nullptr;
    }
    KeepGlDriverResident(modulesBefore);
    return window;
}

GlWindow::~GlWindow() {
    if (IsAlive()) {
        for (SDL_Cursor*& cursor : m_Cursors) {
            if (cursor)
                SDL_FreeCursor(cursor);
            cursor = nullptr;
        }
        if (m_pContext)
            SDL_GL_DeleteContext(m_pContext);
        SDL_DestroyWindow(m_pWindow);
    }
    if (m_bVideoStarted && SDL_WasInit(SDL_INIT_VIDEO))
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool GlWindow::IsAlive() const {
    // Asked by id, so a window that SDL freed behind our back is never read.
    return m_pWindow && SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetWindowFromID(m_nId) == m_pWindow;
}

bool GlWindow::MakeCurrent() {
    if (!m_pContext || !IsAlive())
        return false;
    return SDL_GL_MakeCurrent(m_pWindow, m_pContext) == 0;
}

void GlWindow::SwapBuffers() {
    if (IsAlive())
        SDL_GL_SwapWindow(m_pWindow);
}

void GlWindow::Show() {
    if (!IsAlive())
        return;
    SDL_ShowWindow(m_pWindow);
    SDL_RaiseWindow(m_pWindow);
}

void GlWindow::Hide() {
    if (IsAlive())
        SDL_HideWindow(m_pWindow);
}

void GlWindow::SetTitle(const std::string& title) {
    if (IsAlive())
        SDL_SetWindowTitle(m_pWindow, title.c_str());
}

void GlWindow::SetBounds(int x, int y, int width, int height) {
    if (!IsAlive())
        return;
    SDL_SetWindowSize(m_pWindow, width, height);
    SDL_SetWindowPosition(m_pWindow, x, y);
}

void GlWindow::GetBounds(int& x, int& y, int& width, int& height) const {
    x = y = width = height = 0;
    if (!IsAlive())
        return;
    SDL_GetWindowPosition(m_pWindow, &x, &y);
    SDL_GetWindowSize(m_pWindow, &width, &height);
}

void GlWindow::GetDrawableSize(int& width, int& height) const {
    width = height = 0;
    if (IsAlive())
        SDL_GL_GetDrawableSize(m_pWindow, &width, &height);
}

bool GlWindow::SetFullscreen(bool on) {
    if (!IsAlive())
        return false;
    return SDL_SetWindowFullscreen(m_pWindow, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

void GlWindow::SetCursor(Cursor cursor) {
    if (!IsAlive())
        return;
    const int index = static_cast<int>(cursor);
    if (index < 0 || index >= static_cast<int>(Cursor::Count))
        return;
    if (!m_Cursors[index])
        m_Cursors[index] = SDL_CreateSystemCursor(SystemCursorOf(cursor));
    SDL_Cursor* shown = m_Cursors[index] ? m_Cursors[index] : SDL_GetDefaultCursor();
    if (shown)
        SDL_SetCursor(shown);
}

uint32_t GlWindow::GetId() const { return m_nId; }

}  // namespace platform
