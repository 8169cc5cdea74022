#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// One "ad" of the manifest; a missing child element reads as empty text.
struct AdEntry {
  std::u16string key;
  std::u16string type;        // "1" link, "2" zip package
  std::u16string modifyTime;  // decimal, larger is newer
  std::u16string filePath;    // the page address, or the package URL
};

// The pcad.action reply: a "result" document element holding "ad"
// elements, each with key, type, modifyTime and filePath children in that
// order (each child is searched after the one found before it).
class AdManifest {
 public:
  // nullopt when the text has no "result" document element.
  static std::optional<std::vector<AdEntry>> Parse(std::u16string_view text);
};

}  // namespace tembra
