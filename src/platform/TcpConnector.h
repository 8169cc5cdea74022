#pragma once
#include <netinet/in.h>

#include <cstdint>

#include "platform/UniqueFd.h"

namespace tembra {

// A blocking TCP connection made within a time limit.
class TcpConnector {
 public:
  // Connects to address:port (address in network byte order), waiting at most
  // timeoutMs for the connection. The socket is back in blocking mode when
  // returned; an invalid UniqueFd on refusal, time-out or any other failure.
  static UniqueFd Connect(in_addr address, uint16_t port, int timeoutMs);
};

}  // namespace tembra
