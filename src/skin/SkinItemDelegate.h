#pragma once
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QStyledItemDelegate>

#include "skin/SkinNode.h"

namespace tembra {

class SkinContext;
class SkinListModel;

// Paints the rows of a list or combo: row colour (normal, alternate, hot,
// selected), the marker image in its rectangle, the text elided in the
// item's width, a separator line. A marked item's text takes the marked
// colour, so the playing row reads at a glance.
class SkinItemDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  SkinItemDelegate(const SkinNode& node, SkinContext& ctx, const SkinListModel& model, QObject* parent);

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // The rectangle an item is drawn in: the row, at most the item's maximum
  // width wide.
  static QRect itemRect(const QRect& row, int maxWidth);

  QFont font;
  QColor text, bk, altBk, hotBk, selectedBk, selectedText, markedText, line;
  QMargins textPadding;
  QString selectedImage;

 private:
  SkinContext& ctx_;
  const SkinListModel& model_;
};

}  // namespace tembra
