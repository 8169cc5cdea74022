#include "platform/XdgFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tembra {

namespace {

std::string home() {
  if (const char* value = std::getenv("HOME"); value != nullptr && value[0] == '/') return value;
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  return "/tmp";
}

std::string folderOf(const char* variable, const char* fallbackUnderHome) {
  // A relative value is invalid by the rules and is ignored.
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
    std::string folder = value;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
  }
  return home() + "/" + fallbackUnderHome;
}

}  // namespace

std::string XdgFolders::configHome() { return folderOf("XDG_CONFIG_HOME", ".config"); }
std::string XdgFolders::cacheHome() { return folderOf("XDG_CACHE_HOME", ".cache"); }

bool XdgFolders::ensure(const std::string& folder) {
  if (folder.empty()) return false;
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat info {};
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace tembra
