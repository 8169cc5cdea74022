#pragma once
#include <string>
#include <vector>

#include "guide/GuideEntry.h"

namespace tembra {

// One channel's programmes for one day (a tv element of a reply).
struct GuideChannelDay {
  std::u16string id;                // compared with the catalogue's channel ids
  std::u16string name;              // tvname; empty when absent
  std::vector<GuideEntry> entries;  // file order, never sorted
  // Day of month of the guide's creation plus the day index, "%02d", with
  // no wrap at a month's end ("32", "33"): the time keys are built on it.
  std::u16string dayKey;

  bool operator==(const GuideChannelDay&) const = default;
};

}  // namespace tembra
