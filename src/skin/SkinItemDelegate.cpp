#include "skin/SkinItemDelegate.h"

#include <QPainter>

#include "skin/SkinContext.h"
#include "skin/SkinListModel.h"
#include "skin/SkinLook.h"
#include "skin/SkinRowDecor.h"
#include "skin/SkinRowGeometry.h"

namespace tembra {

namespace {
QColor colorOr(const SkinNode& n, std::u16string_view a, QColor fallback) {
  return n.has(a) ? skinColor(n.color(a)) : fallback;
}
}  // namespace

SkinItemDelegate::SkinItemDelegate(const SkinNode& node, SkinContext& ctx, const SkinListModel& model,
                                   QObject* parent)
    : QStyledItemDelegate(parent), ctx_(ctx), model_(model) {
  font = ctx.font(node.integer(u"itemfont", node.integer(u"font", -1)));
  text = colorOr(node, u"itemtextcolor", ctx.textColor);
  bk = colorOr(node, u"itembkcolor", QColor());
  altBk = colorOr(node, u"itemaltbkcolor", bk);
  hotBk = colorOr(node, u"itemhotbkcolor", QColor(0x24, 0x2b, 0x36));
  selectedBk = colorOr(node, u"itemselectedbkcolor", ctx.selectedColor);
  selectedText = colorOr(node, u"itemselectedtextcolor", text);
  markedText = colorOr(node, u"itemmarkedtextcolor", QColor(0xf5, 0xa5, 0x24));
  line = colorOr(node, u"itemlinecolor", QColor());
  textPadding = node.has(u"itemtextpadding") ? toMargins(node.rect(u"itemtextpadding")) : QMargins(8, 0, 4, 0);
  selectedImage = QString::fromStdU16String(node.text(u"itemselectedimage"));
  dimText = colorOr(node, u"itemdimtextcolor", ctx.disabledTextColor);
  star = colorOr(node, u"itemstarcolor", QColor(0xf5, 0xc5, 0x42));
  progressTrack = colorOr(node, u"itemprogresscolor", QColor(0x2c, 0x34, 0x40));
  progressFill = colorOr(node, u"itemprogressfillcolor", ctx.selectedColor);
  recordMark = colorOr(node, u"itemrecordcolor", QColor(0xe5, 0x39, 0x35));
  skinRowHeight = std::max(1, node.integer(u"itemheight", 29));
}

QRect SkinItemDelegate::markerIn(const QRect& row, const QRect& marker, int skinRowHeight) {
  if (marker.topLeft() == QPoint(0, 0)) {
    // Made one pixel narrower than the skin's row: it grows with the row
    // and keeps that pixel.
    const QSize grown(std::max(0, row.width() - marker.width() - 1), std::max(0, row.height() - skinRowHeight));
    return QRect(row.topLeft(), marker.size() + grown);
  }
  const int down = std::max(0, (row.height() - std::min(row.height(), skinRowHeight)) / 2);
  return marker.translated(row.topLeft() + QPoint(0, down));
}

QRect SkinItemDelegate::itemRect(const QRect& row, int maxWidth) {
  QRect r = row;
  if (maxWidth > 0 && r.width() > maxWidth) r.setWidth(maxWidth);
  return r;
}

QSize SkinItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  return QSize(option.rect.width(), model_.rowHeight(index.row()));
}

void SkinItemDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const CListLabelElementUI* item = model_.item(index.row());
  if (item == nullptr) return;
  const QRect r = itemRect(option.rect, model_.widthLimit(*item));
  const bool selected = option.state & QStyle::State_Selected;
  const bool hot = option.state & QStyle::State_MouseOver;
  p->save();
  QColor fill = (index.row() % 2 == 1) ? altBk : bk;
  if (hot && hotBk.isValid()) fill = hotBk;
  if (selected && selectedBk.isValid()) fill = selectedBk;
  if (fill.isValid()) p->fillRect(r, fill);
  if (selected && !selectedImage.isEmpty()) paintSkinImage(*p, r, ctx_.image(selectedImage), {});
  const bool marked = !item->markerImage.isEmpty();
  if (marked) {
    const QPixmap marker = ctx_.image(item->markerImage);
    const int skinHeight = std::min(skinRowHeight, item->maxHeight > 0 ? item->maxHeight : skinRowHeight);
    if (!marker.isNull()) p->drawPixmap(markerIn(r, item->markerRect, skinHeight), marker);
  }
  if (line.isValid()) p->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), line);
  p->setFont(font);
  const QFontMetrics fm = p->fontMetrics();
  const QRect area = r.marginsRemoved(textPadding);

  SkinRowGeometry::Input in;
  in.area = area;
  in.lineHeight = fm.height();
  if (!item->number.isEmpty())
    in.numberWidth = std::max(fm.horizontalAdvance(QStringLiteral("000")), fm.horizontalAdvance(item->number));
  if (item->favourite) in.starWidth = fm.horizontalAdvance(QChar(0x2605)) + 2;
  SkinRowDecoration decoration;
  if (decor_ != nullptr) {
    const int side = SkinRowGeometry::pictureSideFor(r.height());
    const bool two = SkinRowGeometry::holdsTwoLines(area.height(), fm.height());
    decoration = decor_->decorate(*item, side, two);
    in.pictureSide = side;
    in.subline = !decoration.subline.isEmpty();
    in.progress = decoration.progress >= 0;
    in.mark = decoration.recordMark;
  }
  const SkinRowGeometry g = SkinRowGeometry::compute(in);

  const QColor main = marked ? markedText : selected ? selectedText : text;
  const QColor dim = selected ? selectedText : dimText;
  if (g.number.isValid()) {
    p->setPen(dim);
    p->drawText(g.number, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, item->number);
  }
  if (g.picture.isValid() && !decoration.picture.isNull()) {
    const QSize size = decoration.picture.deviceIndependentSize().toSize();
    const QRect at(g.picture.left() + (g.picture.width() - size.width()) / 2,
                   g.picture.top() + (g.picture.height() - size.height()) / 2, size.width(), size.height());
    p->drawPixmap(at, decoration.picture);
  }
  p->setPen(main);
  p->drawText(g.text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
              fm.elidedText(item->text, Qt::ElideRight, g.text.width()));
  if (g.subline.isValid()) {
    p->setPen(dim);
    p->drawText(g.subline, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                fm.elidedText(decoration.subline, Qt::ElideRight, g.subline.width()));
  }
  if (g.progress.isValid()) {
    p->fillRect(g.progress, progressTrack);
    const double share = std::clamp(decoration.progress, 0.0, 1.0);
    p->fillRect(QRect(g.progress.topLeft(), QSize(static_cast<int>(g.progress.width() * share), g.progress.height())),
                progressFill);
  }
  if (g.mark.isValid()) {
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(recordMark);
    p->drawEllipse(g.mark);
  }
  if (g.star.isValid()) {
    p->setPen(star);
    p->drawText(g.star, Qt::AlignCenter | Qt::TextSingleLine, QString(QChar(0x2605)));
  }
  p->restore();
}

}  // namespace tembra
