#pragma once
// Hands an address to the desktop's opener (xdg-open) in a detached process,
// so the game neither waits for the browser nor leaves a zombie behind.
#include <functional>
#include <string>

namespace platform {

class BrowserLauncher {
public:
    // Starts the opener with the address as its one argument (no shell is
    // involved). True once the opener program runs; false when it could not
    // be found or executed. The browser's own run is not waited for.
    static bool Open(const std::string& address);

    // Replaces the opener (tests record the address instead of starting a
    // browser). An empty launcher restores xdg-open.
    using Launcher = std::function<bool(const std::string& address)>;
    static void SetLauncher(Launcher launcher);

    // The executable that a name resolves to along PATH, or "" when none.
    static std::string FindExecutable(const std::string& name);
};

}  // namespace platform
