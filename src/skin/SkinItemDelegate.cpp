#include "skin/SkinItemDelegate.h"

#include <QPainter>

#include "skin/SkinContext.h"
#include "skin/SkinListModel.h"
#include "skin/SkinLook.h"

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
  const QRect r = itemRect(option.rect, item->maxWidth);
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
    if (!marker.isNull()) p->drawPixmap(item->markerRect.translated(r.topLeft()), marker);
  }
  if (line.isValid()) p->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), line);
  const QRect area = r.marginsRemoved(textPadding);
  p->setFont(font);
  p->setPen(marked ? markedText : selected ? selectedText : text);
  const QString shown = p->fontMetrics().elidedText(item->text, Qt::ElideRight, area.width());
  p->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
  p->restore();
}

}  // namespace tembra
