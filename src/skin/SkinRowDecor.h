#pragma once
#include <QPixmap>
#include <QString>

#include "skin/CListLabelElementUI.h"

namespace tembra {

// What a list's rows show beside their text, asked for each row as it is
// painted (so tens of thousands of rows cost nothing until seen).
struct SkinRowDecoration {
  // Drawn in a square at the row's left, already at its size; null: the
  // square stays empty.
  QPixmap picture;
  // A second, dimmer line under the text, where the row has room for it.
  QString subline;
  // A thin bar under the text (0..1 filled); below 0: none.
  double progress = -1;
  // A small red dot at the row's right end: a programme whose recording is
  // scheduled.
  bool recordMark = false;
};

class SkinRowDecor {
 public:
  virtual ~SkinRowDecor() = default;
  // pictureSide is the square's side in device-independent pixels (0: the
  // row has no room for a picture); subline says whether the row has room
  // for a second line. Called on the GUI thread while painting: must not
  // block.
  virtual SkinRowDecoration decorate(const CListLabelElementUI& item, int pictureSide, bool subline) = 0;
};

}  // namespace tembra
