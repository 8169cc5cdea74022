#pragma once
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>

#include <cstdint>
#include <string_view>
#include <vector>

class QPainter;

namespace tembra {

// Lays out short texts of the simple scripts (Latin, Greek, Cyrillic,
// digits, punctuation) from a table of each character's glyph and advance,
// without the text shaper. A scroll of the guide grid brings a hundred new
// titles into sight each frame, and shaping them was most of the frame;
// these scripts need no shaping to read well (only kerning is given up).
// A text with anything else (another script, a combining mark, a character
// the font lacks and a fallback font would draw) is refused, and its
// caller shapes it the usual way.
class SimpleGlyphs {
 public:
  struct Run {
    QList<quint32> glyphs;
    QList<QPointF> positions;  // on the baseline, from the text's left
    int width = 0;             // rounded up
  };

  explicit SimpleGlyphs(const QFont& font);

  // Lays text out into run, cut to maxWidth with an ellipsis when it is
  // wider (maxWidth < 0: never cut). False when text is not simple; run is
  // then left in no particular state.
  bool layOut(std::u16string_view text, int maxWidth, Run& run);
  // Draws run with the top of its line at topLeft, in the painter's pen.
  void draw(QPainter& p, QPointF topLeft, const Run& run) const;

 private:
  struct Glyph {
    quint32 index = 0;
    float advance = 0;
    uint8_t state = 0;  // 0 not looked up yet, 1 simple, 2 refused
  };
  // Characters past the table are refused without a look.
  static constexpr char16_t kTableSize = 0x2200;

  const Glyph& glyph(char16_t c);

  QRawFont raw_;
  int ascent_ = 0;
  std::vector<Glyph> table_;
  Glyph ellipsis_;
};

}  // namespace tembra
