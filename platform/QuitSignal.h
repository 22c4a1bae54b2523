#pragma once
// SIGINT and SIGTERM become a pending quit request that the main loop turns
// into the ordinary quit message, so a terminal or a session manager ends the
// game through the same orderly shutdown as the window's close button.

namespace platform {

class QuitSignal {
public:
    // Installs the handlers; safe to call more than once.
    static void Install();
    // True once for each signal received since the last call.
    static bool TakePending();
    // For tests: behave as if a signal had arrived.
    static void Raise();
};

}  // namespace platform
