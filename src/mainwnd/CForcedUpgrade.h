#pragma once
#include <cstdint>

#include "skin/CWindowWnd.h"
#include "skin/INotifyUI.h"

namespace tembra {

class MessageTarget;

// The forced-upgrade dialog ("ForcedUpgradeSkin.xml"): both ways out end
// this run. When it closes, by any means, it sends its result to the main
// window: WM_CMD_UPGRADE with wParam 1 after "upgradebtn", else
// WM_CMD_CLOSE with 0 ("closebtn" and a system close alike). The caller
// owns the object (a local one is fine): it does not delete itself.
class CForcedUpgrade : public CWindowWnd, public INotifyUI {
  Q_OBJECT

 public:
  CForcedUpgrade(QWidget* owner, MessageTarget& target);
  ~CForcedUpgrade() override;

  // Loads the layout; false (its message shown) when it cannot, and then
  // nothing is ever sent.
  bool create();
  // Centres over the owner, runs modally, and returns the message sent.
  uint32_t run();

  void notify(const SkinNotification& msg) override;
  uint32_t resultMessage() const { return resultMessage_; }
  uintptr_t resultWParam() const { return resultWParam_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  const std::vector<std::u16string_view>& notCaptionClasses() const override;

  MessageTarget& target_;
  uint32_t resultMessage_;
  uintptr_t resultWParam_ = 0;
  bool sent_ = false;
};

}  // namespace tembra
