#include "mainwnd/GuideRowText.h"

#include <ctime>
#include <unordered_map>

namespace tembra {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// "HH:MM:SS" exactly: only such a time may lose its seconds.
bool isLongTime(std::u16string_view t) {
  return t.size() == 8 && isDigit(t[0]) && isDigit(t[1]) && t[2] == u':' && isDigit(t[3]) && isDigit(t[4]) &&
         t[5] == u':' && isDigit(t[6]) && isDigit(t[7]);
}

}  // namespace

std::u16string GuideRowText::ShortTime(std::u16string_view starttime) {
  return std::u16string(isLongTime(starttime) ? starttime.substr(0, 5) : starttime);
}

std::u16string GuideRowText::ChannelRow(const GuideRow& row) {
  std::u16string text;
  text.reserve(row.name.size() + row.entry.starttime.size() + row.entry.title.size() + 2);
  text += row.name;
  text += u' ';
  text += DayRow(row);
  return text;
}

std::u16string GuideRowText::DayRow(const GuideRow& row, bool withSeconds) {
  std::u16string text = withSeconds ? row.entry.starttime : ShortTime(row.entry.starttime);
  text.reserve(text.size() + row.entry.title.size() + 1);
  text += u' ';
  text += row.entry.title;
  return text;
}

std::vector<bool> GuideRowText::DaySeconds(const std::vector<GuideRow>& rows) {
  std::unordered_map<std::u16string, int> perMinute;
  perMinute.reserve(rows.size());
  for (const GuideRow& r : rows) ++perMinute[ShortTime(r.entry.starttime)];
  std::vector<bool> out;
  out.reserve(rows.size());
  for (const GuideRow& r : rows) out.push_back(perMinute[ShortTime(r.entry.starttime)] > 1);
  return out;
}

std::u16string GuideRowText::DayOption(int64_t dayStart, int64_t now) {
  static constexpr const char16_t* kWeekdays[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  const time_t startT = static_cast<time_t>(dayStart), nowT = static_cast<time_t>(now);
  std::tm day{}, today{};
  if (localtime_r(&startT, &day) == nullptr || localtime_r(&nowT, &today) == nullptr) return {};
  if (day.tm_year == today.tm_year && day.tm_yday == today.tm_yday) return u"Today";
  if (day.tm_wday < 0 || day.tm_wday > 6) return {};
  std::u16string text = kWeekdays[day.tm_wday];
  text += u' ';
  for (char c : std::to_string(day.tm_mday)) text += static_cast<char16_t>(c);
  return text;
}

}  // namespace tembra
