#pragma once
#include <QString>
#include <QVariantMap>
#include <string>

namespace tembra {

// What plays, as the desktop's media controls are told it.
struct NowPlaying {
  std::u16string channelId;  // empty: nothing plays
  std::u16string name;
  std::u16string group;
  std::u16string programme;  // on now, when the guide knows it
  std::string logoFile;      // a cached logo on this machine; empty for none
};

// The MPRIS Metadata map of a channel: its name as the title, its group as
// the album, the programme on now as the one artist, its logo as the art
// and an object path of its own as the track id.
class MprisMetadata {
 public:
  // The track id MPRIS reserves for "nothing".
  static constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

  static QVariantMap Build(const NowPlaying& now);
  // An object path per channel id: letters and digits as they are, every
  // other byte of its UTF-8 as _XX, so any id gives a valid, distinct path.
  static QString TrackPath(const std::u16string& channelId);
};

}  // namespace tembra
