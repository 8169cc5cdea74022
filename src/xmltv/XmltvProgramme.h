#pragma once
#include <cstdint>
#include <string_view>

namespace tembra {

// One programme as the guide's queries give it: times in UTC seconds with
// the channel's shift applied, texts viewing the store (valid while it
// lives), empty when the guide had none.
struct XmltvProgramme {
  int64_t start = 0;
  int64_t stop = 0;
  std::string_view title;
  std::string_view desc;
  std::string_view category;
  std::string_view episode;
  std::string_view icon;  // the address of its picture
};

// How a programme is stored: its times in UTC as the guide gave them
// (stop computed where the guide had none) and its texts in the store's
// pool.
struct StoredProgramme {
  int64_t start = 0;
  int64_t stop = 0;
  uint32_t title = 0;
  uint32_t desc = 0;
  uint32_t category = 0;
  uint32_t episode = 0;
  uint32_t icon = 0;
};

}  // namespace tembra
