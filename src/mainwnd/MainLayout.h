#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/PixelRect.h"
#include "mainwnd/WindowState.h"

namespace tembra {

// Where the guide's loading indicator goes: "noticeload" and
// "nonoticelist" are skin controls, picture is the animated "GifGuideList"
// (160 x 20). list names the guide list it is centred on; a skin without
// that list places nothing.
struct GuideIndicatorPlacement {
  std::string list;
  PixelRect noticeload;
  PixelRect picture;
  PixelRect nonoticelist;
};

// Where the channel list's loading indicator goes: "listload" and the
// animated "GifTvList" (91 x 37), centred on "listlayout".
struct ListIndicatorPlacement {
  PixelRect listload;
  PixelRect picture;
};

// The main window's pixel layout: one pure computation from the window
// size and the window's fields to the rectangle of every named control it
// places, of the player and of both loading indicators. The window only
// applies it, skipping every control its skin does not have.
//
// The size given is the widget's own size. (The program this one replaces
// laid out one pixel more each way, because its window region excluded the
// right and bottom edge; a widget mask has no such edge.)
class MainLayout {
 public:
  // guidePage is the selected page of "guidetab", switchPage that of
  // "tvswitch"; they choose the guide list the guide indicator is centred on.
  static MainLayout compute(int width, int height, const WindowState& state, int guidePage,
                            int switchPage);

  // The guide list on show: page 1 "playinglist", page 2 "playlist", page 0
  // the day list of the "tvswitch" page (0, 1, 2); nothing for other pages.
  static std::optional<std::string> guideListOnShow(int guidePage, int switchPage);
  // Centres the indicator on a list's rectangle. A list narrower or lower
  // than the indicator gives a negative offset, truncated toward zero.
  static GuideIndicatorPlacement guideIndicator(std::string list, const PixelRect& listRect);
  static ListIndicatorPlacement listIndicator(const PixelRect& listLayout);
  // The loading picture shown while a retry runs: 89 x 76, centred on the
  // rectangle of "listload" or "noticeload".
  static PixelRect retryPicture(const PixelRect& indicator);

  // Controls in placing order, by skin name.
  const std::vector<std::pair<std::string, PixelRect>>& controls() const { return controls_; }
  std::optional<PixelRect> rectOf(std::string_view name) const;
  // The player's window: from the left border to the splitter, from the
  // caption strip to the bottom border.
  const PixelRect& player() const { return player_; }
  const std::optional<GuideIndicatorPlacement>& guideIndicator() const { return guide_; }
  const ListIndicatorPlacement& listIndicator() const { return list_; }

 private:
  std::vector<std::pair<std::string, PixelRect>> controls_;
  PixelRect player_;
  std::optional<GuideIndicatorPlacement> guide_;
  ListIndicatorPlacement list_;
};

}  // namespace tembra
