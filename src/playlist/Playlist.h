#pragma once
#include <string>
#include <vector>

#include "playlist/PlaylistChannel.h"

namespace tembra {

struct Playlist {
  std::vector<std::string> guides;  // XMLTV locations named by the header(s), in order, no repeats
  std::vector<std::string> groups;  // in the order they first appear
  std::vector<PlaylistChannel> channels;  // in file order, duplicates kept
  // The channel cap was reached: the entries after it are left out.
  bool truncated = false;
};

}  // namespace tembra
