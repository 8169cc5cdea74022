#include "ProgrammeSchedule.h"

#include <algorithm>
#include <iterator>

#include "Rng.h"

namespace tembra {

namespace {

constexpr const char* kAdjectives[] = {
    "Silent", "Golden", "Hidden", "Wild",  "Last",   "Midnight", "Bright", "Lost",
    "Secret", "Brave",  "Royal",  "Urban", "Ancient", "Electric", "Quiet", "Spicy"};
constexpr const char* kNouns[] = {
    "River",   "Kitchen", "Garden", "Journey", "Market", "Island", "Harbour", "Express",
    "Village", "Station", "Planet", "Circus",  "Orchard", "Monsoon", "Bazaar", "Frontier"};
constexpr const char* kShows[] = {
    "Morning News",  "Evening News",   "Weather Watch", "Cricket Today", "Market Report",
    "Kids Corner",   "Film Club",      "Music Box",     "Travel Diaries", "Cook & Share",
    "Science Hour",  "Talk Tonight",   "Health Matters", "Quiz Time",     "Late Movie",
    "Folk Tales",    "Tech Talk",      "Wildlife Week", "Comedy Night",  "Classic Songs"};

template <size_t N>
const char* pick(const char* const (&list)[N], Rng& rng) {
  return list[rng.below(N)];
}

std::string makeTitle(Rng& rng) {
  switch (rng.below(5)) {
    case 0:
      return std::string("The ") + pick(kAdjectives, rng) + " " + pick(kNouns, rng);
    case 1:
      return std::string(pick(kShows, rng));
    case 2:
      return std::string(pick(kShows, rng)) + " (Ep. " + std::to_string(1 + rng.below(120)) + ")";
    case 3:
      return std::string(pick(kNouns, rng)) + " Stories";
    default:
      return std::string(pick(kAdjectives, rng)) + " " + pick(kNouns, rng) + ", Part " +
             std::to_string(1 + rng.below(4));
  }
}

}  // namespace

// Start times are count - 1 distinct cut points on a grid of 5 minutes
// (1 minute when more programmes are asked for than 5-minute slots exist),
// drawn by selection sampling so that the cost is bounded by the grid.
std::vector<Programme> ProgrammeSchedule::ForDay(uint64_t seed, std::string_view channelId,
                                                 const CivilDate& date, uint32_t count) {
  std::string key = std::string(channelId) + "@" + date.Text();
  Rng rng(Rng::hash(key, seed));
  if (count == 0) count = 16 + rng.below(17);
  count = std::clamp<uint32_t>(count, 1, 1440);
  const uint32_t grid = count <= kDaySeconds / 300 ? 300 : 60;
  const uint32_t slots = kDaySeconds / grid;

  std::vector<uint32_t> starts{0};
  starts.reserve(count);
  uint32_t needed = count - 1;
  for (uint32_t t = 1; t < slots && needed > 0; ++t) {
    uint32_t remaining = slots - t;
    if (rng.below(remaining) < needed) {
      starts.push_back(t * grid);
      --needed;
    }
  }

  std::vector<Programme> programmes;
  programmes.reserve(starts.size());
  for (size_t i = 0; i < starts.size(); ++i) {
    Programme p;
    p.title = makeTitle(rng);
    p.start = starts[i];
    p.end = i + 1 < starts.size() ? starts[i + 1] : kDaySeconds;
    programmes.push_back(std::move(p));
  }
  return programmes;
}

}  // namespace tembra
