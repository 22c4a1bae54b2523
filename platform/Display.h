#pragma once
// The desktop's size and colour depth on the first display, read through SDL.
namespace platform {

class Display {
public:
    // Each answers 0 when no display can be queried. SDL's video subsystem
    // is started for the query when nobody has started it yet, and stays
    // started until SDL_Quit.
    static int Width();
    static int Height();
    // Bits of storage per pixel (32 for the usual 8-bit-per-channel modes).
    static int BitsPerPixel();
};

}  // namespace platform
