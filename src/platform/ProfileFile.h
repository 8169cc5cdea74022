#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tembra {

// Initialisation files ("[section]" lines followed by "key=value" lines),
// UTF-8, CRLF or LF line endings. Section and key names match ignoring ASCII
// case; spaces around names and values do not count; a value in double
// quotes reads without them; lines starting with ';' are comments. The first
// matching key of the first matching section wins.
class ProfileFile {
 public:
  // Files larger than this are treated as unreadable.
  static constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;

  // The value of key in section, or fallback when the file, section or key
  // is missing. The result is cut to bufferChars - 1 UTF-16 characters.
  static std::u16string ReadString(const std::string& path, std::u16string_view section,
                                   std::u16string_view key, std::u16string_view fallback,
                                   size_t bufferChars = 1024);

  // Sets key in section to value: the value is replaced in place, or the key
  // is added at the end of its section, or the section is added at the end of
  // the file (which is created if missing). Every other byte of the file is
  // kept. The file is replaced atomically (temp file, fsync, rename), so a
  // crash leaves either the old or the new file. False on any failure, with
  // the file untouched; also for names or values that cannot be stored
  // (line breaks, NUL, a key holding '=' or starting with '[' or ';').
  static bool WriteString(const std::string& path, std::u16string_view section,
                          std::u16string_view key, std::u16string_view value);
};

}  // namespace tembra
