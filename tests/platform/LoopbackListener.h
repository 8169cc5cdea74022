#pragma once
// A tiny TCP server on 127.0.0.1 for tests that need the exact bytes a
// client sends: it records each request (head and, when announced with
// Content-Length, body) and answers with a canned reply, or stays silent and
// holds the connection open until the client gives up or the test ends.
#include <arpa/inet.h>
#include <netinet/in.h>
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
  enum class Mode { Answer, Silent };

  explicit LoopbackListener(std::string reply, Mode mode = Mode::Answer)
      : reply_(std::move(reply)), mode_(mode) {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listenFd_, 16) != 0) {
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

 private:
  // Waits for fd to become readable; false when the test is ending.
  bool waitReadable(int fd) {
    pollfd p[2] = {{fd, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
      int n = poll(p, 2, -1);
      if (n < 0) continue;
      if (p[1].revents != 0) return false;
      if (p[0].revents != 0) return true;
    }
  }

  static size_t announcedLength(const std::string& head) {
    std::string lower;
    for (char c : head) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return std::strtoul(head.c_str() + at + 17, nullptr, 10);
  }

  void serve(int conn) {
    std::string data;
    char buffer[4096];
    size_t headEnd = std::string::npos;
    size_t wanted = 0;
    for (;;) {
      if (headEnd != std::string::npos && data.size() >= wanted) break;
      if (!waitReadable(conn)) return;
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
    if (mode_ == Mode::Silent) {
      while (waitReadable(conn) && read(conn, buffer, sizeof buffer) > 0) {
      }
      return;
    }
    (void)!write(conn, reply_.data(), reply_.size());
    shutdown(conn, SHUT_WR);
  }

  void run() {
    while (waitReadable(listenFd_)) {
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

  std::string reply_;
  Mode mode_;
  int listenFd_ = -1;
  int stopFd_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  mutable std::mutex lock_;
  std::vector<std::string> requests_;  // guarded by lock_
  int connections_ = 0;                // guarded by lock_
};

// A port on 127.0.0.1 where nothing listens: bound, then closed.
inline uint16_t refusedPort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);
  return ntohs(addr.sin_port);
}

}  // namespace tembra::test
