#include "engine/core/CipherCodec.h"

#include "engine/core/Integer.h"

namespace ZQ2 {
namespace cipher {

namespace {

String Encode(const String& text, const char* digits) {
    String code;
    for (int i = 0; i < text.length(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text.charAt(i));
        code += digits[byte >> 4];
        code += digits[byte & 0x0F];
    }
    return code;
}

int Alpha16Digit(char letter) {
    for (int d = 0; d < 16; ++d) {
        if (ALPHA_DIGITS[d] == letter)
            return d;
    }
    return 0;
}

}  // namespace

String alpha16Encode(const String& text) { return Encode(text, ALPHA_DIGITS); }

String hexEncode(const String& text) { return Encode(text, HEX_DIGITS); }

String alpha16Decode(const String& code) {
    String text;
    for (int i = 0; i + 1 < code.length(); i += 2)
        text += static_cast<char>(Alpha16Digit(code.charAt(i)) * 16 + Alpha16Digit(code.charAt(i + 1)));
    return text;
}

String hexDecode(const String& code) {
    String text;
    for (int i = 0; i + 1 < code.length(); i += 2)
        text += static_cast<char>(Integer::parseInt(code.substring(i, i + 2), 16));
    return text;
}

}  // namespace cipher
}  // namespace ZQ2
