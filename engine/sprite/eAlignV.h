#pragma once
// Vertical alignment of words on a text line.

namespace ZQ2 {

enum eAlignV : int {
    ALIGNV_TOP = 0,
    ALIGNV_CENTER = 1,
    ALIGNV_BASELINE = 2,
    ALIGNV_BOTTOM = 3,
};

}  // namespace ZQ2
