// The side panel as a viewer with a large window sees it: the splitter
// dragged to widen the panel, the width kept across a restart, the demo's
// logos in the channel rows, and a channel's day list opened at the
// programme on now, marked, with its bar.
#include <httplib.h>

#include <fstream>
#include <sstream>

#include "e2e/EndToEnd.h"
#include "mainwnd/MainLayout.h"
#include "mainwnd/PanelLook.h"
#include "mainwnd/PanelSizing.h"
#include "skin/SkinRowGeometry.h"

namespace tembra::test {
namespace {

constexpr int kWidth = 1240, kHeight = 760;
constexpr int kDrag = 200;
// The marked row's text and the progress bar's fill and track, as the
// skin has them.
constexpr QRgb kMarked = 0xf5a524, kBar = 0x3d8bfd, kTrack = 0x2c3440;

// The window's rectangles for a panel of that width, on the screen.
struct PanelPlaces {
  PanelPlaces(const PixelRect& window, int panelWidth) : window(window) {
    WindowState state;
    state.panelWidth = panelWidth;
    state.listWidth = PanelSizing::listFor(panelWidth);
    layout = MainLayout::compute(window.width(), window.height(), state, 0, 0);
  }
  PixelRect onScreen(const char* name) const {
    const PixelRect r = *layout.rectOf(name);
    return {window.left + r.left, window.top + r.top, window.left + r.right, window.top + r.bottom};
  }
  PixelRect window;
  MainLayout layout;
};

// The first channel's logo, as the demo serves it.
QImage firstLogo(const std::string& base) {
  httplib::Client client(base);
  const auto playlist = client.Get("/playlist.m3u");
  if (!playlist || playlist->status != 200) return {};
  const std::string key = "tvg-logo=\"";
  const size_t at = playlist->body.find(key);
  if (at == std::string::npos) return {};
  const std::string url = playlist->body.substr(at + key.size(), playlist->body.find('"', at + key.size()) - at - key.size());
  const auto logo = client.Get(url.substr(url.find("/logo/")));
  if (!logo || logo->status != 200) return {};
  return QImage::fromData(QByteArray::fromStdString(logo->body));
}

// Where in the first channel row the logo is drawn: a square of the row's
// picture side whose pixels match the logo scaled to it, somewhere near the
// row's left (the number, when there is one, goes before it).
bool logoInFirstRow(const QImage& screen, const PixelRect& list, const QImage& logo) {
  const int row = PanelLook::kTwoLineRow;
  const int side = SkinRowGeometry::pictureSideFor(row);
  const QImage want = logo.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
  const int top = list.top + (row - side) / 2;
  for (int left = list.left; left < list.left + 90 && left + side < list.right; ++left) {
    long diff = 0;
    for (int y = 2; y < side - 2; ++y)
      for (int x = 2; x < side - 2; ++x) {
        const QRgb a = screen.pixel(left + x, top + y), b = want.pixel(x, y);
        diff += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
      }
    if (diff / ((side - 4) * (side - 4) * 3) < 10) return true;
  }
  return false;
}

class PanelEndToEnd : public EndToEnd {
 protected:
  PlayerProcess& startWithPlaylist() { return startPlayer({}, {demo().base() + "/playlist.m3u"}); }
  PixelRect openLarge() {
    const std::string window = waitForMainWindow();
    EXPECT_FALSE(window.empty());
    // The whole window on the screen (1280 x 800).
    EXPECT_TRUE(x().move(window, 0, 0));
    EXPECT_TRUE(x().resize(window, kWidth, kHeight));
    for (int i = 0; i < 50 && (x().geometry(window).width() != kWidth || x().geometry(window).left != 0); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return x().geometry(window);
  }
};

TEST_F(PanelEndToEnd, TheDraggedSplitterIsKeptLogosShowAndTheDayListOpensAtTheProgrammeOnNow) {
  ASSERT_TRUE(startDemo());
  const QImage logo = firstLogo(demo().base());
  ASSERT_FALSE(logo.isNull()) << "the demo serves the channels' logos";
  startWithPlaylist();
  PixelRect window = openLarge();
  ASSERT_EQ(window.width(), kWidth);

  // The panel takes a share of the larger window; its splitter is dragged
  // left by 200 pixels, the panel widens by as much.
  const int automatic = PanelSizing::forWindow(kWidth, 0).panel;
  const PanelPlaces before(window, automatic);
  const PixelRect splitter = before.onScreen("listcontrol");
  ASSERT_TRUE(waitForScreen("panel-rows", [&](const QImage& s) { return colourShare(s, before.onScreen("channellist"), {0x1b2029, 0x1e2430}) > 0.3; }, 15000));
  const int y = (splitter.top + splitter.bottom) / 2 + 80;  // clear of its hide button
  ASSERT_TRUE(x().drag(splitter.left + 3, y, splitter.left + 3 - kDrag, y));
  const int dragged = automatic + kDrag;
  const PanelPlaces after(window, dragged);
  EXPECT_TRUE(waitForScreen("panel-logo", [&](const QImage& s) { return logoInFirstRow(s, after.onScreen("channellist"), logo); },
                            20000))
      << "the first channel's logo from the demo, in its row of the wider channel column";
  EXPECT_NE(readAll(folders().home + "/.config/tembra/window.ini").find("Width=" + std::to_string(dragged)),
            std::string::npos)
      << readAll(folders().home + "/.config/tembra/window.ini");

  // A channel's day list: the programme on now is in view, in the marked
  // colour, with its bar.
  const PixelRect list = after.onScreen("channellist");
  ASSERT_TRUE(click(Point{(list.left + list.right) / 2, list.top + PanelLook::kTwoLineRow / 2}));
  const PixelRect days = after.onScreen("firstdaylist");
  EXPECT_TRUE(waitForScreen("panel-day-now",
                            [&](const QImage& s) {
                              // The bar (a programme just begun has hardly any fill) is most of a
                              // row's width, two pixels high.
                              return colourShare(s, days, {kMarked}, 40) > 0.0005 && colourShare(s, days, {kBar, kTrack}, 4) > 0.002;
                            },
                            20000))
      << "the day list shows the programme on now marked, with its progress";
  checkEventLoop("a wide panel with logos and the day list");
  closeBySigterm();

  // The next start keeps the width.
  startWithPlaylist();
  window = openLarge();
  EXPECT_TRUE(waitForScreen("panel-kept", [&](const QImage& s) { return logoInFirstRow(s, after.onScreen("channellist"), logo); },
                            20000))
      << "the panel opens as wide as it was dragged, the logo (now from the disk cache) in its row";
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
