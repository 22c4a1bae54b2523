#pragma once
// The desktop clipboard's text, through SDL (needs SDL video initialised).
#include <string>

namespace platform {

class Clipboard {
public:
    // False when the clipboard could not take the text.
    static bool SetText(const std::string& text);
    // The clipboard's text as UTF-8, or "" when it holds none.
    static std::string GetText();
};

}  // namespace platform
