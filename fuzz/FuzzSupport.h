#pragma once
// Helpers the fuzz targets share: a scratch folder that lives as long as the
// process, writing one input to a file in it, and the abort that libFuzzer
// reports as a finding.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace tembra::fuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

class Scratch {
 public:
  explicit Scratch(const std::string& prefix) {
    std::string name = "/tmp/" + prefix + "-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) std::abort();
    path_ = std::move(name);
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  // Empties the folder so that one input's files never meet the next's.
  void clear() const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
      std::filesystem::remove_all(entry.path(), ignored);
    }
  }

  std::string write(const std::string& name, std::string_view bytes) const {
    const std::string path = file(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
    if (std::fclose(f) != 0) std::abort();
    return path;
  }

 private:
  std::string path_;
};

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace tembra::fuzz
