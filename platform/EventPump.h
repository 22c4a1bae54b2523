#pragma once
// One step of the system event loop: takes at most one pending SDL event and
// hands it to the handler that the game window installs. Main thread only.
#include <functional>

union SDL_Event;

namespace platform {

class EventPump {
public:
    using Handler = std::function<void(const SDL_Event&)>;

    // The receiver of every dispatched event; an empty handler drops them.
    static void SetHandler(Handler handler);

    // Takes one event without waiting. False when none was pending.
    static bool DispatchOne();
    // Waits up to timeoutMs for an event and hands it on. False when none came.
    static bool WaitOne(int timeoutMs);

    // Queues a quit request; it reaches the handler as SDL_QUIT on a later
    // DispatchOne, after the events already queued.
    static void PostQuit();
};

}  // namespace platform
