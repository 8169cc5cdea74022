#include "mainwnd/MainLayout.h"

namespace tembra {

MainLayout MainLayout::compute(int W, int H, const WindowState& s, int guidePage, int switchPage) {
  const int T = s.captionHeight, B = s.borderWidth, G = s.splitterWidth, M = s.listMargin;
  const int P = s.panelWidth, A = s.adHeight, L = s.listWidth;
  const int e = W - P - B - G;  // right edge of the player area
  const int x0 = e + 6;         // left edge of the panel
  const int y0 = T + 30;
  const int b0 = H - B - A;  // bottom of the panel's lists
  const int xL = x0 + L + 2 * M;  // right edge of the list column
  const int mid = (H - B) / 2;

  MainLayout out;
  auto& c = out.controls_;
  c.reserve(22);
  c.emplace_back("frameWnd", PixelRect{0, T, W, H});
  c.emplace_back("listcontrol", PixelRect{e, T, e + G, H - B});
  c.emplace_back("hidebtn", PixelRect{e, mid, e + 6, mid + 9});
  c.emplace_back("showbtn", PixelRect{e, mid, e + 6, mid + 9});
  c.emplace_back("infolayout", PixelRect{x0, T, W - B, H - B});
  c.emplace_back("channellayout", PixelRect{x0, y0, W - B, b0});
  c.emplace_back("tvlayout", PixelRect{x0, y0, W - B, b0});
  c.emplace_back("listlayout", PixelRect{x0, y0, xL, b0});
  c.emplace_back("channelsearch", PixelRect{x0 + M, T + 36, xL - M, T + 60});
  c.emplace_back("pgupbtn", PixelRect{x0 + 45, T + 64, x0 + 60, T + 72});
  c.emplace_back("channellist", PixelRect{x0 + M, T + 76, xL - M, b0 - 14});
  c.emplace_back("pgdnbtn", PixelRect{x0 + 45, b0 - 10, x0 + 60, b0 - 2});
  c.emplace_back("tvsepline", PixelRect{xL, y0 + 1, xL + 1, b0});
  c.emplace_back("guidetab", PixelRect{xL + 1, y0 + 1, W - B, b0});
  c.emplace_back("tvguidelayout", PixelRect{xL + 1, y0 + 1, W - B, b0});
  c.emplace_back("tvswitch", PixelRect{xL + 1, y0 + 76, W - B, b0});
  for (const char* day : {"firstdaylist", "seconddaylist", "thirddaylist"})
    c.emplace_back(day, PixelRect{xL + 1, y0 + 80, W - B, b0});
  for (const char* list : {"playinglist", "playlist"})
    c.emplace_back(list, PixelRect{xL + 1, y0 + 5, W - B, b0});
  c.emplace_back("iewnd", PixelRect{x0 + 2, b0, W - B, b0 + A});

  out.player_ = PixelRect{B, T, e, H - B};
  if (auto list = guideListOnShow(guidePage, switchPage)) {
    if (auto rect = out.rectOf(*list)) out.guide_ = guideIndicator(*list, *rect);
  }
  out.list_ = listIndicator(*out.rectOf("listlayout"));
  return out;
}

std::optional<std::string> MainLayout::guideListOnShow(int guidePage, int switchPage) {
  switch (guidePage) {
    case 1:
      return "playinglist";
    case 2:
      return "playlist";
    case 0:
      switch (switchPage) {
        case 0:
          return "firstdaylist";
        case 1:
          return "seconddaylist";
        case 2:
          return "thirddaylist";
      }
      return std::nullopt;
  }
  return std::nullopt;
}

GuideIndicatorPlacement MainLayout::guideIndicator(std::string list, const PixelRect& r) {
  const int x = r.left + (r.width() - 100) / 2;
  const int y = r.top + (r.height() - 99) / 2;
  return {std::move(list), PixelRect{x, y, x + 100, y + 99}, PixelRect::at(x - 30, y + 39, 160, 20),
          PixelRect{x, y + 29, x + 130, y + 59}};
}

ListIndicatorPlacement MainLayout::listIndicator(const PixelRect& r) {
  const int x = r.left + (r.width() - 100) / 2;
  const int y = r.top + (r.height() - 99) / 2;
  return {PixelRect{x, y, x + 100, y + 99}, PixelRect::at(x + 4, y + 31, 91, 37)};
}

PixelRect MainLayout::retryPicture(const PixelRect& r) {
  return PixelRect::at(r.left + (r.width() - 89) / 2, r.top + (r.height() - 76) / 2, 89, 76);
}

std::optional<PixelRect> MainLayout::rectOf(std::string_view name) const {
  for (const auto& [n, rect] : controls_)
    if (n == name) return rect;
  return std::nullopt;
}

}  // namespace tembra
