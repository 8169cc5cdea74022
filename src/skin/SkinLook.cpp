#include "skin/SkinLook.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QPainterPath>

#include "skin/SkinContext.h"

namespace tembra {

QMargins toMargins(const SkinRect& r) { return QMargins(r.left, r.top, r.right, r.bottom); }

QColor nodeColor(const SkinNode& node, std::u16string_view attr) {
  return node.has(attr) ? skinColor(node.color(attr)) : QColor();
}

int qtAlignment(int a) {
  int q = 0;
  if (a & kAlignHCenter) q |= Qt::AlignHCenter;
  else if (a & kAlignRight) q |= Qt::AlignRight;
  else q |= Qt::AlignLeft;
  if (a & kAlignTop) q |= Qt::AlignTop;
  else if (a & kAlignBottom) q |= Qt::AlignBottom;
  else q |= Qt::AlignVCenter;
  return q;
}

void SkinLook::read(const SkinNode& node, SkinContext& ctx) {
  bkColor = nodeColor(node, u"bkcolor");
  borderColor = nodeColor(node, u"bordercolor");
  borderSize = std::clamp(node.integer(u"bordersize", borderColor.isValid() ? 1 : 0), 0, 50);
  const SkinSize round = node.size(u"borderround");
  borderRound = QSize(round.width, round.height);
  bkImage = QString::fromStdU16String(node.text(u"bkimage"));
  corner = toMargins(node.rect(u"corner"));
  textColor = node.has(u"textcolor") ? skinColor(node.color(u"textcolor")) : ctx.textColor;
  disabledTextColor =
      node.has(u"disabledtextcolor") ? skinColor(node.color(u"disabledtextcolor")) : ctx.disabledTextColor;
  font = ctx.font(node.integer(u"font", -1));
  align = node.integer(u"align", 0);
  textPadding = toMargins(node.rect(u"textpadding"));
  wordWrap = node.flag(u"wordwrap");
}

void paintSkinImage(QPainter& p, const QRect& r, const QPixmap& image, const QMargins& corner) {
  if (image.isNull() || r.isEmpty()) return;
  if (corner.isNull()) {
    p.drawPixmap(r, image);
    return;
  }
  qDrawBorderPixmap(&p, r, corner, image);
}

void SkinLook::paintBox(QPainter& p, const QRect& r, SkinContext& ctx, const QColor& bk) const {
  const bool rounded = borderRound.width() > 0 && borderRound.height() > 0;
  if (bk.isValid() && bk.alpha() > 0) {
    if (rounded) {
      p.setRenderHint(QPainter::Antialiasing, true);
      QPainterPath path;
      path.addRoundedRect(QRectF(r), borderRound.width() / 2.0, borderRound.height() / 2.0);
      p.fillPath(path, bk);
      p.setRenderHint(QPainter::Antialiasing, false);
    } else {
      p.fillRect(r, bk);
    }
  }
  if (!bkImage.isEmpty()) paintSkinImage(p, r, ctx.image(bkImage), corner);
  if (borderSize > 0 && borderColor.isValid()) {
    QPen pen(borderColor);
    pen.setWidth(borderSize);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const qreal half = borderSize / 2.0;
    const QRectF inner = QRectF(r).adjusted(half, half, -half, -half);
    if (rounded) {
      p.setRenderHint(QPainter::Antialiasing, true);
      p.drawRoundedRect(inner, borderRound.width() / 2.0, borderRound.height() / 2.0);
      p.setRenderHint(QPainter::Antialiasing, false);
    } else {
      p.drawRect(inner);
    }
  }
}

void SkinLook::paintText(QPainter& p, const QRect& r, const QString& text, const QColor& color) const {
  if (text.isEmpty()) return;
  const QRect area = r.marginsRemoved(textPadding);
  if (area.isEmpty()) return;
  p.setFont(font);
  p.setPen(color);
  const int flags = qtAlignment(align) | (wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
  if (wordWrap) {
    p.drawText(area, flags, text);
  } else {
    const QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, area.width());
    p.drawText(area, flags, shown);
  }
}

}  // namespace tembra
