#include "player/TimeshiftBudget.h"

#include <algorithm>

namespace tembra {

namespace {
constexpr int kMaxMinutes = 24 * 60;
constexpr int64_t kMaxMegabytes = 1ll << 20;  // a terabyte: past any disk meant here
}  // namespace

TimeshiftBudget::TimeshiftBudget(int minutes, int64_t megabytes)
    : minutes_(std::clamp(minutes, 1, kMaxMinutes)),
      bytes_(std::clamp<int64_t>(megabytes, 16, kMaxMegabytes) << 20) {}

std::vector<MpvOption> TimeshiftBudget::options(const std::string& folder) const {
  const std::string bytes = std::to_string(bytes_);
  return {
      {"cache", "yes"},
      {"cache-on-disk", "yes"},
      {"demuxer-cache-dir", folder},
      // Reading goes on while paused until the cap: the wait ahead of the
      // picture is the whole span, not the few seconds a live start wants.
      {"cache-secs", std::to_string(minutes_ * 60)},
      {"demuxer-max-bytes", bytes},
      {"demuxer-max-back-bytes", bytes},
      // A live stream is not seekable by itself; what the cache holds is.
      {"force-seekable", "yes"},
      {"demuxer-seekable-cache", "yes"},
  };
}

int64_t TimeshiftBudget::backBytes(int64_t forwardBytes, int64_t totalBytes, double heldSeconds) const {
  forwardBytes = std::max<int64_t>(0, forwardBytes);
  int64_t allowed = bytes_ - forwardBytes;
  if (heldSeconds > 1 && totalBytes > 0) {
    const double rate = static_cast<double>(totalBytes) / heldSeconds;
    const auto byTime = static_cast<int64_t>(rate * seconds()) - forwardBytes;
    allowed = std::min(allowed, byTime);
  }
  return std::clamp(allowed, kFloorBytes, bytes_);
}

double TimeshiftBudget::oldestAllowed(double rangeStart, double rangeEnd) const {
  return std::max(rangeStart, rangeEnd - seconds());
}

}  // namespace tembra
