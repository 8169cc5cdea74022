#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "DemoOptions.h"

namespace tembra {

struct DemoGroup {
  std::string id;
  std::string name;
  std::string type;
  int deploy = 0;
};

struct DemoChannel {
  std::string id;
  std::string name;
  std::string language;
  std::string status;
  int vip = 0;
  uint32_t group = 0;  // index into groups()
};

// A channel as the guide lists it: a catalogue channel or one the guide
// alone knows (--guide-extra).
struct GuideChannel {
  std::string id;
  std::string name;
};

// The generated line-up: groups, channels and the guide's channel list,
// all fixed by the options and the seed. Immutable after construction, so
// request threads read it without a lock.
class DemoData {
 public:
  explicit DemoData(const DemoOptions& options);

  const std::vector<DemoGroup>& groups() const { return groups_; }
  const std::vector<DemoChannel>& channels() const { return channels_; }
  const std::vector<GuideChannel>& guideChannels() const { return guideChannels_; }
  // Null when no catalogue channel has that id.
  const DemoChannel* FindChannel(std::string_view id) const;
  size_t IndexOf(const DemoChannel& channel) const { return &channel - channels_.data(); }

  uint64_t seed() const { return seed_; }
  uint32_t programmesPerDay() const { return programmesPerDay_; }

 private:
  uint64_t seed_;
  uint32_t programmesPerDay_;
  std::vector<DemoGroup> groups_;
  std::vector<DemoChannel> channels_;
  std::vector<GuideChannel> guideChannels_;
};

}  // namespace tembra
