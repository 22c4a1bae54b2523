#pragma once
// Number parsing for the cipher's string class.
#include "engine/core/String.h"

namespace ZQ2 {

class Integer {
public:
    // strtol of the text: leading blanks skipped, reading stops at the first
    // byte that does not fit, nothing readable gives 0.
    static int parseInt(const String& text) { return parseInt(text, 10); }
    static int parseInt(const String& text, int radix);
};

}  // namespace ZQ2
