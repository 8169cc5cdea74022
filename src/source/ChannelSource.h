#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

class GuideSource;
class OperatorExtras;
class MessageTarget;

struct SourceGroup {
  std::u16string id;
  std::u16string name;
};

// One channel as the window lists it. id is unique within the source and
// names the channel's rows in every list.
struct SourceChannel {
  std::u16string id;
  std::u16string name;
  std::u16string groupId;  // the first group; empty for none
  std::optional<int> number;
  std::string logo;  // URL, empty for none
  // How many days back past programmes can be played; none: the channel
  // has no catch-up; 0: it has, for a span it does not say.
  std::optional<int> catchupDays;
};
using SourceChannelRef = std::shared_ptr<const SourceChannel>;

// What the player needs to open a channel.
struct StreamRequest {
  std::u16string address;  // as the source gives it; the window checks it before playing
  std::u16string name;     // the channel's name, for the player's title
  std::string userAgent;   // empty: the player's own
  std::string referrer;    // empty: none
};

// Where the window's channels, guide and operator services come from: the
// operator's own service, or a playlist with its guides. The window sees
// only this, on its GUI thread; what a source loads over the network runs on
// threads the source owns and reports to the window by message.
class ChannelSource {
 public:
  static constexpr std::u16string_view kAllGroups = u"-1";

  virtual ~ChannelSource() = default;

  // The start-up's blocking steps, run on a worker while the splash shows.
  // load gets the catalogue (or what a cache holds of it) and arranges for
  // later loads to end with `message` posted to target (wParam, lParam 0).
  virtual void load(MessageTarget* target, uint32_t message) = 0;
  // Makes the guide, if the source has one; its downloads report to target.
  virtual void createGuide(MessageTarget* target) = 0;

  // 1 while a catalogue is held, 0 while none is (the window counts down
  // and retries refresh()).
  virtual int catalogueLoaded() const = 0;
  virtual std::vector<SourceGroup> groups() const = 0;
  // The channels of one group, or of every group for kAllGroups, in order.
  virtual std::vector<SourceChannelRef> channels(std::u16string_view groupId) const = 0;
  virtual SourceChannelRef findChannel(std::u16string_view id) const = 0;
  virtual std::optional<StreamRequest> streamFor(std::u16string_view id) const = 0;
  // What plays the channel's programme from start to stop (UTC seconds);
  // nothing when the channel has no catch-up.
  virtual std::optional<StreamRequest> catchupFor(std::u16string_view id, int64_t start, int64_t stop) const {
    return std::nullopt;
  }
  // Loads the catalogue again in the background; its end posts the message
  // given to load. A refresh asked for while one runs is dropped. False
  // when no load could be started at all (the window counts down again).
  virtual bool refresh() = 0;
  // The window took a finished load's message.
  virtual void catalogueArrived() = 0;

  // Null until createGuide, or for a source without a guide.
  virtual GuideSource* guide() = 0;
  // Statistics, notices, ads and the plan entry: only the operator has them.
  virtual OperatorExtras* operatorExtras() { return nullptr; }

  // A line for the viewer about the catalogue (from the cache, a failed
  // download with its reason); empty when there is nothing to say.
  virtual std::u16string statusText() const { return {}; }
};

}  // namespace tembra
