#include "platform/ModulePath.h"

#include <mutex>
#include <unistd.h>

namespace tembra {

namespace {
std::mutex& lock() {
  static std::mutex m;
  return m;
}
std::string& stored() {  // guarded by lock()
  static std::string folder;
  return folder;
}
}  // namespace

std::string ModulePath::record() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string path = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
  auto slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  set(folder);
  return folder;
}

void ModulePath::set(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  std::lock_guard g(lock());
  stored() = std::move(folder);
}

std::string ModulePath::folder() {
  std::lock_guard g(lock());
  return stored();
}

}  // namespace tembra
