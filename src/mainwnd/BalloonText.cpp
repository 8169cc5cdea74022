#include "mainwnd/BalloonText.h"

namespace tembra {

QString BalloonText::cut(const QString& text, int maxUnits) {
  qsizetype end = text.indexOf(QChar(u'\0'));
  if (end < 0) end = text.size();
  if (maxUnits < 0) maxUnits = 0;
  if (end > maxUnits) {
    end = maxUnits;
    if (end > 0 && text.at(end - 1).isHighSurrogate() && text.at(end).isLowSurrogate()) --end;
  }
  return text.left(end);
}

}  // namespace tembra
