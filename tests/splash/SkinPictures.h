#pragma once
// Where the shipped skin sits for the tests: the build copies it beside the
// executables, and the test programs are among them.
#include <unistd.h>

#include <string>

namespace tembra::test {

inline std::string executableFolder() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  std::string exe(path, static_cast<size_t>(n));
  return exe.substr(0, exe.rfind('/') + 1);
}

inline std::string defaultSkinFolder() { return executableFolder() + "skin/Default/"; }

}  // namespace tembra::test
