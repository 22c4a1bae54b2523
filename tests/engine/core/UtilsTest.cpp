#include "engine/core/Utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator, bool keepEmpty) {
    ZQ2::ZQVector<std::string> pieces;
    Utils::SplitString(text, pieces, separator, keepEmpty);
    return std::vector<std::string>(pieces.begin(), pieces.end());
}

}  // namespace

TEST(UtilsReplace, ReplacesFirstOrAllWithoutRescanningInsertedText) {
    std::string text = "aXa";
    EXPECT_TRUE(Utils::Replace(text, "a", "aa", true));
    EXPECT_EQ(text, "aaXaa");

    text = "a-b-c";
    EXPECT_TRUE(Utils::Replace(text, "-", "+", false));
    EXPECT_EQ(text, "a+b-c");

    text = "abc";
    EXPECT_FALSE(Utils::Replace(text, "", "x", true));
    EXPECT_FALSE(Utils::Replace(text, "z", "x", true));
    EXPECT_EQ(text, "abc");
}

TEST(UtilsSplitString, PiecesAndEmptyPieces) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Split(",a,,b,", ",", false), (V{"a", "b"}));
    EXPECT_EQ(Split(",a,,b,", ",", true), (V{"", "a", "", "b"}));
    EXPECT_EQ(Split("one::two", "::", false), (V{"one", "two"}));
    EXPECT_EQ(Split("whole", "", false), (V{"whole"}));
    EXPECT_EQ(Split("", "", true), V{});
    EXPECT_EQ(Split("", ",", true), V{});
}

TEST(UtilsSplitString, AppendsToWhatIsThere) {
    ZQ2::ZQVector<std::string> pieces;
    pieces.push_back("old");
    Utils::SplitString("x y", pieces, " ", false);
    ASSERT_EQ(pieces.size(), 3);
    EXPECT_EQ(pieces[0], "old");
    EXPECT_EQ(pieces[2], "y");
}

TEST(UtilsTrimString, Cases) {
    struct Case {
        const char* text;
        bool left, right;
        const char* result;
        bool changed;
    };
    const Case cases[] = {
        {"  x ", true, true, "x", true},   {"   ", true, true, "", true},     {"x", true, true, "x", false},
        {"", true, true, "", false},       {"  x ", true, false, "x ", true}, {"  x ", false, true, "  x", true},
        {"  x ", false, false, "  x ", false}, {"   ", false, false, "", true},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(Utils::TrimString(text, " ", c.left, c.right), c.changed) << '"' << c.text << '"';
        EXPECT_EQ(text, c.result) << '"' << c.text << '"';
    }
}

TEST(UtilsParseInt, DecimalAndHexadecimal) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"", 0},           {"0", 0},           {"12abc", 12},     {"-42", -42},       {" 7", 7},
        {"abc", 0},        {"#ff", 255},       {"0xFF", 255},     {"0XfF", 255},      {"#", 0},
        {"0x", 0},         {"#FF00FF00", static_cast<int>(0xFF00FF00u)},              {"#ffffffffff", -1},
        {"99999999999", 2147483647},           {"-99999999999", -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utils::ParseInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(UtilsNumbers, Formatting) {
    EXPECT_EQ(Utils::ToString(-12), "-12");
    EXPECT_EQ(Utils::ToHexString(255), "FF");
    EXPECT_EQ(Utils::ToHexString(-1), "FFFFFFFF");
    EXPECT_EQ(Utils::ToPointerString(reinterpret_cast<const void*>(0xABC)), "0xABC");

    EXPECT_EQ(Utils::ToString(2.5f, 2, false), "2.50");
    EXPECT_EQ(Utils::ToString(2.5f, 2, true), "2.5");
    EXPECT_EQ(Utils::ToString(3.0f, 2, true), "3");
    EXPECT_EQ(Utils::ToString(10.0f, 0, true), "10");
    EXPECT_EQ(Utils::ToString(100.0f, 1, true), "100");

    EXPECT_EQ(Utils::ToNumberString(0, ","), "0");
    EXPECT_EQ(Utils::ToNumberString(999, ","), "999");
    EXPECT_EQ(Utils::ToNumberString(1000, ","), "1,000");
    EXPECT_EQ(Utils::ToNumberString(1234567, ". "), "1. 234. 567");
    EXPECT_EQ(Utils::ToNumberString(4294967295u, ","), "4,294,967,295");
}

TEST(UtilsTime, SplitsAndFormats) {
    int h = -1, m = -1, s = -1;
    Utils::LongToTime(3725999, h, m, s);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(s, 5);

    EXPECT_EQ(Utils::LongToTimeStr(65000, false, false), "1:05");
    EXPECT_EQ(Utils::LongToTimeStr(3725000, false, true), "1:02:05");
    EXPECT_EQ(Utils::LongToTimeStr(3725000, false, false), "1:2:05");
    EXPECT_EQ(Utils::LongToTimeStr(5000, false, false), "05");
    EXPECT_EQ(Utils::LongToTimeStr(5000, true, false), "0:05");
    EXPECT_EQ(Utils::LongToTimeStr(5000, true, true), "00:05");
}

TEST(UtilsCharacterClasses, Members) {
    EXPECT_TRUE(Utils::IsSpace(0xA0));
    EXPECT_FALSE(Utils::IsBreakingSpace(0xA0));
    EXPECT_TRUE(Utils::IsSpace(0x202F));
    EXPECT_TRUE(Utils::IsBreakingSpace(0x200B));
    EXPECT_FALSE(Utils::IsBreakingSpace(0x200C));
    EXPECT_TRUE(Utils::IsNewLine(0x2029));
    EXPECT_FALSE(Utils::IsNewLine(0x09));
    EXPECT_TRUE(Utils::IsBreakingWhitespace(0x09));
    EXPECT_FALSE(Utils::IsBreakingWhitespace(0xA0));
    EXPECT_TRUE(Utils::IsWhitespace(0xA0));
    EXPECT_TRUE(Utils::IsWhitespace(0x0D));
    for (unsigned long c : {0x2DUL, 0x2010UL, 0x2015UL, 0xFF0DUL})
        EXPECT_TRUE(Utils::IsHyphen(c)) << c;
    for (unsigned long c : {0x2CUL, 0x2016UL, 0x2E18UL})
        EXPECT_FALSE(Utils::IsHyphen(c)) << c;
}

