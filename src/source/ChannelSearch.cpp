#include "source/ChannelSearch.h"

#include <cstring>

#include "source/SearchFold.h"

namespace tembra {

namespace {

constexpr char kFieldEnd = '\x1f';
constexpr char kEntryEnd = '\x1e';

std::vector<std::string_view> wordsOf(std::string_view text) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == ' ') ++at;
    const size_t end = text.find(' ', at);
    const size_t stop = end == std::string_view::npos ? text.size() : end;
    if (stop > at) words.push_back(text.substr(at, stop - at));
    at = stop;
  }
  return words;
}

bool contains(std::string_view haystack, std::string_view word) {
  return ::memmem(haystack.data(), haystack.size(), word.data(), word.size()) != nullptr;
}

std::optional<int> numberOf(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

void ChannelSearch::build(const std::vector<Entry>& entries) {
  buffer_.clear();
  offsets_.clear();
  nameEnds_.clear();
  numbers_.clear();
  typed_.clear();
  offsets_.reserve(entries.size() + 1);
  nameEnds_.reserve(entries.size());
  numbers_.reserve(entries.size());
  size_t chars = 0;
  for (const Entry& e : entries) chars += e.name.size() + e.group.size() + 16;
  buffer_.reserve(chars);
  for (const Entry& e : entries) {
    const size_t start = buffer_.size();
    offsets_.push_back(static_cast<uint32_t>(start));
    SearchFold::append(buffer_, e.name);
    nameEnds_.push_back(static_cast<uint32_t>(buffer_.size() - start));
    buffer_.push_back(kFieldEnd);
    if (e.number) buffer_ += std::to_string(*e.number);
    buffer_.push_back(kFieldEnd);
    SearchFold::append(buffer_, e.group);
    buffer_.push_back(kEntryEnd);
    numbers_.push_back(e.number);
  }
  offsets_.push_back(static_cast<uint32_t>(buffer_.size()));
}

// One pass over the whole buffer: after a hit the rest of that channel's
// fields are skipped.
std::vector<uint32_t> ChannelSearch::scanAll(std::string_view word) const {
  std::vector<uint32_t> out;
  const char* const begin = buffer_.data();
  const char* at = begin;
  const char* const end = begin + buffer_.size();
  uint32_t entry = 0;
  const uint32_t count = static_cast<uint32_t>(numbers_.size());
  while (at < end) {
    const void* hit = ::memmem(at, static_cast<size_t>(end - at), word.data(), word.size());
    if (hit == nullptr) break;
    const auto offset = static_cast<uint32_t>(static_cast<const char*>(hit) - begin);
    while (entry + 1 < count && offsets_[entry + 1] <= offset) ++entry;
    out.push_back(entry);
    at = begin + offsets_[entry + 1];
  }
  return out;
}

std::vector<uint32_t> ChannelSearch::find(std::u16string_view query) {
  if (query.size() > kMaxQueryChars) query = query.substr(0, kMaxQueryChars);
  std::string folded = SearchFold::fold(query);
  while (!folded.empty() && folded.back() == ' ') folded.pop_back();
  size_t lead = 0;
  while (lead < folded.size() && folded[lead] == ' ') ++lead;
  folded.erase(0, lead);
  const std::vector<std::string_view> words = wordsOf(folded);
  if (words.empty() || numbers_.empty()) {
    typed_.clear();
    return {};
  }

  while (!typed_.empty() && folded.compare(0, typed_.back().query.size(), typed_.back().query) != 0) typed_.pop_back();
  std::vector<uint32_t> matches;
  if (!typed_.empty() && typed_.back().query == folded) {
    matches = typed_.back().matches;
  } else if (!typed_.empty()) {
    // A query that only adds to an earlier one can only lose matches.
    matches.reserve(typed_.back().matches.size());
    for (uint32_t i : typed_.back().matches) {
      const std::string_view h = haystack(i);
      bool all = true;
      for (std::string_view w : words) all = all && contains(h, w);
      if (all) matches.push_back(i);
    }
  } else {
    matches = scanAll(words.front());
    if (words.size() > 1) {
      std::erase_if(matches, [&](uint32_t i) {
        const std::string_view h = haystack(i);
        for (size_t w = 1; w < words.size(); ++w)
          if (!contains(h, words[w])) return true;
        return false;
      });
    }
  }
  if (typed_.empty() || typed_.back().query != folded) {
    if (typed_.size() == kKeptQueries) typed_.erase(typed_.begin());
    typed_.push_back({folded, matches});
  }

  const std::optional<int> number = numberOf(folded);
  std::vector<uint32_t> ranked;
  ranked.reserve(matches.size());
  std::vector<uint32_t> rest;
  rest.reserve(matches.size());
  if (number) {
    for (uint32_t i : matches)
      if (numbers_[i] == number) ranked.push_back(i);
  }
  for (uint32_t i : matches) {
    if (number && numbers_[i] == number) continue;
    const std::string_view h = haystack(i);
    if (nameEnds_[i] >= folded.size() && h.compare(0, folded.size(), folded) == 0) ranked.push_back(i);
    else rest.push_back(i);
  }
  ranked.insert(ranked.end(), rest.begin(), rest.end());
  return ranked;
}

}  // namespace tembra
