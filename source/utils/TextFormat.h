#pragma once
// Fills a text of the game's data with the values the code gives it. The text
// places them with printf-like conversions, but only a conversion that fits
// the next value given is filled in: %d or %i for an Int, %s for a Str. Any
// other (a wrong type, one value too many, %n, *, positional or with a length
// modifier) shows as written, so no text can make the program read or write
// what it was not given.
#include <string>
#include <vector>

class TextFormat {
public:
    explicit TextFormat(std::string text);

    // The values, in the order the text's conversions take them.
    TextFormat& Int(int value);
    TextFormat& Str(std::string value);

    // The filled text; a conversion that fits no value shows as written.
    std::string ToString() const;
    // The filled text when each conversion took a value and each value was
    // taken, else fallback: for a text that must show its values or nothing.
    std::string ToStringOr(const std::string& fallback) const;

private:
    struct Value {
        bool m_bIsInt;
        int m_iValue;
        std::string m_sValue;
    };
    std::string Fill(bool& exact) const;

    std::string m_sText;
    std::vector<Value> m_Values;
};
