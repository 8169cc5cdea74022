#include "guidegrid/SimpleGlyphs.h"

#include <QChar>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>

#include <cmath>

namespace tembra {

namespace {

bool simpleCharacter(char16_t c) {
  if (c < 0x20 || QChar::isSurrogate(c)) return false;
  const QChar ch(c);
  switch (ch.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_NotAssigned:
      return false;
    default:
      break;
  }
  switch (ch.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
      return true;
    default:
      return false;
  }
}

}  // namespace

SimpleGlyphs::SimpleGlyphs(const QFont& font)
    : raw_(QRawFont::fromFont(font)), ascent_(QFontMetrics(font).ascent()), table_(kTableSize) {
  ellipsis_ = glyph(u'\u2026');
}

const SimpleGlyphs::Glyph& SimpleGlyphs::glyph(char16_t c) {
  static const Glyph refused{0, 0, 2};
  if (c >= kTableSize) return refused;
  Glyph& g = table_[c];
  if (g.state != 0) return g;
  g.state = 2;
  if (!raw_.isValid() || !simpleCharacter(c)) return g;
  const QList<quint32> indexes = raw_.glyphIndexesForString(QString(QChar(c)));
  if (indexes.size() != 1 || indexes.front() == 0) return g;
  const QList<QPointF> advances = raw_.advancesForGlyphIndexes(indexes);
  if (advances.size() != 1) return g;
  g.index = indexes.front();
  g.advance = static_cast<float>(advances.front().x());
  g.state = 1;
  return g;
}

bool SimpleGlyphs::layOut(std::u16string_view text, int maxWidth, Run& run) {
  run.glyphs.clear();
  run.positions.clear();
  run.width = 0;
  float x = 0;
  for (char16_t c : text) {
    const Glyph& g = glyph(c);
    if (g.state != 1) return false;
    run.glyphs.append(g.index);
    // Whole pixels: each glyph is then drawn from one cached image instead
    // of one per fraction of a pixel it may start at.
    run.positions.append(QPointF(std::round(x), 0));
    x += g.advance;
  }
  run.width = static_cast<int>(std::ceil(x));
  if (maxWidth < 0 || run.width <= maxWidth) return true;
  // Too wide: keep the longest start that leaves room for the ellipsis,
  // without a space just before it.
  if (ellipsis_.state != 1) return false;
  const float room = static_cast<float>(maxWidth) - ellipsis_.advance;
  qsizetype keep = 0;
  while (keep < run.glyphs.size()) {
    const float right = keep + 1 < run.glyphs.size() ? static_cast<float>(run.positions[keep + 1].x()) : x;
    if (right > room) break;
    ++keep;
  }
  while (keep > 0 && text[static_cast<size_t>(keep - 1)] == u' ') --keep;
  const float end = keep < run.positions.size() ? static_cast<float>(run.positions[keep].x()) : x;
  run.glyphs.resize(keep);
  run.positions.resize(keep);
  run.glyphs.append(ellipsis_.index);
  run.positions.append(QPointF(std::round(end), 0));
  run.width = static_cast<int>(std::ceil(end + ellipsis_.advance));
  return true;
}

void SimpleGlyphs::draw(QPainter& p, QPointF topLeft, const Run& run) const {
  if (run.glyphs.isEmpty()) return;
  QGlyphRun glyphs;
  glyphs.setRawFont(raw_);
  glyphs.setGlyphIndexes(run.glyphs);
  glyphs.setPositions(run.positions);
  p.drawGlyphRun(topLeft + QPointF(0, ascent_), glyphs);
}

}  // namespace tembra
