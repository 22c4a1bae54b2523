#pragma once
// Which right edge a measured character reports.

namespace ZQ2 {

enum eFontWidth : int {
    // The glyph box's right edge, padding included.
    FONTWIDTH_BOX = 0,
    // Where the pen stands after the character: the next character's start.
    FONTWIDTH_PEN = 1,
    // The box's right edge without the padding while more text follows, so
    // that neighbouring characters do not count their padding twice.
    FONTWIDTH_JOINED = 2,
    FONTWIDTH_COUNT = 3,
};

}  // namespace ZQ2
