#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "player/MpvOptions.h"

namespace tembra {

// How much of a live channel the player keeps on disk so that it can be
// paused and sought back in: at most a span of time and a number of bytes,
// whichever is reached first. mpv caps its cache by bytes only, ahead of the
// picture and behind it separately; these rules share one budget between
// the two and turn the time cap into bytes at the stream's own rate.
class TimeshiftBudget {
 public:
  static constexpr int kDefaultMinutes = 60;
  static constexpr int64_t kDefaultMegabytes = 2048;
  // Below this the back buffer is not shrunk: a seek of a few seconds must
  // still find its packets.
  static constexpr int64_t kFloorBytes = 8ll << 20;

  TimeshiftBudget(int minutes, int64_t megabytes);

  int minutes() const { return minutes_; }
  int64_t bytes() const { return bytes_; }
  double seconds() const { return minutes_ * 60.0; }

  // The cache options for a handle (applied after the live tuning, which
  // they override): held on disk in folder, reading on while paused.
  std::vector<MpvOption> options(const std::string& folder) const;

  // What may be kept behind the picture, given what is held ahead of it
  // (forwardBytes), in all (totalBytes), and the seconds that covers.
  int64_t backBytes(int64_t forwardBytes, int64_t totalBytes, double heldSeconds) const;

  // The oldest second a seek may go to, with rangeEnd the newest received.
  double oldestAllowed(double rangeStart, double rangeEnd) const;

 private:
  int minutes_;
  int64_t bytes_;
};

}  // namespace tembra
