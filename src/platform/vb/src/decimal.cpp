#include "decimal.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace vb::detail {

namespace {

void StripTrailingZeros(std::string& digits) {
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
}

}  // namespace

Decimal Decimal::FromDouble(double value) {
    Decimal d;
    if (value == 0.0 || !std::isfinite(value)) return d;
    d.negative = value < 0;
    // "d.dddddddddddddde+XX": 15 significant digits.
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, 14);
    (void)ec;
    std::string_view text(buf, static_cast<std::size_t>(end - buf));
    auto e = text.find('e');
    std::string mantissa(text.substr(0, e));
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    exponent);
    for (char c : mantissa)
        if (c != '.') d.digits.push_back(c);
    d.point = exponent + 1;
    StripTrailingZeros(d.digits);
    return d;
}

Decimal Decimal::Rounded(int decimals, HalfRounding mode) const {
    Decimal r = *this;
    const long keep = static_cast<long>(point) + decimals;  // digits that stay
    if (keep >= static_cast<long>(digits.size())) return r;
    if (keep < 0) return Decimal{};  // below half a unit of the last place
    const auto k = static_cast<std::size_t>(keep);
    const char first = digits[k];
    const bool moreAfter = k + 1 < digits.size();  // trailing zeros are stripped, so nonzero
    const char previous = k > 0 ? digits[k - 1] : '0';
    bool up = first > '5' || (first == '5' && moreAfter);
    if (first == '5' && !moreAfter)
        up = mode == HalfRounding::AwayFromZero || ((previous - '0') % 2 == 1);
    r.digits.resize(k);
    if (up) {
        std::size_t i = k;
        while (i > 0 && r.digits[i - 1] == '9') {
            r.digits[i - 1] = '0';
            --i;
        }
        if (i == 0) {
            r.digits.insert(r.digits.begin(), '1');
            ++r.point;
        } else {
            ++r.digits[i - 1];
        }
    }
    StripTrailingZeros(r.digits);
    if (r.digits.empty()) r = Decimal{};
    return r;
}

double Decimal::ToDouble() const {
    if (digits.empty()) return 0.0;
    std::string text = digits + "e" + std::to_string(static_cast<long>(point) -
                                                     static_cast<long>(digits.size()));
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) value = HUGE_VAL;
    return negative ? -value : value;
}

std::string Decimal::IntegerDigits() const {
    if (point <= 0) return {};
    std::string out = digits.substr(0, static_cast<std::size_t>(point));
    out.append(static_cast<std::size_t>(point) - out.size(), '0');
    return out;
}

std::string Decimal::FractionDigits(int count) const {
    std::string out;
    out.reserve(static_cast<std::size_t>(count));
    for (long pos = point; pos < static_cast<long>(point) + count; ++pos) {
        if (pos >= 0 && pos < static_cast<long>(digits.size()))
            out.push_back(digits[static_cast<std::size_t>(pos)]);
        else
            out.push_back('0');
    }
    return out;
}

}  // namespace vb::detail
