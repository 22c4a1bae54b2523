#pragma once
// Upper- and lower-case conversion of UTF-8 text by the unconditional full
// Unicode case mappings (one character may become several).

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/core/UTF8String.h"

namespace ZQ2 {

// Rows of source code point and up to four zero-ended targets, sorted by
// source, ended by a zero row (engine/core/CaseTables.cpp, generated).
extern const uint32_t g_ToUppercase[][5];
extern const uint32_t g_ToLowercase[][5];
// Row counts, 0 until the first conversion counts them.
extern std::atomic<int> g_ToUppercaseCount;
extern std::atomic<int> g_ToLowercaseCount;

void InitConversion();
const uint32_t* BinarySearch(const uint32_t* table, int rows, unsigned int codePoint);
const uint32_t* GetUppercaseArray(unsigned long codePoint);
const uint32_t* GetLowercaseArray(unsigned long codePoint);

UTF8String ToUppercase(const UTF8String& text);
UTF8String ToLowercase(const UTF8String& text);
UTF8String ToUppercase(unsigned long codePoint);
UTF8String ToLowercase(unsigned long codePoint);
unsigned long GetUppercase7Bit(unsigned long codePoint);
unsigned long GetLowercase7Bit(unsigned long codePoint);
std::string ToUTF8(unsigned long codePoint);

}  // namespace ZQ2
