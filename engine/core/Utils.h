#pragma once
// Free helpers on byte strings and code points: search and replace, split
// and trim, number parsing and formatting, time texts, digit grouping, and
// the character classes the text layout uses for spaces, breaks and hyphens.

#include <string>

#include "engine/core/ZQVector.h"

namespace Utils {

bool Replace(std::string& text, const std::string& find, const std::string& with, bool all);
void SplitString(const std::string& text, ZQ2::ZQVector<std::string>& out, const std::string& separator,
                 bool keepEmpty);
bool TrimString(std::string& text, const std::string& set, bool left, bool right);

// "#ff", "0xff" and "0XFF" read as hexadecimal (the 32-bit pattern, so ARGB
// colours come back whole), anything else as decimal; reading stops at the
// first unfit character, and out-of-range values saturate.
int ParseInt(const std::string& text);

std::string ToString(int value);
std::string ToHexString(int value);
std::string ToPointerString(const void* pointer);
std::string ToString(float value, int decimals, bool stripZeros);
std::string ToNumberString(unsigned int value, const std::string& separator);

void LongToTime(unsigned long milliseconds, int& hours, int& minutes, int& seconds);
std::string LongToTimeStr(unsigned long milliseconds, bool alwaysMinutes, bool padMinutes);

bool IsNewLine(unsigned long codePoint);
bool IsBreakingSpace(unsigned long codePoint);
bool IsSpace(unsigned long codePoint);
bool IsBreakingWhitespace(unsigned long codePoint);
bool IsWhitespace(unsigned long codePoint);
bool IsHyphen(unsigned long codePoint);

}  // namespace Utils
