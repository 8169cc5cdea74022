#include "source/GuideSource.h"

#include <algorithm>
#include <ctime>

namespace tembra {

namespace {

// n decimal digits at text[at]; -1 when any is not a digit.
int digits(std::u16string_view text, size_t at, size_t n) {
  if (at + n > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + n; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return -1;
    value = value * 10 + (text[i] - u'0');
  }
  return value;
}

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int monthLength(int year, int month) {
  static constexpr int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leapYear(year) ? 29 : kLengths[month - 1];
}

int64_t fromLocalFields(std::tm fields) {
  fields.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&fields));
}

}  // namespace

std::optional<int64_t> GuideSource::localTimeOf(std::u16string_view date, std::u16string_view time) {
  // Trailing bytes are tolerated (a zone or fraction some services add);
  // the fields themselves must be whole.
  if (date.size() < 10 || date[4] != date[7] || (date[4] != u'-' && date[4] != u'/')) return std::nullopt;
  const int year = digits(date, 0, 4), month = digits(date, 5, 2), day = digits(date, 8, 2);
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > monthLength(year, month)) return std::nullopt;
  if (time.size() < 5 || time[2] != u':') return std::nullopt;
  const int hour = digits(time, 0, 2), minute = digits(time, 3, 2);
  int second = 0;
  if (time.size() >= 8 && time[5] == u':') second = digits(time, 6, 2);
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return std::nullopt;
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  const int64_t utc = fromLocalFields(fields);
  if (utc == -1) return std::nullopt;
  return utc;
}

int64_t GuideSource::localMidnight(int64_t utc, int days) {
  std::tm fields{};
  const std::time_t t = static_cast<std::time_t>(utc);
  localtime_r(&t, &fields);
  fields.tm_hour = fields.tm_min = fields.tm_sec = 0;
  fields.tm_mday += days;
  return fromLocalFields(fields);
}

int64_t GuideSource::dayStart(int day) const {
  for (int known = 0; known < kListedDays; ++known)
    if (listedDay_[known] != 0) return localMidnight(listedDay_[known], day - known);
  return localMidnight(static_cast<int64_t>(std::time(nullptr)), day);
}

int32_t GuideSource::GetDayProgrammes(int day, std::u16string_view channelId, std::vector<GuideProgramme>& out,
                                      bool noDownload) {
  std::vector<GuideRow> rows;
  const int32_t code = GetDayList(day, channelId, rows, noDownload);
  if (code != kRows) return code;
  const size_t first = out.size();
  for (GuideRow& row : rows) {
    const std::optional<int64_t> start = localTimeOf(row.entry.startdate, row.entry.starttime);
    if (!start) continue;
    out.push_back({*start, 0, std::move(row.entry)});
  }
  // Rows come in the service's order, which is not promised to be by time.
  std::stable_sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                   [](const GuideProgramme& a, const GuideProgramme& b) { return a.start < b.start; });
  out.erase(std::unique(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                        [](const GuideProgramme& a, const GuideProgramme& b) { return a.start == b.start; }),
            out.end());
  for (size_t i = first; i < out.size(); ++i)
    out[i].stop = i + 1 < out.size() ? out[i + 1].start : localMidnight(out[i].start, 1);
  if (out.size() == first) return kNothing;
  // The day's date by its last programme: the first may have begun the
  // evening before.
  if (day >= 0 && day < kListedDays) listedDay_[day] = localMidnight(out.back().start);
  return kRows;
}

}  // namespace tembra
