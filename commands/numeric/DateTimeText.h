// Date-time values (days since 30 December 1899, time of day as the fraction) taken apart
// and written as text, the same way wherever a value is shown to the user.
#pragma once

#include <string>

namespace cmd {

// 1 January 100 and 31 December 9999: the span every stored or shown date-time keeps to.
inline constexpr double kEarliestDateTime = -657434.0;
inline constexpr double kLatestDateTime = 2958465.0;

// Clamped into the span above; NaN, which has no place in it, reads as day 0.
double ClampDateTime(double days);

struct CivilDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// The clamped value as a calendar date and a time rounded to the second. Before day 0
// the whole part still names the day and the fraction's magnitude the time of day.
CivilDateTime SplitDateTime(double days);

// GBK "Y年M月D日" followed by "H时M分S秒", "H时M分" or "H时", leaving out the trailing
// parts that are zero.
std::string DateTimeText(double days);

}  // namespace cmd
