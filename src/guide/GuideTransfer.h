#pragma once
#include <netinet/in.h>

#include <cstdint>
#include <string>

#include "guide/GuideDownloadStatus.h"
#include "guide/GuideLimits.h"

namespace tembra {

class GuideStopSignal;

// One guide exchange over plain TCP: connect, send the request, and stream
// the reply body into the transfer file. The first received block must
// pass GuideRequest::IsReplyOk; the bytes after its first "\r\n\r\n" are
// stored (the whole block when it holds none), and every later block is
// stored whole, up to the reply's end, when the server closes.
class GuideTransfer {
 public:
  static constexpr size_t kBlockBytes = 1440;

  // path is created (truncated) once the request has gone out; on failure
  // it may be left empty or partly written.
  static GuideDownloadStatus Run(in_addr address, uint16_t port, const std::string& request,
                                 const std::string& path, const GuideLimits& limits,
                                 const GuideStopSignal* stop);
};

}  // namespace tembra
