#include <gtest/gtest.h>

#include <string>

#include "regional_fixture.h"
#include "vb/format.h"

namespace {

struct NumberCase {
    double value;
    const char* pattern;
    const char* comma;  // with "," as the decimal separator
    const char* point;  // with "."
};

TEST(FormatNumber, Patterns) {
    const NumberCase cases[] = {
        {12.5, "############0.00", "12,50", "12.50"},
        {0, "############0.00", "0,00", "0.00"},
        {-12.5, "############0.00", "-12,50", "-12.50"},
        {1234567.891, "############0.00", "1234567,89", "1234567.89"},
        {12, "############0.", "12,", "12."},  // the separator stays; callers drop it
        {2, "#####00", "02", "02"},
        {100, "#####00", "100", "100"},
        {1234567, "#####00", "1234567", "1234567"},
        {0.5, "#####.00", ",50", ".50"},
        {1.5, "#####.00", "1,50", "1.50"},
        {0, "#####.00", ",00", ".00"},
        {2.5, "0", "3", "3"},   // halves away from zero
        {3.5, "0", "4", "4"},
        {-2.5, "0", "-3", "-3"},
        {0.125, "0.00", "0,13", "0.13"},
        {2.675, "0.00", "2,68", "2.68"},
        {1.005, "0.00", "1,01", "1.01"},
        {1.23456, "0.0000", "1,2346", "1.2346"},
        {7, "0.0000", "7,0000", "7.0000"},
        {42, "00000000", "00000042", "00000042"},
        {12345, "0000", "12345", "12345"},
        {-0.001, "0.00", "0,00", "0.00"},  // no sign on a value that rounds to zero
        {1.5, "0.##", "1,5", "1.5"},
        {1, "0.##", "1,", "1."},
        {1.25, "0.0#", "1,25", "1.25"},
        {1.2, "0.0#", "1,2", "1.2"},
        {1234567.5, "#,##0.00", "1.234.567,50", "1,234,567.50"},
        {999, "#,##0", "999", "999"},
        {0.256, "0%", "26%", "26%"},
        {5, "0 \"u.\"", "5 u.", "5 u."},
        {-5, "0;(0)", "(5)", "(5)"},
        {0, "0;(0);\"cero\"", "cero", "cero"},
        {12.5, "", "12,5", "12.5"},
    };
    for (const NumberCase& c : cases) {
        {
            vb::ScopedRegional regional(vbtest::CommaDecimal());
            EXPECT_EQ(vb::Format(c.value, c.pattern), c.comma) << c.value << " " << c.pattern;
        }
        {
            vb::ScopedRegional regional(vbtest::PointDecimal());
            EXPECT_EQ(vb::Format(c.value, c.pattern), c.point) << c.value << " " << c.pattern;
        }
    }
}

TEST(FormatDate, Patterns) {
    const vb::Date date = vb::Date::FromParts(2024, 3, 5, 14, 7, 9);
    struct Case {
        const char* pattern;
        const char* text;
    };
    const Case cases[] = {
        {"dd/mm/yy hh:mm", "05/03/24 14:07"},
        {"DD/MM/YYYY", "05/03/2024"},
        {"dd/MM/yyyy", "05/03/2024"},
        {"d/m/yyyy", "5/3/2024"},
        {"yyyy-mm-dd hh:nn:ss", "2024-03-05 14:07:09"},
        {"hh:mm", "14:07"},
        {"h:m:s", "14:7:9"},
        {"mm:ss", "07:09"},  // minutes before seconds
        {"hh\"h\"mm", "14h07"},
        {"dd-mm-yyyy", "05-03-2024"},
        {"y", "65"},  // day of the year
    };
    for (const Case& c : cases) EXPECT_EQ(vb::Format(date, c.pattern), c.text) << c.pattern;
    EXPECT_EQ(vb::Format(vb::Date::FromParts(1999, 12, 31), "dd/mm/yy"), "31/12/99");
}

TEST(FormatVariant, TextNullAndDates) {
    vb::ScopedRegional regional(vbtest::CommaDecimal());
    EXPECT_EQ(vb::Format(vb::Variant("12,5"), "0.00"), "12,50");
    EXPECT_EQ(vb::Format(vb::Variant("0.######"), "########0.0"), "0.######");
    EXPECT_EQ(vb::Format(vb::Variant("abc"), "0.00"), "abc");
    EXPECT_EQ(vb::Format(vb::Variant(vb::Null), "0.00"), "");
    EXPECT_EQ(vb::Format(vb::Variant(), "0.00"), "");
    EXPECT_EQ(vb::Format(vb::Variant(7), "00"), "07");
    EXPECT_EQ(vb::Format(vb::Variant(vb::Currency::FromTicks(125000)), "0.00"), "12,50");
    const vb::Variant date(vb::Date::FromParts(2024, 3, 5, 14, 7));
    EXPECT_EQ(vb::Format(date, "dd/mm/yy hh:mm"), "05/03/24 14:07");
    EXPECT_EQ(vb::Format(vb::Variant(45356.5), "dd/mm/yyyy hh:nn"), "05/03/2024 12:00");
    EXPECT_EQ(vb::Format(date, "0.00"), "45356,59");
    EXPECT_EQ(vb::Format(vb::Variant("5/3/2024"), "DD/MM/YYYY"), "05/03/2024");
    EXPECT_EQ(vb::Format(vb::Variant("31/02/2024"), "DD/MM/YYYY"), "31/02/2024");
}

}  // namespace
