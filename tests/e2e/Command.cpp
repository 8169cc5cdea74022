#include "e2e/Command.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "mainwnd/ChildProcess.h"

namespace tembra::test {

std::string CommandResult::describe() const {
  std::ostringstream s;
  s << (timedOut ? "timed out" : "exit " + std::to_string(code));
  if (!out.empty()) s << "\n  stdout: " << out;
  if (!err.empty()) s << "\n  stderr: " << err;
  return s.str();
}

CommandResult runCommand(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                         int timeoutMs) {
  CommandResult r;
  if (argv.empty()) return r;
  std::string program = argv[0];
  if (program.find('/') == std::string::npos) program = findProgram(program);
  if (program.empty()) {
    r.err = argv[0] + ": not found";
    return r;
  }
  ChildProcess p(program, {argv.begin() + 1, argv.end()}, env);
  if (!p.started()) return r;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (p.running()) {
    p.out();
    p.err();
    if (std::chrono::steady_clock::now() > deadline) {
      r.timedOut = true;
      ::kill(p.pid(), SIGKILL);
      while (p.running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  r.out = p.out();
  r.err = p.err();
  if (!r.timedOut && p.exitedNormally()) r.code = p.exitCode();
  return r;
}

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

}  // namespace tembra::test
