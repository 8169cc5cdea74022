#include "xmltv/XmltvWindow.h"

#include <time.h>

namespace tembra {

XmltvWindow XmltvWindow::around(int64_t utcNow) {
  XmltvWindow w;
  const time_t now = static_cast<time_t>(utcNow);
  struct tm local {};
  localtime_r(&now, &local);
  for (int d = 0; d <= kDays; ++d) {
    struct tm day {};
    day.tm_year = local.tm_year;
    day.tm_mon = local.tm_mon;
    day.tm_mday = local.tm_mday + d;  // mktime carries into the month and year
    day.tm_isdst = -1;
    w.dayStart[d] = static_cast<int64_t>(mktime(&day));
  }
  return w;
}

XmltvWindow XmltvWindow::everything(int64_t utcNow) {
  XmltvWindow w = around(utcNow);
  w.keepAll = true;
  return w;
}

}  // namespace tembra
