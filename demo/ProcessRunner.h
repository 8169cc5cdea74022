#pragma once
#include <atomic>
#include <string>
#include <vector>

namespace tembra {

// Runs a helper program (ip, ffmpeg, fc-match) and waits for it, with a time
// limit and an optional cancel flag, capturing what it prints.
class ProcessRunner {
 public:
  struct Result {
    bool started = false;
    bool timedOut = false;
    bool cancelled = false;
    int exitCode = -1;   // -1 unless it exited normally
    std::string output;  // stdout and stderr together, at most 64 KiB
    bool ok() const { return started && exitCode == 0; }
  };

  // argv[0] is looked up on PATH. The child gets default signal handling
  // and an empty signal mask whatever this process blocks or ignores.
  static Result Run(const std::vector<std::string>& argv, int timeoutSeconds,
                    const std::atomic<bool>* cancel = nullptr);
  // Full path of a program on PATH (and /usr/sbin, /sbin), or empty.
  static std::string FindProgram(const std::string& name);
};

}  // namespace tembra
