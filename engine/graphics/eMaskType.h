#pragma once
// What a mask holds per pixel.

namespace ZQ2 {

enum eMaskType : int {
    MASKTYPE_ALPHA = 0,     // 8 bits of alpha
    MASKTYPE_BIT = 1,       // 1 bit: alpha at or above a threshold
    MASKTYPE_COLORLUT = 2,  // 32-bit ARGB colours, a look-up table
};

}  // namespace ZQ2
