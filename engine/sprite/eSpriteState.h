#pragma once
// The visual state bits of a widget.

namespace ZQ2 {

enum eSpriteState : unsigned int {
    SPRITESTATE_OVER = 1,      // the mouse is over it
    SPRITESTATE_PRESSED = 2,   // held down by the mouse or a fire key
    SPRITESTATE_DISABLED = 4,  // takes no clicks
};

}  // namespace ZQ2
