#pragma once
#include <string>
#include <string_view>

namespace tembra {

// Full Unicode case folding of UTF-8 text, so that names compare ignoring
// case in every script ("STRASSE" and "straße" fold alike). Leading and
// trailing whitespace is not part of a name and is dropped. Ill-formed
// UTF-8 folds with U+FFFD in place of the bad bytes.
class CaseFold {
 public:
  static std::string fold(std::string_view utf8);
  // The text without leading and trailing ASCII whitespace.
  static std::string_view trim(std::string_view text);
};

}  // namespace tembra
