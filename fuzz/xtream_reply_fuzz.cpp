// An arbitrary reply read as each of the account API's answers, and the
// line-up made of it: a stream is only kept with its id and name, ids are
// digits, every channel has an address on the account's server, and its
// groups are among the playlist's.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "FuzzSupport.h"
#include "xtream/XtreamLineUp.h"
#include "xtream/XtreamReplyParser.h"

using tembra::fuzz::Check;
using namespace tembra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = fuzz::Bytes(data, size);
  const auto user = XtreamReplyParser::account(text);
  Check(user.ok() || !user.error.empty());
  if (user.ok()) Check(user.value.formats.size() <= 32);
  const auto categories = XtreamReplyParser::categories(text);
  const auto streams = XtreamReplyParser::streams(text);
  Check(streams.ok() || streams.value.empty());
  for (const XtreamStream& s : streams.value) {
    Check(!s.name.empty() && !s.streamId.empty());
    for (char c : s.streamId) Check(c >= '0' && c <= '9');
  }
  if (!categories.ok() || !streams.ok()) return 0;
  const XtreamAccount account{"http://tv.example:8080", "u ser", "p/w"};
  const Playlist playlist = XtreamLineUp::playlist(account, user.ok() ? user.value.formats : std::vector<std::string>{},
                                                   categories.value, streams.value);
  Check(playlist.channels.size() == streams.value.size());
  const std::unordered_set<std::string> groups(playlist.groups.begin(), playlist.groups.end());
  Check(groups.size() == playlist.groups.size());
  for (const PlaylistChannel& c : playlist.channels) {
    Check(c.url.rfind("http://tv.example:8080/live/u%20ser/p%2Fw/", 0) == 0);
    for (const std::string& g : c.groups) Check(groups.count(g) == 1);
  }
  return 0;
}
