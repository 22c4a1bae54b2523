#include "engine/core/Utils.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace Utils {

namespace {

int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

bool IsScanSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads like scanf's %d or %x from pos: blanks, a sign, for hexadecimal an
// optional 0x, then digits. Decimal saturates to the int range; hexadecimal
// gives the unsigned 32-bit pattern, saturating at 0xFFFFFFFF.
int ReadNumber(const std::string& text, size_t pos, int base) {
    const size_t size = text.size();
    while (pos < size && IsScanSpace(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < size && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    if (base == 16 && pos + 2 < size && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
        DigitValue(text[pos + 2], 16) >= 0)
        pos += 2;
    const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t value = 0;
    for (int digit; pos < size && (digit = DigitValue(text[pos], base)) >= 0; ++pos) {
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (value > limit)
            value = limit;
    }
    if (base == 16) {
        const uint32_t bits = static_cast<uint32_t>(value);
        return static_cast<int>(negative ? 0u - bits : bits);
    }
    return negative ? static_cast<int>(-static_cast<int64_t>(value)) : static_cast<int>(value);
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out;
    if (length > 0) {
        out.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(&out[0], out.size(), format, again);
        out.resize(static_cast<size_t>(length));
    }
    va_end(again);
    return out;
}

}  // namespace

bool Replace(std::string& text, const std::string& find, const std::string& with, bool all) {
    if (find.empty())
        return false;
    bool replaced = false;
    size_t pos = 0;
    while ((pos = text.find(find, pos)) != std::string::npos) {
        text.replace(pos, find.size(), with);
        replaced = true;
        if (!all)
            break;
        pos += with.size();
    }
    return replaced;
}

void SplitString(const std::string& text, ZQ2::ZQVector<std::string>& out, const std::string& separator,
                 bool keepEmpty) {
    if (separator.empty()) {
        if (!text.empty())
            out.push_back(text);
        return;
    }
    size_t start = 0;
    size_t found;
    while ((found = text.find(separator, start)) != std::string::npos) {
        if (found > start || keepEmpty)
            out.push_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    if (start < text.size())
        out.push_back(text.substr(start));
}

bool TrimString(std::string& text, const std::string& set, bool left, bool right) {
    const size_t size = text.size();
    size_t first = std::string::npos;
    size_t last = std::string::npos;
    bool anyKept = false;
    for (size_t pos = 0; pos < size; ++pos) {
        if (set.find(text[pos]) != std::string::npos)
            continue;
        anyKept = true;
        if (left && first == std::string::npos)
            first = pos;
        if (right)
            last = pos;
    }
    if (!anyKept) {
        if (text.empty())
            return false;
        text.clear();
        return true;
    }
    if (!left)
        first = 0;
    if (!right)
        last = size - 1;
    if (first == 0 && last == size - 1)
        return false;
    text = text.substr(first, last - first + 1);
    return true;
}

int ParseInt(const std::string& text) {
    if (text.empty())
        return 0;
    if (text[0] == '#')
        return ReadNumber(text, 1, 16);
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ReadNumber(text, 2, 16);
    return ReadNumber(text, 0, 10);
}

std::string ToString(int value) {
    return Format("%d", value);
}

std::string ToHexString(int value) {
    return Format("%X", static_cast<unsigned int>(value));
}

std::string ToPointerString(const void* pointer) {
    return "0x" + Format("%llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
}

std::string ToString(float value, int decimals, bool stripZeros) {
    if (decimals < 0)
        decimals = 0;
    std::string out = Format("%.*f", decimals, static_cast<double>(value));
    if (!stripZeros || out.find('.') == std::string::npos)
        return out;
    out.erase(out.find_last_not_of('0') + 1);
    if (out.back() == '.')
        out.pop_back();
    return out;
}

std::string ToNumberString(unsigned int value, const std::string& separator) {
    const std::string digits = Format("%u", value);
    std::string out;
    const size_t size = digits.size();
    for (size_t k = 0; k < size; ++k) {
        if (k > 0 && (size - k) % 3 == 0)
            out += separator;
        out += digits[k];
    }
    return out;
}

void LongToTime(unsigned long milliseconds, int& hours, int& minutes, int& seconds) {
    hours = static_cast<int>(milliseconds / 3600000);
    const unsigned long rest = milliseconds % 3600000;
    minutes = static_cast<int>(rest / 60000);
    seconds = static_cast<int>(rest % 60000 / 1000);
}

std::string LongToTimeStr(unsigned long milliseconds, bool alwaysMinutes, bool padMinutes) {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    LongToTime(milliseconds, hours, minutes, seconds);
    std::string out;
    if (hours > 0)
        out += ToString(hours) + ":";
    if (hours > 0 || minutes > 0 || alwaysMinutes)
        out += (padMinutes && minutes <= 9 ? "0" : "") + ToString(minutes) + ":";
    out += (seconds <= 9 ? "0" : "") + ToString(seconds);
    return out;
}

bool IsNewLine(unsigned long c) {
    return c == 0x0A || c == 0x0D || c == 0x2028 || c == 0x2029;
}

bool IsBreakingSpace(unsigned long c) {
    return c == 0x20 || (c >= 0x2000 && c <= 0x200B) || c == 0x205F || c == 0x3000;
}

bool IsSpace(unsigned long c) {
    return IsBreakingSpace(c) || c == 0xA0 || c == 0x202F;
}

bool IsBreakingWhitespace(unsigned long c) {
    return c == 0x09 || IsNewLine(c) || IsBreakingSpace(c);
}

bool IsWhitespace(unsigned long c) {
    return c == 0x09 || IsNewLine(c) || IsSpace(c);
}

bool IsHyphen(unsigned long c) {
    static const unsigned long kSingles[] = {0x2D,   0x58A,  0x5BE,  0x1806, 0x2E17, 0x2E1A, 0x301C,
                                             0x3030, 0x30A0, 0xFE31, 0xFE32, 0xFE58, 0xFE63, 0xFF0D};
    if (c >= 0x2010 && c <= 0x2015)
        return true;
    for (unsigned long single : kSingles) {
        if (c == single)
            return true;
    }
    return false;
}

}  // namespace Utils
