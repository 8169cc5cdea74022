#pragma once
#include <QString>

namespace tembra {

class SkinControl;

// One named notification of a skin window.
//   "windowinit"       once, on the first event-loop turn after the layout was loaded;
//                      the sender is the window's root control
//   "click"            a button, a text or an option was clicked
//   "selectchanged"    the user (or setSelected with notify) changed an option's state
//   "itemclick"        left press on a list item (after the selection moved to it)
//   "itemdoubleclick"  double click on a list item
//   "itemselect"       the selected item of a list or combo changed
//   "itemactivate"     Return or Enter on the selected item of a list
// For the item notifications the sender is the list or combo and `item` the
// item's index.
struct SkinNotification {
  QString type;
  QString senderName;
  SkinControl* sender = nullptr;
  int item = -1;
};

// The one interface a skin window delivers its notifications to.
class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void notify(const SkinNotification& msg) = 0;
};

}  // namespace tembra
