#pragma once
#include <QRect>
#include <QString>

namespace tembra {

// One item of a list or combo: plain data, held by the control's model.
struct CListLabelElementUI {
  QString name;      // the program's key (a channel or group id)
  QString text;
  QString tooltip;
  int maxHeight = 0;  // limits the row height the list gives it; 0: none
  int maxWidth = 0;   // limits the width it is drawn in; 0: none
  // A marker image of the skin folder drawn in a rectangle of the item
  // (item coordinates, right and bottom exclusive); empty: no marker.
  QString markerImage;
  QRect markerRect;
  // The channel's number drawn before its text; empty: none.
  QString number;
  // Drawn with a star (a favourite channel).
  bool favourite = false;
};

}  // namespace tembra
