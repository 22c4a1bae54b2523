#include "engine/core/UTF8String.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "engine/core/CaseConversion.h"
#include "engine/core/UTF8Iterator.h"

using namespace ZQ2;

namespace {

// "a", e acute (2 bytes), euro sign (3 bytes), G clef (4 bytes).
const char kMixed[] = "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E";

std::vector<std::string> Split(const UTF8String& text, const UTF8String& separator, bool keepEmpty) {
    ZQVector<UTF8String> pieces;
    text.SplitInto(pieces, separator, keepEmpty);
    return std::vector<std::string>(pieces.begin(), pieces.end());
}

int CountMultiRows(const uint32_t (*table)[5]) {
    int count = 0;
    for (int row = 0; table[row][0] != 0; ++row)
        count += table[row][2] != 0 ? 1 : 0;
    return count;
}

}  // namespace

TEST(UTF8StringConversion, EncodesAndDecodesCodePoints) {
    struct Case {
        unsigned long codePoint;
        unsigned int composite;
        std::string bytes;
    };
    const Case cases[] = {
        {0x41, 0x41, "A"},
        {0xE9, 0xC3A9, "\xC3\xA9"},
        {0x7FF, 0xDFBF, "\xDF\xBF"},
        {0x20AC, 0xE282AC, "\xE2\x82\xAC"},
        {0x1D11E, 0xF09D849E, "\xF0\x9D\x84\x9E"},
        {0x1FFFFF, 0xF7BFBFBF, "\xF7\xBF\xBF\xBF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UTF8String::ConvertUTF32CharacterToIntegerComposite(c.codePoint), c.composite) << c.codePoint;
        EXPECT_EQ(UTF8String::ConvertUTF32CharacterToUTF8String(c.codePoint), c.bytes) << c.codePoint;
        if (c.codePoint <= 0x10FFFF) {
            EXPECT_EQ(UTF8String::ConvertUTF8StringToUTF32Character(c.bytes, 0), c.codePoint) << c.codePoint;
        }
    }
    EXPECT_EQ(UTF8String::ConvertUTF32CharacterToUTF8String(0), std::string(1, '\0'));
    EXPECT_EQ(UTF8String::ConvertUTF32CharacterToUTF8String(0x200000), "");
    EXPECT_EQ(UTF8String::ConvertUTF32CharacterToIntegerComposite(0x200000), 0u);
}

TEST(UTF8StringConversion, OddBytesReadAsThemselvesAndMissingBytesAsZero) {
    EXPECT_EQ(UTF8String::ConvertUTF8StringToUTF32Character("\x80", 0), 0x80u);
    EXPECT_EQ(UTF8String::ConvertUTF8StringToUTF32Character("\xC0\x80", 0), 0xC0u);
    EXPECT_EQ(UTF8String::ConvertUTF8StringToUTF32Character("\xF8", 0), 0xF8u);
    // A sequence cut off by the end of the text.
    EXPECT_EQ(UTF8String::ConvertUTF8StringToUTF32Character("\xE2\x82", 0), 0x2080u);
    EXPECT_EQ(UTF8String::ConvertUTF8StringToUTF32Character("ab", 2), 0u);
    EXPECT_EQ(UTF8String::ConvertUTF8StringToUTF32Character("ab", -1), 0u);

    const int expected[] = {1, 1, 1, 1, 2, 2, 3, 3, 4, 4, 1, 1};
    const unsigned char leads[] = {0x00, 0x80, 0xBF, 0xC1, 0xC2, 0xDF, 0xE0, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(UTF8String::GetNumBytesToAdd(leads[k]), expected[k]) << int(leads[k]);
}

TEST(UTF8StringPositions, CharactersAndBytes) {
    const UTF8String text("a\xC3\xA9");
    EXPECT_EQ(text.Length(), 2);
    EXPECT_EQ(text.GetBufferPosition(0), 0);
    EXPECT_EQ(text.GetBufferPosition(1), 1);
    EXPECT_EQ(text.GetBufferPosition(2), 3);
    EXPECT_EQ(text.GetBufferPosition(9), 3);

    const UTF8String mixed(kMixed);
    EXPECT_EQ(mixed.Length(), 4);
    const int starts[] = {0, 1, 3, 6, 10};
    for (int index = 0; index <= 4; ++index) {
        EXPECT_EQ(mixed.GetBufferPosition(index), starts[index]);
        EXPECT_EQ(mixed.GetTextPosition(starts[index]), index);
    }
    EXPECT_EQ(mixed.GetTextPosition(2), 2);  // inside e acute: one start lies before
    EXPECT_EQ(mixed.GetTextPosition(99), 4);
    EXPECT_EQ(mixed.GetTextPosition(-1), -1);
    EXPECT_EQ(mixed.GetPreviousBufferPosition(6), 3);
    EXPECT_EQ(mixed.GetPreviousBufferPosition(8), 6);
    EXPECT_EQ(mixed.GetPreviousBufferPosition(99), 6);
    EXPECT_EQ(mixed.GetPreviousBufferPosition(0), -1);
    EXPECT_EQ(mixed.GetNextBufferPosition(3), 6);
    EXPECT_EQ(mixed.GetNextBufferPosition(6), 10);
    EXPECT_TRUE(mixed.IsUTF8StartByte(3));
    EXPECT_FALSE(mixed.IsUTF8StartByte(4));
    EXPECT_FALSE(mixed.IsUTF8StartByte(10));
}

TEST(UTF8StringPositions, StrayContinuationBytesBelongToACharacter) {
    // A leading continuation byte is a character of its own; one after a
    // character joins it.
    const UTF8String lone("\x80");
    EXPECT_EQ(lone.Length(), 1);
    EXPECT_EQ(lone.GetCharacter(0), 0x80u);
    const UTF8String joined("a\x80" "b");
    EXPECT_EQ(joined.Length(), 2);
    EXPECT_EQ(joined.GetCharacter(1), static_cast<unsigned long>('b'));
}

TEST(UTF8StringPositions, LengthFollowsEveryChange) {
    UTF8String text;
    EXPECT_EQ(text.Length(), 0);
    text.Append(0x20ACUL);
    EXPECT_EQ(text.Length(), 1);
    text += "\xC3\xA9";
    EXPECT_EQ(text.Length(), 2);
    text.append("xy");
    EXPECT_EQ(text.Length(), 4);
    text.push_back('z');
    EXPECT_EQ(text.Length(), 5);
    text.SetCharacter(0, 'e');
    EXPECT_EQ(text, "e\xC3\xA9xyz");
    EXPECT_EQ(text.Length(), 5);
    text = std::string("ab");
    EXPECT_EQ(text.Length(), 2);
    text.clear();
    EXPECT_EQ(text.Length(), 0);

    const UTF8String copy = UTF8String(kMixed);
    const UTF8String copied(copy);
    EXPECT_EQ(copied.Length(), 4);
}

TEST(UTF8StringSearch, FindAndSets) {
    const UTF8String text("\xC3\xA9t\xC3\xA9, \xC3\xA9t\xC3\xA9");  // "été, été"
    EXPECT_EQ(text.Find("t"), 1);
    EXPECT_EQ(text.Find("t", 2), 6);
    EXPECT_EQ(text.Find("\xC3\xA9", 3), 5);
    EXPECT_EQ(text.Find("x"), -1);
    EXPECT_EQ(text.IndexOf(0xE9), 0);
    EXPECT_EQ(text.IndexOf(' '), 4);
    EXPECT_EQ(text.IndexOf('q'), -1);

    const UTF8String set(", ");
    EXPECT_EQ(text.FindFirstOfSet(set), 3);
    EXPECT_EQ(text.FindFirstOfSet(set, 5), -1);
    EXPECT_EQ(text.FindLastOfSet(set, 99), 4);
    EXPECT_EQ(text.FindLastOfSet(set, 3), 3);
    EXPECT_EQ(text.FindLastOfSet(set, 2), -1);
    EXPECT_EQ(text.FindFirstOfSet(UTF8String("t"), 0), 1);

    EXPECT_EQ(text.GetCharacter(2), 0xE9u);
    EXPECT_EQ(text.GetCharacter(99), 0u);
    EXPECT_EQ(text.SubString(5, 3), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(text.SubString(6, 99), "t\xC3\xA9");
    EXPECT_EQ(text.SubString(6), "t\xC3\xA9");
    EXPECT_EQ(text.SubString(8, 1), "");
    EXPECT_EQ(text.SubString(6, 2147483647).Length(), 2);
}

TEST(UTF8StringChanges, InsertEraseTruncateSetCharacter) {
    UTF8String text(kMixed);
    text.Insert(1, "-");
    EXPECT_EQ(text, "a-\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E");
    text.Insert(99, "!");
    EXPECT_EQ(text.GetCharacter(5), static_cast<unsigned long>('!'));
    text.Erase(1, 2);
    EXPECT_EQ(text, "a\xE2\x82\xAC\xF0\x9D\x84\x9E!");
    text.Erase(2, 2147483647);
    EXPECT_EQ(text, "a\xE2\x82\xAC");
    text.SetCharacter(1, 0xE9);
    EXPECT_EQ(text, "a\xC3\xA9");
    text.SetCharacter(5, 'x');  // past the end: nothing
    EXPECT_EQ(text, "a\xC3\xA9");
    text.Truncate(1);
    EXPECT_EQ(text, "a");
    EXPECT_EQ(text.Length(), 1);

    // A cut-off sequence loses only its own bytes.
    UTF8String cut("\xE2\x82" "b");
    cut.SetCharacter(0, 'a');
    EXPECT_EQ(cut, "ab");
    EXPECT_EQ(cut.Length(), 2);
}

TEST(UTF8StringChanges, ReplaceRunsOnePass) {
    UTF8String text("aXa");
    text.Replace("a", "aa", true);
    EXPECT_EQ(text, "aaXaa");
    EXPECT_EQ(text.Length(), 5);
    text.Replace("aa", "\xC3\xA9", false);
    EXPECT_EQ(text, "\xC3\xA9Xaa");
    EXPECT_EQ(text.Length(), 4);
    text.Replace("", "z", true);
    EXPECT_EQ(text, "\xC3\xA9Xaa");
}

TEST(UTF8StringChanges, Trim) {
    struct Case {
        const char* text;
        bool left, right;
        const char* result;
        bool changed;
    };
    // The set holds the blank and e acute, so the trim must go by characters.
    const Case cases[] = {
        {" \xC3\xA9x\xC3\xA9 ", true, true, "x", true},
        {" \xC3\xA9x\xC3\xA9 ", true, false, "x\xC3\xA9 ", true},
        {" \xC3\xA9x\xC3\xA9 ", false, true, " \xC3\xA9x", true},
        {" \xC3\xA9x\xC3\xA9 ", false, false, " \xC3\xA9x\xC3\xA9 ", false},
        {" \xC3\xA9 ", false, false, "", true},
        {"x", true, true, "x", false},
        {"", true, true, "", false},
    };
    const UTF8String set(" \xC3\xA9");
    for (const Case& c : cases) {
        UTF8String text(c.text);
        EXPECT_EQ(text.Trim(set, c.left, c.right), c.changed) << c.text;
        EXPECT_EQ(text, c.result) << c.text;
        EXPECT_EQ(text.Length(), UTF8String(c.result).Length()) << c.text;
    }

    UTF8String spaced("\xE2\x80\x82\t x\xC2\xA0");
    spaced.TrimWhiteSpace(true, true);
    EXPECT_EQ(spaced, "x");
}

TEST(UTF8StringChanges, SplitInto) {
    using V = std::vector<std::string>;
    const UTF8String dot("\xC2\xB7");  // middle dot
    EXPECT_EQ(Split("\xC2\xB7" "a\xC2\xB7\xC2\xB7" "b\xC2\xB7", dot, false), (V{"a", "b"}));
    EXPECT_EQ(Split("\xC2\xB7" "a\xC2\xB7\xC2\xB7" "b\xC2\xB7", dot, true), (V{"", "a", "", "b"}));
    EXPECT_EQ(Split("whole", UTF8String(), false), (V{"whole"}));
    EXPECT_EQ(Split("", dot, true), V{});
}

TEST(UTF8StringConcatenation, GivesUTF8Text) {
    const std::string left = "\xC3\xA9";
    const std::string right = "t\xC3\xA9";
    auto joined = left + right;
    static_assert(std::is_same_v<decltype(joined), UTF8String>);
    EXPECT_EQ(joined.Length(), 3);
    auto fromC = "a" + left;
    static_assert(std::is_same_v<decltype(fromC), UTF8String>);
    EXPECT_EQ(fromC.Length(), 2);
    const UTF8String text("x");
    EXPECT_EQ((text + "\xC3\xA9").Length(), 2);
    EXPECT_EQ((text + left + left).Length(), 3);
}

TEST(UTF8Iterator, WalksBothWays) {
    const UTF8String text(kMixed);
    const unsigned long expected[] = {'a', 0xE9, 0x20AC, 0x1D11E};

    UTF8Iterator it(text, 0);
    std::vector<unsigned long> seen;
    for (; it.IsInside(); it.Next()) {
        EXPECT_EQ(it.GetPosition(), text.GetBufferPosition(it.GetIndex()));
        seen.push_back(it.GetCurrent());
    }
    EXPECT_EQ(seen, std::vector<unsigned long>(expected, expected + 4));
    EXPECT_EQ(it.GetIndex(), 4);
    EXPECT_EQ(it.GetCurrent(), 0u);
    EXPECT_EQ(it.Next(), 0u);  // at the end nothing moves
    EXPECT_EQ(it.GetPosition(), 10);

    for (int index = 3; index >= 0; --index) {
        EXPECT_EQ(it.Prev(), expected[index]);
        EXPECT_EQ(it.GetIndex(), index);
    }
    EXPECT_EQ(it.Prev(), 0u);
    EXPECT_EQ(it.GetPosition(), -1);
    EXPECT_EQ(it.Next(), static_cast<unsigned long>('a'));

    UTF8Iterator from2(text, 2);
    EXPECT_EQ(from2.GetCurrent(), 0x20ACu);
    EXPECT_TRUE(from2.HasNext());
    EXPECT_EQ(from2.ReadNext(), 0x1D11Eu);
    EXPECT_EQ(from2.GetNumBytesToAdd(), 3);
    from2.Next();
    EXPECT_FALSE(from2.HasNext());
    EXPECT_EQ(from2.ReadNext(), 0u);
}

TEST(UTF8Iterator, EmptyAndBrokenText) {
    const UTF8String empty;
    UTF8Iterator it(empty, 0);
    EXPECT_EQ(it.GetCurrent(), 0u);
    EXPECT_FALSE(it.HasNext());
    EXPECT_EQ(it.Next(), 0u);
    UTF8Iterator far(empty, 5);
    EXPECT_EQ(far.GetCurrent(), 0u);

    // A cut-off 3-byte sequence is followed by "b": both are visited.
    const UTF8String cut("\xE2\x82" "b");
    UTF8Iterator walk(cut, 0);
    EXPECT_EQ(walk.Next(), static_cast<unsigned long>('b'));
    EXPECT_EQ(walk.GetIndex(), 1);
    EXPECT_EQ(cut.Length(), 2);
}

TEST(CaseConversion, TablesAreSortedAndCoverTheirRanges) {
    InitConversion();
    const int upper = g_ToUppercaseCount;
    const int lower = g_ToLowercaseCount;
    ASSERT_GT(upper, 900);
    ASSERT_GT(lower, 800);
    EXPECT_EQ(g_ToUppercase[0][0], 0x61u);
    EXPECT_EQ(g_ToUppercase[upper - 1][0], 0x1044Fu);
    EXPECT_EQ(g_ToLowercase[0][0], 0x41u);
    EXPECT_EQ(g_ToLowercase[lower - 1][0], 0x10427u);
    for (int row = 1; row < upper; ++row)
        ASSERT_LT(g_ToUppercase[row - 1][0], g_ToUppercase[row][0]);
    for (int row = 1; row < lower; ++row)
        ASSERT_LT(g_ToLowercase[row - 1][0], g_ToLowercase[row][0]);
    EXPECT_EQ(CountMultiRows(g_ToUppercase), 102);
    EXPECT_EQ(CountMultiRows(g_ToLowercase), 1);
}

TEST(CaseConversion, FullMappings) {
    EXPECT_EQ(ToUppercase(UTF8String("stra\xC3\x9F" "e")), "STRASSE");
    EXPECT_EQ(ToLowercase(0x130UL), "i\xCC\x87");
    EXPECT_EQ(ToUppercase(0x149UL), "\xCA\xBCN");
    EXPECT_EQ(ToUppercase(0xFB00UL), "FF");
    EXPECT_EQ(ToUppercase(0x1FB3UL), "\xCE\x91\xCE\x99");
    EXPECT_EQ(ToLowercase(UTF8String("\xC3\x89t\xC3\x89 \xD0\x96")), "\xC3\xA9t\xC3\xA9 \xD0\xB6");
    EXPECT_EQ(ToUppercase(0x10428UL), "\xF0\x90\x90\x80");
    EXPECT_EQ(GetUppercase7Bit(0xDF), 0x53u);
    EXPECT_EQ(GetLowercase7Bit('Q'), static_cast<unsigned long>('q'));
    EXPECT_EQ(GetUppercase7Bit('1'), static_cast<unsigned long>('1'));
    EXPECT_EQ(ToUppercase(0UL), "");
    EXPECT_EQ(ToUTF8(0xE9), "\xC3\xA9");
}

TEST(CaseConversion, LeavesOtherTextAlone) {
    // Characters added after Unicode 4.1 have no rows (U+2C65, U+1E9E).
    EXPECT_EQ(GetUppercaseArray(0x2C65), nullptr);
    EXPECT_EQ(GetLowercaseArray(0x1E9E), nullptr);
    // Beyond 32 bits a code point must not wrap onto "a".
    EXPECT_EQ(GetUppercaseArray(0x100000061UL), nullptr);
    // Broken bytes without a mapping are copied as they are.
    const UTF8String broken("\x80-a\xF7\xE2\x82");
    EXPECT_EQ(ToUppercase(broken), "\x80-A\xF7\xE2\x82");
    EXPECT_EQ(ToLowercase(UTF8String("1-2 \xE2\x82\xAC")), "1-2 \xE2\x82\xAC");
}
