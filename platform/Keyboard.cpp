#include "platform/Keyboard.h"

#include <SDL.h>

namespace platform {
namespace {

struct KeyPair {
    unsigned engineKey;
    SDL_Scancode scancode;
};

// One row per key; each engine code and each scancode appears at most once,
// so the table reads the same in both directions. The engine tells the two
// shift keys apart but has one code for control and one for alt, which the
// left keys carry; the right control and right alt keys have none.
constexpr KeyPair kKeys[] = {
    {1, SDL_SCANCODE_BACKSPACE},   {2, SDL_SCANCODE_TAB},       {4, SDL_SCANCODE_DELETE},
    {5, SDL_SCANCODE_RETURN},      {6, SDL_SCANCODE_LSHIFT},    {8, SDL_SCANCODE_RSHIFT},
    {9, SDL_SCANCODE_LCTRL},       {12, SDL_SCANCODE_LALT},     {16, SDL_SCANCODE_ESCAPE},
    {17, SDL_SCANCODE_SPACE},      {18, SDL_SCANCODE_END},      {19, SDL_SCANCODE_HOME},
    {20, SDL_SCANCODE_LEFT},       {21, SDL_SCANCODE_UP},       {22, SDL_SCANCODE_RIGHT},
    {23, SDL_SCANCODE_DOWN},       {26, SDL_SCANCODE_LGUI},     {30, SDL_SCANCODE_CAPSLOCK},
    {33, SDL_SCANCODE_KP_0},       {34, SDL_SCANCODE_KP_1},     {35, SDL_SCANCODE_KP_2},
    {36, SDL_SCANCODE_KP_3},       {37, SDL_SCANCODE_KP_4},     {38, SDL_SCANCODE_KP_5},
    {39, SDL_SCANCODE_KP_6},       {40, SDL_SCANCODE_KP_7},     {41, SDL_SCANCODE_KP_8},
    {42, SDL_SCANCODE_KP_9},       {43, SDL_SCANCODE_KP_MULTIPLY}, {44, SDL_SCANCODE_KP_PLUS},
    {46, SDL_SCANCODE_KP_MINUS},   {47, SDL_SCANCODE_KP_PERIOD}, {48, SDL_SCANCODE_KP_DIVIDE},
    {53, SDL_SCANCODE_F1},         {54, SDL_SCANCODE_F2},       {55, SDL_SCANCODE_F3},
    {56, SDL_SCANCODE_F4},         {57, SDL_SCANCODE_F5},       {58, SDL_SCANCODE_F6},
    {59, SDL_SCANCODE_F7},         {60, SDL_SCANCODE_F8},       {61, SDL_SCANCODE_F9},
    {62, SDL_SCANCODE_F10},        {63, SDL_SCANCODE_F11},      {64, SDL_SCANCODE_F12},
    {65, SDL_SCANCODE_F13},        {66, SDL_SCANCODE_F14},      {67, SDL_SCANCODE_F15},
    {68, SDL_SCANCODE_F16},        {69, SDL_SCANCODE_F17},      {70, SDL_SCANCODE_F18},
    {71, SDL_SCANCODE_F19},        {72, SDL_SCANCODE_F20},
};

}  // namespace

unsigned Keyboard::EngineKeyFromScancode(unsigned scancode) {
    for (const KeyPair& key : kKeys) {
        if (static_cast<unsigned>(key.scancode) == scancode)
            return key.engineKey;
    }
    return 0;
}

unsigned Keyboard::ScancodeFromEngineKey(unsigned engineKey) {
    for (const KeyPair& key : kKeys) {
        if (key.engineKey == engineKey)
            return static_cast<unsigned>(key.scancode);
    }
    return 0;
}

unsigned Keyboard::ModifierState() {
    const SDL_Keymod held = SDL_GetModState();
    unsigned state = 0;
    if (held & KMOD_LSHIFT)
        state |= MOD_LEFT_SHIFT;
    if (held & KMOD_RSHIFT)
        state |= MOD_RIGHT_SHIFT;
    if (held & KMOD_LCTRL)
        state |= MOD_LEFT_CONTROL;
    if (held & KMOD_RCTRL)
        state |= MOD_RIGHT_CONTROL;
    if (held & KMOD_LALT)
        state |= MOD_LEFT_ALT;
    if (held & KMOD_RALT)
        state |= MOD_RIGHT_ALT;
    return state;
}

}  // namespace platform
