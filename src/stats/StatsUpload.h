#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// Host and port of the statistics server, from the "BIServer" address.
struct StatsServer {
  std::string host;
  uint16_t port = 0;

  // "scheme://[user@]host[:port][/path...]": without a port, the scheme's
  // default (http 80, https 443). nullopt when no host or a bad port.
  static std::optional<StatsServer> FromUrl(std::u16string_view url);
};

// One upload: POST of a form body to "collected", direct connection, a new
// connection each time. Only status 200 counts as accepted.
//
// The general HTTP client bounds transfers by a long stall limit; an upload
// must also end within a few seconds as a whole and be abandoned at once
// when the program closes, so that closing never waits on a slow server.
class StatsUpload {
 public:
  static constexpr long kConnectLimitMs = 2000;
  static constexpr long kRequestLimitMs = 10000;
  static constexpr const char* kPath = "collected";

  // True when the server answered 200. `cancel` becoming true abandons the
  // request within a fraction of a second (not accepted).
  static bool Post(const StatsServer& server, const std::string& body,
                   const std::atomic<bool>& cancel, long requestLimitMs = kRequestLimitMs);
};

}  // namespace tembra
