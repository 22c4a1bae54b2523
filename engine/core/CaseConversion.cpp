#include "engine/core/CaseConversion.h"

#include "engine/core/UTF8Iterator.h"

namespace ZQ2 {

namespace {

int CountRows(const uint32_t (*table)[5]) {
    int rows = 0;
    while (table[rows][0] != 0)
        ++rows;
    return rows;
}

// Sources above 32 bits would be cut by the table search and match a wrong
// row; nothing beyond the Unicode range has a mapping anyway.
bool IsMappable(unsigned long codePoint) {
    return codePoint != 0 && codePoint <= 0x10FFFF;
}

UTF8String Convert(const uint32_t* row, unsigned long codePoint) {
    UTF8String out;
    if (!row) {
        out.Append(codePoint);
        return out;
    }
    for (int k = 1; k < 5 && row[k] != 0; ++k)
        out.Append(static_cast<unsigned long>(row[k]));
    return out;
}

UTF8String ConvertText(const UTF8String& text, const uint32_t* (*lookUp)(unsigned long)) {
    UTF8String out;
    const int size = static_cast<int>(text.size());
    for (int pos = 0; pos < size;) {
        const int next = text.GetNextBufferPosition(pos);
        const uint32_t* row = lookUp(UTF8String::ConvertUTF8StringToUTF32Character(text, pos));
        if (row)
            out.Append(Convert(row, 0));
        else
            out.Append(text.substr(static_cast<size_t>(pos), static_cast<size_t>(next - pos)));
        pos = next;
    }
    return out;
}

}  // namespace

void InitConversion() {
    if (g_ToLowercaseCount.load(std::memory_order_acquire) != 0)
        return;
    g_ToUppercaseCount.store(CountRows(g_ToUppercase), std::memory_order_release);
    g_ToLowercaseCount.store(CountRows(g_ToLowercase), std::memory_order_release);
}

const uint32_t* BinarySearch(const uint32_t* table, int rows, unsigned int codePoint) {
    int low = 0;
    int high = rows - 1;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        const uint32_t* row = table + middle * 5;
        if (row[0] < codePoint)
            low = middle + 1;
        else if (row[0] > codePoint)
            high = middle - 1;
        else
            return row;
    }
    return nullptr;
}

// These count the tables too, so a look-up never misses for want of a
// conversion having run first.
const uint32_t* GetUppercaseArray(unsigned long codePoint) {
    if (!IsMappable(codePoint))
        return nullptr;
    InitConversion();
    return BinarySearch(g_ToUppercase[0], g_ToUppercaseCount.load(std::memory_order_acquire),
                        static_cast<unsigned int>(codePoint));
}

const uint32_t* GetLowercaseArray(unsigned long codePoint) {
    if (!IsMappable(codePoint))
        return nullptr;
    InitConversion();
    return BinarySearch(g_ToLowercase[0], g_ToLowercaseCount.load(std::memory_order_acquire),
                        static_cast<unsigned int>(codePoint));
}

UTF8String ToUppercase(const UTF8String& text) {
    return ConvertText(text, GetUppercaseArray);
}

UTF8String ToLowercase(const UTF8String& text) {
    return ConvertText(text, GetLowercaseArray);
}

UTF8String ToUppercase(unsigned long codePoint) {
    if (codePoint == 0)
        return UTF8String();
    return Convert(GetUppercaseArray(codePoint), codePoint);
}

UTF8String ToLowercase(unsigned long codePoint) {
    if (codePoint == 0)
        return UTF8String();
    return Convert(GetLowercaseArray(codePoint), codePoint);
}

unsigned long GetUppercase7Bit(unsigned long codePoint) {
    const uint32_t* row = GetUppercaseArray(codePoint);
    return row ? row[1] : codePoint;
}

unsigned long GetLowercase7Bit(unsigned long codePoint) {
    const uint32_t* row = GetLowercaseArray(codePoint);
    return row ? row[1] : codePoint;
}

std::string ToUTF8(unsigned long codePoint) {
    return UTF8String::ConvertUTF32CharacterToUTF8String(codePoint);
}

}  // namespace ZQ2
