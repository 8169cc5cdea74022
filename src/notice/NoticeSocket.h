#pragma once
#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/UniqueFd.h"

namespace tembra {

// The client's end of the notice exchange: a UDP socket on local port
// 36000 that sends the query to the server's port 36000 and takes answers
// only from there. Anyone on the network could otherwise send a datagram
// that closes the client with a forced upgrade.
class NoticeSocket {
 public:
  static constexpr uint16_t kPort = 36000;

  enum class Wait {
    Answer,    // a datagram from the server, in `bytes`
    TimedOut,  // nothing from the server within the limit
    Stopped,   // stopFd became readable
    Failed,    // the socket reported an error
  };

  // Binds any local address and port 36000. False (with the reason) when the
  // port is taken or no socket can be made.
  bool open(std::string* error = nullptr);
  bool isOpen() const { return fd_.valid(); }

  // One datagram with the query to serverAddress (dotted IPv4; any other
  // text sends to 255.255.255.255, which the system refuses without the
  // broadcast option), port 36000. Answers are then taken from that address
  // only. False when the send reports an error.
  bool sendQuery(const std::string& serverAddress, const std::string& query);

  // Waits at most `limit` for a datagram from the server; datagrams from
  // any other sender are read and dropped and the wait goes on until the
  // same deadline. stopFd < 0: no stop.
  Wait waitAnswer(std::chrono::milliseconds limit, int stopFd, std::string& bytes);

  // Sleeps `limit`; false when stopFd became readable first.
  static bool pause(std::chrono::milliseconds limit, int stopFd);

 private:
  UniqueFd fd_;
  sockaddr_in server_{};  // where the last query went
};

}  // namespace tembra
