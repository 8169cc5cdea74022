#pragma once
#include <string_view>

namespace tembra {

// The small text tests a playlist's lines need, ASCII only, no allocation.
class M3uText {
 public:
  // Spaces and tabs off both ends.
  static std::string_view trimBlanks(std::string_view text);
  // Equality ignoring ASCII case, against a lower-case literal.
  static bool equalsLower(std::string_view text, std::string_view lowerCase);
  static bool startsWithLower(std::string_view text, std::string_view lowerCasePrefix);
};

}  // namespace tembra
