#pragma once
#include <string>
#include <string_view>

namespace tembra {

// Texts from a guide are kept as well-formed UTF-8 whatever the file held,
// so that everything downstream (JSON, the window's labels) can trust them.
class Utf8Clean {
 public:
  // Appends bytes to out with each maximal ill-formed sequence (bad lead,
  // cut-off sequence, overlong form, surrogate, beyond U+10FFFF) replaced
  // by one U+FFFD.
  static void append(std::string& out, std::string_view bytes);

  // True when bytes are well-formed UTF-8 as they are.
  static bool valid(std::string_view bytes);

  // The longest prefix of at most maxBytes that does not end inside a
  // multi-byte character.
  static std::string_view clip(std::string_view text, size_t maxBytes);
};

}  // namespace tembra
