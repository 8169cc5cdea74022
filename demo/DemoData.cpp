#include "DemoData.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <unordered_map>

#include "Rng.h"

namespace tembra {

namespace {

constexpr uint32_t kFirstChannelId = 10001;
constexpr uint32_t kFirstExtraId = 900001;

// Some names carry characters that must be escaped in XML or that are not
// ASCII, so that clients meet them in every demo run.
constexpr const char* kGroupNames[] = {
    "News",      "Sports",        "Movies",  "Kids",     "Music",    "Documentary",
    "Regional",  "Arts & Culture", "Lifestyle", "Comedy", "Science", "Cinéma du Monde",
    "Devotional", "Business",     "Travel",  "संगीत"};

constexpr const char* kBrands[] = {
    "Tarang", "Saaz",  "Kiran",  "Nila",   "Mayur",  "Aakash", "Prabhat", "Sagar",
    "Indra",  "Veda",  "Chitra", "Amber",  "Orbit",  "Nova",   "Meridian", "Harbour",
    "Zenith", "Lotus", "Falcon", "Summit", "Café",   "संगम",   "Ganga",   "Pioneer"};

constexpr const char* kKinds[] = {"TV",    "One",   "Live",  "Plus",   "HD",   "24",
                                  "Gold",  "Prime", "Max",   "Select", "Star", "World",
                                  "News",  "Films", "Beats", "Junior", "Now",  "Classic"};

constexpr const char* kLanguages[] = {"hi", "en", "ta", "te", "bn", "mr", "kn", "ml"};

template <size_t N>
const char* pick(const char* const (&list)[N], Rng& rng) {
  return list[rng.below(N)];
}

}  // namespace

DemoData::DemoData(const DemoOptions& options)
    : seed_(options.seed), programmesPerDay_(options.programmesPerDay) {
  Rng rng(Rng::mix(options.seed ^ 0x7E3B4A11));
  groups_.reserve(options.groups);
  for (uint32_t g = 0; g < options.groups; ++g) {
    DemoGroup group;
    group.id = std::to_string(g + 1);
    group.name = g < std::size(kGroupNames) ? kGroupNames[g] : "Group " + std::to_string(g + 1);
    group.type = std::to_string(1 + rng.below(2));
    group.deploy = static_cast<int>(rng.below(2));
    groups_.push_back(std::move(group));
  }

  const uint64_t total = static_cast<uint64_t>(options.groups) * options.channelsPerGroup;
  channels_.reserve(total);
  std::unordered_map<std::string, uint32_t> used;
  std::vector<std::string> firstGroupNames;
  for (uint32_t g = 0; g < options.groups; ++g) {
    const char* groupLanguage = kLanguages[rng.below(std::size(kLanguages))];
    for (uint32_t c = 0; c < options.channelsPerGroup; ++c) {
      DemoChannel channel;
      channel.group = g;
      channel.id = std::to_string(kFirstChannelId + channels_.size());
      channel.language = rng.below(4) == 0 ? pick(kLanguages, rng) : groupLanguage;
      channel.status = rng.below(10) == 0 ? "0" : "1";
      channel.vip = rng.below(6) == 0 ? 1 : 0;
      if (options.duplicateNames && g > 0) {
        channel.name = firstGroupNames[c];
      } else {
        // A repeated brand and kind gets a number ("Nova HD 2"). Brands and
        // kinds are single words, so a numbered name has one word more than
        // any plain one and the two never meet.
        std::string name = std::string(pick(kBrands, rng)) + " " + pick(kKinds, rng);
        uint32_t seen = used[name]++;
        channel.name = seen == 0 ? name : name + " " + std::to_string(seen + 1);
        if (g == 0) firstGroupNames.push_back(channel.name);
      }
      channels_.push_back(std::move(channel));
    }
  }

  size_t listed = channels_.size() - std::min<size_t>(channels_.size(), options.missingFromGuide);
  guideChannels_.reserve(listed + options.guideExtra);
  for (size_t i = 0; i < listed; ++i) guideChannels_.push_back({channels_[i].id, channels_[i].name});
  for (uint32_t e = 0; e < options.guideExtra; ++e)
    guideChannels_.push_back({std::to_string(kFirstExtraId + e), "Guide Only " + std::to_string(e + 1)});
}

const DemoChannel* DemoData::FindChannel(std::string_view id) const {
  uint32_t n = 0;
  auto [end, ec] = std::from_chars(id.data(), id.data() + id.size(), n);
  if (ec != std::errc() || end != id.data() + id.size() || n < kFirstChannelId) return nullptr;
  size_t index = n - kFirstChannelId;
  if (index >= channels_.size() || channels_[index].id != id) return nullptr;
  return &channels_[index];
}

}  // namespace tembra
