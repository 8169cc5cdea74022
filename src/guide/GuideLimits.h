#pragma once
#include <cstdint>

namespace tembra {

// How long and how much one guide download may take. A server that
// accepts and then stalls or trickles endlessly must not hold a download
// (and the window's start-up, which runs the first one) for long, and a
// hostile reply must not fill the disk or memory.
struct GuideLimits {
  int connectMs = 2000;   // the connection
  int idleMs = 10000;     // between two received blocks
  // From the connection to the end of the reply: a day of a 100,000-channel
  // service is some 350 MB.
  int totalMs = 300000;
  // Body bytes one reply may have: received, written to the transfer file,
  // and read from a stored reply. A day of a 20,000-channel service is
  // about 70 MB, one of 100,000 channels about 350 MB; the reply is read as
  // it streams in, so only what the day list keeps stays in memory.
  uint64_t maxBodyBytes = kMaxReplyBytes;

  static constexpr uint64_t kMaxReplyBytes = 512ull << 20;
};

}  // namespace tembra
