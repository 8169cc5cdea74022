// Channel search speed: the filter the window runs on every keystroke of
// the search field, over 100,000 channels, against a plain case-sensitive
// substring scan of the channels' names run over the same channels and the
// same keystrokes in the same process. The filter does more (folding,
// three fields, words, ranking), so it may take up to three times the
// plain scan; the worst single keystroke must also stay within a frame
// (16 ms) on its own.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "source/ChannelSearch.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kChannels = 100000;
constexpr int kRounds = 5;

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

struct Line {
  std::vector<std::u16string> names;
  std::vector<std::u16string> groups;
  std::vector<int> groupOf;
};

// Names like a large provider's: a brand, a region, a suffix, some accents.
Line makeLine() {
  const std::vector<std::u16string> brands = {u"Sky", u"BBC", u"Canal+", u"Télé", u"Eurosport", u"Discovery",
                                              u"Rai", u"ZDF", u"Movistar", u"Nickelodeon", u"Fox", u"Café TV",
                                              u"Deportes", u"Música", u"História", u"Kino Polska"};
  const std::vector<std::u16string> regions = {u"UK", u"FR", u"DE", u"ES", u"IT", u"PL", u"PT", u"US", u"NL", u"SE"};
  const std::vector<std::u16string> suffixes = {u"", u" HD", u" FHD", u" 4K", u" +1", u" Sport", u" News", u" Kids"};
  Line line;
  for (int g = 0; g < 200; ++g) line.groups.push_back(regions[g % regions.size()] + u" | Groupe " + std::u16string(1, char16_t(u'A' + g % 26)) + std::u16string(1, char16_t(u'a' + g / 26)));
  std::mt19937 random(7);
  for (int i = 0; i < kChannels; ++i) {
    std::u16string n = regions[random() % regions.size()] + u": " + brands[random() % brands.size()] + u" ";
    n += std::u16string(1, char16_t(u'A' + random() % 26)) + std::u16string(1, char16_t(u'a' + random() % 26));
    n += std::u16string(1, char16_t(u'0' + random() % 10)) + suffixes[random() % suffixes.size()];
    line.names.push_back(std::move(n));
    line.groupOf.push_back(static_cast<int>(random() % line.groups.size()));
  }
  return line;
}

// What a viewer types, keystroke by keystroke.
std::vector<std::u16string> keystrokes() {
  std::vector<std::u16string> out;
  for (const std::u16string word : {u"eurosport hd", u"tele", u"sky sp", u"café", u"1234", u"de: rai"}) {
    for (size_t n = 1; n <= word.size(); ++n) out.push_back(word.substr(0, n));
    for (size_t n = word.size(); n-- > 1;) out.push_back(word.substr(0, n));  // erased again
  }
  return out;
}

size_t linearScan(const Line& line, const std::u16string& query) {
  size_t found = 0;
  for (const std::u16string& name : line.names)
    if (name.find(query) != std::u16string::npos) ++found;
  return found;
}

}  // namespace

int main() {
  const Line line = makeLine();
  std::vector<tembra::ChannelSearch::Entry> entries;
  entries.reserve(kChannels);
  for (int i = 0; i < kChannels; ++i)
    entries.push_back({line.names[i], i + 1, line.groups[line.groupOf[i]]});
  const auto builtAt = Clock::now();
  tembra::ChannelSearch index;
  index.build(entries);
  const double buildMs = ms(builtAt, Clock::now());
  const std::vector<std::u16string> typed = keystrokes();

  // Warm-up: the first touch of fresh memory is slow on these machines.
  size_t sink = 0;
  for (const auto& q : typed) sink += index.find(q).size() + linearScan(line, q);

  // Each keystroke's time is its best of the rounds, so what is measured is
  // the work, not another process taking the CPU meanwhile; likewise the
  // totals.
  double searchTotal = 1e300, scanTotal = 1e300;
  std::vector<double> keyBest(typed.size(), 1e300);
  for (int round = 0; round < kRounds; ++round) {
    double total = 0;
    for (size_t k = 0; k < typed.size(); ++k) {
      const auto a = Clock::now();
      sink += index.find(typed[k]).size();
      const double t = ms(a, Clock::now());
      total += t;
      keyBest[k] = std::min(keyBest[k], t);
    }
    searchTotal = std::min(searchTotal, total);
    total = 0;
    for (const auto& q : typed) {
      const auto a = Clock::now();
      sink += linearScan(line, q);
      total += ms(a, Clock::now());
    }
    scanTotal = std::min(scanTotal, total);
  }
  const size_t worst = static_cast<size_t>(std::max_element(keyBest.begin(), keyBest.end()) - keyBest.begin());
  const double worstKey = keyBest[worst];
  const std::u16string& worstQuery = typed[worst];
  std::printf("channels %d, keystrokes %zu, index built in %.1f ms (checksum %zu)\n", kChannels, typed.size(), buildMs,
              sink);
  std::printf("search: %.2f ms for all keystrokes; plain case-sensitive name scan: %.2f ms\n", searchTotal, scanTotal);
  std::printf("worst keystroke filter at %d channels: %.2f ms for \"%s\" (goal <= 16 ms)\n", kChannels, worstKey,
              std::string(worstQuery.begin(), worstQuery.end()).c_str());
  std::printf("ratio search_worst_keystroke_vs_16ms %.3f goal 1\n", worstKey / 16.0);
  std::printf("ratio search_vs_linear_scan %.3f goal 3\n", searchTotal / scanTotal);
  return 0;
}
