// SQL literals. Every value the system splices into SQL text goes through
// these two functions, so that an apostrophe inside a text never ends the
// literal and a number never depends on the regional decimal separator.
#pragma once

#include <string>
#include <string_view>

#include "vb/conv.h"
#include "vb/regional.h"
#include "vb/text.h"

namespace foundation {

// The text as an SQL text literal: between apostrophes, each inner apostrophe
// doubled (O'Brien gives 'O''Brien').
inline std::string SqlText(std::string_view value) {
    std::string literal = "'";
    literal += vb::Replace(value, "'", "''");
    literal += "'";
    return literal;
}

// The number as an SQL numeric literal: "." as the decimal point whatever the
// regional settings, no thousands separator.
inline std::string SqlNumber(double value) {
    return vb::Replace(vb::CStr(value), vb::GetRegional().decimalSeparator, ".");
}

}  // namespace foundation
