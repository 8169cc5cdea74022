#pragma once
// An Xvfb server of the test's own, on the first free display number (the
// server picks it and reports it through -displayfd), stopped with the
// object.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace tembra::test {

class XvfbServer {
 public:
  static constexpr const char* kProgram = "/usr/bin/Xvfb";

  XvfbServer() = default;
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;
  ~XvfbServer() { stop(); }

  // Starts a 24-bit 1280 x 800 screen with a black root window and GLX.
  // Empty on failure, else the DISPLAY value.
  std::string start() {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args = {kProgram, "-displayfd", fd, "-screen", "0", "1280x800x24",
                                     "-nolisten", "tcp", "-br", "-noreset", "+extension", "GLX"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = ::posix_spawn(&pid_, kProgram, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
      pid_ = -1;
      ::close(fds[0]);
      return {};
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && ::poll(&p, 1, 10000) > 0) {
      char buffer[16];
      const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
      if (n <= 0) break;
      number.append(buffer, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (number.find('\n') == std::string::npos) {
      stop();
      return {};
    }
    display_ = ":" + number.substr(0, number.find('\n'));
    return display_;
  }

  void stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
    }
  }

  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace tembra::test
