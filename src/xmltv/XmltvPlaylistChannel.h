#pragma once
#include <string>

namespace tembra {

// What the guide loader needs of a playlist channel to find its guide
// channel (all UTF-8).
struct XmltvPlaylistChannel {
  std::string tvgId;
  std::string tvgName;
  std::string name;
  // Hours added to the guide's times for this channel (fractional,
  // negative allowed).
  double shift = 0;
};

}  // namespace tembra
