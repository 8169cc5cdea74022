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
  int totalMs = 60000;    // from the connection to the end of the reply
  // Body bytes written to the transfer file, and so the most a parse
  // reads: about twice a 3,000-channel guide of three days.
  uint64_t maxBodyBytes = 64ull << 20;
};

}  // namespace tembra
