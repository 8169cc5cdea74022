#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "platform/ProfileFile.h"
#include "platform/Utf.h"
#include "tools/Commands.h"
#include "tools/KeyOption.h"

namespace tembra::tools {

namespace {

constexpr std::u16string_view kSection = u"Quorvi";

// Key names in the file match ignoring case, so "homepage" is the same value.
bool isHomePage(const std::string& key) {
  static const std::string kHome = "homepage";
  if (key.size() != kHome.size()) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    char c = key[i] >= 'A' && key[i] <= 'Z' ? static_cast<char>(key[i] - 'A' + 'a') : key[i];
    if (c != kHome[i]) return false;
  }
  return true;
}

int usage(const char* problem) {
  std::fprintf(stderr, "tembra-tool: %s\n\n%s", problem, kUsage);
  return 2;
}

void printLine(const std::u16string& text) {
  std::string out = toUtf8(text);
  out.push_back('\n');
  std::fwrite(out.data(), 1, out.size(), stdout);
}

// Explains why a text has no stored form; the cipher itself only says "empty".
int refuseText(const std::string& text) {
  if (text.empty()) {
    std::fputs("tembra-tool: an empty text is never stored\n", stderr);
  } else {
    std::fprintf(stderr, "tembra-tool: the text is %zu bytes; a stored value holds at most %zu\n", text.size(),
                 ValueCipher::kMaxTextBytes);
  }
  return 2;
}

bool readableFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return regular;
}

int runGet(const std::vector<std::string>& args, const ValueCipher& cipher) {
  if (args.size() != 2) return usage("config get takes FILE KEY");
  const std::string& file = args[0];
  const std::string& key = args[1];
  if (!readableFile(file)) {
    std::fprintf(stderr, "tembra-tool: cannot read '%s'\n", file.c_str());
    return 2;
  }
  ConfigStore store(file, cipher);
  const std::u16string stored = store.ReadValue(fromUtf8(key), false);
  if (stored.empty()) {
    std::fprintf(stderr, "tembra-tool: no value '%s' in section Quorvi of '%s'\n", key.c_str(), file.c_str());
    return 1;
  }
  if (isHomePage(key)) {
    printLine(stored);
    return 0;
  }
  const std::u16string text = cipher.DecryptValue(stored);
  if (text.empty()) {
    std::fprintf(stderr, "tembra-tool: the value '%s' does not decipher (wrong key or damaged)\n", key.c_str());
    return 2;
  }
  printLine(text);
  return 0;
}

int runSet(const std::vector<std::string>& args, const ValueCipher& cipher) {
  if (args.size() != 3) return usage("config set takes FILE KEY VALUE");
  const std::string& file = args[0];
  const std::string& key = args[1];
  const std::string& value = args[2];
  bool written;
  if (isHomePage(key)) {
    if (value.find_first_of("\r\n") != std::string::npos) {
      std::fputs("tembra-tool: a plain value cannot hold a line break\n", stderr);
      return 2;
    }
    written = ProfileFile::WriteString(file, kSection, fromUtf8(key), fromUtf8(value));
  } else {
    const std::u16string text = fromUtf8(value);
    if (cipher.EncryptValue(text).empty()) return refuseText(toUtf8(text));
    ConfigStore store(file, cipher);
    written = store.WriteValue(fromUtf8(key), text);
  }
  if (!written) {
    std::fprintf(stderr, "tembra-tool: cannot write '%s' to '%s'\n", key.c_str(), file.c_str());
    return 2;
  }
  return 0;
}

int runEncrypt(const std::vector<std::string>& args, const ValueCipher& cipher) {
  if (args.size() != 1) return usage("config encrypt takes TEXT");
  const std::u16string text = fromUtf8(args[0]);
  const std::u16string stored = cipher.EncryptValue(text);
  if (stored.empty()) return refuseText(toUtf8(text));
  printLine(stored);
  return 0;
}

int runDecrypt(const std::vector<std::string>& args, const ValueCipher& cipher) {
  if (args.size() != 1) return usage("config decrypt takes STORED");
  const std::u16string text = cipher.DecryptValue(fromUtf8(args[0]));
  if (text.empty()) {
    std::fputs("tembra-tool: not a stored form under this key (wrong key, damaged or malformed)\n", stderr);
    return 2;
  }
  printLine(text);
  return 0;
}

}  // namespace

int runConfig(const std::vector<std::string>& argsIn) {
  if (argsIn.empty()) return usage("config needs get, set, encrypt or decrypt");
  const std::string sub = argsIn[0];
  std::vector<std::string> args(argsIn.begin() + 1, argsIn.end());
  std::optional<std::array<uint8_t, 16>> key;
  if (!takeKeyOption(args, key)) return 2;
  const ValueCipher cipher(key ? *key : ValueCipher::DefaultKey());
  if (sub == "get") return runGet(args, cipher);
  if (sub == "set") return runSet(args, cipher);
  if (sub == "encrypt") return runEncrypt(args, cipher);
  if (sub == "decrypt") return runDecrypt(args, cipher);
  return usage(("unknown config command '" + sub + "'").c_str());
}

}  // namespace tembra::tools
