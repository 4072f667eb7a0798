// Regional settings the runtime formats and parses with.
//
// One process-wide object, read on the user-interface thread. The program sets
// it once at start-up from the system locale; tests replace it with
// ScopedRegional so that both decimal separators are exercised.
#pragma once

#include <string>

namespace vb {

struct Regional {
    std::string decimalSeparator = ",";
    std::string thousandsSeparator = ".";
    int currencyDigits = 2;  // LOCALE_ICURRDIGITS
    std::string dateSeparator = "/";
    std::string timeSeparator = ":";
    // Short dates are read and written day first (dd/mm/yyyy).
};

const Regional& GetRegional();
void SetRegional(const Regional& settings);

// Sets the regional settings for a scope and restores the previous ones.
class ScopedRegional {
public:
    explicit ScopedRegional(const Regional& settings);
    ~ScopedRegional();
    ScopedRegional(const ScopedRegional&) = delete;
    ScopedRegional& operator=(const ScopedRegional&) = delete;

private:
    Regional saved_;
};

}  // namespace vb
