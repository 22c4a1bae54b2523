#pragma once
// Key codes and modifier state. Keys are identified by SDL scancodes (the
// physical key); the engine's own key codes are translated here, both ways.
namespace platform {

class Keyboard {
public:
    // Held modifier keys, one bit each.
    enum Modifier : unsigned {
        MOD_LEFT_SHIFT = 1u << 0,
        MOD_RIGHT_SHIFT = 1u << 1,
        MOD_LEFT_CONTROL = 1u << 2,
        MOD_RIGHT_CONTROL = 1u << 3,
        MOD_LEFT_ALT = 1u << 4,
        MOD_RIGHT_ALT = 1u << 5,
    };

    // The engine key code of a scancode; 0 for keys the engine has no code for.
    static unsigned EngineKeyFromScancode(unsigned scancode);
    // The scancode of an engine key code; 0 for codes without a key.
    static unsigned ScancodeFromEngineKey(unsigned engineKey);

    // The modifier keys held now, as Modifier bits.
    static unsigned ModifierState();
};

}  // namespace platform
