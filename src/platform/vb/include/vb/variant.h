// Variant: the runtime's dynamically typed value, with Empty and Null kept
// apart from the empty text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "vb/currency.h"
#include "vb/datetime.h"

namespace vb {

struct NullValue {
    friend constexpr bool operator==(NullValue, NullValue) { return true; }
};
inline constexpr NullValue Null{};

class Variant {
public:
    using Storage = std::variant<std::monostate, NullValue, bool, std::int64_t, double, Currency,
                                 Date, std::string>;

    Variant() = default;  // Empty
    Variant(NullValue) : v_(Null) {}
    Variant(bool b) : v_(b) {}
    Variant(int i) : v_(static_cast<std::int64_t>(i)) {}
    Variant(long i) : v_(static_cast<std::int64_t>(i)) {}
    Variant(long long i) : v_(static_cast<std::int64_t>(i)) {}
    Variant(double d) : v_(d) {}
    Variant(Currency c) : v_(c) {}
    Variant(Date d) : v_(d) {}
    Variant(std::string s) : v_(std::move(s)) {}
    Variant(std::string_view s) : v_(std::string(s)) {}
    Variant(const char* s) : v_(std::string(s)) {}

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(v_); }
    bool IsNull() const { return std::holds_alternative<NullValue>(v_); }
    bool IsText() const { return std::holds_alternative<std::string>(v_); }
    bool IsBool() const { return std::holds_alternative<bool>(v_); }
    bool IsInteger() const { return std::holds_alternative<std::int64_t>(v_); }
    bool IsDouble() const { return std::holds_alternative<double>(v_); }
    bool IsCurrency() const { return std::holds_alternative<Currency>(v_); }
    bool IsDate() const { return std::holds_alternative<Date>(v_); }
    // A number of any kind (integer, double, currency, boolean).
    bool IsNumber() const { return IsInteger() || IsDouble() || IsCurrency() || IsBool(); }

    const Storage& Get() const { return v_; }

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    Storage v_;
};

// Text of a value as CStr gives it: Empty gives "", numbers use the regional
// decimal separator, dates "dd/mm/yyyy hh:mm:ss" (the time left out at
// midnight, the date left out on day 0), booleans "True"/"False".
// Null raises error 94.
std::string CStr(const Variant& value);
// Like CStr, but Null gives "" (a field read with Null as empty text).
std::string TextOf(const Variant& value);
// Numeric value: numbers as they are, text read with the regional settings,
// Empty 0; Null and text that is not a number raise error 13 (94 for Null).
double CDbl(const Variant& value);

}  // namespace vb
