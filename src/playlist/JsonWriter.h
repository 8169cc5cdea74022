#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// Appends JSON values to a text. Strings come out as well-formed UTF-8
// (ill-formed input bytes become U+FFFD) with quotes, backslashes and
// control characters escaped, the controls as \u00XX.
class JsonWriter {
 public:
  static void appendString(std::string& out, std::string_view utf8);
  // The shortest text that reads back as the same double; non-finite
  // values (which JSON cannot hold) become null.
  static void appendNumber(std::string& out, double value);
  static void appendInt(std::string& out, std::optional<int> value);  // null when absent
};

}  // namespace tembra
