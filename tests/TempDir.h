#pragma once
// A fresh folder under /tmp that belongs to one test and is removed, with
// everything in it, however the test ends (a failed ASSERT included).
#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tembra::test {

class TempDir {
 public:
  // Makes /tmp/<prefix>-XXXXXX. Throws std::runtime_error with the reason
  // when it cannot, so that the test stops there and says why.
  explicit TempDir(const std::string& prefix) {
    const std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    std::string name = pattern;
    if (::mkdtemp(name.data()) == nullptr) {
      const int error = errno;
      throw std::runtime_error("cannot make the temporary folder " + pattern + ": " +
                               std::generic_category().message(error));
    }
    path_ = std::move(name);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing slash.
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace tembra::test
