// The grid's quick text path: which texts it takes, that its widths agree
// with the shaper's, that a cut text fits and ends in an ellipsis, and that
// what it draws lands where the shaped text would.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <string>

#include "guidegrid/GridTestApp.h"
#include "guidegrid/GridTextCache.h"
#include "guidegrid/SimpleGlyphs.h"

namespace tembra::test {
namespace {

QFont testFont() {
  gridApp();
  QFont font;
  font.setPixelSize(12);
  return font;
}

QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }

// The columns that hold any ink of the given colour's opposite.
std::pair<int, int> inkColumns(const QImage& image) {
  int first = -1, last = -1;
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y)
      if (qGray(image.pixel(x, y)) < 200) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

TEST(SimpleGlyphs, TakesTheSimpleScriptsAndRefusesWhatNeedsTheShaper) {
  SimpleGlyphs glyphs(testFont());
  SimpleGlyphs::Run run;
  struct Case {
    std::u16string text;
    bool taken;
  } cases[] = {
      {u"News at Ten", true},
      {u"Ça va: 20:00\u201321:30", true},
      {u"\u0394\u03b5\u03bb\u03c4\u03af\u03bf", true},  // Greek
      {u"\u041d\u043e\u0432\u043e\u0441\u0442\u0438", true},  // Cyrillic
      {u"", true},
      {u"e\u0301", false},                    // a combining accent
      {u"\u0623\u062e\u0628\u0627\u0631", false},  // Arabic
      {u"\u65b0\u95fb", false},               // CJK
      {u"tab\there", false},                  // a control character
      {u"\xd83d\xde00", false},               // a surrogate pair
  };
  for (const Case& c : cases) EXPECT_EQ(glyphs.layOut(c.text, -1, run), c.taken) << qs(c.text).toStdString();
}

TEST(SimpleGlyphs, WidthsAgreeWithTheShaperAndACutTextFitsWithItsEllipsis) {
  const QFont font = testFont();
  SimpleGlyphs glyphs(font);
  const QFontMetrics metrics(font);
  SimpleGlyphs::Run run;
  for (std::u16string text : {u"Harbour Beats", u"Evening News 21:00", u"\u041d\u043e\u0432\u043e\u0441\u0442\u0438 WWW"}) {
    ASSERT_TRUE(glyphs.layOut(text, -1, run));
    const int shaped = metrics.horizontalAdvance(qs(text));
    // Only kerning differs: a pixel or two over a title.
    EXPECT_NEAR(run.width, shaped, 3 + shaped / 20) << qs(text).toStdString();
    EXPECT_EQ(run.glyphs.size(), static_cast<qsizetype>(text.size()));
  }
  ASSERT_TRUE(glyphs.layOut(u"A very long programme title indeed", 60, run));
  EXPECT_LE(run.width, 60);
  EXPECT_GT(run.width, 40) << "as much of the title as fits is kept";
  SimpleGlyphs::Run ellipsis;
  ASSERT_TRUE(glyphs.layOut(u"\u2026", -1, ellipsis));
  EXPECT_EQ(run.glyphs.back(), ellipsis.glyphs.front());
  // No space is left hanging before the ellipsis.
  ASSERT_TRUE(glyphs.layOut(u"Ab cdefghijklmnop", metrics.horizontalAdvance(QStringLiteral("Ab \u2026")) + 1, run));
  SimpleGlyphs::Run cut;
  ASSERT_TRUE(glyphs.layOut(u"Ab\u2026", -1, cut));
  EXPECT_EQ(run.glyphs, cut.glyphs);
}

TEST(GridTextCache, DrawsSimpleAndShapedTextsWhereTheShaperWouldAndStampsTheirColour) {
  const QFont font = testFont();
  GridTextCache cache(font);
  for (const QString& text : {QStringLiteral("Evening News"), QStringLiteral("\u65b0\u95fb \u0623\u062e\u0628\u0627\u0631")}) {
    QImage ours(200, 20, QImage::Format_RGB32), theirs(200, 20, QImage::Format_RGB32);
    ours.fill(Qt::white);
    theirs.fill(Qt::white);
    {
      QPainter p(&ours);
      p.setPen(Qt::black);
      EXPECT_TRUE(cache.draw(p, QRect(10, 0, 180, 20), text));
    }
    {
      QPainter p(&theirs);
      p.setPen(Qt::black);
      p.setFont(font);
      const QFontMetrics metrics(font);
      p.drawText(10, (20 - metrics.height()) / 2 + metrics.ascent(), text);
    }
    const auto [ourFirst, ourLast] = inkColumns(ours);
    const auto [theirFirst, theirLast] = inkColumns(theirs);
    ASSERT_GE(ourFirst, 0) << "something is drawn";
    EXPECT_NEAR(ourFirst, theirFirst, 1);
    EXPECT_NEAR(ourLast, theirLast, 3);
  }
  const QImage* dim = cache.stamp(1, u"10:00\u201311:00", QColor(0x80, 0, 0));
  const QImage* bright = cache.stamp(2, u"10:00\u201311:00", QColor(0xff, 0, 0));
  ASSERT_TRUE(dim != nullptr && bright != nullptr);
  EXPECT_EQ(cache.stamp(1, u"ignored: the key names it", Qt::blue), dim);
  EXPECT_EQ(dim->width(), cache.advance(u"10:00\u201311:00"));
  int darkest = 0, brightest = 0;
  for (int x = 0; x < dim->width(); ++x)
    for (int y = 0; y < dim->height(); ++y) {
      darkest = std::max(darkest, qRed(dim->pixel(x, y)));
      brightest = std::max(brightest, qRed(bright->pixel(x, y)));
    }
  EXPECT_GT(brightest, darkest) << "each stamp keeps its own colour";
  EXPECT_EQ(cache.stamp(3, u"\u65b0\u95fb", Qt::red), nullptr) << "only simple texts are stamped";
}

}  // namespace
}  // namespace tembra::test
