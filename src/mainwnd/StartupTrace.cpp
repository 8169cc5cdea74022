#include "mainwnd/StartupTrace.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

namespace tembra {

namespace {
const char* tracePath() {
  const char* path = std::getenv("TEMBRA_STARTUP_TRACE");
  return path != nullptr && *path != '\0' ? path : nullptr;
}
}  // namespace

bool StartupTrace::enabled() { return tracePath() != nullptr; }

void StartupTrace::mark(std::string_view name, std::string_view detail) {
  if (const char* path = tracePath()) markIn(path, name, detail);
}

bool StartupTrace::markIn(const std::string& path, std::string_view name, std::string_view detail) {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const long long micros = static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
  std::string line(name);
  line += ' ';
  line += std::to_string(micros);
  if (!detail.empty()) {
    line += ' ';
    line += detail;
  }
  line += '\n';
  // One write per line with O_APPEND, so a reader never sees half a line
  // from this writer.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool ok = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  ::close(fd);
  return ok;
}

}  // namespace tembra
