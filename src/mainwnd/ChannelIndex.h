#pragma once
#include <QString>
#include <QVector>

#include <string>
#include <unordered_map>
#include <vector>

#include "skin/CListLabelElementUI.h"
#include "source/ChannelSearch.h"
#include "source/ChannelSource.h"

namespace tembra {

class Favourites;

// Every channel of the catalogue ("All channels") as the channel list
// shows it, made once per catalogue: its row (name, number, favourite
// star), its number, and the search index over names, numbers and group
// names. A group's list, a search's matches and the favourites are copies
// of these rows (their texts are shared, not copied).
//
// A channel's number is the source's own (tvg-chno, num) where it has one,
// else its place in "All channels", from 1.
class ChannelIndex {
 public:
  struct RowLimits {
    int maxHeight = 0;
    int maxWidth = 0;
  };

  void rebuild(const ChannelSource& source, const Favourites& favourites, RowLimits limits);
  int size() const { return static_cast<int>(channels_.size()); }
  const SourceChannelRef& channel(int index) const { return channels_[static_cast<size_t>(index)]; }
  const CListLabelElementUI& row(int index) const { return rows_[index]; }
  // Every row, in order (shared, not copied, until one of them changes).
  const QVector<CListLabelElementUI>& rows() const { return rows_; }
  // -1 for a channel not in "All channels".
  int indexOf(std::u16string_view id) const;
  // The first channel with the number, -1 for none.
  int indexOfNumber(int number) const;
  // The row for any channel of the source: its "All channels" row, or one
  // made for it (a channel only in a group).
  CListLabelElementUI rowFor(const SourceChannel& channel, const Favourites& favourites) const;
  void setFavourite(std::u16string_view id, bool on);

  // Indices of the matches of a typed text, best first.
  std::vector<uint32_t> search(const QString& text);

 private:
  CListLabelElementUI makeRow(const SourceChannel& channel, bool favourite) const;

  RowLimits limits_;
  std::vector<SourceChannelRef> channels_;
  QVector<CListLabelElementUI> rows_;
  // Looked up by views of ids, without making a string for each.
  struct IdHash {
    using is_transparent = void;
    size_t operator()(std::u16string_view id) const { return std::hash<std::u16string_view>()(id); }
  };
  std::unordered_map<std::u16string, int, IdHash, std::equal_to<>> byId_;
  std::unordered_map<int, int> byNumber_;
  ChannelSearch search_;
};

}  // namespace tembra
