#pragma once
#include <QString>

namespace tembra {

// The dark look of the program's plain Qt dialogs (first run, sources), in
// the colours of the default skin.
class DialogStyle {
 public:
  static QString sheet();
  // The same for a pop-up menu.
  static QString menuSheet();
};

}  // namespace tembra
