// The guide grid of a viewer's run: G opens it over the video area with
// the line at now where the clock says, the keys move between programmes,
// Enter plays the channel of the programme on now with the video going on
// in the corner, and G closes it again. Against the operator's service and
// against a playlist with its XMLTV guide.
#include <ctime>
#include <thread>

#include "e2e/CollectorRecords.h"
#include "e2e/EndToEnd.h"
#include "guidegrid/GridLayout.h"
#include "guidegrid/GridPainter.h"
#include "guidegrid/GuideGridView.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;

// Where the grid's parts are on the screen: the view fills the video area,
// the bar on top, the details strip with the picture at the bottom.
struct GridPlaces {
  explicit GridPlaces(const PixelRect& video) : video(video) {}

  PixelRect grid() const {
    return {video.left, video.top + GuideGridView::kBarHeight, video.right,
            video.bottom - GuideGridView::kPictureHeight - 8};
  }
  PixelRect picture() const {
    const int top = video.bottom - GuideGridView::kPictureHeight - 8 + 4;
    return {video.right - 4 - GuideGridView::kPictureWidth, top, video.right - 4, top + GuideGridView::kPictureHeight};
  }
  GridLayout layout() const { return GridLayout(GridMetrics{}, grid().width(), grid().height()); }
  // The screen x of the line at now when the grid opened at `openedAt`.
  int nowX(int64_t openedAt, int64_t now) const {
    std::tm fields{};
    const std::time_t t = static_cast<std::time_t>(openedAt);
    localtime_r(&t, &fields);
    const int64_t viewStart = GridLayout::halfHourFloor(openedAt, fields.tm_gmtoff);
    return grid().left + layout().xOf(now, viewStart);
  }
  // The x of the line at now across row `row`, -1 for none.
  int lineX(const QImage& screen, int row) const {
    const int y = grid().top + GridMetrics{}.headerHeight + row * GridMetrics{}.rowHeight + GridMetrics{}.rowHeight / 2;
    for (int x = grid().left + GridMetrics{}.channelWidth; x < grid().right; ++x) {
      const QRgb c = screen.pixel(x, y), want = GridPainter::kNowLine;
      if (std::abs(qRed(c) - qRed(want)) < 12 && std::abs(qGreen(c) - qGreen(want)) < 12 &&
          std::abs(qBlue(c) - qBlue(want)) < 12)
        return x;
    }
    return -1;
  }
  // Some row shows blocks of programmes (the tint of the one on now). Near
  // midnight the ones on now end within the first half hour on show, so
  // their tint may fill only a small part of the rows.
  bool programmesShown(const QImage& screen) const {
    const PixelRect rows{grid().left + GridMetrics{}.channelWidth, grid().top + GridMetrics{}.headerHeight, grid().right,
                         grid().bottom};
    return colourShare(screen, rows, {0x1d3150, 0x26436e}, 3) > 0.05;
  }

  PixelRect video;
};

int64_t wallClock() { return static_cast<int64_t>(std::time(nullptr)); }

class GuideGridEndToEnd : public EndToEnd {
 protected:
  // Opens the grid with G; the time it was opened, or -1.
  int64_t openGrid(const std::string& window, const GridPlaces& grid, QImage* screen) {
    const int64_t before = wallClock();
    if (!x().key(window, "g")) return -1;
    if (!waitForScreen("grid-open",
                       [&](const QImage& s) { return grid.lineX(s, 0) >= 0 && grid.programmesShown(s); }, 15000,
                       screen))
      return -1;
    return before;
  }
};

TEST_F(GuideGridEndToEnd, OpensWithGMovesByKeysPlaysWithEnterAndClosesWithG) {
  ASSERT_TRUE(startListing());
  const std::string window = mainWindow();
  const WindowPlaces at = places();
  ASSERT_TRUE(waitForGuideRows("guide", at.guideList(), 15000));

  const GridPlaces grid(at.video());
  QImage open;
  const int64_t openedAt = openGrid(window, grid, &open);
  ASSERT_GE(openedAt, 0) << "G shows the grid with its line at now and programmes";
  const int64_t shotAt = wallClock();
  // Each row shows the same line, where the clock puts it (a pixel of
  // leeway either side for the seconds between the clock reads).
  const int line = grid.lineX(open, 0);
  EXPECT_GE(line, grid.nowX(openedAt, openedAt) - 1);
  EXPECT_LE(line, grid.nowX(openedAt, shotAt) + 1);
  EXPECT_EQ(grid.lineX(open, 3), line);

  // Down, Down, Right, Left: the third channel's programme on now.
  ASSERT_TRUE(x().key(window, "Down Down Right Left"));
  std::this_thread::sleep_for(500ms);
  const QImage moved = shot("grid-moved");
  ASSERT_TRUE(x().key(window, "Return"));
  QImage playing;
  EXPECT_TRUE(waitForNewPicture("grid-playing", moved, grid.picture(), 20000, &playing))
      << "the channel plays in the corner picture";
  // The grid marks the third channel as the one playing.
  const int rowTop = grid.grid().top + GridMetrics{}.headerHeight + 2 * GridMetrics{}.rowHeight;
  EXPECT_GT(colourShare(playing, {grid.grid().left, rowTop + 8, grid.grid().left + 3, rowTop + 30}, {0x3dd68c}, 12), 0.8)
      << "the third row is marked as playing";
  EXPECT_LT(colourShare(playing, {grid.grid().left, rowTop - 38, grid.grid().left + 3, rowTop - 16}, {0x3dd68c}, 12), 0.1)
      << "the second is not";
  std::this_thread::sleep_for(2s);
  const QImage later = shot("grid-playing-later");
  EXPECT_GT(changedShare(playing, later, grid.picture()), 0.005) << "the picture moves";
  // The keys may have moved the view (a long programme to the right
  // scrolls now out of sight); while now is in sight, only the clock moves
  // the line, and never back. Its place against the clock was checked above.
  const int playingLine = grid.lineX(playing, 0);
  if (playingLine >= 0) {
    EXPECT_GE(grid.lineX(later, 0), playingLine) << "the line never goes back";
  }

  ASSERT_TRUE(x().key(window, "g"));
  EXPECT_TRUE(waitForScreen("grid-closed",
                            [&](const QImage& s) { return grid.lineX(s, 0) < 0 && pictureShown(s, at.video()); },
                            10000))
      << "G again gives the video its area back";
  checkEventLoop("with the guide grid");
  closeByButton();
  const auto got = records();
  EXPECT_EQ(countCode(got, kWatched), 1) << joinCodes(got);
}

TEST_F(GuideGridEndToEnd, APlaylistsXmltvGuideFillsTheSameGrid) {
  ASSERT_TRUE(startDemo());
  startPlayer({}, {demo().base() + "/playlist.m3u"});
  const std::string window = waitForMainWindow();
  ASSERT_FALSE(window.empty());
  const WindowPlaces at = places();
  ASSERT_TRUE(waitForChannelRows("start", at, 15000));
  ASSERT_TRUE(waitForGuideRows("guide", at.guideList(), 30000));
  const GridPlaces grid(at.video());
  QImage open;
  const int64_t openedAt = openGrid(window, grid, &open);
  ASSERT_GE(openedAt, 0) << "the XMLTV guide's programmes in the grid";
  const int line = grid.lineX(open, 1);
  EXPECT_GE(line, grid.nowX(openedAt, openedAt) - 1);
  EXPECT_LE(line, grid.nowX(openedAt, wallClock()) + 1);
  ASSERT_TRUE(x().key(window, "Down Return"));
  EXPECT_TRUE(waitForNewPicture("grid-playing", open, grid.picture(), 20000))
      << "the second channel plays in the corner picture";
  checkEventLoop("with the guide grid of a playlist");
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
