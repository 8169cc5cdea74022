#include "e2e/ProcessTreeCpu.h"

#include <dirent.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tembra::test {

namespace {

double now() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

struct Stat {
  pid_t parent = 0;
  long long ticks = 0;
};

// The fields after the command name, which may itself hold spaces and
// parentheses: the last ')' ends it.
bool readStat(pid_t pid, Stat& out) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(in, text)) return false;
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(text.substr(close + 2));
  std::vector<std::string> f;
  for (std::string v; fields >> v;) f.push_back(v);
  // state ppid ... utime(14th field overall, index 11 here) stime(12)
  if (f.size() < 13) return false;
  out.parent = static_cast<pid_t>(std::atol(f[1].c_str()));
  out.ticks = std::atoll(f[11].c_str()) + std::atoll(f[12].c_str());
  return true;
}

}  // namespace

std::map<pid_t, long long> ProcessTreeCpu::sample(pid_t root) {
  std::map<pid_t, Stat> all;
  if (DIR* proc = ::opendir("/proc")) {
    while (dirent* e = ::readdir(proc)) {
      const pid_t pid = static_cast<pid_t>(std::atol(e->d_name));
      Stat s;
      if (pid > 0 && readStat(pid, s)) all[pid] = s;
    }
    ::closedir(proc);
  }
  std::map<pid_t, long long> tree;
  if (all.count(root) == 0) return tree;
  tree[root] = all[root].ticks;
  // Parents before children is not guaranteed by pid order: repeat until
  // nothing more joins.
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [pid, s] : all)
      if (tree.count(pid) == 0 && tree.count(s.parent) > 0) {
        tree[pid] = s.ticks;
        grew = true;
      }
  }
  return tree;
}

void ProcessTreeCpu::start() {
  first_ = sample(root_);
  last_ = first_;
  startedAt_ = now();
}

double ProcessTreeCpu::percentSinceStart() {
  last_ = sample(root_);
  const double seconds = now() - startedAt_;
  long long used = 0;
  for (const auto& [pid, ticks] : last_) {
    const auto before = first_.find(pid);
    used += ticks - (before != first_.end() ? before->second : 0);
  }
  const double hz = static_cast<double>(::sysconf(_SC_CLK_TCK));
  return seconds > 0 ? 100.0 * static_cast<double>(used) / hz / seconds : 0;
}

}  // namespace tembra::test
