#pragma once
// Horizontal alignment of text lines.

namespace ZQ2 {

enum eAlignH : int {
    ALIGNH_LEFT = 0,
    ALIGNH_CENTER = 1,
    ALIGNH_RIGHT = 2,
};

}  // namespace ZQ2
