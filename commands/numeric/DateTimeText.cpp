#include "commands/numeric/DateTimeText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace cmd {

namespace {

// "年"
inline constexpr const char kYearMark[] = "\xC4\xEA";
// "月"
inline constexpr const char kMonthMark[] = "\xD4\xC2";
// "日"
inline constexpr const char kDayMark[] = "\xC8\xD5";
// "时"
inline constexpr const char kHourMark[] = "\xCA\xB1";
// "分"
inline constexpr const char kMinuteMark[] = "\xB7\xD6";
// "秒"
inline constexpr const char kSecondMark[] = "\xC3\xEB";

// Day 0 of the date-time scale, counted from 1 January 1970.
constexpr int64_t kDayZeroFromUnixEpoch = -25569;

// Proleptic Gregorian calendar date of a day counted from 1 January 1970, by 400-year eras.
void CivilFromUnixDays(int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // March = 0
  *day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  *month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

void AppendNumber(std::string* out, int value, const char* mark) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", value);
  out->append(buffer);
  out->append(mark);
}

}  // namespace

double ClampDateTime(double days) {
  if (std::isnan(days)) return 0.0;
  if (days < kEarliestDateTime) return kEarliestDateTime;
  if (days > kLatestDateTime) return kLatestDateTime;
  return days;
}

CivilDateTime SplitDateTime(double days) {
  days = ClampDateTime(days);
  double whole = std::trunc(days);
  auto dayNumber = static_cast<int64_t>(whole);
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(days - whole) * 86400.0));
  if (seconds >= 86400) {
    // Rounding up to the second reached the next midnight.
    seconds -= 86400;
    ++dayNumber;
  }
  CivilDateTime out;
  CivilFromUnixDays(dayNumber + kDayZeroFromUnixEpoch, &out.year, &out.month, &out.day);
  out.hour = static_cast<int>(seconds / 3600);
  out.minute = static_cast<int>(seconds / 60 % 60);
  out.second = static_cast<int>(seconds % 60);
  return out;
}

std::string DateTimeText(double days) {
  CivilDateTime t = SplitDateTime(days);
  std::string out;
  AppendNumber(&out, t.year, kYearMark);
  AppendNumber(&out, t.month, kMonthMark);
  AppendNumber(&out, t.day, kDayMark);
  if (t.second != 0) {
    AppendNumber(&out, t.hour, kHourMark);
    AppendNumber(&out, t.minute, kMinuteMark);
    AppendNumber(&out, t.second, kSecondMark);
  } else if (t.minute != 0) {
    AppendNumber(&out, t.hour, kHourMark);
    AppendNumber(&out, t.minute, kMinuteMark);
  } else if (t.hour != 0) {
    AppendNumber(&out, t.hour, kHourMark);
  }
  return out;
}

}  // namespace cmd
