#include "ads/ExtractFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tembra {

namespace {

constexpr mode_t kFolderMode = 0777;  // narrowed by the umask, as for any new folder

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool ExtractFolder::SplitName(std::string_view relative, std::vector<std::string>& parts) {
  parts.clear();
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = relative.size();
    std::string_view part = relative.substr(start, end - start);
    if (part.find('\0') != std::string_view::npos || part == "..") return false;
    if (!part.empty() && part != ".") parts.emplace_back(part);
    start = end + 1;
  }
  return true;
}

bool ExtractFolder::MakePath(const std::string& path) {
  if (path.empty()) return false;
  if (isFolder(path)) return true;
  for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
    const std::string prefix = path.substr(0, at);
    if (::mkdir(prefix.c_str(), kFolderMode) != 0 && errno != EEXIST) return false;
  }
  if (::mkdir(path.c_str(), kFolderMode) != 0 && errno != EEXIST) return false;
  return isFolder(path);
}

int ExtractFolder::Open(const std::vector<std::string>& parts, size_t count) {
  std::string key;
  auto found = open_.find(key);
  if (found == open_.end()) {
    if (!MakePath(base_)) return -1;
    UniqueFd base(::open(base_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!base.valid()) return -1;
    found = open_.emplace(key, std::move(base)).first;
  }
  int dir = found->second.get();
  for (size_t i = 0; i < count; ++i) {
    key += parts[i];
    key += '/';
    if (auto it = open_.find(key); it != open_.end()) {
      dir = it->second.get();
      continue;
    }
    const char* step = parts[i].c_str();
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int next = ::openat(dir, step, kFlags);
    if (next < 0 && errno == ENOENT) {
      if (::mkdirat(dir, step, kFolderMode) != 0 && errno != EEXIST) return -1;
      next = ::openat(dir, step, kFlags);
    }
    if (next < 0) return -1;
    if (open_.size() >= kMaxOpen) {
      // Keep the chain being walked usable: park the parent, start afresh.
      UniqueFd parent(::dup(dir));
      open_.clear();
      if (!parent.valid()) {
        ::close(next);
        return -1;
      }
      open_.emplace(key.substr(0, key.size() - parts[i].size() - 1), std::move(parent));
    }
    dir = next;
    open_.emplace(key, UniqueFd(next));
  }
  return dir;
}

}  // namespace tembra
