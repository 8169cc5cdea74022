#include "platform/TcpConnector.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>

namespace tembra {

namespace {
bool setNonBlocking(int fd, bool on) {
  int flags = fcntl(fd, F_GETFL, 0);
  if (flags < 0) return false;
  flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  return fcntl(fd, F_SETFL, flags) == 0;
}

// Waits until the pending connection completes; poll is restarted after a
// signal with what is left of the time limit.
bool waitConnected(int fd, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() < 0) return false;
    pollfd p{fd, POLLOUT, 0};
    int n = poll(&p, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    int error = 0;
    socklen_t len = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) return false;
    return error == 0;
  }
}
}  // namespace

UniqueFd TcpConnector::Connect(in_addr address, uint16_t port, int timeoutMs) {
  UniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd) return {};
  if (!setNonBlocking(fd.get(), true)) return {};
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr = address;
  if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    if (errno != EINPROGRESS && errno != EINTR) return {};
    if (!waitConnected(fd.get(), timeoutMs)) return {};
  }
  if (!setNonBlocking(fd.get(), false)) return {};
  return fd;
}

}  // namespace tembra
