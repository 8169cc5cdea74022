#pragma once
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

#include "platform/ContentFetch.h"
#include "playlist/PlaylistLoadResult.h"

namespace tembra {

// Fetches a playlist (a file, a file:// URL or an http(s) URL; gzip is
// inflated by the fetch), checks that it is one and parses it with the
// right origin for its relative addresses. Blocks; the stop token ends it.
class PlaylistLoader {
 public:
  static constexpr uint64_t kMaxBytes = uint64_t{256} << 20;  // after inflating

  // The request's size limit is held to kMaxBytes.
  static PlaylistLoadResult load(FetchRequest request, std::stop_token stop = {});

  // Text with an #EXTM3U or #EXTINF line, or a line holding "://". Markup
  // (a web page served in the playlist's place) and binary content are not.
  static bool looksLikePlaylist(std::string_view text);

  // What relative addresses are taken against: a remote location itself,
  // else the absolute folder of the file (links not followed).
  static std::string originOf(std::string_view location);
};

}  // namespace tembra
