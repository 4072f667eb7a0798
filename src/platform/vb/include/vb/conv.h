// Numeric and date conversions with the runtime's semantics.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vb/currency.h"
#include "vb/datetime.h"

namespace vb {

// Val: the leading number of the text with "." as the decimal point, blanks,
// tabs and line feeds skipped anywhere; "&H" and "&O" prefixes; an exponent;
// 0 when the text does not begin with a number.
double Val(std::string_view text);

// Rounding halves to the even neighbour. The value is rounded as its text
// reads with 15 significant digits (as CStr shows it), not as its binary
// approximation: Round(2.675, 2) = 2.68, Round(0.125, 2) = 0.12.
double Round(double value, int digits = 0);
std::int16_t CInt(double value);  // raises 6 outside -32768..32767
std::int32_t CLng(double value);  // raises 6 outside the 32-bit range

// Reads a number written with the regional settings (decimal and thousands
// separators, a leading sign, blanks around). nullopt when it is not a number.
// A thousands separator is taken only between groups of three digits, so
// "12.5" under a comma decimal separator is no number (rather than 125).
std::optional<double> ParseNumber(std::string_view text);
bool IsNumeric(std::string_view text);

// CStr of a Double: up to 15 significant digits, regional decimal separator,
// no exponent for ordinary magnitudes ("12,5", "-0,25", "1000000").
std::string CStr(double value);
std::string CStr(std::int64_t value);
// Other integer types (int, unsigned, std::size_t), which would otherwise be
// ambiguous between the two above.
template <class T>
    requires std::integral<T> && (!std::same_as<T, bool>) && (!std::same_as<T, std::int64_t>)
std::string CStr(T value) {
    return std::to_string(value);
}

// Day-first date recognition: "d/m/y", "d-m-y", "d.m.y" (two- or four-digit
// year; two-digit years 00-29 are 20xx, 30-99 19xx), ISO "yyyy-mm-dd", each
// with an optional time "hh:mm[:ss]"; a time alone is a time on day 0.
std::optional<Date> ParseDate(std::string_view text);
bool IsDate(std::string_view text);
Date CDate(std::string_view text);  // raises 13 when not a date

}  // namespace vb
