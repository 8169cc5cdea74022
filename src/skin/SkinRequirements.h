#pragma once
// What the program needs of a skin folder: the layout files it loads, the
// control names (and kinds) its windows look up in each, and the images it
// loads by name. `tembra-tool skin check` holds a skin to this.
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinSchema.h"

namespace tembra {

struct SkinRequiredControl {
  std::u16string_view name;
  // Acceptable control kinds; empty means any kind.
  std::vector<SkinControlKind> kinds;
};

struct SkinRequiredFile {
  std::string_view fileName;
  std::vector<SkinRequiredControl> controls;
};

class SkinRequirements {
 public:
  static const std::vector<SkinRequiredFile>& files();
  // Images loaded by name rather than through a layout attribute.
  static const std::vector<std::u16string_view>& images();
  // The name of the control where the main window places the player's video.
  static constexpr std::u16string_view kVideoSlotName = u"videoslot";
};

}  // namespace tembra
