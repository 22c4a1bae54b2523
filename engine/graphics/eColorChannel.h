#pragma once
// One byte of a 32-bit ARGB pixel; combined in BitFlags_t to select several.

namespace ZQ2 {

enum eColorChannel : unsigned int {
    COLORCHANNEL_BLUE = 1,   // bits 0-7
    COLORCHANNEL_GREEN = 2,  // bits 8-15
    COLORCHANNEL_RED = 4,    // bits 16-23
    COLORCHANNEL_ALPHA = 8,  // bits 24-31
};

}  // namespace ZQ2
