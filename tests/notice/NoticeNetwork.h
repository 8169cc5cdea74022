#pragma once
// Both ends of the notice exchange use UDP port 36000, so a test puts the
// client and the server in network namespaces of their own, joined by a
// veth pair: client 10.36.0.1, server 10.36.0.2 and a stranger 10.36.0.3 on
// the server's side. Made with the ip program; needs root.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/MessageTarget.h"
#include "platform/RecordingWindow.h"
#include "platform/Utf.h"

extern char** environ;

namespace tembra::test {

inline constexpr const char* kNotRoot =
    "not root: the notice tests need network namespaces of their own (UDP port 36000 on both ends)";

class NoticeNetwork {
 public:
  static constexpr const char* kClient = "10.36.0.1";
  static constexpr const char* kServer = "10.36.0.2";
  static constexpr const char* kStranger = "10.36.0.3";

  NoticeNetwork() {
    const std::string pid = std::to_string(getpid());
    client_ = "tembra-nt-" + pid + "-c";
    server_ = "tembra-nt-" + pid + "-s";
    const std::vector<std::vector<std::string>> steps = {
        {"ip", "netns", "add", client_},
        {"ip", "netns", "add", server_},
        {"ip", "-n", client_, "link", "add", "ntc", "type", "veth", "peer", "name", "nts", "netns", server_},
        {"ip", "-n", client_, "addr", "add", std::string(kClient) + "/24", "dev", "ntc"},
        {"ip", "-n", server_, "addr", "add", std::string(kServer) + "/24", "dev", "nts"},
        {"ip", "-n", server_, "addr", "add", std::string(kStranger) + "/24", "dev", "nts"},
        {"ip", "-n", client_, "link", "set", "ntc", "up"},
        {"ip", "-n", server_, "link", "set", "nts", "up"},
        {"ip", "-n", client_, "link", "set", "lo", "up"},
        {"ip", "-n", server_, "link", "set", "lo", "up"},
    };
    for (const auto& step : steps) {
      if (!run(step)) {
        error_ = "failed: ";
        for (const auto& a : step) error_ += a + " ";
        return;
      }
    }
    ok_ = true;
  }
  ~NoticeNetwork() {
    run({"ip", "netns", "del", client_});
    run({"ip", "netns", "del", server_});
  }
  NoticeNetwork(const NoticeNetwork&) = delete;
  NoticeNetwork& operator=(const NoticeNetwork&) = delete;

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

  // Keeps the calling thread in a namespace until it goes out of scope.
  // Threads started meanwhile stay there for their whole life.
  class Inside {
   public:
    explicit Inside(const std::string& name) {
      home_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
      const int target = open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
      entered_ = home_ >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
      if (target >= 0) close(target);
    }
    ~Inside() {
      if (entered_) (void)!setns(home_, CLONE_NEWNET);
      if (home_ >= 0) close(home_);
    }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;
    bool entered() const { return entered_; }

   private:
    int home_ = -1;
    bool entered_ = false;
  };
  const std::string& clientName() const { return client_; }
  const std::string& serverName() const { return server_; }

 private:
  static bool run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, "ip", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  std::string client_, server_;
  bool ok_ = false;
  std::string error_;
};

// UDP sockets bound on the server's side (made while the caller is inside
// the server namespace) that answer each query by a script: the n-th query
// gets the n-th list of replies, each sent from one of the sockets. A query
// beyond the script gets no answer.
class ScriptedResponder {
 public:
  enum From { Server, Stranger, ServerOtherPort, kSockets };
  struct Reply {
    std::string bytes;
    From from = Server;
  };
  struct Query {
    std::string bytes;
    std::string sender;  // "a.b.c.d:port"
    std::chrono::steady_clock::time_point at;
  };

  explicit ScriptedResponder(std::vector<std::vector<Reply>> script) : script_(script.begin(), script.end()) {
    bind(Server, NoticeNetwork::kServer, 36000);
    bind(Stranger, NoticeNetwork::kStranger, 36000);
    bind(ServerOtherPort, NoticeNetwork::kServer, 36001);
    stop_ = eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { serve(); });
  }
  ~ScriptedResponder() {
    uint64_t one = 1;
    (void)!write(stop_, &one, sizeof one);
    thread_.join();
    for (int fd : fds_)
      if (fd >= 0) close(fd);
    close(stop_);
  }
  bool ok() const {
    for (int fd : fds_)
      if (fd < 0) return false;
    return true;
  }
  std::vector<Query> queries() const {
    std::lock_guard g(lock_);
    return queries_;
  }

 private:
  void bind(From which, const char* address, uint16_t port) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, address, &a.sin_addr);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      close(fd);
      fd = -1;
    }
    fds_[which] = fd;
  }

  void serve() {
    for (;;) {
      pollfd p[2] = {{fds_[Server], POLLIN, 0}, {stop_, POLLIN, 0}};
      if (poll(p, 2, -1) < 0) continue;
      if (p[1].revents != 0) return;
      char buffer[4096];
      sockaddr_in from{};
      socklen_t length = sizeof from;
      const ssize_t n = recvfrom(fds_[Server], buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
      if (n < 0) continue;
      char text[INET_ADDRSTRLEN] = {};
      inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
      std::vector<Reply> replies;
      {
        std::lock_guard g(lock_);
        queries_.push_back({std::string(buffer, static_cast<size_t>(n)),
                            std::string(text) + ":" + std::to_string(ntohs(from.sin_port)),
                            std::chrono::steady_clock::now()});
        if (!script_.empty()) {
          replies = std::move(script_.front());
          script_.pop_front();
        }
      }
      for (const auto& r : replies) {
        sendto(fds_[r.from], r.bytes.data(), r.bytes.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        // Keep the datagrams in order on the wire.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
  }

  int fds_[kSockets] = {-1, -1, -1};
  int stop_ = -1;
  std::thread thread_;
  mutable std::mutex lock_;
  std::deque<std::vector<Reply>> script_;  // guarded by lock_
  std::vector<Query> queries_;             // guarded by lock_
};

// Records what the notice channel sends the window; a notice's text is
// copied during the call, while it is valid.
struct NoticeRecordingWindow : RecordingWindow {
  NoticeRecordingWindow() {
    onSend = [](uint32_t id, uintptr_t wParam, intptr_t lParam) {
      const bool notice = id == WM_UDP_NOTICE && lParam == 0 && wParam != 0;
      return notice ? toUtf8(reinterpret_cast<const char16_t*>(wParam)) : std::string();
    };
  }
};

}  // namespace tembra::test
