#include "guidegrid/GridTextCache.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRect>

namespace tembra {

GridTextCache::GridTextCache(const QFont& font) : font_(font) {
  const QFontMetrics metrics(font_);
  height_ = metrics.height();
  minimum_ = metrics.horizontalAdvance(QStringLiteral("W…"));
}

const GridTextCache::Laid& GridTextCache::laid(const QString& text) {
  auto it = whole_.find(text);
  if (it != whole_.end()) return *it;
  if (whole_.size() >= kMaxTexts) whole_.clear();
  Laid l;
  l.text = QStaticText(text);
  l.text.setTextFormat(Qt::PlainText);
  l.text.prepare(QTransform(), font_);
  l.width = qCeil(l.text.size().width());
  return *whole_.insert(text, std::move(l));
}

const GridTextCache::Laid& GridTextCache::cut(const QString& text, int width) {
  QString key = text;
  key += QChar(0);
  key += QString::number(width);
  auto it = cut_.find(key);
  if (it != cut_.end()) return *it;
  if (cut_.size() >= kMaxTexts) cut_.clear();
  Laid l;
  l.text = QStaticText(QFontMetrics(font_).elidedText(text, Qt::ElideRight, width));
  l.text.setTextFormat(Qt::PlainText);
  l.text.prepare(QTransform(), font_);
  l.width = qCeil(l.text.size().width());
  return *cut_.insert(key, std::move(l));
}

int GridTextCache::advance(const QString& text) { return laid(text).width; }

bool GridTextCache::draw(QPainter& p, const QRect& box, const QString& text, bool alignRight) {
  if (text.isEmpty()) return true;
  const Laid* l = &laid(text);
  if (l->width > box.width()) {
    if (box.width() < minimum_) return false;
    l = &cut(text, box.width());
  }
  const int x = alignRight ? box.right() + 1 - l->width : box.left();
  p.setFont(font_);
  p.drawStaticText(QPointF(x, box.top() + (box.height() - height_) / 2), l->text);
  return true;
}

void GridTextCache::drawCentred(QPainter& p, const QRect& box, const QString& text) {
  const Laid& l = laid(text);
  p.setFont(font_);
  p.drawStaticText(QPointF(box.left() + (box.width() - l.width) / 2, box.top() + (box.height() - height_) / 2), l.text);
}

}  // namespace tembra
