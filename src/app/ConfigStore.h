#pragma once
#include <mutex>
#include <string>
#include <string_view>

#include "app/ValueCipher.h"

namespace tembra {

// The settings file config.ini beside the executable, section "Quorvi".
// Every value but "HomePage" is stored enciphered.
class ConfigStore {
 public:
  // The process-wide store: ModulePath::folder() + "config.ini", built-in key.
  static ConfigStore& Instance();

  ConfigStore(std::string path, const ValueCipher& cipher);

  std::u16string ReadValue(std::u16string_view key, bool decipher);
  // Enciphers and writes; false (old value kept) for an empty text, a text
  // too long to store, or a failed write.
  bool WriteValue(std::u16string_view key, std::u16string_view text);

  const std::string& path() const { return path_; }

 private:
  std::mutex lock_;  // serialises every access to the file
  std::string path_;
  const ValueCipher& cipher_;
};

}  // namespace tembra
