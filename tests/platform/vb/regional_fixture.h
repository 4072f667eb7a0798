// Regional settings used by the tests: the default (comma decimal) and the
// point-decimal one.
#pragma once

#include "vb/regional.h"

namespace vbtest {

inline vb::Regional CommaDecimal() { return vb::Regional{}; }

inline vb::Regional PointDecimal() {
    vb::Regional r;
    r.decimalSeparator = ".";
    r.thousandsSeparator = ",";
    return r;
}

}  // namespace vbtest
