#pragma once
#include <QFont>
#include <QHash>
#include <QImage>
#include <QStaticText>
#include <QString>

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "guidegrid/SimpleGlyphs.h"

class QPainter;
class QRect;

namespace tembra {

// The grid's texts, laid out as cheaply as each allows: a text of the simple
// scripts straight from the font's glyph table (SimpleGlyphs), any other
// laid out (shaped) once and kept, since a scroll redraws the same titles
// frame after frame and shaping is most of what drawing them costs. A text
// too wide for its place is cut with an ellipsis. Bounded: past kMaxTexts
// the kept texts start again.
class GridTextCache {
 public:
  static constexpr int kMaxTexts = 8192;

  explicit GridTextCache(const QFont& font);

  const QFont& font() const { return font_; }
  int height() const { return height_; }
  // The width the whole text takes.
  int advance(std::u16string_view text);
  int advance(const QString& text) { return advance(view(text)); }
  // Draws text in box, left-aligned (or right-aligned) and centred
  // vertically, cut to the box's width. False when not even an ellipsis
  // and one letter fit (nothing is drawn).
  bool draw(QPainter& p, const QRect& box, std::u16string_view text, bool alignRight = false);
  bool draw(QPainter& p, const QRect& box, const QString& text, bool alignRight = false) {
    return draw(p, box, view(text), alignRight);
  }
  // A short text that recurs often in one colour (the blocks' times), drawn
  // from an image made once: one blend instead of a glyph each. key names
  // text and colour for the caller. Null when text is not a simple one.
  const QImage* stamp(uint64_t key, std::u16string_view text, const QColor& colour);
  // Draws text centred in box, uncut.
  void drawCentred(QPainter& p, const QRect& box, const QString& text);

  static std::u16string_view view(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
  }

 private:
  struct Laid {
    QStaticText text;
    int width = 0;
  };
  const Laid& laid(const QString& text);
  const Laid& cut(const QString& text, int width);

  QFont font_;
  SimpleGlyphs simple_;
  SimpleGlyphs::Run run_;  // the simple text being drawn, kept for its buffers
  int height_;
  int minimum_;  // an ellipsis and a letter
  QHash<QString, Laid> whole_;
  QHash<QString, Laid> cut_;  // by text and width
  std::unordered_map<uint64_t, QImage> stamps_;
};

}  // namespace tembra
