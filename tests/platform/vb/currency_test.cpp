#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "regional_fixture.h"
#include "vb/conv.h"
#include "vb/currency.h"
#include "vb/error.h"

namespace {

TEST(Currency, FromDoubleRoundsHalfToEvenAtFourDecimals) {
    struct Case {
        double value;
        std::int64_t ticks;
    };
    const Case cases[] = {
        {12.5, 125000},      {0.00005, 0},        {0.00015, 2},        {0.00025, 2},
        {-0.00015, -2},      {1.23456, 12346},    {0.1 + 0.2, 3000},   {-7, -70000},
        {2.67505, 26750},    {922337203685477.0, 9223372036854770000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vb::Currency::FromDouble(c.value).Ticks(), c.ticks) << c.value;
}

// Every whole number of ten-thousandths, written as the double nearest to
// it, is that amount: nothing to round, up to the largest amounts a double
// holds to the ten-thousandth.
TEST(Currency, FromDoubleKeepsEveryAmountOfFourDecimals) {
    std::vector<std::int64_t> amounts = {0, 1, 5, 9999, 10000, 12345, 2500, 999999999999999, 100000000000000};
    for (std::int64_t step = 1; step < 1000000000000000; step = step * 7 + 3) {
        for (std::int64_t ticks = step; ticks < step + 50; ++ticks) amounts.push_back(ticks);
    }
    for (const std::int64_t ticks : amounts) {
        for (const std::int64_t signed_ticks : {ticks, -ticks}) {
            const double value = static_cast<double>(signed_ticks) / 10000.0;
            EXPECT_EQ(vb::Currency::FromDouble(value).Ticks(), signed_ticks) << value;
        }
    }
    // Beyond that, and between amounts, the value is rounded as its text reads.
    EXPECT_EQ(vb::Currency::FromDouble(100000000000.00005).Ticks(), 1000000000000000);
    EXPECT_EQ(vb::Currency::FromDouble(-0.0).Ticks(), 0);
    EXPECT_EQ(vb::Currency::FromDouble(0.30000000000000004).Ticks(), 3000);
    EXPECT_EQ(vb::Currency::FromDouble(1.00005).Ticks(), 10000);
    EXPECT_EQ(vb::Currency::FromDouble(1.00015).Ticks(), 10002);
}

TEST(Currency, OutOfRangeRaisesOverflow) {
    for (double value : {1e15, -1e15, std::numeric_limits<double>::infinity()}) {
        try {
            vb::Currency::FromDouble(value);
            ADD_FAILURE() << value;
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), vb::kErrOverflow);
        }
    }
    const auto max = vb::Currency::FromTicks(std::numeric_limits<std::int64_t>::max());
    const auto min = vb::Currency::FromTicks(std::numeric_limits<std::int64_t>::min());
    EXPECT_THROW(max + vb::Currency::FromTicks(1), vb::Error);
    EXPECT_THROW(min - vb::Currency::FromTicks(1), vb::Error);
    vb::Currency total = vb::Currency::FromTicks(5);
    total += vb::Currency::FromTicks(7);
    total -= vb::Currency::FromTicks(2);
    EXPECT_EQ(total.Ticks(), 10);
}

// Reads text the way a caller turns regional input into an amount.
vb::Currency Amount(const char* text) { return vb::Currency::FromDouble(*vb::ParseNumber(text)); }

TEST(Currency, ParsesAndWritesWithEitherDecimalSeparator) {
    struct Case {
        const char* commaText;  // input under "," decimal
        const char* pointText;  // the same amount under "." decimal
        std::int64_t ticks;
        const char* commaOut;
        const char* pointOut;
    };
    const Case cases[] = {
        {"12,5", "12.5", 125000, "12,5", "12.5"},
        {"-3", "-3", -30000, "-3", "-3"},
        {"0,0001", "0.0001", 1, "0,0001", "0.0001"},
        {"1.234,50", "1,234.50", 12345000, "1234,5", "1234.5"},
        {"0,00005", "0.00005", 0, "0", "0"},
        {"-0,12345", "-0.12345", -1234, "-0,1234", "-0.1234"},
    };
    for (const Case& c : cases) {
        {
            vb::ScopedRegional regional(vbtest::CommaDecimal());
            const vb::Currency amount = Amount(c.commaText);
            EXPECT_EQ(amount.Ticks(), c.ticks) << c.commaText;
            EXPECT_EQ(vb::CStr(amount), c.commaOut);
        }
        {
            vb::ScopedRegional regional(vbtest::PointDecimal());
            const vb::Currency amount = Amount(c.pointText);
            EXPECT_EQ(amount.Ticks(), c.ticks) << c.pointText;
            EXPECT_EQ(vb::CStr(amount), c.pointOut);
        }
    }
}

TEST(Currency, TextOfTheExtremes) {
    vb::ScopedRegional regional(vbtest::CommaDecimal());
    EXPECT_EQ(vb::CStr(vb::Currency::FromTicks(std::numeric_limits<std::int64_t>::min())),
              "-922337203685477,5808");
    EXPECT_EQ(vb::CStr(vb::Currency::FromTicks(std::numeric_limits<std::int64_t>::max())),
              "922337203685477,5807");
}

}  // namespace
