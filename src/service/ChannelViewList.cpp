#include "service/ChannelViewList.h"

namespace tembra {

void ChannelViewList::Merge(const ChannelCatalogue& catalogue) {
  for (const auto& channel : catalogue.channels())
    if (names_.insert(channel->name).second) items_.push_back(channel);
}

}  // namespace tembra
