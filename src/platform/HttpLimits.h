#pragma once

namespace tembra {

// How long HttpClient waits on a server that stops sending. A transfer is
// abandoned when fewer than 1 byte per second arrives for lowSpeedSeconds,
// or when it has not finished after totalSeconds, so a peer that accepts and
// then never answers (or trickles) cannot hold a thread forever.
class HttpLimits {
 public:
  static constexpr long kLowSpeedSeconds = 30;
  static constexpr long kTotalSeconds = 300;

  static long lowSpeedSeconds();
  static long totalSeconds();
  // Tests shorten the limits to see a silent server given up on quickly.
  static void SetForTesting(long lowSpeedSeconds, long totalSeconds);
  static void Reset();
};

}  // namespace tembra
