#include "mainwnd/CForcedUpgrade.h"

#include <QCloseEvent>

#include "app/LanguageTable.h"
#include "mainwnd/ErrorMessage.h"
#include "platform/MessageTarget.h"
#include "skin/SkinHitTest.h"

namespace tembra {

CForcedUpgrade::CForcedUpgrade(QWidget* owner, MessageTarget& target)
    : CWindowWnd(owner, Qt::Dialog), target_(target), resultMessage_(WM_CMD_CLOSE) {
  setObjectName(QStringLiteral("ForcedUpgradeWnd"));
  setWindowTitle(QString::fromStdU16String(LanguageTable::Instance().GetText(u"TV_WND_CAPTION_TEXT")));
}

CForcedUpgrade::~CForcedUpgrade() = default;

bool CForcedUpgrade::create() {
  if (hasLayout()) return true;
  if (!loadLayout(QStringLiteral("ForcedUpgradeSkin.xml"))) {
    ErrorMessage::show(parentWidget(), LanguageTable::Instance().GetText(u"TEMBRA_FORCEDUPGRADE_DLG_XMLFAIL"));
    return false;
  }
  addNotifier(this);
  return true;
}

uint32_t CForcedUpgrade::run() {
  if (!hasLayout()) return 0;
  if (sent_) return resultMessage_;
  QWidget* owner = parentWidget();
  if (owner != nullptr && owner->isMinimized()) owner->setWindowState(owner->windowState() & ~Qt::WindowMinimized);
  centreOver(owner);
  runModal();
  return sent_ ? resultMessage_ : 0;
}

void CForcedUpgrade::notify(const SkinNotification& msg) {
  if (msg.type != u"click") return;
  if (msg.senderName == u"closebtn") {
    resultMessage_ = WM_CMD_CLOSE;
    resultWParam_ = 0;
    close();
  } else if (msg.senderName == u"upgradebtn") {
    resultMessage_ = WM_CMD_UPGRADE;
    resultWParam_ = 1;
    close();
  }
}

// Every way the window closes ends here, the window manager's close
// included, so the owner always learns the result, once.
void CForcedUpgrade::closeEvent(QCloseEvent* event) {
  if (hasLayout() && !sent_) {
    sent_ = true;
    target_.send(resultMessage_, resultWParam_, 0);
  }
  CWindowWnd::closeEvent(event);
}

const std::vector<std::u16string_view>& CForcedUpgrade::notCaptionClasses() const { return dialogNotCaption(); }

}  // namespace tembra
