#pragma once
// Runs the real tembra-tool that the build puts beside the test binary and
// captures what it prints. It inherits this process's environment.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ModulePath.h"
#include "platform/TestFiles.h"

namespace tembra::testing {

struct ToolResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline ToolResult runTool(const std::vector<std::string>& args) {
  static const std::string tool = ModulePath::record() + "tembra-tool";
  char outName[] = "/tmp/tembra-tool-out-XXXXXX";
  char errName[] = "/tmp/tembra-tool-err-XXXXXX";
  const int outFd = ::mkstemp(outName);
  const int errFd = ::mkstemp(errName);
  ToolResult result;
  if (outFd < 0 || errFd < 0) return result;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(tool.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(outFd, 1);
    ::dup2(errFd, 2);
    ::execv(tool.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  ::close(outFd);
  ::close(errFd);
  result.out = test::readFile(outName);
  result.err = test::readFile(errName);
  ::unlink(outName);
  ::unlink(errName);
  return result;
}

}  // namespace tembra::testing
