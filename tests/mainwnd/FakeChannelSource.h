#pragma once
// A channel source over a line-up the test gives it: its groups, its
// channels (each listed under its groupId and under every group), and a
// guide or none. Nothing loads and refresh() always starts; a channel's
// stream is at streamBase + its id, on a port nobody answers, named after
// the channel.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "source/ChannelSource.h"
#include "source/GuideSource.h"

namespace tembra::test {

// A channel of a line-up; what a row does not say stays unset.
inline SourceChannel lineUpChannel(std::u16string id, std::u16string name, std::u16string groupId = {},
                                   std::optional<int> number = std::nullopt) {
  SourceChannel c;
  c.id = std::move(id);
  c.name = std::move(name);
  c.groupId = std::move(groupId);
  c.number = number;
  return c;
}

class FakeChannelSource : public ChannelSource {
 public:
  static constexpr std::u16string_view kStreamBase = u"http://127.0.0.1:1/";

  FakeChannelSource(std::vector<SourceGroup> groups, const std::vector<SourceChannel>& channels,
                    std::shared_ptr<GuideSource> guide = nullptr, std::u16string streamBase = std::u16string(kStreamBase));

  // A new line-up in place of the old, as a refreshed catalogue brings.
  void setChannels(const std::vector<SourceChannel>& channels);

  void load(MessageTarget*, uint32_t) override {}
  void createGuide(MessageTarget*) override {}
  // No channels reads as no catalogue, as before a first load.
  int catalogueLoaded() const override { return channels_.empty() ? 0 : 1; }
  std::vector<SourceGroup> groups() const override { return groups_; }
  std::vector<SourceChannelRef> channels(std::u16string_view groupId) const override;
  SourceChannelRef findChannel(std::u16string_view id) const override;
  std::optional<StreamRequest> streamFor(std::u16string_view id) const override;
  bool refresh() override { return true; }
  void catalogueArrived() override {}
  GuideSource* guide() override { return guide_.get(); }

 private:
  std::vector<SourceGroup> groups_;
  std::vector<SourceChannelRef> channels_;
  std::shared_ptr<GuideSource> guide_;
  std::u16string streamBase_;
};

}  // namespace tembra::test
