#include "vb/conv.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <vector>

#include "calendar.h"
#include "decimal.h"
#include "vb/error.h"
#include "vb/regional.h"

namespace vb {

namespace {

[[noreturn]] void Overflow() { Raise(kErrOverflow, "Overflow"); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when the unsigned "digits[.digits][e[-]digits]" text is at least 1.
bool MagnitudeAboveOne(std::string_view text) {
    const std::size_t e = text.find('e');
    const std::string_view mantissa = text.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view exp = text.substr(e + 1);
        const bool negative = !exp.empty() && exp[0] == '-';
        if (negative) exp.remove_prefix(1);
        for (char c : exp) exponent = std::min(exponent * 10 + (c - '0'), 100000L);
        if (negative) exponent = -exponent;
    }
    // Position of the first significant digit relative to the point.
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t firstNonZero = mantissa.find_first_of("123456789");
    if (firstNonZero == std::string_view::npos) return false;
    const long magnitude = firstNonZero < point ? static_cast<long>(point - firstNonZero)
                                                : -static_cast<long>(firstNonZero - point - 1);
    return magnitude + exponent > 0;
}

// Reads a plain "[-]digits[.digits][e[-]digits]" text; nullopt when the value
// does not fit a double.
std::optional<double> ReadPlain(const std::string& text) {
    double value = 0.0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const bool negative = first != last && *first == '-';
    if (negative) ++first;
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range && ptr == last) {
        // Too small to hold is zero, too large is no number.
        if (MagnitudeAboveOne(std::string_view(first, static_cast<std::size_t>(last - first))))
            return std::nullopt;
        value = 0.0;
    } else if (ec != std::errc() || ptr != last) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

// Value of "&H"/"&O" digits: up to 16 bits (4 hex, 6 octal digits) and up to
// 32 bits read as signed, the way the runtime types such literals.
double RadixValue(std::string_view digits, int radix) {
    unsigned long long value = 0;
    for (char c : digits) {
        const int d = IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFULL) Overflow();
    }
    const std::size_t shortDigits = radix == 16 ? 4 : 6;
    if (digits.size() <= shortDigits && value <= 0xFFFF)
        return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

}  // namespace

double Val(std::string_view text) {
    // Blanks, tabs and line feeds do not count anywhere in the text.
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);

    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const bool hex = s[1] == 'H' || s[1] == 'h';
        std::size_t end = 2;
        while (end < s.size() &&
               (hex ? std::isxdigit(static_cast<unsigned char>(s[end])) != 0
                    : (s[end] >= '0' && s[end] <= '7')))
            ++end;
        return RadixValue(std::string_view(s).substr(2, end - 2), hex ? 16 : 8);
    }

    std::string number;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') number.push_back('-');
        ++i;
    }
    bool anyDigit = false;
    for (; i < s.size() && IsDigit(s[i]); ++i, anyDigit = true) number.push_back(s[i]);
    if (i < s.size() && s[i] == '.') {
        number.push_back('.');
        for (++i; i < s.size() && IsDigit(s[i]); ++i, anyDigit = true) number.push_back(s[i]);
    }
    if (!anyDigit) return 0.0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            if (s[j] == '-') exponent.push_back('-');
            ++j;
        }
        const std::size_t digitsStart = j;
        for (; j < s.size() && IsDigit(s[j]); ++j) exponent.push_back(s[j]);
        if (j > digitsStart) number += exponent;
    }
    if (number.back() == '.') number.pop_back();
    const std::optional<double> value = ReadPlain(number);
    if (!value) Overflow();
    return *value;
}

double Round(double value, int digits) {
    if (digits < 0) Raise(kErrInvalidCall, "Invalid procedure call or argument");
    if (!std::isfinite(value)) return value;
    return detail::Decimal::FromDouble(value)
        .Rounded(digits, detail::HalfRounding::ToEven)
        .ToDouble();
}

std::int16_t CInt(double value) {
    const double r = Round(value, 0);
    if (!(r >= -32768.0 && r <= 32767.0)) Overflow();
    return static_cast<std::int16_t>(r);
}

std::int32_t CLng(double value) {
    const double r = Round(value, 0);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Overflow();
    return static_cast<std::int32_t>(r);
}

std::optional<double> ParseNumber(std::string_view text) {
    const Regional& regional = GetRegional();
    const std::string_view decimal = regional.decimalSeparator;
    const std::string_view thousands = regional.thousandsSeparator;
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };

    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && isBlank(text[i])) ++i;
    while (end > i && isBlank(text[end - 1])) --end;
    const std::string_view s = text.substr(i, end - i);

    std::string number;
    i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') number.push_back('-');
        ++i;
        while (i < s.size() && isBlank(s[i])) ++i;
    }
    // Integer digits; a thousands separator only between groups of three.
    std::size_t intDigits = 0;
    std::size_t groupDigits = 0;
    bool grouped = false;
    for (;;) {
        if (i < s.size() && IsDigit(s[i])) {
            number.push_back(s[i++]);
            ++intDigits;
            ++groupDigits;
            continue;
        }
        if (!thousands.empty() && intDigits > 0 && s.substr(i, thousands.size()) == thousands &&
            (!grouped || groupDigits == 3) && i + thousands.size() < s.size() &&
            IsDigit(s[i + thousands.size()])) {
            if (!grouped && groupDigits > 3) return std::nullopt;
            grouped = true;
            groupDigits = 0;
            i += thousands.size();
            continue;
        }
        break;
    }
    if (grouped && groupDigits != 3) return std::nullopt;
    std::size_t fractionDigits = 0;
    if (!decimal.empty() && s.substr(i, decimal.size()) == decimal) {
        i += decimal.size();
        number.push_back('.');
        for (; i < s.size() && IsDigit(s[i]); ++i, ++fractionDigits) number.push_back(s[i]);
    }
    if (intDigits + fractionDigits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        number.push_back('e');
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            if (s[i] == '-') number.push_back('-');
            ++i;
        }
        const std::size_t start = i;
        for (; i < s.size() && IsDigit(s[i]); ++i) number.push_back(s[i]);
        if (i == start) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    if (number.back() == '.') number.pop_back();
    return ReadPlain(number);
}

bool IsNumeric(std::string_view text) { return ParseNumber(text).has_value(); }

std::string CStr(double value) {
    if (value == 0.0) return "0";
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    // As "%.15G" writes it, without depending on the C locale.
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    (void)ec;
    std::string out;
    for (const char* p = buf; p != end; ++p) {
        if (*p == '.')
            out += GetRegional().decimalSeparator;
        else if (*p == 'e')
            out.push_back('E');
        else
            out.push_back(*p);
    }
    return out;
}

std::string CStr(std::int64_t value) { return std::to_string(value); }

namespace {

// Splits "12/3/2024" into its numbers and the separator used; false when the
// text is not digits joined by one and the same separator.
bool SplitFields(std::string_view text, std::string_view separators, std::vector<std::string_view>& fields,
                 char& separator) {
    fields.clear();
    separator = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && IsDigit(text[i])) continue;
        if (i == start) return false;  // empty field
        fields.push_back(text.substr(start, i - start));
        if (i == text.size()) break;
        if (separators.find(text[i]) == std::string_view::npos) return false;
        if (separator != 0 && text[i] != separator) return false;
        separator = text[i];
        start = i + 1;
    }
    return true;
}

int ToInt(std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

std::optional<double> ParseTime(std::string_view text) {
    std::vector<std::string_view> fields;
    char separator = 0;
    if (!SplitFields(text, ":", fields, separator) || fields.size() < 2 || fields.size() > 3)
        return std::nullopt;
    for (std::size_t k = 0; k < fields.size(); ++k)
        if (fields[k].size() > 2) return std::nullopt;
    const int hour = ToInt(fields[0]);
    const int minute = ToInt(fields[1]);
    const int second = fields.size() == 3 ? ToInt(fields[2]) : 0;
    if (!detail::IsValidTime(hour, minute, second)) return std::nullopt;
    return hour * 3600.0 + minute * 60.0 + second;
}

std::optional<long> ParseDayPart(std::string_view text) {
    std::string separators = "/-.";
    const std::string& regionalSeparator = GetRegional().dateSeparator;
    if (regionalSeparator.size() == 1) separators += regionalSeparator;
    std::vector<std::string_view> fields;
    char separator = 0;
    if (!SplitFields(text, separators, fields, separator) || fields.size() != 3)
        return std::nullopt;
    int year = 0, month = 0, day = 0;
    if (fields[0].size() == 4) {  // year first: yyyy-mm-dd
        if (fields[1].size() > 2 || fields[2].size() > 2) return std::nullopt;
        year = ToInt(fields[0]);
        month = ToInt(fields[1]);
        day = ToInt(fields[2]);
    } else {
        if (fields[0].size() > 2 || fields[1].size() > 2) return std::nullopt;
        if (fields[2].size() != 2 && fields[2].size() != 4) return std::nullopt;
        day = ToInt(fields[0]);
        month = ToInt(fields[1]);
        year = ToInt(fields[2]);
        if (fields[2].size() == 2) year += year < 30 ? 2000 : 1900;
    }
    if (!detail::IsValidDate(year, month, day)) return std::nullopt;
    return detail::DayNumber(year, month, day);
}

}  // namespace

std::optional<Date> ParseDate(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    std::size_t last = text.find_last_not_of(" \t");
    text = text.substr(first, last - first + 1);

    if (auto iso = Date::FromIso(text)) return iso;

    std::string_view dayText = text;
    std::string_view timeText;
    const std::size_t blank = text.find_first_of(" \t");
    if (blank != std::string_view::npos) {
        dayText = text.substr(0, blank);
        timeText = text.substr(text.find_first_not_of(" \t", blank));
    } else if (text.find(':') != std::string_view::npos) {
        dayText = {};
        timeText = text;
    }
    double seconds = 0.0;
    if (!timeText.empty()) {
        const std::optional<double> time = ParseTime(timeText);
        if (!time) return std::nullopt;
        seconds = *time;
    }
    long dayNumber = 0;
    if (!dayText.empty()) {
        const std::optional<long> day = ParseDayPart(dayText);
        if (!day) return std::nullopt;
        dayNumber = *day;
    }
    return Date::FromSerial(detail::SerialOf(dayNumber, seconds));
}

bool IsDate(std::string_view text) { return ParseDate(text).has_value(); }

Date CDate(std::string_view text) {
    const std::optional<Date> date = ParseDate(text);
    if (!date) Raise(kErrTypeMismatch, "Type mismatch");
    return *date;
}

}  // namespace vb
