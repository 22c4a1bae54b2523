// Filling data texts: each conversion takes the next value only when it
// fits it; anything a text asks for beyond that shows as written.
#include "source/utils/TextFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct Value {
    bool bInt;
    int iValue;
    const char* sValue;
};

Value I(int value) { return {true, value, ""}; }
Value S(const char* value) { return {false, 0, value}; }

struct Case {
    std::string text;
    std::vector<Value> values;
    std::string shown;
    // Each conversion took a value and each value was taken.
    bool exact;
};

TextFormat Filled(const Case& c) {
    TextFormat format(c.text);
    for (const Value& value : c.values) {
        if (value.bInt)
            format.Int(value.iValue);
        else
            format.Str(value.sValue);
    }
    return format;
}

}  // namespace

TEST(TextFormat, FillsFittingConversionsAndShowsTheRestAsWritten) {
    const Case cases[] = {
        // The game's own texts and what printf makes of them.
        {"Day %d", {I(3)}, "Day 3", true},
        {"Earned: $%d", {I(1500)}, "Earned: $1500", true},
        {"Total: %i points", {I(-7)}, "Total: -7 points", true},
        {"100%% of %d", {I(3)}, "100% of 3", true},
        {"%s_UP%d", {S("SHOVEL"), I(2)}, "SHOVEL_UP2", true},
        {"%05d|%-4d|%4d", {I(-42), I(7), I(7)}, "-0042|7   |   7", true},
        {"%+d|% d|%+ d", {I(5), I(5), I(-5)}, "+5| 5|-5", true},
        {"%.3d|%5.3d|%05.3d|%.0d|%.d", {I(7), I(-7), I(7), I(0), I(0)}, "007| -007|  007||", true},
        {"%d %d", {I(INT_MIN), I(INT_MAX)}, "-2147483648 2147483647", true},
        {"[%4s][%-6s]", {S("ab"), S("Zo\xC3\xAB")}, "[  ab][Zo\xC3\xAB   ]", true},
        {"<%s>", {S("50%s %n %d")}, "<50%s %n %d>", true},
        {"no conversion", {}, "no conversion", true},
        {"", {}, "", true},
        {std::string("a\0%d", 4), {I(1)}, std::string("a\0" "1", 3), true},
        // Conversions that fit no value.
        {"Day %s", {I(3)}, "Day %s", false},
        {"%s: %d", {I(3)}, "%s: 3", false},
        {"%d and %d", {I(3)}, "3 and %d", false},
        {"%d", {S("word")}, "%d", false},
        {"%n%d%n", {I(3)}, "%n3%n", false},
        {"%*d|%-*d|%.*d", {I(5), I(5)}, "%*d|%-*d|%.*d", false},
        {"%1$d %2$s", {I(1), S("x")}, "%1$d %2$s", false},
        {"%ld %lld %hd %zd %jd %Lf", {I(5)}, "%ld %lld %hd %zd %jd %Lf", false},
        {"%x %u %c %p %f %a %e %g", {I(5)}, "%x %u %c %p %f %a %e %g", false},
        {"%#d", {I(5)}, "%#d", false},
        {"%999999d %100d %.100d", {I(1)}, "%999999d %100d %.100d", false},
        {"%05s|%+s|%.2s", {S("abc")}, "%05s|%+s|%.2s", false},
        {"%5%d", {I(1)}, "%51", false},
        {"50%", {}, "50%", false},
        {"%", {I(1)}, "%", false},
        {"Day", {I(3)}, "Day", false},
    };
    for (const Case& c : cases) {
        const TextFormat format = Filled(c);
        EXPECT_EQ(format.ToString(), c.shown) << c.text;
        EXPECT_EQ(format.ToStringOr("fallback"), c.exact ? c.shown : "fallback") << c.text;
    }
}
