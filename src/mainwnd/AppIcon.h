#pragma once
#include <QIcon>

namespace tembra {

// The program's icon (window, task bar and tray) from the PNG sizes in the
// "icons" folder beside the executable; a null icon when none is there.
class AppIcon {
 public:
  static QIcon load();
};

}  // namespace tembra
