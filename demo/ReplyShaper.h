#pragma once
#include <httplib.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "Faults.h"
#include "PieceStream.h"
#include "ShutdownFlag.h"

namespace tembra {

// How an answer goes out: as it is, as an error page, held back (hang) or
// trickled (slow), following the fault switches of its endpoint.
class ReplyShaper {
 public:
  ReplyShaper(const Faults& faults, ShutdownFlag& shutdown, uint32_t hangSeconds,
              uint32_t slowBytesPerSecond)
      : faults_(faults), shutdown_(shutdown), hangSeconds_(hangSeconds), slowRate_(slowBytesPerSecond) {}

  // An HTML error page with that status (never containing "200", which
  // a client that sniffs the first block for it would take for success).
  static void Page(httplib::Response& res, int status);
  static std::string PageText(int status);

  // Holds the connection for the hang time (or until the service stops),
  // then answers a 503 page. Runs on the request's thread.
  void Hang(httplib::Response& res);
  // Sends body a few bytes at a time; ends with the connection closed.
  void Trickle(httplib::Response& res, std::string body, const std::string& contentType);

  // A body made as it goes out, sent in chunks: at full speed, or trickled
  // when the slow fault is on as the request comes in.
  void Stream(httplib::Response& res, Faults::Id slow, std::shared_ptr<PieceStream> body,
              const std::string& contentType);

  // body as it is, or held / trickled when the fault is on. Returns true
  // when the body was sent unshaped.
  bool Send(httplib::Response& res, Faults::Id hang, Faults::Id slow, std::string body,
            const std::string& contentType);

  // Connections being held by a hang right now.
  int held() const { return held_.load(); }

 private:
  const Faults& faults_;
  ShutdownFlag& shutdown_;
  uint32_t hangSeconds_;
  uint32_t slowRate_;
  std::atomic<int> held_{0};  // changed by request threads, read by /demo/status
};

}  // namespace tembra
