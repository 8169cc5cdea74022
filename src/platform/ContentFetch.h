#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

namespace tembra {

// How a fetch ended.
enum class FetchError {
  None,
  Cancelled,     // the stop token was triggered
  NotFound,      // a local file that does not exist
  Unreadable,    // a local file that cannot be read (permissions, a folder, I/O)
  BadAddress,    // neither a file path nor an http(s) URL
  Connect,       // no connection (name lookup, refused, no route, connect limit)
  Timeout,       // the server stopped sending for longer than the no-data limit
  HttpStatus,    // the server answered with a status other than 2xx
  TooLarge,      // the (decompressed) content passed the size cap
  BadGzip,       // gzip magic at the start but the stream does not inflate
  Truncated,     // the content ended before its end (a cut-off gzip stream or body)
  Transport,     // any other transfer failure (TLS, reset, truncated chunking)
};

struct FetchLimits {
  std::chrono::milliseconds connect{10000};
  // No byte received for this long ends the transfer with Timeout.
  std::chrono::milliseconds noData{20000};
  // Cap on the content handed to the sink, after decompression.
  uint64_t maxBytes = uint64_t{256} << 20;
};

struct FetchRequest {
  std::string location;  // a file path, a file:// URL, or an http(s) URL
  std::string userAgent;  // empty: the program's own
  std::string referrer;   // empty: none
  FetchLimits limits;
  // When set, the bytes as they arrive (still compressed) are also written
  // there, through a temporary file that replaces it only when the whole
  // content arrived: a cache of the last good copy.
  std::string copyTo;
};

struct FetchResult {
  FetchError error = FetchError::None;
  long httpStatus = 0;       // the last status line's code, for HttpStatus (and successes)
  std::string statusText;    // "Not Found" for a 404, when known
  std::string detail;        // a transport's or the OS's own words, for the log line and tools
  uint64_t contentBytes = 0; // bytes handed to the sink (decompressed)
  bool gzip = false;         // the content was gzip-compressed

  bool ok() const { return error == FetchError::None; }
  // What failed, in words a viewer can read after "could not be downloaded: ",
  // e.g. "HTTP 404 Not Found", "no answer for 20 seconds", "it is larger than 256 MB".
  std::string words() const;
};

// Called with consecutive pieces of the content (already inflated when the
// stream starts with the gzip magic). Return false to stop: the fetch then
// ends with Cancelled.
using FetchSink = std::function<bool(std::string_view piece)>;

// Reads a local file or downloads an http(s) URL, streaming the content to
// the sink without ever holding it whole. Blocks; a stop request ends it
// within a fraction of a second.
FetchResult fetchContent(const FetchRequest& request, std::stop_token stop, const FetchSink& sink);

// The same, collecting the content into `content` (bounded by the limits).
FetchResult fetchWhole(const FetchRequest& request, std::stop_token stop, std::string& content);

// True for http:// and https:// (any case), false for everything else.
bool isRemoteLocation(std::string_view location);

}  // namespace tembra
