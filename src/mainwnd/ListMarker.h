#pragma once
#include <string_view>

#include "platform/PixelRect.h"

namespace tembra {

// The marks that show the playing channel in "channellist" and
// "playinglist": an image of the skin folder and where it goes inside the
// item (item pixels, right and bottom exclusive). Which one a row gets
// depends on the list the user started the channel from.
struct ListMarker {
  std::u16string_view image;
  PixelRect rect;

  // "channellist" row of a channel double-clicked in "channellist".
  static const ListMarker& ChannelListPlayed();
  // "channellist" row of a channel double-clicked in "playinglist".
  static const ListMarker& ChannelListFromGuide();
  // "playinglist" row of a channel double-clicked in "channellist".
  static const ListMarker& PlayingListFromChannels();
  // "playinglist" row of a channel double-clicked in "playinglist".
  static const ListMarker& PlayingListPlayed();
  // A day-list row whose programme the channel's archive can play.
  static const ListMarker& ArchivePlayable();
};

}  // namespace tembra
