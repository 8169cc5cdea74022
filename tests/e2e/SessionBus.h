#pragma once
// A private D-Bus session bus for one test (dbus-daemon --session), so the
// program under test never talks to the desktop of whoever runs the tests.
// The test tray host (TrayHost) can be started on it for a notification
// area.
#include <memory>
#include <string>

#include "mainwnd/ChildProcess.h"

namespace tembra::test {

class SessionBus {
 public:
  SessionBus();
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // Empty when dbus-daemon did not start.
  const std::string& address() const { return address_; }
  const std::string& error() const { return error_; }

  // The tray host program beside the test binary; empty when not built.
  static std::string trayHostProgram();

 private:
  std::unique_ptr<ChildProcess> daemon_;
  std::string address_;
  std::string error_;
};

}  // namespace tembra::test
