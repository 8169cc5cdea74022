#pragma once
#include <string>
#include <string_view>

namespace tembra {

// What the channel side hands the player for a channel's decoded address.
//
// A catalogue address that does not decode comes out of the cipher as
// empty or meaningless text. The player treats an empty address as "stop"
// and would just show its idle page, and meaningless text could name one of
// the player's own special sources (a file descriptor, a filter graph, an
// edit list). So only an address in a stream protocol, or an absolute
// local path, goes to the player; anything else is replaced by an address
// the player is certain to fail on, and its "cannot be opened" text tells
// the viewer the channel is broken.
class StreamAddress {
 public:
  // Non-empty, printable, and "scheme://..." with a stream protocol
  // (http, https, udp, rtp, rtsp, rtmp, srt, mms and their variants, file)
  // or an absolute path.
  static bool IsPlayable(std::u16string_view address);
  // /dev/null is a device file, so no path below it can ever open.
  static std::u16string_view Unopenable() { return u"/dev/null/undecodable-channel"; }
  // The address itself when playable, else Unopenable().
  static std::u16string ForPlayer(std::u16string_view decoded);
};

}  // namespace tembra
