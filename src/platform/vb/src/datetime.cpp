#include "vb/datetime.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <utility>

#include "calendar.h"
#include "vb/error.h"

namespace vb {

namespace detail {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
constexpr long DaysFromCivil(long y, long m, long d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr long kEpoch = DaysFromCivil(1899, 12, 30);

}  // namespace

long DayNumber(int year, int month, int day) { return DaysFromCivil(year, month, day) - kEpoch; }

void CivilFromDayNumber(long dayNumber, int& year, int& month, int& day) {
    long z = dayNumber + kEpoch + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long d = doy - (153 * mp + 2) / 5 + 1;
    const long m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(yoe + era * 400 + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

double SerialOf(long dayNumber, double secondsOfDay) {
    const double fraction = secondsOfDay / 86400.0;
    return dayNumber >= 0 ? static_cast<double>(dayNumber) + fraction
                          : static_cast<double>(dayNumber) - fraction;
}

std::string ZeroPadded(long value, std::size_t width) {
    std::string text = std::to_string(value);
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

}  // namespace detail

namespace {

// Serial range of the years 100 to 9999.
constexpr double kMinSerial = -657435.0;
constexpr double kMaxSerial = 2958466.0;

int ReadNumber(std::string_view text, std::size_t pos, std::size_t count, bool& ok) {
    int value = 0;
    if (pos + count > text.size()) {
        ok = false;
        return 0;
    }
    for (std::size_t i = pos; i < pos + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            ok = false;
            return 0;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::function<Date()>& Clock() {
    static std::function<Date()> clock;
    return clock;
}

}  // namespace

Date Date::FromParts(int year, int month, int day, int hour, int minute, int second) {
    if (!detail::IsValidDate(year, month, day) || !detail::IsValidTime(hour, minute, second))
        Raise(kErrInvalidCall, "Invalid procedure call or argument");
    return FromSerial(detail::SerialOf(detail::DayNumber(year, month, day),
                                       hour * 3600.0 + minute * 60.0 + second));
}

Date Date::FromParts(const DateParts& p) {
    return FromParts(p.year, p.month, p.day, p.hour, p.minute, p.second);
}

std::optional<DateParts> IsoParts(std::string_view text, double* fraction) {
    bool ok = true;
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    DateParts p;
    p.year = ReadNumber(text, 0, 4, ok);
    p.month = ReadNumber(text, 5, 2, ok);
    p.day = ReadNumber(text, 8, 2, ok);
    p.hour = p.minute = p.second = 0;
    if (fraction) *fraction = 0.0;
    if (text.size() > 10) {
        if ((text[10] != ' ' && text[10] != 'T') || text.size() < 16 || text[13] != ':')
            return std::nullopt;
        p.hour = ReadNumber(text, 11, 2, ok);
        p.minute = ReadNumber(text, 14, 2, ok);
        std::size_t pos = 16;
        if (pos < text.size()) {
            if (text[pos] != ':') return std::nullopt;
            p.second = ReadNumber(text, pos + 1, 2, ok);
            pos += 3;
            if (pos < text.size()) {
                // Fractional seconds, as database drivers write them.
                if (!fraction || text[pos] != '.' || pos + 1 == text.size()) return std::nullopt;
                std::string digits = "0.";
                for (std::size_t i = pos + 1; i < text.size(); ++i) {
                    if (text[i] < '0' || text[i] > '9') return std::nullopt;
                    digits.push_back(text[i]);
                }
                std::from_chars(digits.data(), digits.data() + digits.size(), *fraction);
            }
        }
    }
    if (!ok || !detail::IsValidDate(p.year, p.month, p.day) || !detail::IsValidTime(p.hour, p.minute, p.second))
        return std::nullopt;
    return p;
}

std::optional<Date> Date::FromIso(std::string_view text) {
    double fraction = 0.0;
    const std::optional<DateParts> p = IsoParts(text, &fraction);
    if (!p) return std::nullopt;
    return FromSerial(detail::SerialOf(detail::DayNumber(p->year, p->month, p->day),
                                       p->hour * 3600.0 + p->minute * 60.0 + p->second + fraction));
}

DateParts Date::Parts() const {
    if (!std::isfinite(serial_) || serial_ < kMinSerial || serial_ > kMaxSerial)
        Raise(kErrOverflow, "Overflow");
    long days = static_cast<long>(std::trunc(serial_));
    const double fraction = std::fabs(serial_ - static_cast<double>(days));
    long seconds = std::lround(fraction * 86400.0);
    if (seconds >= 86400) {  // rounds up into the next day
        seconds -= 86400;
        days += 1;
    }
    DateParts p;
    detail::CivilFromDayNumber(days, p.year, p.month, p.day);
    // The bounds themselves (and a time rounded past the last day) fall
    // outside the years 100 to 9999.
    if (!detail::IsValidDate(p.year, p.month, p.day)) Raise(kErrOverflow, "Overflow");
    p.hour = static_cast<int>(seconds / 3600);
    p.minute = static_cast<int>(seconds / 60 % 60);
    p.second = static_cast<int>(seconds % 60);
    return p;
}

std::string Date::ToIso() const {
    using detail::ZeroPadded;
    const DateParts p = Parts();
    return ZeroPadded(p.year, 4) + "-" + ZeroPadded(p.month, 2) + "-" + ZeroPadded(p.day, 2) + " " +
           ZeroPadded(p.hour, 2) + ":" + ZeroPadded(p.minute, 2) + ":" + ZeroPadded(p.second, 2);
}

Date Now() {
    if (Clock()) return Clock()();
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return Date::FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec);
}

void SetClock(std::function<Date()> clock) { Clock() = std::move(clock); }

}  // namespace vb
