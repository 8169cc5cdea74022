#pragma once
#include <cstddef>
#include <string_view>

namespace tembra {

// How the bytes of a file in a named encoding become UTF-16.
enum class EncodingKind {
  Unknown,    // not a name we know
  Utf8,       // decoded by our own UTF-8 decoder
  Utf16,      // 2-byte units, order taken from the byte order mark
  Utf16LE,
  Utf16BE,
  CodePage,   // converted through iconv with the given name
};

struct EncodingInfo {
  EncodingKind kind = EncodingKind::Unknown;
  const char* iconvName = nullptr;  // set for CodePage only
};

// The encoding names that XML declarations and HTML meta tags use, mapped to
// the converters of this platform. Names are matched ignoring ASCII case and
// surrounding whitespace.
class EncodingAliases {
 public:
  static EncodingInfo Lookup(std::string_view name);

  // The table itself, for tools and tests.
  struct Alias {
    const char* name;  // lower case
    EncodingKind kind;
    const char* iconvName;
  };
  static const Alias* Table();
  static size_t TableSize();
};

}  // namespace tembra
