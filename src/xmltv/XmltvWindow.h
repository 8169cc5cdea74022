#pragma once
#include <array>
#include <cstdint>

namespace tembra {

// The days a guide is kept for: the local day of a moment and the two
// after it, as UTC seconds of the local midnights that bound them (TZ
// applies; a day across a daylight-saving change is 23 or 25 hours).
struct XmltvWindow {
  static constexpr int kDays = 3;

  // dayStart[d] is the local midnight opening day d; dayStart[kDays]
  // closes the last day.
  std::array<int64_t, kDays + 1> dayStart{};
  // Keep every programme whatever its time (checking a file); the days
  // still serve the day queries.
  bool keepAll = false;

  static XmltvWindow around(int64_t utcNow);
  static XmltvWindow everything(int64_t utcNow);

  int64_t begin() const { return dayStart[0]; }
  int64_t end() const { return dayStart[kDays]; }
};

}  // namespace tembra
