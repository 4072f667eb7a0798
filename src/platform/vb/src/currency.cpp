#include "vb/currency.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "decimal.h"
#include "vb/error.h"
#include "vb/regional.h"

namespace vb {

namespace {

[[noreturn]] void Overflow() { Raise(kErrOverflow, "Overflow"); }

// The ticks of a value that is the double nearest to a whole number of
// ten-thousandths, fewer than 10^15 of them (most stored amounts). Such a
// value reads with 15 significant digits as exactly that amount, since the
// double's error is below half a unit of the 15th digit: nothing to round.
std::optional<std::int64_t> ExactTicks(double value) {
    if (!(std::fabs(value) < 1e11)) return std::nullopt;
    const auto ticks = static_cast<std::int64_t>(std::round(value * 10000.0));
    if (static_cast<double>(ticks) / 10000.0 != value) return std::nullopt;
    return ticks;
}

}  // namespace

Currency Currency::FromDouble(double value) {
    if (const std::optional<std::int64_t> ticks = ExactTicks(value)) return FromTicks(*ticks);
    if (!std::isfinite(value)) Overflow();
    const detail::Decimal d =
        detail::Decimal::FromDouble(value).Rounded(4, detail::HalfRounding::ToEven);
    if (d.IsZero()) return Currency{};
    if (d.point + 4 > 19) Overflow();
    // Ten-thousandths as an unsigned magnitude, then the sign.
    const std::string ticksText = d.IntegerDigits() + d.FractionDigits(4);
    unsigned long long magnitude = 0;
    for (char c : ticksText) magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    constexpr auto kMax = static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
    if (magnitude > kMax + (d.negative ? 1 : 0)) Overflow();
    if (d.negative)
        return FromTicks(magnitude == kMax + 1 ? std::numeric_limits<std::int64_t>::min()
                                               : -static_cast<std::int64_t>(magnitude));
    return FromTicks(static_cast<std::int64_t>(magnitude));
}

Currency operator+(Currency a, Currency b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a.Ticks(), b.Ticks(), &sum)) Overflow();
    return Currency::FromTicks(sum);
}

Currency operator-(Currency a, Currency b) {
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(a.Ticks(), b.Ticks(), &difference)) Overflow();
    return Currency::FromTicks(difference);
}

std::string CStr(Currency value) {
    const std::int64_t ticks = value.Ticks();
    const unsigned long long magnitude =
        ticks < 0 ? 0ULL - static_cast<unsigned long long>(ticks)
                  : static_cast<unsigned long long>(ticks);
    char whole[24];
    const char* wholeEnd = std::to_chars(whole, whole + sizeof whole, magnitude / 10000).ptr;
    std::string text = ticks < 0 ? "-" : "";
    text.append(whole, static_cast<std::size_t>(wholeEnd - whole));
    // Four decimals, without their trailing zeros.
    unsigned fraction = static_cast<unsigned>(magnitude % 10000);
    if (fraction == 0) return text;
    char decimals[4];
    for (int i = 3; i >= 0; --i, fraction /= 10) decimals[i] = static_cast<char>('0' + fraction % 10);
    std::size_t kept = 4;
    while (decimals[kept - 1] == '0') --kept;
    text += GetRegional().decimalSeparator;
    text.append(decimals, kept);
    return text;
}

}  // namespace vb
