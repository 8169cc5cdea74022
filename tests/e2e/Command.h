#pragma once
// Runs a helper program (xdotool, import, dbus-send, ...) to its end, with
// a time limit: a tool that hangs is killed and reported, never waited on.
#include <map>
#include <string>
#include <vector>

namespace tembra::test {

struct CommandResult {
  int code = -1;  // exit code; -1 when it could not start, was killed or timed out
  bool timedOut = false;
  std::string out, err;
  bool ok() const { return code == 0; }
  std::string describe() const;
};

CommandResult runCommand(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env = {}, int timeoutMs = 20000);

// The program's absolute path when it is on PATH, else empty.
std::string findProgram(const std::string& name);

}  // namespace tembra::test
