#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// Finds channels by what a viewer types: every word of the query must be
// part of the channel's name, number or group name, compared after
// SearchFold (no case, no accents). The matches come in three runs, each
// in the channels' order: the channel whose number is the query, the
// channels whose name starts with it, then the rest.
//
// Built once per catalogue: the folded fields of all channels lie in one
// buffer, so the first keystroke is one pass of memmem over it; a query
// that extends the previous one looks only at the previous matches, and
// one erased back to an earlier query takes that query's matches again.
//
//   ChannelSearch index;
//   index.build(entries);            // name, number, group of each channel
//   std::vector<uint32_t> rows = index.find(u"bbc");
class ChannelSearch {
 public:
  // Longer queries are cut to this many characters.
  static constexpr size_t kMaxQueryChars = 256;
  // How many of the queries typed in a row keep their matches (at most
  // this many lists of every channel's index).
  static constexpr size_t kKeptQueries = 16;

  struct Entry {
    std::u16string_view name;
    std::optional<int> number;
    std::u16string_view group;  // the group's name; empty for none
  };

  void build(const std::vector<Entry>& entries);
  size_t size() const { return numbers_.size(); }

  // Indices into the entries given to build; empty for an empty query.
  std::vector<uint32_t> find(std::u16string_view query);

 private:
  std::string_view haystack(uint32_t i) const {
    return std::string_view(buffer_).substr(offsets_[i], offsets_[i + 1] - offsets_[i]);
  }
  std::vector<uint32_t> scanAll(std::string_view word) const;

  std::string buffer_;              // "name\x1fnumber\x1fgroup\x1e" per channel, folded
  std::vector<uint32_t> offsets_;   // where each channel's fields start; one more at the end
  std::vector<uint32_t> nameEnds_;  // length of each channel's folded name
  std::vector<std::optional<int>> numbers_;
  // The queries typed in a row, each extending the one before, with their
  // matches in the channels' order: the next keystroke narrows the last,
  // an erase goes back to one of them.
  struct Typed {
    std::string query;
    std::vector<uint32_t> matches;
  };
  std::vector<Typed> typed_;
};

}  // namespace tembra
