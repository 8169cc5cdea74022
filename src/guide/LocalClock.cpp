#include "guide/LocalClock.h"

#include <sys/time.h>

#include <ctime>

namespace tembra {

LocalTime SystemClock::Now() const {
  timeval tv{};
  ::gettimeofday(&tv, nullptr);
  std::tm local{};
  const std::time_t seconds = tv.tv_sec;
  ::localtime_r(&seconds, &local);
  LocalTime t;
  t.year = static_cast<uint16_t>(local.tm_year + 1900);
  t.month = static_cast<uint16_t>(local.tm_mon + 1);
  t.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
  t.day = static_cast<uint16_t>(local.tm_mday);
  t.hour = static_cast<uint16_t>(local.tm_hour);
  t.minute = static_cast<uint16_t>(local.tm_min);
  // A leap second shows as 59, as the guide's keys know no second 60.
  t.second = static_cast<uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
  t.millisecond = static_cast<uint16_t>(tv.tv_usec / 1000);
  return t;
}

const SystemClock& SystemClock::Instance() {
  static const SystemClock clock;
  return clock;
}

LocalTime FixedClock::Now() const {
  std::lock_guard g(lock_);
  return time_;
}

void FixedClock::Set(LocalTime time) {
  std::lock_guard g(lock_);
  time_ = time;
}

}  // namespace tembra
