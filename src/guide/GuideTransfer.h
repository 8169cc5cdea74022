#pragma once
#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "guide/GuideDownloadStatus.h"
#include "guide/GuideLimits.h"

namespace tembra {

class GuideStopSignal;

// One guide exchange over plain TCP: connect, send the request, and stream
// the reply body into the transfer file. The first received block must
// pass GuideRequest::IsReplyOk; the bytes after its first "\r\n\r\n" are
// stored (the whole block when it holds none), and every later block is
// stored whole, up to the reply's end, when the server closes. Each stored
// block also goes to a sink, which reads the reply as it arrives.
class GuideTransfer {
 public:
  // Blocks are filled to this size before they are stored (the last one
  // excepted): a large guide arrives in many thousands of them.
  static constexpr size_t kBlockBytes = 64 * 1024;
  // The status check reads as much of the first block as the service's
  // reply start has always been judged by.
  static constexpr size_t kStatusBytes = 1440;

  using BodySink = std::function<void(std::string_view)>;

  // path is created (truncated) once the request has gone out; on failure
  // it may be left empty or partly written. body, when given, receives the
  // stored bytes in order.
  static GuideDownloadStatus Run(in_addr address, uint16_t port, const std::string& request,
                                 const std::string& path, const GuideLimits& limits,
                                 const GuideStopSignal* stop, const BodySink& body = {});
};

}  // namespace tembra
