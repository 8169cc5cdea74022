#pragma once
#include <string>
#include <unordered_set>
#include <vector>

#include "service/ChannelCatalogue.h"

namespace tembra {

// The all-channels view: the first channel of each name, in catalogue order,
// across every catalogue merged so far. Never emptied: a name seen in an
// earlier load stays represented by its earlier record.
class ChannelViewList {
 public:
  void Merge(const ChannelCatalogue& catalogue);
  const std::vector<ChannelRef>& items() const { return items_; }

 private:
  std::vector<ChannelRef> items_;
  std::unordered_set<std::u16string> names_;
};

}  // namespace tembra
