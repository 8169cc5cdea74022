#include "mainwnd/FakeChannelSource.h"

#include <utility>

namespace tembra::test {

FakeChannelSource::FakeChannelSource(std::vector<SourceGroup> groups, const std::vector<SourceChannel>& channels,
                                     std::shared_ptr<GuideSource> guide, std::u16string streamBase)
    : groups_(std::move(groups)), guide_(std::move(guide)), streamBase_(std::move(streamBase)) {
  setChannels(channels);
}

void FakeChannelSource::setChannels(const std::vector<SourceChannel>& channels) {
  channels_.clear();
  for (const SourceChannel& c : channels) channels_.push_back(std::make_shared<const SourceChannel>(c));
}

std::vector<SourceChannelRef> FakeChannelSource::channels(std::u16string_view groupId) const {
  std::vector<SourceChannelRef> out;
  for (const SourceChannelRef& c : channels_)
    if (groupId == kAllGroups || c->groupId == groupId) out.push_back(c);
  return out;
}

SourceChannelRef FakeChannelSource::findChannel(std::u16string_view id) const {
  for (const SourceChannelRef& c : channels_)
    if (c->id == id) return c;
  return nullptr;
}

std::optional<StreamRequest> FakeChannelSource::streamFor(std::u16string_view id) const {
  const SourceChannelRef c = findChannel(id);
  if (!c) return std::nullopt;
  return StreamRequest{streamBase_ + std::u16string(id), c->name, {}, {}};
}

}  // namespace tembra::test
