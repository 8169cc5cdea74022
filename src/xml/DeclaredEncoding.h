#pragma once
#include <string>
#include <string_view>

namespace tembra {

// Finds the encoding a document names for itself in its first bytes: the
// encoding pseudo-attribute of an XML declaration at offset 0, or, in an
// HTML document, the charset of a Content-Type meta tag before the end of
// head. Empty when the document names none.
class DeclaredEncoding {
 public:
  // Looks at no more than this many leading bytes.
  static constexpr size_t kScanBytes = 1024;

  static std::u16string Find(std::string_view leadingBytes);
  static std::u16string FindInText(std::u16string_view text);
};

}  // namespace tembra
