#include "platform/HttpLimits.h"

#include <atomic>

namespace tembra {

namespace {
std::atomic<long> lowSpeed{HttpLimits::kLowSpeedSeconds};
std::atomic<long> total{HttpLimits::kTotalSeconds};
}  // namespace

long HttpLimits::lowSpeedSeconds() { return lowSpeed.load(); }
long HttpLimits::totalSeconds() { return total.load(); }

void HttpLimits::SetForTesting(long lowSpeedSeconds, long totalSeconds) {
  lowSpeed = lowSpeedSeconds;
  total = totalSeconds;
}

void HttpLimits::Reset() { SetForTesting(kLowSpeedSeconds, kTotalSeconds); }

}  // namespace tembra
