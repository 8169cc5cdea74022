#pragma once
#include <string>
#include <vector>

#include "playlist/Playlist.h"
#include "xtream/XtreamAccount.h"
#include "xtream/XtreamReply.h"

namespace tembra {

// An account's live line-up as a playlist, so that everything built for
// playlists (the catalogue, the guide, the tool's JSON) serves it too:
// groups named after the categories, in the categories' order; channels in
// the order of the streams reply, a stream of an unknown category in no
// group; the guide is the account's xmltv.php; a stream with an archive
// has catch-up "xc" for tv_archive_duration days.
class XtreamLineUp {
 public:
  static Playlist playlist(const XtreamAccount& account, const std::vector<std::string>& formats,
                           const std::vector<XtreamCategory>& categories, std::vector<XtreamStream> streams);
  // Whether streams are asked for as .m3u8: the allowed formats offer m3u8
  // but not ts (an empty list allows ts).
  static bool useM3u8(const std::vector<std::string>& formats);
};

}  // namespace tembra
