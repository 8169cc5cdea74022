#pragma once
// One line per channel, "key=value" for every field that is set, so that a
// table row states a channel completely: a field nobody expected shows up.
#include <string>
#include <vector>

#include "playlist/JsonWriter.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistParser.h"

namespace tembra::playlisttest {

inline std::string number(double value) {
  std::string out;
  JsonWriter::appendNumber(out, value);
  return out;
}

inline std::string describe(const PlaylistChannel& c) {
  std::string s = "name=" + c.name + " url=" + c.url;
  const auto add = [&s](const char* key, const std::string& value) {
    if (!value.empty()) s += std::string(" ") + key + "=" + value;
  };
  std::string groups;
  for (const std::string& g : c.groups) groups += (groups.empty() ? "" : ";") + g;
  add("groups", groups);
  add("tvgId", c.tvgId);
  add("tvgName", c.tvgName);
  add("logo", c.logo);
  if (c.number) add("number", std::to_string(*c.number));
  if (c.shift != 0) add("shift", number(c.shift));
  add("userAgent", c.userAgent);
  add("referrer", c.referrer);
  add("catchup", c.catchup);
  add("catchupSource", c.catchupSource);
  if (c.catchupDays) add("catchupDays", std::to_string(*c.catchupDays));
  if (c.catchupCorrection) add("catchupCorrection", number(*c.catchupCorrection));
  return s;
}

inline std::vector<std::string> describe(const Playlist& playlist) {
  std::vector<std::string> lines;
  for (const PlaylistChannel& c : playlist.channels) lines.push_back(describe(c));
  return lines;
}

inline std::string joined(const std::vector<std::string>& items) {
  std::string s;
  for (const std::string& item : items) s += (s.empty() ? "" : " ") + item;
  return s;
}

}  // namespace tembra::playlisttest
