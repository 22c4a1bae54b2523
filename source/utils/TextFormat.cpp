#include "source/utils/TextFormat.h"

#include <cstdint>
#include <utility>

namespace {

// Wider fields and precisions than this are refused: a text is no place for
// padding, and a bound keeps what a text can ask for small.
constexpr int kMaxFieldDigits = 2;

// One conversion of a text as written, from its '%' on.
struct Conversion {
    bool bLeft = false;
    bool bPlus = false;
    bool bSpace = false;
    bool bZero = false;
    size_t nWidth = 0;
    int iPrecision = -1;
    char cType = '\0';
    size_t nLength = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at text[at]; false when there are too many.
bool ReadNumber(const std::string& text, size_t& at, int& number) {
    number = 0;
    for (int digits = 0; at < text.size() && IsDigit(text[at]); ++at) {
        if (++digits > kMaxFieldDigits)
            return false;
        number = number * 10 + (text[at] - '0');
    }
    return true;
}

void ReadFlags(const std::string& text, size_t& at, Conversion& conversion) {
    for (; at < text.size(); ++at) {
        switch (text[at]) {
        case '-': conversion.bLeft = true; break;
        case '+': conversion.bPlus = true; break;
        case ' ': conversion.bSpace = true; break;
        case '0': conversion.bZero = true; break;
        default: return;
        }
    }
}

// Reads the conversion whose '%' is at text[at]; false when what follows is
// not one this class fills.
bool ReadConversion(const std::string& text, size_t at, Conversion& conversion) {
    size_t i = at + 1;
    ReadFlags(text, i, conversion);
    int width = 0;
    if (!ReadNumber(text, i, width))
        return false;
    conversion.nWidth = static_cast<size_t>(width);
    if (i < text.size() && text[i] == '.' && !ReadNumber(text, ++i, conversion.iPrecision))
        return false;
    if (i >= text.size())
        return false;
    conversion.cType = text[i];
    conversion.nLength = i + 1 - at;
    if (conversion.cType == 'd' || conversion.cType == 'i')
        return true;
    // A word takes a width and nothing else.
    return conversion.cType == 's' && !conversion.bPlus && !conversion.bSpace && !conversion.bZero &&
           conversion.iPrecision < 0;
}

std::string Padded(std::string text, size_t shown, const Conversion& conversion) {
    if (shown >= conversion.nWidth)
        return text;
    const std::string pad(conversion.nWidth - shown, ' ');
    return conversion.bLeft ? text + pad : pad + text;
}

std::string IntText(const Conversion& conversion, int value) {
    const int64_t wide = value;
    uint64_t magnitude = static_cast<uint64_t>(wide < 0 ? -wide : wide);
    std::string digits;
    for (; magnitude != 0; magnitude /= 10)
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
    const size_t precision = conversion.iPrecision < 0 ? 1 : static_cast<size_t>(conversion.iPrecision);
    if (digits.size() < precision)
        digits.insert(0, precision - digits.size(), '0');
    const char* sign = value < 0 ? "-" : conversion.bPlus ? "+" : conversion.bSpace ? " " : "";
    const std::string number = sign + digits;
    // Zeros go between the sign and the digits, and only where no precision
    // already says how many digits to show.
    if (conversion.bZero && !conversion.bLeft && conversion.iPrecision < 0 && number.size() < conversion.nWidth)
        return sign + std::string(conversion.nWidth - number.size(), '0') + digits;
    return Padded(number, number.size(), conversion);
}

// The characters a UTF-8 word shows, for its padding.
size_t ShownLength(const std::string& word) {
    size_t shown = 0;
    for (char c : word)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++shown;
    return shown;
}

}  // namespace

TextFormat::TextFormat(std::string text) : m_sText(std::move(text)) {}

TextFormat& TextFormat::Int(int value) {
    m_Values.push_back({true, value, std::string()});
    return *this;
}

TextFormat& TextFormat::Str(std::string value) {
    m_Values.push_back({false, 0, std::move(value)});
    return *this;
}

std::string TextFormat::ToString() const {
    bool exact = false;
    return Fill(exact);
}

std::string TextFormat::ToStringOr(const std::string& fallback) const {
    bool exact = false;
    std::string filled = Fill(exact);
    return exact ? filled : fallback;
}

std::string TextFormat::Fill(bool& exact) const {
    std::string out;
    exact = true;
    size_t next = 0;
    for (size_t i = 0; i < m_sText.size(); ++i) {
        if (m_sText[i] != '%') {
            out += m_sText[i];
            continue;
        }
        if (i + 1 < m_sText.size() && m_sText[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        Conversion conversion;
        const bool fits = ReadConversion(m_sText, i, conversion) && next < m_Values.size() &&
                          m_Values[next].m_bIsInt == (conversion.cType != 's');
        if (!fits) {
            // The rest of the conversion follows as plain text.
            exact = false;
            out += '%';
            continue;
        }
        const Value& value = m_Values[next++];
        out += value.m_bIsInt ? IntText(conversion, value.m_iValue)
                              : Padded(value.m_sValue, ShownLength(value.m_sValue), conversion);
        i += conversion.nLength - 1;
    }
    if (next < m_Values.size())
        exact = false;
    return out;
}
