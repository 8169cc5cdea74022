#pragma once
// Where things are in the main window on the screen, for clicks and for
// reading screenshots: the rectangles the window's own layout computation
// gives (MainLayout) plus the few controls the skin's flow places (the
// caption buttons, the page options), as the default skin has them. Every
// rectangle is in screen pixels, from the window's place on the screen.
#include <QImage>

#include <initializer_list>

#include "platform/PixelRect.h"

namespace tembra::test {

struct Point {
  int x = 0, y = 0;
};

class WindowPlaces {
 public:
  // window: the main window's rectangle on the screen.
  explicit WindowPlaces(const PixelRect& window);

  const PixelRect& window() const { return window_; }
  PixelRect video() const;         // the player's area
  PixelRect channelList() const;   // "channellist"
  PixelRect guideList() const;     // "playinglist" / "playlist" (same place)
  PixelRect dayList() const;       // the three day lists (same place)
  PixelRect adPane() const;        // "iewnd"
  Point closeButton() const;
  Point channelRow(int index) const;  // centre of a visible channel row
  Point guideRow(int index) const;    // centre of a visible row of a guide list
  PixelRect listWaitingPanel() const;   // "listload", the count-down panel
  PixelRect guideWaitingPanel() const;  // "noticeload" over the guide list on show
  Point listRetryButton() const;      // "listloadbtn" of the count-down panel
  Point guideRetryButton() const;     // "noticeloadbtn" over the list on show
  Point nowPlayingOption() const;     // "guideplaying"
  Point upNextOption() const;         // "guideplay"
  Point dayOption(int day) const;     // "guidefirstday" ... "guidethirdday"

 private:
  PixelRect fromWindow(const PixelRect& r) const;
  Point fromWindow(int x, int y) const;
  PixelRect window_;
};

// Share of the rectangle's pixels within tolerance (per channel) of one of
// the colours.
double colourShare(const QImage& image, const PixelRect& rect, std::initializer_list<QRgb> colours,
                   int tolerance = 6);
// Share of the rectangle's pixels that differ by more than threshold in
// some channel between two screenshots of the same size.
double changedShare(const QImage& a, const QImage& b, const PixelRect& rect, int threshold = 24);

// A picture in the rectangle: most of it is not black (the video area is
// black around the picture and while a channel buffers).
bool pictureShown(const QImage& screen, const PixelRect& rect);

// The skin's list states, read from a screenshot.
// Channel rows fill the whole list; the count-down panel covers a fifth.
bool channelRowsShown(const QImage& screen, const WindowPlaces& places);
// Guide rows alternate their background: a strip down the list's left edge
// (outside the centred waiting panel) shows the stripes of rows.
bool guideRowsShown(const QImage& screen, const PixelRect& list);
// A 100 x 99 waiting panel (count-down or guide wait) at its place.
bool waitingPanelShown(const QImage& screen, const PixelRect& panel);

}  // namespace tembra::test
