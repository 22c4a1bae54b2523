#pragma once
// How a label fits its text into its box.

namespace ZQ2 {

enum eTextWrapStyle : int {
    // Lines break only at newlines; the box takes the widest line's width.
    TEXTWRAP_AUTOWIDTH = 0,
    // Paragraphs break into lines no wider than the box.
    TEXTWRAP_WORDWRAP = 1,
    // Paragraphs too wide for the box are cut and end with an ellipsis.
    TEXTWRAP_TRUNCATE = 2,
};

}  // namespace ZQ2
