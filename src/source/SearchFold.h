#pragma once
#include <string>
#include <string_view>

namespace tembra {

// The form channel names, groups and typed searches are compared in:
// lower case, Latin letters without their accents ("É" and "é" -> "e",
// "ß" -> "ss", "Ø" -> "o"), combining marks dropped, Greek and Cyrillic
// capitals lowered, every other character kept; UTF-8. Control characters
// become spaces, so no search can match across a separator the index puts
// between fields.
class SearchFold {
 public:
  static std::string fold(std::u16string_view text);
  // Appends the folded form of text to out.
  static void append(std::string& out, std::u16string_view text);
};

}  // namespace tembra
