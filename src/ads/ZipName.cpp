#include "ads/ZipName.h"

#include <algorithm>
#include <array>

namespace tembra {

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The first of "\..\", "\../", "/../", "/..\" in name, or a "/.." or
// "\.." that ends it, or npos. A climb at the end is one too: "a/.." is
// the folder itself, "a/../.." the one above it.
size_t findClimb(std::u16string_view name) {
  for (size_t i = 0; i + 3 <= name.size(); ++i) {
    if (isSeparator(name[i]) && name[i + 1] == u'.' && name[i + 2] == u'.' &&
        (i + 3 == name.size() || isSeparator(name[i + 3]))) {
      return i;
    }
  }
  return std::u16string_view::npos;
}

}  // namespace

std::u16string ZipName::Clean(std::u16string_view stored) {
  std::u16string_view name = stored;
  for (;;) {
    if (name.size() >= 2 && name[1] == u':') {
      name.remove_prefix(2);
    } else if (!name.empty() && isSeparator(name[0])) {
      name.remove_prefix(1);
    } else if (size_t at = findClimb(name); at != std::u16string_view::npos) {
      name.remove_prefix(std::min(at + 4, name.size()));
    } else if (name.size() >= 3 && name[0] == u'.' && name[1] == u'.' && isSeparator(name[2])) {
      name.remove_prefix(3);
    } else if (name == u"..") {
      name = {};
    } else {
      break;
    }
  }
  return std::u16string(name);
}

}  // namespace tembra
