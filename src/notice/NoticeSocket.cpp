#include "notice/NoticeSocket.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "notice/NoticeAnswer.h"

namespace tembra {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

}  // namespace

bool NoticeSocket::open(std::string* error) {
  UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd) {
    if (error) *error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(kPort);
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    if (error) *error = "bind to port 36000: " + std::string(std::strerror(errno));
    return false;
  }
  fd_ = std::move(fd);
  return true;
}

bool NoticeSocket::sendQuery(const std::string& serverAddress, const std::string& query) {
  if (!fd_) return false;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(kPort);
  if (inet_pton(AF_INET, serverAddress.c_str(), &to.sin_addr) != 1) {
    to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
  }
  server_ = to;
  for (;;) {
    const ssize_t n = ::sendto(fd_.get(), query.data(), query.size(), 0,
                               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (n < 0 && errno == EINTR) continue;
    return n >= 0;
  }
}

NoticeSocket::Wait NoticeSocket::waitAnswer(std::chrono::milliseconds limit, int stopFd,
                                            std::string& bytes) {
  if (!fd_) return Wait::Failed;
  const auto deadline = Clock::now() + limit;
  for (;;) {
    pollfd p[2] = {{fd_.get(), POLLIN, 0}, {stopFd, POLLIN, 0}};
    const int ready = ::poll(p, stopFd >= 0 ? 2 : 1, millisecondsLeft(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return Wait::Failed;
    if (stopFd >= 0 && p[1].revents != 0) return Wait::Stopped;
    if (ready == 0) return Wait::TimedOut;
    if ((p[0].revents & (POLLERR | POLLNVAL)) != 0 && (p[0].revents & POLLIN) == 0)
      return Wait::Failed;
    char buffer[NoticeAnswer::kDatagramBytes] = {};
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n = ::recvfrom(fd_.get(), buffer, sizeof buffer, MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      // An unreachable answer from an earlier send; the socket itself is
      // fine and the wait goes on.
      if (errno == ECONNREFUSED) continue;
      return Wait::Failed;
    }
    if (fromLength < sizeof from || from.sin_family != AF_INET ||
        from.sin_addr.s_addr != server_.sin_addr.s_addr || from.sin_port != server_.sin_port) {
      continue;
    }
    bytes.assign(buffer, static_cast<size_t>(n));
    return Wait::Answer;
  }
}

bool NoticeSocket::pause(std::chrono::milliseconds limit, int stopFd) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    const int left = millisecondsLeft(deadline);
    if (left == 0) return true;
    pollfd p{stopFd, POLLIN, 0};
    const int ready = ::poll(&p, stopFd >= 0 ? 1 : 0, left);
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0) return false;
  }
}

}  // namespace tembra
