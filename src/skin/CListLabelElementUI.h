#pragma once
#include <QRect>
#include <QString>

#include <cstdint>
#include <utility>

namespace tembra {

// One item of a list or combo: plain data, held by the control's model.
struct CListLabelElementUI {
  // A plain item: no marker, number or mark of any kind.
  static CListLabelElementUI Make(QString name, QString text, QString tooltip, int maxHeight, int maxWidth) {
    CListLabelElementUI item;
    item.name = std::move(name);
    item.text = std::move(text);
    item.tooltip = std::move(tooltip);
    item.maxHeight = maxHeight;
    item.maxWidth = maxWidth;
    return item;
  }

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
  // A past programme the channel's archive can play (a guide row).
  bool playable = false;
  // A programme row's channel id and start (UTC seconds); 0: the row is
  // not one programme.
  QString channel;
  int64_t start = 0;
};

}  // namespace tembra
