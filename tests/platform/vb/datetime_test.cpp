#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <tuple>

#include "vb/conv.h"
#include "vb/datetime.h"
#include "vb/error.h"

namespace {

TEST(Date, SerialNumbersCountDaysFrom30December1899) {
    EXPECT_DOUBLE_EQ(vb::Date::FromParts(1899, 12, 30).Serial(), 0.0);
    EXPECT_DOUBLE_EQ(vb::Date::FromParts(1900, 1, 1).Serial(), 2.0);
    EXPECT_DOUBLE_EQ(vb::Date::FromParts(2024, 3, 5, 18).Serial(), 45356.75);
    // Before day 0 the fraction is still the time of day.
    EXPECT_DOUBLE_EQ(vb::Date::FromParts(1899, 12, 29, 6).Serial(), -1.25);
    const vb::DateParts p = vb::Date::FromSerial(-1.25).Parts();
    EXPECT_EQ(p.year, 1899);
    EXPECT_EQ(p.month, 12);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 6);
    EXPECT_EQ(vb::Date::FromSerial(-0.25).ToIso(), "1899-12-30 06:00:00");
}

TEST(Date, PartsRoundToTheSecond) {
    EXPECT_EQ(vb::Date::FromSerial(45356.0 + 86399.6 / 86400).ToIso(), "2024-03-06 00:00:00");
    EXPECT_EQ(vb::Date::FromParts(2024, 2, 29, 23, 59, 59).ToIso(), "2024-02-29 23:59:59");
}

TEST(Date, PartsOfTheYears100To9999OnlyElseOverflow) {
    EXPECT_EQ(vb::Date::FromParts(9999, 12, 31, 23, 59, 59).ToIso(), "9999-12-31 23:59:59");
    EXPECT_EQ(vb::Date::FromParts(100, 1, 1).ToIso(), "0100-01-01 00:00:00");
    EXPECT_EQ(vb::Date::FromSerial(-657434.5).ToIso(), "0100-01-01 12:00:00");
    // The day after the last, the day before the first, and a time that rounds
    // into the day after the last.
    for (double serial : {2958466.0, -657435.0, 2958465.0 + 86399.6 / 86400}) {
        try {
            vb::Date::FromSerial(serial).Parts();
            ADD_FAILURE() << serial;
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), vb::kErrOverflow) << serial;
        }
    }
}

TEST(Date, FromPartsRejectsImpossibleDatesWithError5) {
    const int bad[][6] = {{2024, 2, 30, 0, 0, 0}, {2023, 2, 29, 0, 0, 0}, {2024, 13, 1, 0, 0, 0},
                          {2024, 4, 31, 0, 0, 0}, {2024, 1, 1, 24, 0, 0}, {2024, 1, 1, 0, 60, 0}};
    for (const auto& b : bad) {
        try {
            vb::Date::FromParts(b[0], b[1], b[2], b[3], b[4], b[5]);
            ADD_FAILURE() << b[0] << "-" << b[1] << "-" << b[2];
        } catch (const vb::InvalidCall& e) {
            EXPECT_EQ(e.Number(), vb::kErrInvalidCall);
        }
    }
}

TEST(Date, FromIso) {
    EXPECT_EQ(vb::Date::FromIso("2024-03-05")->ToIso(), "2024-03-05 00:00:00");
    EXPECT_EQ(vb::Date::FromIso("2024-03-05 14:07")->ToIso(), "2024-03-05 14:07:00");
    EXPECT_EQ(vb::Date::FromIso("2024-03-05T14:07:09")->ToIso(), "2024-03-05 14:07:09");
    EXPECT_EQ(vb::Date::FromIso("2024-03-05 14:07:09.400")->ToIso(), "2024-03-05 14:07:09");
    for (const char* bad : {"2024-02-30", "2024-3-5", "05/03/2024", "2024-03-05 25:00", "2024-03-05x",
                            "", "2024-03-05 14:07:09."})
        EXPECT_FALSE(vb::Date::FromIso(bad).has_value()) << bad;
}

// The parts of an ISO text are those of the date FromIso makes of it, for
// every day of the years at both ends of the range and around the serial's
// day 0, at times across the day; and a text FromIso refuses has none.
TEST(Date, IsoPartsAreThoseOfTheDateFromIso) {
    const auto same = [](const std::string& text) {
        const std::optional<vb::DateParts> parts = vb::IsoParts(text);
        const std::optional<vb::Date> date = vb::Date::FromIso(text);
        ASSERT_EQ(parts.has_value(), date.has_value()) << text;
        if (!parts) return;
        const vb::DateParts expected = date->Parts();
        EXPECT_EQ(std::make_tuple(parts->year, parts->month, parts->day, parts->hour, parts->minute, parts->second),
                  std::make_tuple(expected.year, expected.month, expected.day, expected.hour, expected.minute,
                                  expected.second))
            << text;
    };
    const char* const times[] = {"", " 00:00", "T23:59", " 00:00:01", " 12:30:45", " 23:59:59", " 24:00:00"};
    char text[32];
    for (const int year : {99, 100, 101, 1899, 1900, 2000, 2023, 2024, 9998, 9999}) {
        for (int month = 0; month <= 13; ++month) {
            for (int day = 0; day <= 32; ++day) {
                for (const char* time : times) {
                    std::snprintf(text, sizeof text, "%04d-%02d-%02d%s", year, month, day, time);
                    same(text);
                }
            }
        }
    }
    for (const char* other : {"", "2024-03-05x", "2024-3-5", "2024-03-05 14:07:9", "2024-03-05 14:07:09.",
                              " 2024-03-05", "2024/03/05", "2024-03-05 14-07"})
        same(other);
    // A fraction of a second is read only where the caller takes it.
    EXPECT_FALSE(vb::IsoParts("2024-03-05 14:07:09.5").has_value());
    double fraction = 0;
    EXPECT_EQ(vb::IsoParts("2024-03-05 14:07:09.5", &fraction)->second, 9);
    EXPECT_DOUBLE_EQ(fraction, 0.5);
}

TEST(ParseDate, ReadsDayFirst) {
    struct Case {
        const char* text;
        const char* iso;
    };
    const Case cases[] = {
        {"05/03/2024", "2024-03-05 00:00:00"},
        {"5/3/24", "2024-03-05 00:00:00"},
        {"31-12-1999", "1999-12-31 00:00:00"},
        {"1.2.2024", "2024-02-01 00:00:00"},
        {"29/02/2024", "2024-02-29 00:00:00"},
        {"01/01/29", "2029-01-01 00:00:00"},
        {"01/01/30", "1930-01-01 00:00:00"},
        {"  05/03/2024 14:07  ", "2024-03-05 14:07:00"},
        {"05/03/2024 14:07:09", "2024-03-05 14:07:09"},
        {"2024-03-05", "2024-03-05 00:00:00"},
        {"2024-03-05 14:07:09", "2024-03-05 14:07:09"},
        {"14:07", "1899-12-30 14:07:00"},
    };
    for (const Case& c : cases) {
        const std::optional<vb::Date> date = vb::ParseDate(c.text);
        ASSERT_TRUE(date.has_value()) << c.text;
        EXPECT_EQ(date->ToIso(), c.iso) << c.text;
        EXPECT_TRUE(vb::IsDate(c.text));
    }
}

TEST(ParseDate, RejectsWhatIsNoDate) {
    for (const char* text : {"31/02/2024", "29/02/2023", "32/01/2024", "05/13/2024", "00/01/2024",
                             "05/03", "05/03-2024", "05/03/202", "5/3/2024/1", "abc", "", "  ",
                             "12,5", "12.5", "05/03/2024 25:00", "05/03/2024 14", "14:60",
                             "05/03/2024x", "1/1/99999"}) {
        EXPECT_FALSE(vb::ParseDate(text).has_value()) << '"' << text << '"';
        EXPECT_FALSE(vb::IsDate(text)) << '"' << text << '"';
    }
    try {
        vb::CDate("31/02/2024");
        ADD_FAILURE();
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), vb::kErrTypeMismatch);
    }
}

TEST(Clock, TestsCanFixItAndRestoreTheSystemClock) {
    const vb::Date fixed = vb::Date::FromParts(2024, 3, 5, 14, 7);
    vb::SetClock([fixed] { return fixed; });
    EXPECT_EQ(vb::Now(), fixed);
    vb::SetClock(nullptr);
    EXPECT_GT(vb::Now().Serial(), vb::Date::FromParts(2024, 1, 1).Serial());
}

}  // namespace
