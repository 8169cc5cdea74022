#pragma once
#include <cstdint>
#include <ctime>

namespace tembra {

// Conversions between the time forms of zip archives and file times
// (100-nanosecond ticks since 1601-01-01 UTC).
class ZipTime {
 public:
  static constexpr uint64_t kUnixEpochTicks = 116444736000000000ull;

  // A DOS date and time, read as local time of this machine. A date the
  // calendar cannot hold gives 0.
  static uint64_t FromDos(uint16_t date, uint16_t time);
  static uint64_t FromUnixSeconds(int64_t seconds);
  static timespec ToTimespec(uint64_t fileTime);
};

}  // namespace tembra
