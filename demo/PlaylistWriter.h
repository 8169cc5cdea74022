#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "DemoData.h"

namespace tembra {

// The line-up as an extended M3U playlist: the catalogue's groups and
// channels in its order, each with the plain address of its stream, the
// XMLTV guide named in the header. Written piece by piece, as a large
// line-up runs to megabytes.
//
// Some entries are made the way real playlists have them: every tenth
// channel (the fourth, the fourteenth, ...) has no tvg-id and is found in
// the guide by its name only, and the second channel's tvg-name holds a
// comma, which a reader must not take for the start of the title. Most
// channels offer catch-up, in one of several modes (CatchupOf).
class PlaylistWriter {
 public:
  // base: where the service was reached, e.g. "http://127.0.0.1:8090/".
  PlaylistWriter(const DemoData& data, std::string base, bool crlf);

  // The provider account whose /timeshift/ addresses the "xc" entries name.
  void setAccount(std::string user, std::string password);

  // Appends the next piece to out; false once everything was written.
  bool Next(std::string& out);

  // False for the channels that go without a tvg-id.
  static bool HasGuideId(size_t index) { return index % 10 != 3; }
  // How the channel at index declares its archive: every sixth channel
  // from the first in each of the modes that a plain /stream/ID address
  // allows (default, append, shift, xc through its template), from the
  // thirtieth on every sixth also in the flussonic mode, whose address is
  // /fs/ID/mpegts (the first kPlainChannels keep the catalogue's own
  // addresses, so a small line-up is the catalogue's), the others without
  // one.
  enum class Catchup { None, Default, Append, Shift, Xc, Flussonic };
  static constexpr size_t kPlainChannels = 24;
  static Catchup CatchupOf(size_t index);
  static bool HasCatchup(size_t index) { return CatchupOf(index) != Catchup::None; }
  // Where the channel at index streams live, after the service's base:
  // "stream/ID", or "fs/ID/mpegts" for a flussonic channel.
  static std::string StreamPath(size_t index, const std::string& id);
  static constexpr int kCatchupDays = 3;
  // What tvg-name says for the channel at index.
  static std::string GuideName(size_t index, const DemoChannel& channel);

 private:
  void line(std::string& out, std::string_view text) const;

  const DemoData& data_;
  std::string base_;
  std::string user_ = "demo", password_ = "demo";
  bool crlf_;
  size_t next_ = 0;
  bool started_ = false;
};

}  // namespace tembra
