#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CivilDate.h"

namespace tembra {

struct Programme {
  std::string title;
  uint32_t start = 0;  // seconds since the day's midnight
  uint32_t end = 0;    // exclusive; the last programme ends at 86400
};

// One channel's programmes for one day: back to back from 00:00:00 to
// midnight, the same for the same seed, channel and date.
class ProgrammeSchedule {
 public:
  static constexpr uint32_t kDaySeconds = 86400;

  // count 0: 16 to 32, chosen per channel and day; at most 1440.
  static std::vector<Programme> ForDay(uint64_t seed, std::string_view channelId,
                                       const CivilDate& date, uint32_t count);
};

}  // namespace tembra
