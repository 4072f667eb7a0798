#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>

#include "regional_fixture.h"
#include "support.h"
#include "vb/conv.h"
#include "vb/error.h"

namespace {

using testsupport::ErrorNumberOf;

TEST(Val, ReadsTheLeadingNumber) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"", 0},           {"abc", 0},          {"  42", 42},       {" 1 2 3", 123},
        {"1\t2\n3", 123},  {"12,5", 12},        {"12.5", 12.5},     {".5", 0.5},
        {"-3.25abc", -3.25}, {"- 7", -7},       {"+8", 8},          {"--5", 0},
        {"1.2.3", 1.2},    {"1e3", 1000},       {"2.5E-1", 0.25},   {"1D2", 100},
        {"7e", 7},         {"7e+", 7},          {"3.", 3},          {".", 0},
        {"&HFF", 255},     {"&hff", 255},       {"&HFFFF", -1},     {"&H10000", 65536},
        {"&O17", 15},      {"&H", 0},           {"12abc34", 12},    {"0012", 12},
        {"1\r2", 1},  // a carriage return ends the number
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(vb::Val(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Val, NumberTooLargeIsOverflow) {
    EXPECT_EQ(ErrorNumberOf([] { vb::Val("1e400"); }), vb::kErrOverflow);
    EXPECT_DOUBLE_EQ(vb::Val("1e-400"), 0.0);
}

TEST(Round, HalvesGoToTheEvenNeighbourAsTheDecimalTextReads) {
    struct Case {
        double value;
        int digits;
        double expected;
    };
    const Case cases[] = {
        {2.5, 0, 2},         {3.5, 0, 4},        {-2.5, 0, -2},      {-3.5, 0, -4},
        {0.125, 2, 0.12},    {0.135, 2, 0.14},   {12.345, 2, 12.34}, {2.675, 2, 2.68},
        {1.005, 2, 1.0},     {1.015, 2, 1.02},   {2.4999, 0, 2},     {2.5001, 0, 3},
        {0.1 + 0.2, 1, 0.3}, {9.995, 2, 10.0},   {0.0004, 3, 0.0},   {123.456, 5, 123.456},
        {-0.125, 2, -0.12},  {1e20, 2, 1e20},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(vb::Round(c.value, c.digits), c.expected) << c.value << " to " << c.digits;
    EXPECT_EQ(ErrorNumberOf([] { vb::Round(1.5, -1); }), vb::kErrInvalidCall);
}

TEST(CInt, RoundsHalfToEvenAndRaisesOverflowOutsideItsRange) {
    struct Case {
        double value;
        int expected;
    };
    const Case cases[] = {{2.5, 2},       {3.5, 4},       {0.5, 0},         {1.5, 2},
                          {-0.5, 0},      {-1.5, -2},     {2.51, 3},        {32767.4, 32767},
                          {-32768.5, -32768}, {-32768, -32768}};
    for (const Case& c : cases) EXPECT_EQ(vb::CInt(c.value), c.expected) << c.value;

    for (double out : {32767.5, 32768.0, -32769.0, std::nan(""), 1e300})
        EXPECT_EQ(ErrorNumberOf([out] { vb::CInt(out); }), vb::kErrOverflow) << out;
}

TEST(CLng, RoundsHalfToEvenAndRaisesOverflowOutsideItsRange) {
    EXPECT_EQ(vb::CLng(2.5), 2);
    EXPECT_EQ(vb::CLng(100000.5), 100000);
    EXPECT_EQ(vb::CLng(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(vb::CLng(2147483647.4), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ErrorNumberOf([] { vb::CLng(2147483647.5); }), vb::kErrOverflow);
    EXPECT_EQ(ErrorNumberOf([] { vb::CLng(-3e9); }), vb::kErrOverflow);
}

struct ParseCase {
    const char* text;
    std::optional<double> expected;
};

void CheckParse(const std::vector<ParseCase>& cases) {
    for (const ParseCase& c : cases) {
        const std::optional<double> got = vb::ParseNumber(c.text);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << '"' << c.text << '"';
        if (got) {
            EXPECT_DOUBLE_EQ(*got, *c.expected) << '"' << c.text << '"';
        }
        EXPECT_EQ(vb::IsNumeric(c.text), c.expected.has_value()) << '"' << c.text << '"';
    }
}

TEST(ParseNumber, ReadsWithCommaDecimalSeparator) {
    vb::ScopedRegional regional(vbtest::CommaDecimal());
    CheckParse({
        {"12,5", 12.5},        {"  -12,5  ", -12.5}, {"+3", 3},          {"- 4", -4},
        {"1.234", 1234},       {"1.234.567,89", 1234567.89},           {",5", 0.5},
        {"7,", 7},             {"1,5E3", 1500},      {"0", 0},
        {"12.5", std::nullopt},     // a point here is no decimal separator
        {"1.23.456", std::nullopt}, {"1234.567", std::nullopt}, {"1.2345", std::nullopt},
        {".123", std::nullopt},     {"1.", std::nullopt},       {"", std::nullopt},
        {"   ", std::nullopt},      {",", std::nullopt},        {"-", std::nullopt},
        {"12a", std::nullopt},      {"1 2", std::nullopt},      {"1e", std::nullopt},
        {"1e999", std::nullopt},
    });
}

TEST(ParseNumber, ReadsWithPointDecimalSeparator) {
    vb::ScopedRegional regional(vbtest::PointDecimal());
    CheckParse({
        {"12.5", 12.5},   {"1,234.5", 1234.5}, {"-0.25", -0.25},
        {"12,5", std::nullopt}, {"1,2,3", std::nullopt},
    });
}

TEST(CStrOfDouble, FifteenDigitsRegionalSeparatorNoTrailingZeros) {
    struct Case {
        double value;
        const char* comma;
        const char* point;
    };
    const Case cases[] = {
        {12.5, "12,5", "12.5"},
        {-0.25, "-0,25", "-0.25"},
        {1000000, "1000000", "1000000"},
        {0.1 + 0.2, "0,3", "0.3"},
        {1.0 / 3, "0,333333333333333", "0.333333333333333"},
        {123456789012345, "123456789012345", "123456789012345"},
        {1e15, "1E+15", "1E+15"},
        {0.0001, "0,0001", "0.0001"},
        {0.00001, "1E-05", "1E-05"},
        {-0.0, "0", "0"},
        {2.50, "2,5", "2.5"},
    };
    for (const Case& c : cases) {
        {
            vb::ScopedRegional regional(vbtest::CommaDecimal());
            EXPECT_EQ(vb::CStr(c.value), c.comma);
        }
        {
            vb::ScopedRegional regional(vbtest::PointDecimal());
            EXPECT_EQ(vb::CStr(c.value), c.point);
        }
    }
    EXPECT_EQ(vb::CStr(std::int64_t{-42}), "-42");
    EXPECT_EQ(vb::CStr(7), "7");
    EXPECT_EQ(vb::CStr(std::size_t{12}), "12");
}

TEST(ScopedRegional, RestoresThePreviousSettings) {
    const std::string before = vb::GetRegional().decimalSeparator;
    {
        vb::ScopedRegional regional(vbtest::PointDecimal());
        EXPECT_EQ(vb::GetRegional().decimalSeparator, ".");
    }
    EXPECT_EQ(vb::GetRegional().decimalSeparator, before);
}

}  // namespace
