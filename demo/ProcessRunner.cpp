#include "ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

extern char** environ;

namespace tembra {

namespace {
constexpr size_t kOutputCap = 64 * 1024;
}

std::string ProcessRunner::FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* env = std::getenv("PATH");
  std::string path = std::string(env ? env : "/usr/bin:/bin") + ":/usr/sbin:/sbin";
  size_t start = 0;
  while (start <= path.size()) {
    size_t colon = path.find(':', start);
    std::string dir = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!dir.empty()) {
      std::string candidate = dir + "/" + name;
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return {};
}

ProcessRunner::Result ProcessRunner::Run(const std::vector<std::string>& argv, int timeoutSeconds,
                                         const std::atomic<bool>* cancel) {
  Result result;
  if (argv.empty()) return result;
  std::string program = FindProgram(argv[0]);
  if (program.empty()) {
    result.output = argv[0] + ": not found";
    return result;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    result.output = argv[0] + ": cannot start";
    return result;
  }
  result.started = true;

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  bool pipeOpen = true;
  int status = 0;
  for (;;) {
    if (pipeOpen) {
      pollfd p{fds[0], POLLIN, 0};
      if (poll(&p, 1, 100) > 0) {
        char buf[4096];
        ssize_t n = read(fds[0], buf, sizeof buf);
        if (n > 0) {
          if (result.output.size() < kOutputCap)
            result.output.append(buf, std::min<size_t>(n, kOutputCap - result.output.size()));
        } else {
          pipeOpen = false;
        }
      }
    } else {
      usleep(50 * 1000);
    }
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    bool cancelled = cancel && cancel->load();
    bool late = std::chrono::steady_clock::now() > deadline;
    if (cancelled || late) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.cancelled = cancelled;
      result.timedOut = !cancelled;
      close(fds[0]);
      return result;
    }
  }
  while (pipeOpen) {
    pollfd p{fds[0], POLLIN, 0};
    char buf[4096];
    ssize_t n = poll(&p, 1, 0) > 0 ? read(fds[0], buf, sizeof buf) : 0;
    if (n <= 0) break;
    if (result.output.size() < kOutputCap)
      result.output.append(buf, std::min<size_t>(n, kOutputCap - result.output.size()));
  }
  close(fds[0]);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

}  // namespace tembra
