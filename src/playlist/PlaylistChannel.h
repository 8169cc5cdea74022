#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tembra {

// One playable entry of an extended M3U playlist. Texts are UTF-8; absent
// texts are empty.
struct PlaylistChannel {
  std::string name, url;  // url without its |options part, made absolute
  std::vector<std::string> groups;  // none: the channel is in "All channels" only
  std::string tvgId, tvgName, logo;
  std::optional<int> number;  // tvg-chno
  double shift = 0;           // hours (tvg-shift, else the header's tvg-shift)
  std::string userAgent, referrer;
  std::string catchup, catchupSource;
  std::optional<int> catchupDays;
  std::optional<double> catchupCorrection;  // hours (the channel's, else the header's)
};

}  // namespace tembra
