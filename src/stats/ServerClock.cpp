#include "stats/ServerClock.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <limits>

#include "platform/NameLookup.h"
#include "platform/TcpConnector.h"

namespace tembra {

namespace {

bool sendAll(int fd, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// Reads until the peer closes, the cap is reached or the time runs out;
// false only when the time ran out or a read failed.
bool readReply(int fd, std::string& reply, int limitMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
  char piece[1024];
  while (reply.size() < ServerClock::kMaxReplyBytes) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = ::recv(fd, piece, sizeof piece, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    reply.append(piece, std::min(static_cast<size_t>(n), ServerClock::kMaxReplyBytes - reply.size()));
  }
  return true;
}

}  // namespace

std::string ServerClock::Request(const std::string& officialName, uint16_t port) {
  return "GET /getTime HTTP/1.0\r\nAccept: */*\r\nCache-Control: no-cache\r\nConnection: "
         "close\r\nHost: " +
         officialName + ":" + std::to_string(port) + "\r\nUser-Agent: xxx\r\n\r\n";
}

std::string ServerClock::Body(std::string_view reply) {
  const size_t split = reply.find("\r\n\r\n");
  if (split == std::string_view::npos) return {};
  return std::string(reply.substr(split + 4, kMaxBodyChars));
}

std::optional<int64_t> ServerClock::OffsetFromBody(std::string_view body, int64_t referenceSeconds) {
  size_t i = 0;
  while (i < body.size() && (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' ||
                             body[i] == '\n' || body[i] == '\v' || body[i] == '\f'))
    ++i;
  bool negative = false;
  if (i < body.size() && (body[i] == '+' || body[i] == '-')) negative = body[i++] == '-';
  const size_t digitsStart = i;
  int64_t value = 0;
  for (; i < body.size() && body[i] >= '0' && body[i] <= '9'; ++i) {
    const int digit = body[i] - '0';
    if (value > (std::numeric_limits<int64_t>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (i == digitsStart || value == 0) return std::nullopt;
  const int64_t serverSeconds = (negative ? -value : value) / 1000;
  return serverSeconds - referenceSeconds;
}

std::optional<int64_t> ServerClock::Measure(const std::string& host, uint16_t port, const Now& now,
                                            int replyLimitMs) {
  const auto lookup = NameLookup::Resolve(host);
  if (!lookup) return std::nullopt;
  UniqueFd fd = TcpConnector::Connect(lookup->address, port, kConnectLimitMs);
  if (!fd) return std::nullopt;
  const std::string request = Request(lookup->officialName, port);
  const int64_t reference = now();
  if (!sendAll(fd.get(), request)) return std::nullopt;
  std::string reply;
  const bool complete = readReply(fd.get(), reply, replyLimitMs);
  ::shutdown(fd.get(), SHUT_RDWR);
  fd.reset();
  if (!complete) return std::nullopt;
  return OffsetFromBody(Body(reply), reference);
}

}  // namespace tembra
