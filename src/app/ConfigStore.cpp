#include "app/ConfigStore.h"

#include "platform/ModulePath.h"
#include "platform/ProfileFile.h"

namespace tembra {

namespace {
constexpr std::u16string_view kSection = u"Quorvi";
constexpr size_t kBufferChars = 1024;
}  // namespace

ConfigStore& ConfigStore::Instance() {
  static ConfigStore store(ModulePath::folder() + "config.ini", ValueCipher::Instance());
  return store;
}

ConfigStore::ConfigStore(std::string path, const ValueCipher& cipher) : path_(std::move(path)), cipher_(cipher) {}

std::u16string ConfigStore::ReadValue(std::u16string_view key, bool decipher) {
  std::u16string stored;
  {
    std::lock_guard guard(lock_);
    stored = ProfileFile::ReadString(path_, kSection, key, u"", kBufferChars);
  }
  return decipher ? cipher_.DecryptValue(stored) : stored;
}

bool ConfigStore::WriteValue(std::u16string_view key, std::u16string_view text) {
  std::lock_guard guard(lock_);
  const std::u16string stored = cipher_.EncryptValue(text);
  if (stored.empty()) return false;
  return ProfileFile::WriteString(path_, kSection, key, stored);
}

}  // namespace tembra
