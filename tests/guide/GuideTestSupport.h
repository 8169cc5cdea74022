#pragma once
// Helpers of the guide tests: reply bodies, local times, a window that
// records what the guide posts to it, and a loopback server that plays a
// scripted reply (pauses between pieces, a held connection, an endless body).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "guide/LocalClock.h"
#include "platform/MessageTarget.h"

namespace tembra::test {

inline LocalTime At(int year, int month, int day, int hour = 12, int minute = 0, int second = 0) {
  LocalTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  t.hour = static_cast<uint16_t>(hour);
  t.minute = static_cast<uint16_t>(minute);
  t.second = static_cast<uint16_t>(second);
  return t;
}

// One channel of a reply body: id, name, and "HH:MM:SS|title" programmes.
struct ReplyChannel {
  std::string id;
  std::string name;
  std::vector<std::string> programmes;
};

inline std::string ReplyBody(const std::vector<ReplyChannel>& channels, const std::string& date = "2024-05-07") {
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tvlist>\n";
  for (const ReplyChannel& c : channels) {
    s += "<tv id=\"" + c.id + "\"><tvname>" + c.name + "</tvname>\n";
    for (const std::string& p : c.programmes) {
      const size_t bar = p.find('|');
      s += "<tvitem><title>" + p.substr(bar + 1) + "</title><startdate>" + date + "</startdate><enddate>" +
           date + "</enddate><starttime>" + p.substr(0, bar) + "</starttime></tvitem>\n";
    }
    s += "</tv>\n";
  }
  return s + "</tvlist>\n";
}

inline std::string Http200(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n" + body;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Polls cond every few milliseconds for up to limit; true once it holds.
template <typename Cond>
bool Eventually(Cond cond, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// A window for one test: records posted and sent messages.
class GuideRecordingWindow : public MessageTarget {
 public:
  struct Message {
    uint32_t id;
    uintptr_t wParam;
    intptr_t lParam;
  };
  void post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    std::lock_guard g(lock_);
    messages_.push_back({message, wParam, lParam});
    cv_.notify_all();
  }
  intptr_t send(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    post(message, wParam, lParam);
    return 0;
  }
  bool alive() const override { return true; }

  // True once at least count messages arrived within limit.
  bool WaitFor(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    std::unique_lock l(lock_);
    return cv_.wait_for(l, limit, [&] { return messages_.size() >= count; });
  }
  std::vector<Message> messages() const {
    std::lock_guard g(lock_);
    return messages_;
  }

 private:
  mutable std::mutex lock_;
  std::condition_variable cv_;
  std::vector<Message> messages_;  // guarded by lock_
};

// Serves one connection at a time on 127.0.0.1: reads the request head,
// then writes each step's bytes followed by its pause, then closes, holds
// the connection until the client leaves, or writes filler without end.
class ScriptedServer {
 public:
  struct Step {
    std::string bytes;
    int pauseMs = 0;
  };
  enum class End { Close, Hold, Endless };

  explicit ScriptedServer(std::vector<Step> steps, End end = End::Close) : steps_(std::move(steps)), end_(end) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd_, 16) != 0)
      std::abort();
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
  }
  ~ScriptedServer() {
    const uint64_t one = 1;
    (void)!::write(stopFd_, &one, sizeof one);
    thread_.join();
    ::close(listenFd_);
    ::close(stopFd_);
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
  int wait(int fd, short events, int timeoutMs) {
    pollfd p[2] = {{fd, events, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
      int n = ::poll(p, 2, timeoutMs);
      if (n < 0) continue;
      if (n == 0) return 0;
      if (p[1].revents != 0) return -1;
      return 1;
    }
  }
  bool pause(int ms) {
    pollfd p{stopFd_, POLLIN, 0};
    return ::poll(&p, 1, ms) == 0;
  }
  bool writeAll(int conn, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      if (wait(conn, POLLOUT, -1) != 1) return false;
      ssize_t n = ::send(conn, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
      std::lock_guard g(lock_);
      sent_ += static_cast<uint64_t>(n);
    }
    return true;
  }
  void serve(int conn) {
    int one = 1;
    ::setsockopt(conn, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
      if (wait(conn, POLLIN, -1) != 1) return;
      ssize_t got = ::read(conn, buffer, sizeof buffer);
      if (got <= 0) break;
      head.append(buffer, static_cast<size_t>(got));
    }
    {
      std::lock_guard g(lock_);
      requests_.push_back(head);
    }
    for (const Step& step : steps_) {
      if (!writeAll(conn, step.bytes)) return;
      if (step.pauseMs > 0 && !pause(step.pauseMs)) return;
    }
    if (end_ == End::Hold) {
      while (wait(conn, POLLIN, -1) == 1 && ::read(conn, buffer, sizeof buffer) > 0) {
      }
    } else if (end_ == End::Endless) {
      const std::string filler(16384, 'x');
      while (writeAll(conn, filler)) {
      }
    }
  }
  void run() {
    while (wait(listenFd_, POLLIN, -1) == 1) {
      int conn = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (conn < 0) continue;
      {
        std::lock_guard g(lock_);
        ++connections_;
      }
      serve(conn);
      ::shutdown(conn, SHUT_RDWR);
      ::close(conn);
    }
  }

  std::vector<Step> steps_;
  End end_;
  int listenFd_ = -1;
  int stopFd_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  mutable std::mutex lock_;
  std::vector<std::string> requests_;  // guarded by lock_
  int connections_ = 0;                // guarded by lock_
  uint64_t sent_ = 0;                  // guarded by lock_
};

}  // namespace tembra::test
