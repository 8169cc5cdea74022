#pragma once
// How a control paints its box and text, read once from its layout node.
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QSize>
#include <QString>

#include "skin/SkinNode.h"

class QPainter;
class QRect;

namespace tembra {

class SkinContext;

QMargins toMargins(const SkinRect& r);

struct SkinLook {
  QColor bkColor;      // invalid: nothing
  QColor borderColor;
  int borderSize = 0;
  QSize borderRound;
  QString bkImage;
  QMargins corner;     // nine-patch insets of every image of the control
  QColor textColor;
  QColor disabledTextColor;
  QFont font;
  int align = 0;       // SkinAlign bits; 0: left, vcenter
  QMargins textPadding;
  bool wordWrap = false;

  void read(const SkinNode& node, SkinContext& ctx);
  // Background colour, background image, border.
  void paintBox(QPainter& p, const QRect& r, SkinContext& ctx, const QColor& bk) const;
  void paintText(QPainter& p, const QRect& r, const QString& text, const QColor& color) const;
};

// Draws an image of the skin folder into r, stretching its middle and
// keeping the corner insets unscaled.
void paintSkinImage(QPainter& p, const QRect& r, const QPixmap& image, const QMargins& corner);
// Colour value of a node attribute, invalid when absent.
QColor nodeColor(const SkinNode& node, std::u16string_view attr);
int qtAlignment(int skinAlign);

}  // namespace tembra
