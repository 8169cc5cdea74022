// Where a list row's parts go: a picture only with room for the text
// beside it, the star at the right end, two lines only in a row high
// enough, the number before everything.
#include "skin/SkinRowGeometry.h"

#include "skin/SkinItemDelegate.h"

#include <gtest/gtest.h>

namespace tembra {
namespace {

using G = SkinRowGeometry;

G::Input input(QRect area, int number = 0, int picture = 0, int star = 0, bool subline = false, bool progress = false) {
  G::Input in;
  in.area = area;
  in.numberWidth = number;
  in.pictureSide = picture;
  in.starWidth = star;
  in.lineHeight = 16;
  in.subline = subline;
  in.progress = progress;
  return in;
}

TEST(SkinRowGeometry, PartsOfOneRowFromLeftToRight) {
  // The skin's channel row at the smallest window: 81 wide, 29 high. No
  // room for a picture: the text keeps the whole row, as it always had.
  G g = G::compute(input(QRect(15, 0, 81, 29), 0, G::pictureSideFor(29)));
  EXPECT_FALSE(g.picture.isValid());
  EXPECT_EQ(g.text, QRect(15, 0, 81, 29));
  // Nor for a number: the name is what is read there.
  g = G::compute(input(QRect(15, 0, 81, 29), 24, G::pictureSideFor(29)));
  EXPECT_FALSE(g.number.isValid());
  EXPECT_EQ(g.text, QRect(15, 0, 81, 29));
  EXPECT_FALSE(g.subline.isValid());

  // A wide two-line row: number, picture, text over the second line and
  // the bar; the star at the right end.
  g = G::compute(input(QRect(15, 0, 206, 46), 24, G::pictureSideFor(46), 14, true, true));
  EXPECT_EQ(g.number, QRect(15, 0, 24, 46));
  EXPECT_EQ(g.picture, QRect(15 + 24 + 6, 5, 36, 36));
  EXPECT_EQ(g.star, QRect(15 + 206 - 14, 0, 14, 46));
  EXPECT_EQ(g.text.left(), g.picture.right() + 1 + G::kPictureGap);
  EXPECT_EQ(g.text.right(), g.star.left() - 5);
  EXPECT_EQ(g.subline.left(), g.text.left());
  EXPECT_GT(g.subline.top(), g.text.bottom());
  EXPECT_GT(g.progress.top(), g.subline.bottom());
  EXPECT_LE(g.progress.bottom(), 45) << "everything inside the row";
  EXPECT_EQ(g.progress.height(), G::kProgressHeight);

  // The same row too low for two lines: one line, the bar at its foot.
  g = G::compute(input(QRect(15, 0, 206, 29), 24, G::pictureSideFor(29), 14, true, true));
  EXPECT_FALSE(g.subline.isValid());
  EXPECT_EQ(g.text.height(), 29);
  EXPECT_EQ(g.picture.size(), QSize(21, 21));
  EXPECT_TRUE(g.progress.isValid());
  EXPECT_LE(g.progress.bottom(), 28);

  // A row with nothing but its text is drawn as before.
  g = G::compute(input(QRect(14, 32, 209, 29)));
  EXPECT_EQ(g.text, QRect(14, 32, 209, 29));
  EXPECT_FALSE(g.number.isValid() || g.picture.isValid() || g.star.isValid() || g.progress.isValid());
}

TEST(SkinRowGeometry, RowHeightsDecideThePictureAndTheLines) {
  const int sides[][2] = {{10, 0}, {19, 0}, {20, 12}, {29, 21}, {32, 24}, {46, 36}, {80, 36}};
  for (const auto& s : sides) EXPECT_EQ(G::pictureSideFor(s[0]), s[1]) << s[0];
  EXPECT_FALSE(G::holdsTwoLines(29, 16));
  EXPECT_FALSE(G::holdsTwoLines(39, 16));
  EXPECT_TRUE(G::holdsTwoLines(40, 16));
}

TEST(SkinRowGeometry, MarkersStayAsDrawnAtTheSkinsSizeAndFollowALargerRow) {
  // The played channel's background (99 x 29 at the row's corner) and the
  // small dot (at 3, 10).
  const QRect background(0, 0, 99, 29), dot(3, 10, 7, 7);
  EXPECT_EQ(SkinItemDelegate::markerIn(QRect(6, 73, 100, 29), background, 29), QRect(6, 73, 99, 29));
  EXPECT_EQ(SkinItemDelegate::markerIn(QRect(6, 73, 225, 46), background, 29), QRect(6, 73, 224, 46));
  EXPECT_EQ(SkinItemDelegate::markerIn(QRect(6, 73, 100, 29), dot, 29), QRect(9, 83, 7, 7));
  EXPECT_EQ(SkinItemDelegate::markerIn(QRect(6, 73, 225, 47), dot, 29), QRect(9, 92, 7, 7));
}

}  // namespace
}  // namespace tembra
