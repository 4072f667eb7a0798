// Format with the runtime's number and date patterns.
//
// Numbers: "0" (a digit, always shown), "#" (a digit, shown when significant),
// "." (the regional decimal separator), "," between digit placeholders (the
// regional thousands separator). Rounding halves away from zero as the
// runtime's Format does. Dates (letters in any case): "d", "dd", "m", "mm"
// (minutes right after "h"/"hh"), "yy", "yyyy", "h", "hh", "n", "nn", "s", "ss";
// any other character stands as written.
#pragma once

#include <string>
#include <string_view>

#include "vb/datetime.h"
#include "vb/variant.h"

namespace vb {

std::string Format(double value, std::string_view pattern);
std::string Format(const Date& value, std::string_view pattern);
// Numbers and dates as above; text that reads as a number is formatted as
// one; other text and Empty come back as text; Null gives "". Text that reads
// as a date (ParseDate) is formatted as a date under a date pattern, and a
// number under a date pattern is taken as a date serial.
std::string Format(const Variant& value, std::string_view pattern);

}  // namespace vb
