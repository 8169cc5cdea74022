#include "guide/GuideTransfer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string_view>
#include <vector>

#include "guide/GuideRequest.h"
#include "guide/GuideStopSignal.h"
#include "platform/TcpConnector.h"
#include "platform/UniqueFd.h"

namespace tembra {

namespace {

using Clock = std::chrono::steady_clock;

class Exchange {
 public:
  Exchange(int socket, const GuideLimits& limits, const GuideStopSignal* stop)
      : socket_(socket), limits_(limits), stop_(stop), deadline_(Clock::now() + std::chrono::milliseconds(limits.totalMs)) {}

  GuideDownloadStatus Send(const std::string& request) {
    std::string_view left(request);
    while (!left.empty()) {
      GuideDownloadStatus ready = Wait(POLLOUT);
      if (ready != GuideDownloadStatus::Stored) return ready == GuideDownloadStatus::ReceiveFailed ? GuideDownloadStatus::SendFailed : ready;
      const ssize_t n = ::send(socket_, left.data(), left.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
      if (n <= 0) return GuideDownloadStatus::SendFailed;
      left.remove_prefix(static_cast<size_t>(n));
    }
    return GuideDownloadStatus::Stored;
  }

  // Fills buffer up to size, or to the reply's end; got is 0 only at the
  // end.
  GuideDownloadStatus ReceiveBlock(char* buffer, size_t size, size_t& got) {
    got = 0;
    while (got < size && !ended_) {
      size_t n = 0;
      const GuideDownloadStatus status = Receive(buffer + got, size - got, n);
      if (status != GuideDownloadStatus::Stored) return status;
      if (n == 0) ended_ = true;
      got += n;
    }
    return GuideDownloadStatus::Stored;
  }

 private:
  // Received bytes in got (0 at the reply's end), or the reason to stop.
  GuideDownloadStatus Receive(char* buffer, size_t size, size_t& got) {
    for (;;) {
      GuideDownloadStatus ready = Wait(POLLIN);
      if (ready != GuideDownloadStatus::Stored) return ready;
      const ssize_t n = ::recv(socket_, buffer, size, MSG_DONTWAIT);
      if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
      if (n < 0) return GuideDownloadStatus::ReceiveFailed;
      got = static_cast<size_t>(n);
      return GuideDownloadStatus::Stored;
    }
  }

  // Stored when the socket is ready for events.
  GuideDownloadStatus Wait(short events) {
    const auto idleEnd = Clock::now() + std::chrono::milliseconds(limits_.idleMs);
    for (;;) {
      if (stop_ && stop_->raised()) return GuideDownloadStatus::Cancelled;
      const auto now = Clock::now();
      if (now >= deadline_) return GuideDownloadStatus::TimedOut;
      if (now >= idleEnd) return GuideDownloadStatus::Stalled;
      const auto end = deadline_ < idleEnd ? deadline_ : idleEnd;
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count() + 1;
      pollfd p[2] = {{socket_, events, 0}, {stop_ ? stop_->fd() : -1, POLLIN, 0}};
      const int n = ::poll(p, 2, static_cast<int>(wait));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return GuideDownloadStatus::ReceiveFailed;
      if (p[1].revents != 0) return GuideDownloadStatus::Cancelled;
      if (p[0].revents != 0) return GuideDownloadStatus::Stored;
    }
  }

  int socket_;
  const GuideLimits& limits_;
  const GuideStopSignal* stop_;
  Clock::time_point deadline_;
  bool ended_ = false;  // the server closed
};

class BodyFile {
 public:
  BodyFile(const std::string& path, uint64_t limit)
      : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)), limit_(limit) {}
  bool opened() const { return fd_.valid(); }
  GuideDownloadStatus Append(const char* data, size_t size) {
    if (size > limit_ - written_) return GuideDownloadStatus::TooLarge;
    if (!writeAll(fd_.get(), std::string_view(data, size))) return GuideDownloadStatus::FileFailed;
    written_ += size;
    return GuideDownloadStatus::Stored;
  }
  bool Close() { return ::close(fd_.release()) == 0; }

 private:
  UniqueFd fd_;
  uint64_t limit_;
  uint64_t written_ = 0;
};

void closeSocket(UniqueFd& socket) {
  if (socket) ::shutdown(socket.get(), SHUT_RDWR);
  socket.reset();
}

GuideDownloadStatus exchange(int socket, const std::string& request, const std::string& path,
                             const GuideLimits& limits, const GuideStopSignal* stop,
                             const GuideTransfer::BodySink& body) {
  Exchange link(socket, limits, stop);
  GuideDownloadStatus status = link.Send(request);
  if (status != GuideDownloadStatus::Stored) return status;

  BodyFile file(path, limits.maxBodyBytes);
  if (!file.opened()) return GuideDownloadStatus::FileFailed;
  std::vector<char> buffer(GuideTransfer::kBlockBytes);
  char* const block = buffer.data();
  size_t got = 0;
  status = link.ReceiveBlock(block, buffer.size(), got);
  if (status != GuideDownloadStatus::Stored) return status;
  const std::string_view first(block, got);
  if (got == 0 || !GuideRequest::IsReplyOk(first.substr(0, GuideTransfer::kStatusBytes)))
    return GuideDownloadStatus::Rejected;
  const size_t blank = first.find("\r\n\r\n");
  const size_t from = blank == std::string_view::npos ? 0 : blank + 4;
  auto store = [&](const char* data, size_t size) {
    const GuideDownloadStatus stored = file.Append(data, size);
    if (stored == GuideDownloadStatus::Stored && body && size > 0) body(std::string_view(data, size));
    return stored;
  };
  status = store(block + from, got - from);
  if (status != GuideDownloadStatus::Stored) return status;
  for (;;) {
    status = link.ReceiveBlock(block, buffer.size(), got);
    if (status != GuideDownloadStatus::Stored) return status;
    if (got == 0) break;
    status = store(block, got);
    if (status != GuideDownloadStatus::Stored) return status;
  }
  return file.Close() ? GuideDownloadStatus::Stored : GuideDownloadStatus::FileFailed;
}

}  // namespace

GuideDownloadStatus GuideTransfer::Run(in_addr address, uint16_t port, const std::string& request,
                                       const std::string& path, const GuideLimits& limits,
                                       const GuideStopSignal* stop, const BodySink& body) {
  if (stop && stop->raised()) return GuideDownloadStatus::Cancelled;
  UniqueFd socket = TcpConnector::Connect(address, port, limits.connectMs);
  if (!socket) return GuideDownloadStatus::NoConnection;
  const GuideDownloadStatus status = exchange(socket.get(), request, path, limits, stop, body);
  closeSocket(socket);
  return status;
}

}  // namespace tembra
