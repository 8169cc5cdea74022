// An arbitrary M3U text read as a local file and as a download: every
// channel has an address, its groups are among the playlist's, the limits
// hold, and a remote playlist's relative addresses stay on its server.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "FuzzSupport.h"
#include "playlist/PlaylistParser.h"

using tembra::Playlist;
using tembra::PlaylistParser;
using tembra::fuzz::Check;

namespace {

void CheckPlaylist(const Playlist& list, size_t maxChannels, bool remote) {
  Check(list.channels.size() <= maxChannels);
  Check(list.guides.size() <= PlaylistParser::kMaxGuides);
  const std::unordered_set<std::string> groups(list.groups.begin(), list.groups.end());
  Check(groups.size() == list.groups.size());
  for (const auto& channel : list.channels) {
    Check(!channel.url.empty());
    Check(channel.url.find('\n') == std::string::npos && channel.url.find('\r') == std::string::npos);
    for (const auto& group : channel.groups) Check(groups.count(group) == 1);
    if (remote) Check(channel.url[0] != '/');
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = tembra::fuzz::Bytes(data, size);
  const size_t small = 1 + (size % 7);
  CheckPlaylist(PlaylistParser::parse(text, "/home/user/lists/channels.m3u"), PlaylistParser::kMaxChannels, false);
  CheckPlaylist(PlaylistParser::parse(text, "http://example.net:8080/get/list.m3u?u=1"), PlaylistParser::kMaxChannels,
                true);
  const Playlist cut = PlaylistParser::parse(text, "https://example.net/a.m3u", small);
  CheckPlaylist(cut, small, true);
  return 0;
}
