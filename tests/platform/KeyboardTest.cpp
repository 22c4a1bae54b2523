#include "platform/Keyboard.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

using platform::Keyboard;

TEST(Keyboard, TablesAreExactInverses) {
    int mapped = 0;
    for (unsigned key = 0; key < 128; ++key) {
        const unsigned scancode = Keyboard::ScancodeFromEngineKey(key);
        if (scancode == 0)
            continue;
        ++mapped;
        EXPECT_EQ(Keyboard::EngineKeyFromScancode(scancode), key) << key;
    }
    EXPECT_EQ(mapped, 53);
    for (unsigned scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const unsigned key = Keyboard::EngineKeyFromScancode(scancode);
        if (key != 0) {
            EXPECT_EQ(Keyboard::ScancodeFromEngineKey(key), scancode) << scancode;
        }
    }
}

TEST(Keyboard, KnownKeysAndKeysWithoutCode) {
    const struct {
        SDL_Scancode scancode;
        unsigned key;
    } cases[] = {
        {SDL_SCANCODE_BACKSPACE, 1}, {SDL_SCANCODE_DELETE, 4},  {SDL_SCANCODE_ESCAPE, 16},
        {SDL_SCANCODE_LSHIFT, 6},    {SDL_SCANCODE_RSHIFT, 8},  {SDL_SCANCODE_LCTRL, 9},
        {SDL_SCANCODE_LALT, 12},     {SDL_SCANCODE_KP_0, 33},   {SDL_SCANCODE_KP_9, 42},
        {SDL_SCANCODE_KP_PERIOD, 47}, {SDL_SCANCODE_F1, 53},    {SDL_SCANCODE_F12, 64},
        {SDL_SCANCODE_F20, 72},      {SDL_SCANCODE_RALT, 0},    {SDL_SCANCODE_RCTRL, 0},
        {SDL_SCANCODE_A, 0},         {SDL_SCANCODE_KP_ENTER, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Keyboard::EngineKeyFromScancode(c.scancode), c.key) << SDL_GetScancodeName(c.scancode);
    for (unsigned key : {0u, 3u, 7u, 10u, 11u, 13u, 14u, 15u, 45u, 73u})
        EXPECT_EQ(Keyboard::ScancodeFromEngineKey(key), 0u) << key;
}

TEST(Keyboard, ModifierStateFollowsSdl) {
    SDL_SetModState(static_cast<SDL_Keymod>(KMOD_RSHIFT | KMOD_LCTRL | KMOD_RALT | KMOD_CAPS));
    EXPECT_EQ(Keyboard::ModifierState(),
              unsigned(Keyboard::MOD_RIGHT_SHIFT | Keyboard::MOD_LEFT_CONTROL | Keyboard::MOD_RIGHT_ALT));
    SDL_SetModState(KMOD_NONE);
    EXPECT_EQ(Keyboard::ModifierState(), 0u);
}

}  // namespace
