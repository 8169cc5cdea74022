// The renderer's choice of drawing size; drawing itself needs a display and
// runs under Xvfb in MpvPlayerWindowTest.
#include <gtest/gtest.h>

#include <QSize>
#include <algorithm>

#include "player/VideoRenderer.h"

namespace tembra {
namespace {

TEST(VideoRenderer, DrawsAnEnlargedVideoAtItsOwnScaleInTheWidgetsShape) {
  struct Case {
    const char* what;
    QSize widget, video, expected;
  };
  const Case cases[] = {
      {"size unknown", {1280, 800}, {0, 0}, {1280, 800}},
      {"a negative size is unknown", {640, 360}, {-5, 200}, {640, 360}},
      {"no enlarging: as large", {640, 360}, {640, 360}, {640, 360}},
      {"shrunk: the widget's pixels", {640, 360}, {1920, 1080}, {640, 360}},
      {"shrunk one way, enlarged the other", {640, 720}, {1280, 360}, {640, 720}},
      {"twice as wide, more than twice as tall", {1280, 800}, {640, 360}, {640, 400}},
      {"full screen with a 4:3 picture", {1280, 800}, {320, 240}, {384, 240}},
      {"a fraction rounds up", {1000, 1000}, {300, 300}, {300, 300}},
      {"odd proportions round up, never down", {1001, 999}, {500, 333}, {500, 500}},
      {"an empty widget draws one pixel", {0, 0}, {640, 360}, {1, 1}},
      {"a one-pixel video", {1280, 800}, {1, 1}, {2, 1}},
  };
  for (const Case& c : cases) {
    const QSize got = VideoRenderer::TargetSize(c.widget, c.video);
    EXPECT_EQ(got, c.expected) << c.what << ": got " << got.width() << "x" << got.height();
    // Never larger than the widget, and the video never drawn below its own
    // scale: its fitted size in the target is at least its own where the
    // widget has room for that.
    EXPECT_LE(got.width(), std::max(1, c.widget.width())) << c.what;
    EXPECT_LE(got.height(), std::max(1, c.widget.height())) << c.what;
    if (c.video.width() > 0 && c.video.height() > 0 && c.widget.width() > 0) {
      const double fitted = std::min(static_cast<double>(got.width()) / c.video.width(),
                                     static_cast<double>(got.height()) / c.video.height());
      const double room = std::min(static_cast<double>(c.widget.width()) / c.video.width(),
                                   static_cast<double>(c.widget.height()) / c.video.height());
      EXPECT_GE(fitted + 1e-9, std::min(1.0, room)) << c.what;
    }
  }
}

}  // namespace
}  // namespace tembra
