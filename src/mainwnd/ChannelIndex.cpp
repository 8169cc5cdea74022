#include "mainwnd/ChannelIndex.h"

#include "source/Favourites.h"

namespace tembra {

namespace {

QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

void ChannelIndex::rebuild(const ChannelSource& source, const Favourites& favourites, RowLimits limits) {
  limits_ = limits;
  channels_ = source.channels(ChannelSource::kAllGroups);
  rows_.clear();
  byId_.clear();
  byNumber_.clear();
  rows_.reserve(static_cast<qsizetype>(channels_.size()));
  byId_.reserve(channels_.size());
  std::unordered_map<std::u16string, std::u16string> groupNames;
  for (const SourceGroup& g : source.groups()) groupNames.emplace(g.id, g.name);
  std::unordered_map<std::u16string, bool> favourite;
  for (const Favourites::Channel& f : favourites.favourites()) favourite.emplace(f.id, true);

  std::vector<ChannelSearch::Entry> entries;
  entries.reserve(channels_.size());
  for (size_t i = 0; i < channels_.size(); ++i) {
    const SourceChannel& c = *channels_[i];
    const int number = c.number.value_or(static_cast<int>(i) + 1);
    byId_.emplace(c.id, static_cast<int>(i));
    byNumber_.emplace(number, static_cast<int>(i));
    CListLabelElementUI row = makeRow(c, favourite.count(c.id) != 0);
    row.number = QString::number(number);
    rows_.append(std::move(row));
    auto group = groupNames.find(c.groupId);
    entries.push_back({c.name, number, group != groupNames.end() ? std::u16string_view(group->second) : std::u16string_view()});
  }
  search_.build(entries);
}

int ChannelIndex::indexOf(std::u16string_view id) const {
  auto it = byId_.find(id);
  return it == byId_.end() ? -1 : it->second;
}

int ChannelIndex::indexOfNumber(int number) const {
  auto it = byNumber_.find(number);
  return it == byNumber_.end() ? -1 : it->second;
}

CListLabelElementUI ChannelIndex::rowFor(const SourceChannel& channel, const Favourites& favourites) const {
  if (const int i = indexOf(channel.id); i >= 0) return rows_[i];
  return makeRow(channel, favourites.isFavourite(channel.id));
}

CListLabelElementUI ChannelIndex::makeRow(const SourceChannel& channel, bool favourite) const {
  CListLabelElementUI row;
  row.name = qs(channel.id);
  row.text = qs(channel.name);
  row.tooltip = row.text;
  row.maxHeight = limits_.maxHeight;
  row.maxWidth = limits_.maxWidth;
  if (channel.number) row.number = QString::number(*channel.number);
  row.favourite = favourite;
  return row;
}

void ChannelIndex::setFavourite(std::u16string_view id, bool on) {
  if (const int i = indexOf(id); i >= 0) rows_[i].favourite = on;
}

std::vector<uint32_t> ChannelIndex::search(const QString& text) { return search_.find(text.toStdU16String()); }

}  // namespace tembra
