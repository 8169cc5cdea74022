#pragma once
// The test notification area (tests/support/fake-tray-host) on a private
// session bus, driven over its stdin and stdout: it reports the program's
// tray icon and the balloons it shows, and clicks them on request.
#include <sys/types.h>

#include <QStringList>

#include <string>
#include <vector>

namespace tembra::test {

class TrayHost {
 public:
  // Starts program on the bus at busAddress and waits for its "ready".
  TrayHost(const std::string& program, const std::string& busAddress);
  ~TrayHost();  // "quit", then the end of its stdin
  TrayHost(const TrayHost&) = delete;
  TrayHost& operator=(const TrayHost&) = delete;

  bool ready() const { return ready_; }
  const std::string& error() const { return error_; }

  // The next event line whose first field is kind (earlier other lines are
  // kept for later calls), within timeoutMs; empty when none came.
  QStringList waitFor(const QString& kind, int timeoutMs);
  // Sends a command line and waits for its answer ("ok ...", "reply ...",
  // "error ..."); the answer's fields.
  QStringList command(const std::string& line, int timeoutMs = 5000);

 private:
  bool readLine(QStringList& fields, int timeoutMs);

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string pending_;
  std::vector<QStringList> unclaimed_;
  bool ready_ = false;
  std::string error_;
};

}  // namespace tembra::test
