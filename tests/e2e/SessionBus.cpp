#include "e2e/SessionBus.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "e2e/Command.h"
#include "platform/ModulePath.h"

namespace tembra::test {

SessionBus::SessionBus() {
  const std::string daemon = findProgram("dbus-daemon");
  if (daemon.empty()) {
    error_ = "dbus-daemon is missing (scripts/setup installs dbus)";
    return;
  }
  daemon_ = std::make_unique<ChildProcess>(
      daemon, std::vector<std::string>{"--session", "--nofork", "--nopidfile", "--print-address=1"});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline && daemon_->running()) {
    const std::string& out = daemon_->out();
    const auto nl = out.find('\n');
    if (nl != std::string::npos) {
      address_ = out.substr(0, nl);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  error_ = "dbus-daemon gave no address: " + daemon_->err();
}

SessionBus::~SessionBus() {
  if (daemon_ && daemon_->running()) {
    ::kill(daemon_->pid(), SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (daemon_->running() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::string SessionBus::trayHostProgram() {
  const std::string p = ModulePath::record() + "fake-tray-host";
  return ::access(p.c_str(), X_OK) == 0 ? p : std::string();
}

}  // namespace tembra::test
