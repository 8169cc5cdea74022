#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// The text pieces of UTF-8 markup: references decoded, attributes found.
class XmlByteText {
 public:
  // The longest reference body (between '&' and ';') that is tried; an
  // ampersand that starts no known reference stays as it is.
  static constexpr size_t kMaxReference = 9;

  // Appends raw character data to out with "&lt;", "&#233;", "&eacute;"
  // and the like replaced by their characters (UTF-8).
  static void appendDecoded(std::string& out, std::string_view raw);

  // The raw value of attribute `name` in the attribute area of a start tag
  // (what follows its name): quoted with either quote, or unquoted up to
  // whitespace. An attribute written without a value has the empty value.
  static std::optional<std::string_view> attribute(std::string_view area, std::string_view name);

  // Appends the code point's UTF-8 form.
  static void appendCodePoint(std::string& out, uint32_t cp);
};

}  // namespace tembra
