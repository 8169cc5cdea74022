#include "stats/StatsBacklog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/UniqueFd.h"
#include "platform/Utf.h"

namespace tembra {

namespace {

// Drops bytes after the last line feed of the file.
void cutTornTail(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || st.st_size <= 0) return;
  off_t end = st.st_size;
  char buffer[4096];
  while (end > 0) {
    const off_t start = end > static_cast<off_t>(sizeof buffer) ? end - sizeof buffer : 0;
    const ssize_t n = ::pread(fd, buffer, static_cast<size_t>(end - start), start);
    if (n <= 0) return;
    for (ssize_t i = n - 1; i >= 0; --i) {
      if (buffer[i] == '\n') {
        const off_t keep = start + i + 1;
        if (keep != st.st_size) (void)!ftruncate(fd, keep);
        return;
      }
    }
    end = start;
  }
  (void)!ftruncate(fd, 0);
}

}  // namespace

std::vector<std::u16string> StatsBacklog::Load(const std::string& path) {
  std::vector<std::u16string> records;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return records;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return {};
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  fd.reset();
  size_t start = 0;
  for (;;) {
    const size_t end = bytes.find('\n', start);
    if (end == std::string::npos) break;
    if (end > start) records.push_back(fromUtf8(std::string_view(bytes).substr(start, end - start)));
    start = end + 1;
  }
  ::unlink(path.c_str());
  return records;
}

bool StatsBacklog::Append(const std::string& path, const std::vector<std::u16string>& records) {
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (!fd) return false;
  cutTornTail(fd.get());
  if (::lseek(fd.get(), 0, SEEK_END) < 0) return false;
  bool ok = true;
  for (const auto& record : records) {
    std::string line = toUtf8(record);
    for (char& c : line)
      if (c == '\n') c = ' ';
    line += '\n';
    // One write per line: the kernel has it once the call returns.
    if (!writeAll(fd.get(), line)) {
      ok = false;
      break;
    }
  }
  if (::fsync(fd.get()) != 0) ok = false;
  return ok;
}

}  // namespace tembra
