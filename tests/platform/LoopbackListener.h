#pragma once
// A tiny TCP server on 127.0.0.1 for tests that need the exact bytes a
// client sends: it records each request (head and, when announced with
// Content-Length, body) and plays a scripted reply: pieces with pauses
// between them, then it closes, holds the connection until the client gives
// up or the test ends, or writes filler without end.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tembra::test {

inline in_addr loopback() {
  in_addr a{};
  a.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

class LoopbackListener {
 public:
  struct Step {
    std::string bytes;
    int pauseMs = 0;  // after the bytes
  };
  enum class End { Close, Hold, Endless };
  // Answer: the reply, then close. Silent: no reply, the connection held.
  enum class Mode { Answer, Silent };

  explicit LoopbackListener(std::string reply, Mode mode = Mode::Answer)
      : LoopbackListener(mode == Mode::Answer ? std::vector<Step>{{std::move(reply), 0}} : std::vector<Step>{},
                         mode == Mode::Answer ? End::Close : End::Hold) {}

  explicit LoopbackListener(std::vector<Step> steps, End end = End::Close) : steps_(std::move(steps)), end_(end) {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr = loopback();
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listenFd_, 16) != 0) {
      std::abort();
    }
    socklen_t len = sizeof addr;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    stopFd_ = eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
  }

  ~LoopbackListener() {
    uint64_t one = 1;
    (void)!write(stopFd_, &one, sizeof one);
    thread_.join();
    close(listenFd_);
    close(stopFd_);
  }

  uint16_t port() const { return port_; }

  std::vector<std::string> requests() const {
    std::lock_guard g(lock_);
    return requests_;
  }
  int connections() const {
    std::lock_guard g(lock_);
    return connections_;
  }
  uint64_t bytesSent() const {
    std::lock_guard g(lock_);
    return sent_;
  }

 private:
  // 1: fd ready, 0: time out, -1: the test is ending.
  int wait(int fd, short events, int timeoutMs = -1) {
    pollfd p[2] = {{fd, events, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
      int n = poll(p, 2, timeoutMs);
      if (n < 0) continue;
      if (n == 0) return 0;
      return p[1].revents != 0 ? -1 : 1;
    }
  }

  static size_t announcedLength(const std::string& head) {
    std::string lower;
    for (char c : head) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return std::strtoul(head.c_str() + at + 17, nullptr, 10);
  }

  bool writeAll(int conn, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
      if (wait(conn, POLLOUT) != 1) return false;
      ssize_t n = send(conn, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
      std::lock_guard g(lock_);
      sent_ += static_cast<uint64_t>(n);
    }
    return true;
  }

  void serve(int conn) {
    int one = 1;
    setsockopt(conn, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::string data;
    char buffer[4096];
    size_t headEnd = std::string::npos;
    size_t wanted = 0;
    for (;;) {
      if (headEnd != std::string::npos && data.size() >= wanted) break;
      if (wait(conn, POLLIN) != 1) return;
      ssize_t got = read(conn, buffer, sizeof buffer);
      if (got <= 0) break;
      data.append(buffer, static_cast<size_t>(got));
      if (headEnd == std::string::npos) {
        headEnd = data.find("\r\n\r\n");
        if (headEnd != std::string::npos) wanted = headEnd + 4 + announcedLength(data.substr(0, headEnd));
      }
    }
    {
      std::lock_guard g(lock_);
      requests_.push_back(data);
    }
    for (const Step& step : steps_) {
      if (!writeAll(conn, step.bytes)) return;
      if (step.pauseMs > 0 && wait(stopFd_, POLLIN, step.pauseMs) != 0) return;
    }
    if (end_ == End::Hold) {
      while (wait(conn, POLLIN) == 1 && read(conn, buffer, sizeof buffer) > 0) {
      }
    } else if (end_ == End::Endless) {
      const std::string filler(16384, 'x');
      while (writeAll(conn, filler)) {
      }
    } else {
      shutdown(conn, SHUT_WR);
    }
  }

  void run() {
    while (wait(listenFd_, POLLIN) == 1) {
      int conn = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (conn < 0) continue;
      {
        std::lock_guard g(lock_);
        ++connections_;
      }
      serve(conn);
      close(conn);
    }
  }

  const std::vector<Step> steps_;
  const End end_;
  int listenFd_ = -1;
  int stopFd_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  mutable std::mutex lock_;
  std::vector<std::string> requests_;  // guarded by lock_
  int connections_ = 0;                // guarded by lock_
  uint64_t sent_ = 0;                  // guarded by lock_
};

// A port on 127.0.0.1 where nothing listens: bound, then closed.
inline uint16_t refusedPort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr = loopback();
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);
  return ntohs(addr.sin_port);
}

}  // namespace tembra::test
