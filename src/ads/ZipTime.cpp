#include "ads/ZipTime.h"

namespace tembra {

uint64_t ZipTime::FromDos(uint16_t date, uint16_t time) {
  std::tm local{};
  local.tm_year = 80 + (date >> 9);
  local.tm_mon = ((date >> 5) & 0x0F) - 1;
  local.tm_mday = date & 0x1F;
  local.tm_hour = time >> 11;
  local.tm_min = (time >> 5) & 0x3F;
  local.tm_sec = 2 * (time & 0x1F);
  local.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&local);
  if (seconds == static_cast<std::time_t>(-1)) return 0;
  return FromUnixSeconds(seconds);
}

uint64_t ZipTime::FromUnixSeconds(int64_t seconds) {
  const int64_t ticks = seconds * 10000000;
  if (ticks < -static_cast<int64_t>(kUnixEpochTicks)) return 0;
  return kUnixEpochTicks + static_cast<uint64_t>(ticks);
}

timespec ZipTime::ToTimespec(uint64_t fileTime) {
  const int64_t sinceEpoch = static_cast<int64_t>(fileTime - kUnixEpochTicks);
  timespec ts{};
  int64_t seconds = sinceEpoch / 10000000;
  int64_t rest = sinceEpoch % 10000000;
  if (rest < 0) {
    rest += 10000000;
    --seconds;
  }
  ts.tv_sec = static_cast<time_t>(seconds);
  ts.tv_nsec = static_cast<long>(rest * 100);
  return ts;
}

}  // namespace tembra
