// Decimal digits of a double, for rounding and formatting the way the value
// reads as text rather than as its binary approximation.
//
// A value is first written with 15 significant digits (as CStr shows it), so
// 2.675 reads "2.675" although the nearest double lies just below it; rounding
// then works on those digits. This keeps Round, Currency and Format in step
// with the text the user sees.
#pragma once

#include <string>

namespace vb::detail {

enum class HalfRounding { ToEven, AwayFromZero };

struct Decimal {
    bool negative = false;
    std::string digits;  // significant digits, no leading or trailing zeros; empty for 0
    int point = 0;       // value = 0.<digits> x 10^point

    static Decimal FromDouble(double value);  // finite values only
    bool IsZero() const { return digits.empty(); }
    // Rounds to `decimals` places after the decimal point (decimals >= 0).
    Decimal Rounded(int decimals, HalfRounding mode) const;
    double ToDouble() const;
    // Digits before the point, without leading zeros ("" for |value| < 1).
    std::string IntegerDigits() const;
    // Exactly `count` digits after the point (truncated or zero-filled).
    std::string FractionDigits(int count) const;
};

}  // namespace vb::detail
