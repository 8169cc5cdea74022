#include "skin/SkinLabel.h"

#include <QFontMetrics>

namespace tembra {

QSize SkinLabel::textSize() const {
  const QFontMetrics fm(look_.font);
  return QSize(fm.horizontalAdvance(text_), fm.height());
}

}  // namespace tembra
