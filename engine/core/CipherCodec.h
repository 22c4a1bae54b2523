#pragma once
// Text encodings of bytes used with the cipher: alpha16 (two letters of
// ALPHA_DIGITS per byte) and upper-case hexadecimal.
#include "engine/core/String.h"

namespace ZQ2 {
namespace cipher {

// The first 16 letters are the alpha16 digits.
inline constexpr const char* ALPHA_DIGITS = "ABCDEFGHKMNPWRST0123456789ABCDEF";
inline constexpr const char* HEX_DIGITS = "0123456789ABCDEF";

// Each byte becomes two digits, high nibble first.
String alpha16Encode(const String& text);
String hexEncode(const String& text);
// Each pair of digits gives one byte; an unknown digit counts as 0 and an odd
// last digit is ignored.
String alpha16Decode(const String& code);
String hexDecode(const String& code);

}  // namespace cipher
}  // namespace ZQ2
