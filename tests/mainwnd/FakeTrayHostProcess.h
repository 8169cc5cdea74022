#pragma once
// Drives tests/support/fake-tray-host for a test: starts it on a session
// bus of its own (dbus-run-session), reads its event lines without
// blocking, and writes its commands. The protocol is described at the top
// of the host's main.cpp. Ending the object closes the host's stdin, which
// ends the host and its bus.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/fake-tray-host/LineCodec.h"

namespace tembra::test {

class FakeTrayHostProcess {
 public:
  // Starts program (the fake-tray-host executable) and waits up to
  // timeoutMs for its "ready" line.
  explicit FakeTrayHostProcess(const std::string& program, int timeoutMs = 10000) {
    // A host that died must fail the test's wait, not kill the test with
    // SIGPIPE on the next command.
    ::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return;
    if (::pipe2(out, O_CLOEXEC) != 0) {
      ::close(in[0]);
      ::close(in[1]);
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      // A group of its own, so the bus daemon can be ended with it.
      ::setpgid(0, 0);
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      ::execlp("dbus-run-session", "dbus-run-session", "--", program.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    in_ = in[1];
    out_ = out[0];
    ::fcntl(out_, F_SETFL, O_NONBLOCK);
    if (pid_ < 0) return;
    if (const auto ready = waitFor("ready", timeoutMs)) address_ = ready->value(1).toStdString();
  }
  ~FakeTrayHostProcess() {
    if (in_ >= 0) ::close(in_);
    if (out_ >= 0) ::close(out_);
    if (pid_ <= 0) return;
    for (int i = 0; i < 300; ++i) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(-pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  FakeTrayHostProcess(const FakeTrayHostProcess&) = delete;
  FakeTrayHostProcess& operator=(const FakeTrayHostProcess&) = delete;

  // The private bus, for DBUS_SESSION_BUS_ADDRESS of the program under
  // test; empty when the host did not come up.
  const std::string& address() const { return address_; }

  void command(const std::string& line) {
    const std::string l = line + "\n";
    if (in_ >= 0 && ::write(in_, l.data(), l.size()) != static_cast<ssize_t>(l.size())) {
      // The host has gone; the wait that follows reports it.
    }
  }

  // Reads what has arrived; call it from a wait loop.
  void poll() {
    char buf[4096];
    ssize_t n;
    while (out_ >= 0 && (n = ::read(out_, buf, sizeof buf)) > 0) {
      pending_.append(buf, n);
      qsizetype nl;
      while ((nl = pending_.indexOf('\n')) >= 0) {
        lines_.push_back(faketray::decodeLine(pending_.left(nl)));
        taken_.push_back(false);
        pending_.remove(0, nl + 1);
      }
    }
  }

  // The first line not yet taken whose first field is event, taken now.
  std::optional<QStringList> take(const QString& event) {
    poll();
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (!taken_[i] && lines_[i].value(0) == event) {
        taken_[i] = true;
        return lines_[i];
      }
    }
    return std::nullopt;
  }

  // take(event), waiting up to timeoutMs; idle() runs between looks (a
  // test's event loop, another process's output).
  std::optional<QStringList> waitFor(const QString& event, int timeoutMs,
                                     const std::function<void()>& idle = nullptr) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (auto line = take(event)) return line;
      if (std::chrono::steady_clock::now() > end) return std::nullopt;
      if (idle) idle();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Everything the host has written so far, one line each, for messages.
  std::string transcript() {
    poll();
    std::string all;
    for (const auto& l : lines_) all += l.join(QStringLiteral(" | ")).toStdString() + "\n";
    return all;
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string address_;
  QByteArray pending_;
  std::vector<QStringList> lines_;
  std::vector<bool> taken_;
};

}  // namespace tembra::test
