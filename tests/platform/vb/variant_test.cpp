#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "regional_fixture.h"
#include "support.h"
#include "vb/error.h"
#include "vb/variant.h"

namespace {

using testsupport::ErrorNumberOf;

TEST(Variant, CStrOfEachKind) {
    vb::ScopedRegional regional(vbtest::CommaDecimal());
    struct Case {
        vb::Variant value;
        const char* text;
    };
    const Case cases[] = {
        {vb::Variant(), ""},
        {vb::Variant(true), "True"},
        {vb::Variant(false), "False"},
        {vb::Variant(42), "42"},
        {vb::Variant(-12.5), "-12,5"},
        {vb::Variant(vb::Currency::FromTicks(125000)), "12,5"},
        {vb::Variant("texto"), "texto"},
        {vb::Variant(vb::Date::FromParts(2024, 3, 5)), "05/03/2024"},
        {vb::Variant(vb::Date::FromParts(2024, 3, 5, 14, 7, 9)), "05/03/2024 14:07:09"},
        {vb::Variant(vb::Date::FromParts(1899, 12, 30, 8, 30)), "08:30:00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vb::CStr(c.value), c.text);
        EXPECT_EQ(vb::TextOf(c.value), c.text);
    }
}

TEST(Variant, NullIsNoTextExceptThroughTextOf) {
    EXPECT_EQ(vb::TextOf(vb::Variant(vb::Null)), "");
    EXPECT_EQ(ErrorNumberOf([] { vb::CStr(vb::Variant(vb::Null)); }), vb::kErrInvalidUseOfNull);
    EXPECT_EQ(ErrorNumberOf([] { vb::CDbl(vb::Variant(vb::Null)); }), vb::kErrInvalidUseOfNull);
    EXPECT_NE(vb::Variant(vb::Null), vb::Variant(""));
    EXPECT_NE(vb::Variant(), vb::Variant(""));
}

TEST(Variant, CDblReadsTextWithTheRegionalSettings) {
    {
        vb::ScopedRegional regional(vbtest::CommaDecimal());
        EXPECT_DOUBLE_EQ(vb::CDbl(vb::Variant("1.234,5")), 1234.5);
        EXPECT_EQ(ErrorNumberOf([] { vb::CDbl(vb::Variant("12.5")); }), vb::kErrTypeMismatch);
    }
    {
        vb::ScopedRegional regional(vbtest::PointDecimal());
        EXPECT_DOUBLE_EQ(vb::CDbl(vb::Variant("12.5")), 12.5);
    }
    EXPECT_EQ(ErrorNumberOf([] { vb::CDbl(vb::Variant("")); }), vb::kErrTypeMismatch);
    EXPECT_DOUBLE_EQ(vb::CDbl(vb::Variant()), 0.0);
    EXPECT_DOUBLE_EQ(vb::CDbl(vb::Variant(true)), -1.0);
    EXPECT_DOUBLE_EQ(vb::CDbl(vb::Variant(vb::Currency::FromTicks(12345))), 1.2345);
    EXPECT_DOUBLE_EQ(vb::CDbl(vb::Variant(vb::Date::FromSerial(45356.75))), 45356.75);
}

}  // namespace
