#pragma once
// Owns SDL's initialisation for the program: the event queue always, video
// and audio when their users ask for them. Quit once at the end.

namespace platform {

class SdlSystem {
public:
    // Starts SDL's event queue; false (with SDL's reason on stderr) on failure.
    static bool Init();
    static void Quit();
};

}  // namespace platform
