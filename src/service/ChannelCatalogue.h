#pragma once
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "service/ChannelGroup.h"
#include "service/ChannelRecord.h"

namespace tembra {

// One downloaded catalogue, immutable once parsed. A refresh builds a new one
// and swaps it in whole, so a reader never sees a list being rewritten.
class ChannelCatalogue {
 public:
  // Never null. An empty or unusable text gives an empty catalogue.
  static std::shared_ptr<const ChannelCatalogue> Parse(std::u16string_view text);
  static std::shared_ptr<const ChannelCatalogue> Empty();

  const std::vector<ChannelGroup>& groups() const { return groups_; }
  const std::vector<ChannelRef>& channels() const { return channels_; }
  // The parse result: 1 when at least one channel was taken, else 0.
  int loaded() const { return channels_.empty() ? 0 : 1; }

  std::vector<ChannelRef> ChannelsOfGroup(std::u16string_view groupId) const;
  ChannelRef FindChannel(std::u16string_view id) const;  // null when none
  std::optional<ChannelGroup> FindGroupOfChannel(std::u16string_view id) const;

 private:
  std::vector<ChannelGroup> groups_;
  std::vector<ChannelRef> channels_;
};

}  // namespace tembra
