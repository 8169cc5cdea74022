#pragma once
#include <QRect>

namespace tembra {

// Where the parts of one list row go, inside the row's text area (the row
// less its padding): the number, the picture square, the text, under it a
// second line and a progress bar, and a star and a record mark at the right
// end (so that a favourite's name starts where every other one does).
struct SkinRowGeometry {
  // A picture needs at least this much room for the text beside it.
  static constexpr int kMinTextBesidePicture = 90;
  static constexpr int kPictureGap = 7;
  static constexpr int kNumberGap = 6;
  // The number goes only where the name keeps this much beside it: in the
  // narrow column of the smallest window the name matters more.
  static constexpr int kMinTextBesideNumber = 100;
  static constexpr int kProgressHeight = 2;
  // The record mark's dot and the room it keeps from the text.
  static constexpr int kMarkSide = 8;
  static constexpr int kMarkGap = 4;

  struct Input {
    QRect area;
    int numberWidth = 0;  // 0: no number
    int pictureSide = 0;  // wanted side; 0: no picture
    int starWidth = 0;    // 0: no star
    bool mark = false;    // a record mark is wanted
    int lineHeight = 16;  // of the row's font
    bool subline = false; // a second line is wanted
    bool progress = false;
  };

  QRect number, picture, text, subline, progress, star, mark;

  // The side of the picture square a row of that height can have.
  static int pictureSideFor(int rowHeight) { return rowHeight >= 20 ? qMin(rowHeight - 8, 36) : 0; }
  // Whether a row of that height holds two lines of text and a bar.
  static bool holdsTwoLines(int rowHeight, int lineHeight) { return rowHeight >= 2 * lineHeight + 8; }

  static SkinRowGeometry compute(const Input& in);
};

}  // namespace tembra
