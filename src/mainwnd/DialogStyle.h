#pragma once
#include <QString>

namespace tembra {

// The dark look of the program's plain Qt dialogs (first run, sources), in
// the colours of the default skin.
class DialogStyle {
 public:
  static QString sheet();
  // The same look for the program's pop-up menus.
  static QString menuSheet();
};

}  // namespace tembra
