#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// The statistics server's clock: one HTTP/1.0 "GET /getTime" over a plain
// TCP socket, whose body is the server time in milliseconds since 1970.
class ServerClock {
 public:
  static constexpr int kConnectLimitMs = 2000;
  // A server that accepts the connection but is slow to answer delays the
  // window's start-up by at most this much more.
  static constexpr int kReplyLimitMs = 3000;
  static constexpr size_t kMaxReplyBytes = 16384;
  static constexpr size_t kMaxBodyChars = 2047;

  // Seconds since 1970 on the local clock.
  using Now = std::function<int64_t()>;

  // The request bytes, for the host's official name and the configured port.
  static std::string Request(const std::string& officialName, uint16_t port);
  // Everything after the first "\r\n\r\n" (at most kMaxBodyChars bytes);
  // empty when the reply has no end of headers.
  static std::string Body(std::string_view reply);
  // Server seconds minus referenceSeconds, for a body that starts (after
  // spaces) with a signed decimal number of milliseconds other than 0;
  // nullopt for an empty body, text first, 0 or a number out of range.
  static std::optional<int64_t> OffsetFromBody(std::string_view body, int64_t referenceSeconds);

  // The whole exchange with host:port; nullopt on any failure (unknown
  // host, no connection within kConnectLimitMs, no complete reply within
  // kReplyLimitMs, no usable number). `now` gives the reference time, taken
  // just before the request is sent.
  static std::optional<int64_t> Measure(const std::string& host, uint16_t port, const Now& now,
                                        int replyLimitMs = kReplyLimitMs);
};

}  // namespace tembra
