// Currency: a fixed-point amount held as a 64-bit count of ten-thousandths.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace vb {

class Currency {
public:
    constexpr Currency() = default;
    static constexpr Currency FromTicks(std::int64_t ticks) { Currency c; c.ticks_ = ticks; return c; }
    // Rounds to four decimals, halves to even; raises error 6 when out of range.
    static Currency FromDouble(double value);

    constexpr std::int64_t Ticks() const { return ticks_; }
    double ToDouble() const { return static_cast<double>(ticks_) / 10000.0; }

    friend constexpr auto operator<=>(Currency, Currency) = default;
    friend Currency operator+(Currency a, Currency b);  // raise error 6 on overflow
    friend Currency operator-(Currency a, Currency b);
    Currency& operator+=(Currency other) { return *this = *this + other; }
    Currency& operator-=(Currency other) { return *this = *this - other; }

private:
    std::int64_t ticks_ = 0;
};

// Text of the amount as CStr gives it: no thousands separator, the regional
// decimal separator, no trailing zeros ("12,5", "-3", "0,0001").
std::string CStr(Currency value);

}  // namespace vb
