#include "mainwnd/ListMarker.h"

namespace tembra {

const ListMarker& ListMarker::ChannelListPlayed() {
  static constexpr ListMarker m{u"frame_channel_item_play.bmp", {0, 0, 99, 29}};
  return m;
}

const ListMarker& ListMarker::ChannelListFromGuide() {
  static constexpr ListMarker m{u"frame_channel_playing_bk.png", {3, 10, 12, 19}};
  return m;
}

const ListMarker& ListMarker::PlayingListFromChannels() {
  static constexpr ListMarker m{u"frame_listitem_playing_bk.png", {3, 8, 10, 15}};
  return m;
}

const ListMarker& ListMarker::PlayingListPlayed() {
  static constexpr ListMarker m{u"frame_listitem_playing_bk.png", {3, 10, 10, 17}};
  return m;
}

const ListMarker& ListMarker::ArchivePlayable() {
  static constexpr ListMarker m{u"frame_listitem_archive.png", {2, 10, 9, 19}};
  return m;
}

}  // namespace tembra
