#pragma once
#include <cstdint>
#include <string>

namespace tembra {

// One <group> of the catalogue.
struct ChannelGroup {
  std::u16string id;
  std::u16string type;
  std::u16string name;
  int32_t deploy = 0;
};

}  // namespace tembra
