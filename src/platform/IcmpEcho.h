#pragma once
#include <netinet/in.h>

namespace tembra {

enum class EchoOutcome {
  Reply,     // the host answered in time
  NoReply,   // nothing matching came back in time, or the send failed
  NoSocket,  // neither a datagram nor a raw ICMP socket could be opened
};

// One ICMP echo request with the payload "abcdef". A datagram ICMP socket is
// tried first (no privilege needed where the system allows it); a raw socket
// is the fallback.
class IcmpEcho {
 public:
  static constexpr int kDefaultTimeoutMs = 1000;

  static EchoOutcome Send(in_addr address, int timeoutMs = kDefaultTimeoutMs);
  // True when a reply came.
  static bool Ping(in_addr address, int timeoutMs = kDefaultTimeoutMs) {
    return Send(address, timeoutMs) == EchoOutcome::Reply;
  }
};

}  // namespace tembra
