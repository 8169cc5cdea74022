#pragma once
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QStyledItemDelegate>

#include "skin/SkinNode.h"

namespace tembra {

class SkinContext;
class SkinListModel;
class SkinRowDecor;

// Paints the rows of a list or combo: row colour (normal, alternate, hot,
// selected), the marker image in its rectangle, the item's number, the
// text elided in the item's width, a star for a favourite, a separator
// line; with a row decor also a picture, a second line, a progress bar and
// a record mark (see SkinRowGeometry). A marked item's text takes the marked colour, so
// the playing row reads at a glance.
class SkinItemDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  SkinItemDelegate(const SkinNode& node, SkinContext& ctx, const SkinListModel& model, QObject* parent);

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // The rectangle an item is drawn in: the row, at most the item's maximum
  // width wide.
  static QRect itemRect(const QRect& row, int maxWidth);
  // A marker made for a row of the skin's size: one that starts at the
  // row's corner is its background and grows with the row (at the skin's
  // own size it stays as it is); any other keeps its size and moves down by
  // half of what the row grew.
  static QRect markerIn(const QRect& row, const QRect& marker, int skinRowHeight);

  // Not owned; null: rows have only their texts.
  void setDecor(SkinRowDecor* decor) { decor_ = decor; }

  QFont font;
  QColor text, bk, altBk, hotBk, selectedBk, selectedText, markedText, line;
  QColor dimText, star, progressTrack, progressFill, recordMark;
  int skinRowHeight = 29;
  QMargins textPadding;
  QString selectedImage;

 private:
  SkinContext& ctx_;
  const SkinListModel& model_;
  SkinRowDecor* decor_ = nullptr;
};

}  // namespace tembra
