#pragma once
// A program run by a test: fork and exec with extra environment, its
// stdout and stderr collected through pipes, polled without blocking so the
// test's own event loop can keep running. (QProcess starts children with a
// shared-memory clone that ThreadSanitizer cannot follow; a plain fork
// keeps the sanitizer's view of this process intact.)
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

namespace tembra::test {

class ChildProcess {
 public:
  // Starts program with args; set adds to the environment, unset removes.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& set = {},
               const std::vector<std::string>& unset = {}) {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    if (::pipe2(err, O_CLOEXEC) != 0) return;
    std::vector<std::string> argvStore{program};
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvStore) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      ::dup2(err[1], 2);
      for (const auto& [k, v] : set) ::setenv(k.c_str(), v.c_str(), 1);
      for (const auto& k : unset) ::unsetenv(k.c_str());
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    ::fcntl(out_, F_SETFL, O_NONBLOCK);
    ::fcntl(err_, F_SETFL, O_NONBLOCK);
  }
  ~ChildProcess() {
    if (running()) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool started() const { return pid_ > 0; }

  // True until the child has ended (and been reaped).
  bool running() {
    if (pid_ <= 0 || ended_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      ended_ = true;
      exited_ = WIFEXITED(status);
      code_ = exited_ ? WEXITSTATUS(status) : -WTERMSIG(status);
    }
    return !ended_;
  }
  // The exit code, or minus the signal that ended it; meaningful once
  // running() is false.
  int exitCode() const { return code_; }
  bool exitedNormally() const { return exited_; }

  const std::string& out() {
    drain(out_, outText_);
    return outText_;
  }
  const std::string& err() {
    drain(err_, errText_);
    return errText_;
  }

 private:
  static void drain(int fd, std::string& into) {
    char buf[4096];
    ssize_t n;
    while (fd >= 0 && (n = ::read(fd, buf, sizeof buf)) > 0) into.append(buf, static_cast<size_t>(n));
  }

  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  bool ended_ = false, exited_ = false;
  int code_ = -1;
  std::string outText_, errText_;
};

}  // namespace tembra::test
