#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// Escaping for the texts the demo service writes into its replies.
class TextEscape {
 public:
  // &, <, >, " and ' as entities; control characters other than tab, line
  // feed and carriage return (not allowed in XML 1.0) become '?'.
  static std::string Xml(std::string_view utf8);
  // A JSON string literal with its quotes. The text must be valid UTF-8;
  // it is kept as is apart from the escapes JSON requires.
  static std::string JsonString(std::string_view utf8);
  static std::string JsonArray(const std::vector<std::string>& items);
};

}  // namespace tembra
