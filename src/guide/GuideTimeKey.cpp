#include "guide/GuideTimeKey.h"

#include <cstdio>

#include "platform/Utf.h"

namespace tembra {

namespace {

// The entry key as one sequence of units, read without joining its parts.
// Past its end, or from the first NUL on, it reads 0.
class EntryKeyReader {
 public:
  EntryKeyReader(std::u16string_view dayKey, std::u16string_view starttime)
      : dayKey_(dayKey), starttime_(starttime) {}
  char16_t Next() {
    if (ended_) return 0;
    char16_t c = 0;
    if (pos_ < dayKey_.size()) c = dayKey_[pos_];
    else if (pos_ == dayKey_.size()) c = u':';
    else if (pos_ - dayKey_.size() - 1 < starttime_.size()) c = starttime_[pos_ - dayKey_.size() - 1];
    ++pos_;
    if (c == 0) ended_ = true;
    return c;
  }

 private:
  std::u16string_view dayKey_;
  std::u16string_view starttime_;
  size_t pos_ = 0;
  bool ended_ = false;
};

}  // namespace

std::u16string GuideTimeKey::NowKey(const LocalTime& now) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d:%02d", now.day, now.hour, now.minute, now.second);
  return asciiToUtf16(buf);
}

std::u16string GuideTimeKey::DayKey(int dayOfMonth, int dayIndex) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", dayOfMonth + dayIndex);
  return asciiToUtf16(buf);
}

std::u16string GuideTimeKey::EntryKey(std::u16string_view dayKey, std::u16string_view starttime) {
  std::u16string key(dayKey);
  key += u':';
  key += starttime;
  return key;
}

int GuideTimeKey::CompareNow(std::u16string_view nowKey, std::u16string_view dayKey,
                             std::u16string_view starttime) {
  EntryKeyReader entry(dayKey, starttime);
  for (size_t i = 0;; ++i) {
    const char16_t a = i < nowKey.size() ? nowKey[i] : 0;
    const char16_t b = entry.Next();
    if (a != b) return a < b ? -1 : 1;
    if (a == 0) return 0;
  }
}

}  // namespace tembra
