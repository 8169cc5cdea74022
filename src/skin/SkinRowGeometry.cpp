#include "skin/SkinRowGeometry.h"

namespace tembra {

SkinRowGeometry SkinRowGeometry::compute(const Input& in) {
  SkinRowGeometry g;
  const QRect& a = in.area;
  int x = a.left();
  int right = a.right() + 1;
  if (in.starWidth > 0 && a.width() > in.starWidth + in.numberWidth) {
    g.star = QRect(right - in.starWidth, a.top(), in.starWidth, a.height());
    right -= in.starWidth + 4;
  }
  // Only where the text keeps most of its room beside it.
  if (in.mark && right - x - kMarkSide - kMarkGap >= kMinTextBesidePicture / 2) {
    g.mark = QRect(right - kMarkSide, a.top(), kMarkSide, kMarkSide);
    right -= kMarkSide + kMarkGap;
  }
  if (in.numberWidth > 0 && right - x - in.numberWidth - kNumberGap >= kMinTextBesideNumber) {
    g.number = QRect(x, a.top(), in.numberWidth, a.height());
    x += in.numberWidth + kNumberGap;
  }
  const int side = qMin(in.pictureSide, a.height());
  if (side > 0 && right - x - side - kPictureGap >= kMinTextBesidePicture) {
    g.picture = QRect(x, a.top() + (a.height() - side) / 2, side, side);
    x += side + kPictureGap;
  }
  const int width = qMax(0, right - x);
  const bool two = in.subline && holdsTwoLines(a.height(), in.lineHeight);
  if (!two) {
    g.text = QRect(x, a.top(), width, a.height());
    if (in.progress) g.progress = QRect(x, a.bottom() - kProgressHeight - 2, width, kProgressHeight);
  } else {
    const int block = 2 * in.lineHeight + 2 + (in.progress ? kProgressHeight + 3 : 0);
    const int top = a.top() + (a.height() - block) / 2;
    g.text = QRect(x, top, width, in.lineHeight);
    g.subline = QRect(x, top + in.lineHeight + 2, width, in.lineHeight);
    if (in.progress) g.progress = QRect(x, g.subline.bottom() + 3, width, kProgressHeight);
  }
  // Level with the (first) line of text.
  if (g.mark.isValid()) g.mark.moveTop(g.text.top() + (g.text.height() - kMarkSide) / 2);
  return g;
}

}  // namespace tembra
