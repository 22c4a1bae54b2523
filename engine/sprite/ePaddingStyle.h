#pragma once
// Whether a label moves its text to cancel the font's glyph padding.

namespace ZQ2 {

enum ePaddingStyle : int {
    // The text origin moves by the padding, away from the anchor side.
    PADDINGSTYLE_OFFSET = 0,
    PADDINGSTYLE_NONE = 1,
};

}  // namespace ZQ2
