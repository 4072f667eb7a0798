#include "vb/variant.h"

#include "calendar.h"
#include "vb/conv.h"
#include "vb/error.h"
#include "vb/regional.h"

namespace vb {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string DateText(const Date& date) {
    const Regional& regional = GetRegional();
    const DateParts p = date.Parts();
    const bool dayZero = p.year == 1899 && p.month == 12 && p.day == 30;
    const bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0;
    // Day 0 shows only its time (also at midnight), other days their date and
    // the time unless it is midnight.
    using detail::ZeroPadded;
    std::string text;
    if (!dayZero) {
        text = ZeroPadded(p.day, 2) + regional.dateSeparator + ZeroPadded(p.month, 2) +
               regional.dateSeparator + ZeroPadded(p.year, 4);
    }
    if (dayZero || !midnight) {
        if (!text.empty()) text += " ";
        text += ZeroPadded(p.hour, 2) + regional.timeSeparator + ZeroPadded(p.minute, 2) +
                regional.timeSeparator + ZeroPadded(p.second, 2);
    }
    return text;
}

[[noreturn]] void InvalidUseOfNull() { Raise(kErrInvalidUseOfNull, "Invalid use of Null"); }

}  // namespace

std::string CStr(const Variant& value) {
    return std::visit(
        Overloaded{
            [](std::monostate) { return std::string(); },
            [](NullValue) -> std::string { InvalidUseOfNull(); },
            [](bool b) { return std::string(b ? "True" : "False"); },
            [](std::int64_t i) { return CStr(i); },
            [](double d) { return CStr(d); },
            [](Currency c) { return CStr(c); },
            [](const Date& d) { return DateText(d); },
            [](const std::string& s) { return s; },
        },
        value.Get());
}

std::string TextOf(const Variant& value) { return value.IsNull() ? std::string() : CStr(value); }

double CDbl(const Variant& value) {
    return std::visit(
        Overloaded{
            [](std::monostate) { return 0.0; },
            [](NullValue) -> double { InvalidUseOfNull(); },
            [](bool b) { return b ? -1.0 : 0.0; },
            [](std::int64_t i) { return static_cast<double>(i); },
            [](double d) { return d; },
            [](Currency c) { return c.ToDouble(); },
            [](const Date& d) { return d.Serial(); },
            [](const std::string& s) {
                const std::optional<double> number = ParseNumber(s);
                if (!number) Raise(kErrTypeMismatch, "Type mismatch");
                return *number;
            },
        },
        value.Get());
}

}  // namespace vb
