#include "vb/currency.h"

#include <cmath>
#include <limits>

#include "decimal.h"
#include "vb/error.h"
#include "vb/regional.h"

namespace vb {

namespace {

[[noreturn]] void Overflow() { Raise(kErrOverflow, "Overflow"); }

}  // namespace

Currency Currency::FromDouble(double value) {
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
    std::string text = ticks < 0 ? "-" : "";
    text += std::to_string(magnitude / 10000);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += GetRegional().decimalSeparator + fraction;
    return text;
}

}  // namespace vb
