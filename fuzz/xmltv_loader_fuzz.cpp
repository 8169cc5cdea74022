// An arbitrary guide fed to the XMLTV loader in pieces, for every channel
// and for a playlist's channels: each stored programme starts before it
// stops, and each channel's programmes lie sorted by start.
//
// Input: byte 0 bit 0 chooses a playlist channel list; bytes 1..4 give four
// piece sizes (1..256, used in turn); the rest is the guide.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "xmltv/XmltvLoader.h"
#include "xmltv/XmltvPlaylistChannel.h"
#include "xmltv/XmltvStore.h"
#include "xmltv/XmltvWindow.h"

using tembra::XmltvLoader;
using tembra::XmltvPlaylistChannel;
using tembra::XmltvStore;
using tembra::XmltvWindow;
using tembra::fuzz::Check;

namespace {

// 2024-05-10 00:00 UTC, the day the seeds' programmes fall on.
constexpr int64_t kNow = 1715299200;

std::vector<XmltvPlaylistChannel> Channels() {
  std::vector<XmltvPlaylistChannel> list(4);
  list[0].tvgId = "a";
  list[1].tvgName = "Channel One";
  list[2].name = "B";
  list[2].shift = 1.5;
  list[3].tvgId = "c.example";
  list[3].shift = -2;
  return list;
}

void CheckDays(const XmltvStore& store, size_t g) {
  for (int d = 0; d < XmltvWindow::kDays; ++d) {
    int64_t previous = INT64_MIN;
    for (const auto& p : store.channelDay(g, d)) {
      Check(p.start < p.stop);
      Check(p.start >= previous);
      previous = p.start;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const bool withPlaylist = data[0] & 1;
  const size_t pieces[4] = {1u + data[1], 1u + data[2], 1u + data[3], 1u + data[4]};
  const std::string_view guide = tembra::fuzz::Bytes(data + 5, size - 5);

  auto loader = withPlaylist ? std::make_unique<XmltvLoader>(Channels(), XmltvWindow::around(kNow))
                             : std::make_unique<XmltvLoader>(XmltvWindow::everything(kNow));
  size_t at = 0;
  for (size_t i = 0; at < guide.size(); ++i) {
    const size_t piece = std::min(pieces[i % 4], guide.size() - at);
    if (!loader->feed(guide.substr(at, piece))) break;
    at += piece;
  }
  (void)loader->finishGuide();
  const XmltvStore store = loader->take();
  for (size_t g = 0; g < store.channelCount(); ++g) CheckDays(store, g);
  if (withPlaylist) {
    Check(store.playlistSize() == Channels().size());
    for (size_t p = 0; p < store.playlistSize(); ++p) {
      const int32_t g = store.channelOf(p);
      Check(g >= -1 && g < int32_t(store.channelCount()));
      for (int d = 0; d < XmltvWindow::kDays; ++d)
        for (const auto& programme : store.day(p, d)) Check(programme.start < programme.stop);
    }
  }
  return 0;
}
