#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tembra::test {

// Runs the built tembra-demo-service (beside the test binary) for one test:
// --listen 127.0.0.1:0 --no-notice --no-pregenerate and a shared stream
// cache under /tmp, plus the test's own switches. The constructor waits for
// the "ready" line; the destructor stops the service (SIGTERM, waitpid).
//
//   DemoService demo({"--groups", "2", "--catalogue-500"});
//   ASSERT_TRUE(demo.started()) << demo.error();
//   auto body = demo.Get("/tv.action?type=1&uuid=" + demo.SignIn());
class DemoService {
 public:
  struct Setup {
    std::vector<std::string> args;
    bool notice = false;        // leave out --no-notice (needs root)
    bool pregenerate = false;   // leave out --no-pregenerate
    std::string cacheDir;       // empty: SharedCacheDir()
    // "NAME=VALUE" entries that replace or add to the test's environment
    // (e.g. "TZ=Asia/Kolkata").
    std::vector<std::string> env;
  };

  explicit DemoService(std::vector<std::string> args = {});
  explicit DemoService(Setup setup);
  ~DemoService();
  DemoService(const DemoService&) = delete;
  DemoService& operator=(const DemoService&) = delete;

  bool started() const { return port_ != 0 && ready_; }
  const std::string& error() const { return error_; }
  uint16_t port() const { return port_; }
  pid_t pid() const { return pid_; }
  // "http://127.0.0.1:PORT" (no trailing slash).
  std::string base() const;
  // Start-up lines printed before "ready", "listening on ..." first.
  const std::vector<std::string>& lines() const { return lines_; }
  // The rest of the first start-up line that begins with prefix, or empty.
  std::string LineAfter(std::string_view prefix) const;

  // SIGTERM and wait; the exit status as waitpid reports it through
  // WEXITSTATUS, or -1 when it did not exit normally. Idempotent.
  int Stop();

  // Small HTTP helpers against this service (HTTP/1.1 via cpp-httplib).
  struct Reply {
    int status = -1;  // -1: no answer
    std::string body;
  };
  Reply Get(const std::string& path) const;
  Reply Post(const std::string& path, const std::string& body,
             const std::string& type = "application/x-www-form-urlencoded") const;
  // Signs in with a valid ack and returns the session id ("" on failure).
  std::string SignIn() const;
  // The statistics records the collector kept (GET /demo/records, a JSON
  // array of strings); a failed test expectation when the answer is not one.
  std::vector<std::string> Records() const;

  static std::string Executable();
  static std::string SharedCacheDir();
  // Writes request as is to 127.0.0.1:port and reads until the peer closes
  // (what the client's guide and clock requests do). Empty on failure.
  static std::string RawExchange(uint16_t port, const std::string& request);
  // A setup with the notice responder on (in a network namespace of its
  // own: needs root), and the address it answers on.
  static Setup WithNotice(std::vector<std::string> args = {});
  std::string NoticeAddress() const;

  // Runs a program found on PATH to its end; stdout and stderr together.
  struct ProgramResult {
    int exitCode = -1;  // -1: not started or killed by a signal
    std::string output;
  };
  static ProgramResult RunProgram(const std::vector<std::string>& argv);
  static bool HaveProgram(const std::string& name);

 private:
  void start(Setup setup);

  pid_t pid_ = -1;
  uint16_t port_ = 0;
  bool ready_ = false;
  int exitStatus_ = -1;
  bool stopped_ = false;
  bool killed_ = false;  // Stop() had to kill a service that ignored SIGTERM
  std::string error_;
  std::vector<std::string> lines_;
};

}  // namespace tembra::test
