#include "platform/EventPump.h"

#include <SDL.h>

#include <atomic>
#include <utility>

namespace platform {
namespace {

EventPump::Handler& CurrentHandler() {
    static EventPump::Handler handler;
    return handler;
}

// A quit posted while SDL's event queue is down is remembered here instead.
std::atomic<bool> g_bQuitPending{false};

void Deliver(const SDL_Event& event) {
    if (CurrentHandler())
        CurrentHandler()(event);
}

}  // namespace

void EventPump::SetHandler(Handler handler) { CurrentHandler() = std::move(handler); }

bool EventPump::DispatchOne() {
    SDL_Event event;
    if (SDL_WasInit(SDL_INIT_EVENTS) && SDL_PollEvent(&event) == 1) {
        Deliver(event);
        return true;
    }
    if (g_bQuitPending.exchange(false)) {
        SDL_zero(event);
        event.type = SDL_QUIT;
        Deliver(event);
        return true;
    }
    return false;
}

bool EventPump::WaitOne(int timeoutMs) {
    SDL_Event event;
    if (!SDL_WasInit(SDL_INIT_EVENTS) || SDL_WaitEventTimeout(&event, timeoutMs) != 1)
        return false;
    Deliver(event);
    return true;
}

void EventPump::PostQuit() {
    if (SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_QUIT;
        if (SDL_PushEvent(&event) == 1)
            return;
    }
    g_bQuitPending = true;
}

}  // namespace platform
