#include <gtest/gtest.h>

#include <string>

#include "vb/error.h"
#include "vb/text.h"

namespace {

using vb::Compare;

TEST(Trim, RemovesBlanksOnly) {
    struct Case {
        const char* in;
        const char* trim;
        const char* ltrim;
        const char* rtrim;
    };
    const Case cases[] = {
        {"  ab c  ", "ab c", "ab c  ", "  ab c"},
        {"\tab\t", "\tab\t", "\tab\t", "\tab\t"},
        {"   ", "", "", ""},
        {"", "", "", ""},
        {" \xC3\xB1 ", "\xC3\xB1", "\xC3\xB1 ", " \xC3\xB1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vb::Trim(c.in), c.trim);
        EXPECT_EQ(vb::LTrim(c.in), c.ltrim);
        EXPECT_EQ(vb::RTrim(c.in), c.rtrim);
    }
}

TEST(Case, AsciiAndLatin1Letters) {
    EXPECT_EQ(vb::UCase("año ÁÉÍÓÚ áéíóú ñ ç ü à þ"), "AÑO ÁÉÍÓÚ ÁÉÍÓÚ Ñ Ç Ü À Þ");
    EXPECT_EQ(vb::LCase("AÑO ÁÉÍÓÚ Ñ Ç Ü À Þ"), "año áéíóú ñ ç ü à þ");
    // Not letters, or without a Latin-1 partner: unchanged.
    EXPECT_EQ(vb::UCase("× ÷ ÿ ß µ 1-2"), "× ÷ ÿ ß µ 1-2");
    EXPECT_EQ(vb::LCase("× ÷ ÿ ß µ 1-2"), "× ÷ ÿ ß µ 1-2");
    EXPECT_EQ(vb::UCase("€ ŝ"), "€ ŝ");
}

TEST(Length, CountsCharactersNotBytes) {
    const std::string s = "a" + vb::kChr255 + "ñb";
    EXPECT_EQ(vb::Len(s), 4u);
    EXPECT_EQ(vb::Len(""), 0u);
    EXPECT_EQ(vb::Left(s, 2), "a" + vb::kChr255);
    EXPECT_EQ(vb::Left(s, 10), s);
    EXPECT_EQ(vb::Left(s, 0), "");
    EXPECT_EQ(vb::Right(s, 2), "ñb");
    EXPECT_EQ(vb::Right(s, 3), vb::kChr255 + "ñb");
    EXPECT_EQ(vb::Right(s, 9), s);
    EXPECT_EQ(vb::Mid(s, 2, 2), vb::kChr255 + "ñ");
    EXPECT_EQ(vb::Mid(s, 3), "ñb");
    EXPECT_EQ(vb::Mid(s, 9), "");
    EXPECT_EQ(vb::Mid(s, 4, 100), "b");
    EXPECT_EQ(vb::Mid(s, 1, 0), "");
    EXPECT_THROW(vb::Mid(s, 0), vb::InvalidCall);
    EXPECT_THROW(vb::Mid(s, 1, -1), vb::InvalidCall);
}

TEST(Length, InvalidBytesCountOneEach) {
    const std::string broken = "a\xFF\xC3" "b\xE2\x82";  // stray byte, cut sequences
    EXPECT_EQ(vb::Len(broken), 6u);
    EXPECT_EQ(vb::Right(broken, 2), "\xE2\x82");
    EXPECT_EQ(vb::Mid(broken, 2, 2), "\xFF\xC3");
    EXPECT_EQ(vb::InStr(broken, "b"), 4);
    EXPECT_EQ(vb::UCase(broken), "A\xFF\xC3" "B\xE2\x82");
    EXPECT_EQ(vb::Len(std::string("\xC3", 1)), 1u);
}

TEST(Chr, IsLatin1InUtf8) {
    EXPECT_EQ(vb::Chr(255), "\xC3\xBF");
    EXPECT_EQ(vb::Chr(255), vb::kChr255);
    EXPECT_EQ(vb::Chr(241), "ñ");
    EXPECT_EQ(vb::Chr(65), "A");
    EXPECT_EQ(vb::Chr(0), std::string(1, '\0'));
    EXPECT_THROW(vb::Chr(256), vb::InvalidCall);
    EXPECT_EQ(vb::RepeatText(3, "ñx"), "ñññ");
    EXPECT_EQ(vb::Space(3), "   ");
    EXPECT_THROW(vb::RepeatText(2, ""), vb::InvalidCall);
}

TEST(InStr, PositionsInCharactersWithOrWithoutCase) {
    struct Case {
        long start;
        const char* s;
        const char* find;
        Compare compare;
        long expected;
    };
    const Case cases[] = {
        {1, "ñandú ÑANDÚ", "ÑANDÚ", Compare::Binary, 7},
        {1, "ñandú ÑANDÚ", "ÑANDÚ", Compare::Text, 1},
        {2, "ñandú ÑANDÚ", "ÑANDÚ", Compare::Text, 7},
        {1, "Camión", "ÓN", Compare::Text, 5},
        {1, "Camión", "ÓN", Compare::Binary, 0},
        {1, "Camión", "on", Compare::Text, 0},  // accents still count
        {1, "abc", "", Compare::Binary, 1},
        {4, "abc", "", Compare::Binary, 4},
        {5, "abc", "", Compare::Binary, 0},
        {5, "abc", "a", Compare::Binary, 0},
        {1, "", "a", Compare::Binary, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vb::InStr(c.start, c.s, c.find, c.compare), c.expected)
            << c.s << " / " << c.find << " from " << c.start;
    EXPECT_THROW(vb::InStr(0, "abc", "a"), vb::InvalidCall);
    EXPECT_EQ(vb::InStrRev("ñaÑa", "ña", Compare::Text), 3);
    EXPECT_EQ(vb::InStrRev("ñaÑa", "ña"), 1);
    EXPECT_EQ(vb::InStrRev("abc", "x"), 0);
}

TEST(Replace, EveryOccurrenceLeftToRightWithoutOverlap) {
    struct Case {
        const char* s;
        const char* find;
        const char* with;
        Compare compare;
        const char* expected;
    };
    const Case cases[] = {
        {"a.b.c", ".", ",", Compare::Binary, "a,b,c"},
        {"aaaa", "aa", "b", Compare::Binary, "bb"},
        {"aaa", "aa", "b", Compare::Binary, "ba"},
        {"abc", "", "x", Compare::Binary, "abc"},
        {"", "a", "x", Compare::Binary, ""},
        {"Ñandú y ñandú", "ñandú", "ave", Compare::Text, "ave y ave"},
        {"Ñandú y ñandú", "ñandú", "ave", Compare::Binary, "Ñandú y ave"},
        {"ÁRBOL árbol", "Á", "a", Compare::Text, "aRBOL arbol"},
        {"x'y'", "'", "''", Compare::Binary, "x''y''"},
        {"ab", "ab", "abab", Compare::Binary, "abab"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vb::Replace(c.s, c.find, c.with, c.compare), c.expected) << c.s;
}

TEST(Compare, TextComparisonsFoldLatin1) {
    EXPECT_TRUE(vb::Equals("CAMIÓN", "camión"));
    EXPECT_FALSE(vb::Equals("CAMIÓN", "camión", Compare::Binary));
    EXPECT_FALSE(vb::Equals("camion", "camión"));
    EXPECT_TRUE(vb::StartsWith("Ñandú", "ña"));
    EXPECT_TRUE(vb::EndsWith("Ñandú", "DÚ"));
    EXPECT_FALSE(vb::EndsWith("dú", "ÑANDÚ"));
    EXPECT_TRUE(vb::Contains("El Ñandú", "ÑAN", Compare::Text));
    EXPECT_FALSE(vb::Contains("El Ñandú", "ÑAN"));
    EXPECT_EQ(vb::FindBytes("xxÑa", "ña", 0, Compare::Text), 2u);
    EXPECT_EQ(vb::FindBytes("xxÑa", "ña", 3, Compare::Text), std::string::npos);
    EXPECT_EQ(vb::FindBytes("ab", "b", 5), std::string::npos);
}

}  // namespace
