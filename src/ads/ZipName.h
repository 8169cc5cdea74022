#pragma once
#include <string>
#include <string_view>

namespace tembra {

// The relative path a member is written under: drive prefixes, leading
// separators and every "..\" or "../" step that could climb out of the base
// folder are taken off. Both '\' and '/' count as separators.
class ZipName {
 public:
  static std::u16string Clean(std::u16string_view stored);
};

}  // namespace tembra
