#include "e2e/TrayHost.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "LineCodec.h"

namespace tembra::test {

TrayHost::TrayHost(const std::string& program, const std::string& busAddress) {
  int toHost[2], fromHost[2];
  if (::pipe2(toHost, O_CLOEXEC) != 0 || ::pipe2(fromHost, O_CLOEXEC) != 0) {
    error_ = "pipe failed";
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(toHost[0], 0);
    ::dup2(fromHost[1], 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", busAddress.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(toHost[0]);
  ::close(fromHost[1]);
  in_ = toHost[1];
  out_ = fromHost[0];
  const QStringList first = waitFor("ready", 10000);
  ready_ = !first.isEmpty();
  if (!ready_) error_ = "no \"ready\" from " + program;
}

TrayHost::~TrayHost() {
  if (in_ >= 0) {
    const char quit[] = "quit\n";
    (void)!::write(in_, quit, sizeof quit - 1);
    ::close(in_);
  }
  if (pid_ > 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  if (out_ >= 0) ::close(out_);
}

bool TrayHost::readLine(QStringList& fields, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto nl = pending_.find('\n');
    if (nl != std::string::npos) {
      fields = faketray::decodeLine(QByteArray::fromStdString(pending_.substr(0, nl)));
      pending_.erase(0, nl + 1);
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || out_ < 0) return false;
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[4096];
    const ssize_t n = ::read(out_, buf, sizeof buf);
    if (n <= 0) return false;
    pending_.append(buf, static_cast<size_t>(n));
  }
}

QStringList TrayHost::waitFor(const QString& kind, int timeoutMs) {
  for (auto it = unclaimed_.begin(); it != unclaimed_.end(); ++it) {
    if (!it->isEmpty() && it->front() == kind) {
      QStringList found = *it;
      unclaimed_.erase(it);
      return found;
    }
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  QStringList fields;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readLine(fields, static_cast<int>(left.count()))) return {};
    if (!fields.isEmpty() && fields.front() == kind) return fields;
    unclaimed_.push_back(fields);
  }
}

QStringList TrayHost::command(const std::string& line, int timeoutMs) {
  const std::string text = line + "\n";
  if (in_ < 0 || ::write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  QStringList fields;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readLine(fields, static_cast<int>(left.count()))) return {};
    if (!fields.isEmpty() && (fields.front() == "ok" || fields.front() == "reply" || fields.front() == "error"))
      return fields;
    unclaimed_.push_back(fields);
  }
}

}  // namespace tembra::test
