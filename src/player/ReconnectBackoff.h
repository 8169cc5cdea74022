#pragma once

namespace tembra {

// How long the player waits before each attempt to reopen a stream that
// dropped while it was being watched: 1 s, then doubling, never more than
// 30 s, so a short outage is bridged at once and a long one costs the
// server one request every half minute.
class ReconnectBackoff {
 public:
  static constexpr int kFirstMs = 1000;
  static constexpr int kMaxMs = 30000;

  // Wait before attempt number `attempt` (0 for the first after the loss).
  // Negative counts are taken as 0; any count past the cap gives kMaxMs.
  static int DelayMs(int attempt);
};

}  // namespace tembra
