#pragma once
#include <string>

#include "guide/GuideEntry.h"

namespace tembra {

// One line of a guide list, handed to the window by value.
struct GuideRow {
  std::u16string id;    // channel id
  std::u16string name;  // channel name
  GuideEntry entry;
  // The programme is on now (only guides that know end times say so).
  bool onNow = false;

  bool operator==(const GuideRow&) const = default;
};

}  // namespace tembra
