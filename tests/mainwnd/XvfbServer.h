#pragma once
// A private X server for one test: Xvfb on a display number it picks
// itself (-displayfd), stopped when the object goes away. screen is Xvfb's
// WxHxDEPTH of screen 0.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace tembra::test {

class XvfbServer {
 public:
  explicit XvfbServer(const std::string& screen = "640x480x24") {
    if (::access("/usr/bin/Xvfb", X_OK) != 0) return;
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_t pid = ::fork();
    if (pid == 0) {
      ::close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      ::execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
              screen.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
      ::close(fds[0]);
      return;
    }
    pid_ = pid;
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    ::close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~XvfbServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Empty when Xvfb is missing or did not come up.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace tembra::test
