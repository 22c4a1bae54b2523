#include "engine/core/String.h"

#include <gtest/gtest.h>

#include <utility>

#include "engine/core/Integer.h"

namespace ZQ2 {
namespace {

TEST(String, ConstructionKeepsLengthAndTerminator) {
    EXPECT_EQ(String(nullptr).length(), 0);
    EXPECT_STREQ(String(nullptr).c_str(), "");
    EXPECT_EQ(String("abc", 2), String("ab"));
    EXPECT_EQ(String('x'), String("x"));
    EXPECT_EQ(String(-42), String("-42"));
    EXPECT_EQ(String(123456789L), String("123456789"));
    EXPECT_EQ(String(4000000000UL), String("4000000000"));

    const String zeros("a\0b", 3);
    EXPECT_EQ(zeros.length(), 3);
    EXPECT_EQ(zeros.charAt(2), 'b');
    EXPECT_NE(zeros, String("a"));  // the length counts, not the first zero
}

TEST(String, CopyMoveAndAppend) {
    String a("ab");
    String b(a);
    b += String("cd");
    EXPECT_EQ(a, String("ab"));
    EXPECT_EQ(b, String("abcd"));
    b += b;  // appending itself
    EXPECT_EQ(b, String("abcdabcd"));
    b += 'x';
    b += 7;
    b += 1234567890123LL;
    b += 0.5;
    EXPECT_EQ(b, String("abcdabcdx712345678901230.5"));

    String moved(std::move(b));
    EXPECT_EQ(moved.length(), 26);
    EXPECT_STREQ(b.c_str(), "");  // NOLINT: a moved-from string stays usable
    b = "again";
    EXPECT_EQ(b, String("again"));
    EXPECT_EQ(String("x") + String("y"), String("xy"));
    EXPECT_EQ(a.concat("z"), String("abz"));

    String grown("abc");
    grown.Double();
    EXPECT_EQ(grown, String("abc"));
    for (int i = 0; i < 1000; ++i)
        grown += 'q';
    EXPECT_EQ(grown.length(), 1003);
}

TEST(String, ComparisonIsByteWise) {
    EXPECT_LT(String("abc"), String("abd"));
    EXPECT_LT(String("ab"), String("abc"));
    EXPECT_GT(String("\xFF"), String("a"));  // unsigned bytes, as strcmp
    EXPECT_LE(String("a"), String("a"));
    EXPECT_GE(String("b"), String("a"));
    EXPECT_EQ(String("a").compareTo("a"), 0);
    EXPECT_TRUE(String("HeLLo").equalsIgnoreCase("hello"));
    EXPECT_FALSE(String("Hello").equals("hello"));
}

TEST(String, SearchesAndSlices) {
    const String s("abcabc");
    EXPECT_EQ(s.indexOf('b'), 1);
    EXPECT_EQ(s.indexOf('b', 2), 4);
    EXPECT_EQ(s.indexOf('z'), -1);
    EXPECT_EQ(s.indexOf("ca"), 2);
    EXPECT_EQ(s.indexOf("bc", 3), 4);
    EXPECT_EQ(s.indexOf("abcabcd"), -1);
    EXPECT_EQ(s.lastIndexOf('a'), 3);
    EXPECT_EQ(s.lastIndexOf('a', 2), 0);
    EXPECT_EQ(s.lastIndexOf("bc"), 4);
    EXPECT_EQ(s.lastIndexOf("bc", 3), 1);
    EXPECT_TRUE(s.startsWith("abc"));
    EXPECT_TRUE(s.startsWith("ca", 2));
    EXPECT_FALSE(s.startsWith("abc", 5));
    EXPECT_TRUE(s.endsWith("bc"));
    EXPECT_FALSE(String("c").endsWith("abc"));
    EXPECT_EQ(s.substring(2), String("cabc"));
    EXPECT_EQ(s.substring(1, 3), String("bc"));
    EXPECT_EQ(s.substring(-5, 100), s);  // clamped
    EXPECT_EQ(s.substring(4, 2), String(""));
    EXPECT_EQ(s.charAt(6), 0);
    EXPECT_EQ(s[-1], 0);
}

TEST(String, TransformsReturnNewStrings) {
    EXPECT_EQ(String("MiXed 1").toLowerCase(), String("mixed 1"));
    EXPECT_EQ(String("MiXed 1").toUpperCase(), String("MIXED 1"));
    EXPECT_EQ(String(" \t x y \n").trim(), String("x y"));
    EXPECT_EQ(String("   ").trim(), String(""));
    EXPECT_EQ(String("a.b.c").replace('.', '/'), String("a/b/c"));
    EXPECT_EQ(String("aXXbXX").replace("XX", "-"), String("a-b-"));
    EXPECT_EQ(String("aaa").replace("a", "aa"), String("aaaaaa"));
    EXPECT_EQ(String("abc").replace("", "z"), String("abc"));
    EXPECT_EQ(String::Format("%d-%s", 5, "x"), String("5-x"));
    EXPECT_EQ(String::Format("%s", ""), String(""));
}

TEST(Integer, ParseIntReadsWhatStrtolReads) {
    EXPECT_EQ(Integer::parseInt("42"), 42);
    EXPECT_EQ(Integer::parseInt("  -17xyz"), -17);
    EXPECT_EQ(Integer::parseInt("abc"), 0);
    EXPECT_EQ(Integer::parseInt("ff", 16), 255);
    EXPECT_EQ(Integer::parseInt("12", 99), 0);  // no such radix
}

}  // namespace
}  // namespace ZQ2
