#pragma once

class QWidget;

namespace tembra {

// "Restore it if minimised, otherwise bring it to the top and flash it
// once": what a left click on the tray icon, the tray menu's restore
// button and a second copy of the program ask of the main window. A window
// still hidden by its start-up sequence stays hidden (the sequence shows
// it when it ends); only its minimised state is cleared.
class WindowActivation {
 public:
  enum class Done { Restored, Raised, StillHidden };
  static Done restoreOrRaise(QWidget* window);
};

}  // namespace tembra
