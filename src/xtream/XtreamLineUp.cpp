#include "xtream/XtreamLineUp.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace tembra {

namespace {

bool sameLower(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'A' && x <= 'Z' ? x - 'A' + 'a' : x) == (y >= 'A' && y <= 'Z' ? y - 'A' + 'a' : y);
         });
}

}  // namespace

bool XtreamLineUp::useM3u8(const std::vector<std::string>& formats) {
  const auto has = [&formats](std::string_view name) {
    return std::any_of(formats.begin(), formats.end(), [name](const std::string& f) { return sameLower(f, name); });
  };
  return has("m3u8") && !has("ts");
}

Playlist XtreamLineUp::playlist(const XtreamAccount& account, const std::vector<std::string>& formats,
                                const std::vector<XtreamCategory>& categories,
                                std::vector<XtreamStream> streams) {
  Playlist out;
  out.guides.push_back(account.guideUrl());
  const bool m3u8 = useM3u8(formats);
  // One prefix for every address: the credentials are encoded once.
  const std::string prefix = account.streamUrl("", m3u8);
  const std::string_view live = std::string_view(prefix).substr(0, prefix.rfind('/') + 1);
  const char* extension = m3u8 ? ".m3u8" : ".ts";
  std::unordered_map<std::string_view, std::string_view> names;  // category id -> name; the first one counts
  for (const XtreamCategory& c : categories) names.emplace(c.id, c.name);
  std::unordered_set<std::string_view> used;
  out.channels.reserve(streams.size());
  // The streams' texts move into the channels: a large line-up is not
  // copied twice.
  for (XtreamStream& s : streams) {
    PlaylistChannel& channel = out.channels.emplace_back();
    channel.name = std::move(s.name);
    channel.url.reserve(live.size() + s.streamId.size() + 5);
    channel.url.append(live).append(s.streamId).append(extension);
    const auto category = names.find(s.categoryId);
    if (category != names.end() && !category->second.empty()) {
      channel.groups.emplace_back(category->second);
      used.insert(category->second);
    }
    channel.tvgId = std::move(s.epgId);
    channel.logo = std::move(s.icon);
    channel.number = s.number;
    if (s.archive) {
      channel.catchup = "xc";
      channel.catchupDays = s.archiveDays;
    }
  }
  std::unordered_set<std::string_view> listed;
  for (const XtreamCategory& c : categories)
    if (used.count(c.name) != 0 && listed.insert(c.name).second) out.groups.push_back(c.name);
  return out;
}

}  // namespace tembra
