#pragma once
// CPU time of a process and every process it started (and they started),
// read from /proc/PID/stat: the program with the web engine's helper
// processes. Processes that end between two readings leave their time out.
#include <sys/types.h>

#include <map>

namespace tembra::test {

class ProcessTreeCpu {
 public:
  explicit ProcessTreeCpu(pid_t root) : root_(root) {}

  // Starts a measurement.
  void start();
  // Share of one core the tree used since start(), in percent; the
  // processes counted are left in processes().
  double percentSinceStart();
  int processes() const { return static_cast<int>(last_.size()); }

  // utime + stime in clock ticks of each live process of the tree.
  static std::map<pid_t, long long> sample(pid_t root);

 private:
  pid_t root_;
  std::map<pid_t, long long> first_;
  std::map<pid_t, long long> last_;
  double startedAt_ = 0;
};

}  // namespace tembra::test
