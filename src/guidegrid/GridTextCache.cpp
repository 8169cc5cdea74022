#include "guidegrid/GridTextCache.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRect>

namespace tembra {

GridTextCache::GridTextCache(const QFont& font) : font_(font), simple_(font) {
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

int GridTextCache::advance(std::u16string_view text) {
  if (simple_.layOut(text, -1, run_)) return run_.width;
  return laid(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()))).width;
}

bool GridTextCache::draw(QPainter& p, const QRect& box, std::u16string_view text, bool alignRight) {
  if (text.empty()) return true;
  if (box.width() < minimum_ && advance(text) > box.width()) return false;
  if (simple_.layOut(text, box.width(), run_)) {
    const int x = alignRight ? box.right() + 1 - run_.width : box.left();
    p.setFont(font_);
    simple_.draw(p, QPointF(x, box.top() + (box.height() - height_) / 2), run_);
    return true;
  }
  const QString whole = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
  const Laid* l = &laid(whole);
  if (l->width > box.width()) {
    if (box.width() < minimum_) return false;
    l = &cut(whole, box.width());
  }
  const int x = alignRight ? box.right() + 1 - l->width : box.left();
  p.setFont(font_);
  p.drawStaticText(QPointF(x, box.top() + (box.height() - height_) / 2), l->text);
  return true;
}

const QImage* GridTextCache::stamp(uint64_t key, std::u16string_view text, const QColor& colour) {
  if (auto it = stamps_.find(key); it != stamps_.end()) return &it->second;
  if (!simple_.layOut(text, -1, run_)) return nullptr;
  if (stamps_.size() >= static_cast<size_t>(kMaxTexts)) stamps_.clear();
  QImage image(std::max(1, run_.width), height_, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setPen(colour);
  p.setFont(font_);
  simple_.draw(p, QPointF(0, 0), run_);
  p.end();
  return &stamps_.emplace(key, std::move(image)).first->second;
}

void GridTextCache::drawCentred(QPainter& p, const QRect& box, const QString& text) {
  const Laid& l = laid(text);
  p.setFont(font_);
  p.drawStaticText(QPointF(box.left() + (box.width() - l.width) / 2, box.top() + (box.height() - height_) / 2), l.text);
}

}  // namespace tembra
