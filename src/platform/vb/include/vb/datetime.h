// Date: a point in time as the day number since 1899-12-30 with the time of
// day as its fraction, the way the runtime holds dates.
#pragma once

#include <compare>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vb {

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

class Date {
public:
    constexpr Date() = default;
    static constexpr Date FromSerial(double serial) { Date d; d.serial_ = serial; return d; }
    // Raises error 5 for an impossible date or time.
    static Date FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    static Date FromParts(const DateParts& parts);
    // "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS" (also with "T").
    static std::optional<Date> FromIso(std::string_view text);

    constexpr double Serial() const { return serial_; }
    DateParts Parts() const;  // rounded to the second
    std::string ToIso() const;  // "YYYY-MM-DD HH:MM:SS"

    friend constexpr auto operator<=>(const Date&, const Date&) = default;

private:
    double serial_ = 0.0;
};

// The parts of an ISO text as Date::FromIso reads it, without going through
// the serial: nullopt where FromIso gives nullopt. Fractions of a second are
// read into `fraction` when it is given; without it, a text with a fraction
// is no ISO date.
std::optional<DateParts> IsoParts(std::string_view text, double* fraction = nullptr);

// The clock. Tests may replace it; nullptr restores the system clock.
Date Now();
void SetClock(std::function<Date()> clock);

}  // namespace vb
