// Calendar arithmetic shared by the date functions.
#pragma once

#include <string>

namespace vb::detail {

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// True for a date the runtime can hold (years 100 to 9999) and a time of day.
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second);
// Day number relative to 1899-12-30 (day 0 of the serial dates).
long DayNumber(int year, int month, int day);
void CivilFromDayNumber(long dayNumber, int& year, int& month, int& day);
// Serial of a day number and a time of day in seconds: negative days keep the
// time as a positive fraction of the day (-1.25 is 29/12/1899 06:00).
double SerialOf(long dayNumber, double secondsOfDay);
// The number with zeros in front up to `width` digits ("05", "0099").
std::string ZeroPadded(long value, std::size_t width);

}  // namespace vb::detail
