#pragma once
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

class QPainter;
class QRect;

namespace tembra {

// The grid's texts laid out once and drawn many times: a scroll redraws the
// same titles, times and channel names frame after frame, and laying a text
// out (shaping it) is most of what drawing it costs. A text too wide for
// its place is cut with an ellipsis, also kept. Bounded: past kMaxTexts the
// cache starts again.
class GridTextCache {
 public:
  static constexpr int kMaxTexts = 8192;

  explicit GridTextCache(const QFont& font);

  const QFont& font() const { return font_; }
  int height() const { return height_; }
  // The width the whole text takes.
  int advance(const QString& text);
  // Draws text in box, left-aligned (or right-aligned) and centred
  // vertically, cut to the box's width. False when not even an ellipsis
  // and one letter fit (nothing is drawn).
  bool draw(QPainter& p, const QRect& box, const QString& text, bool alignRight = false);
  // Draws text centred in box, uncut.
  void drawCentred(QPainter& p, const QRect& box, const QString& text);

 private:
  struct Laid {
    QStaticText text;
    int width = 0;
  };
  const Laid& laid(const QString& text);
  const Laid& cut(const QString& text, int width);

  QFont font_;
  int height_;
  int minimum_;  // an ellipsis and a letter
  QHash<QString, Laid> whole_;
  QHash<QString, Laid> cut_;  // by text and width
};

}  // namespace tembra
