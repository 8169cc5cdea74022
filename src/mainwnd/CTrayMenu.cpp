#include "mainwnd/CTrayMenu.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>

#include "app/LanguageTable.h"
#include "mainwnd/ErrorMessage.h"
#include "mainwnd/TrayMenuPlacement.h"
#include "platform/MessageTarget.h"
#include "skin/SkinHitTest.h"

namespace tembra {

namespace {

// The open menu; cleared as soon as it starts closing. GUI thread only.
QPointer<CTrayMenu> openMenu;

QRect screenAreaAt(const QPoint& cursor, const QWidget* owner) {
  const QScreen* s = QGuiApplication::screenAt(cursor);
  if (s == nullptr && owner != nullptr) s = owner->screen();
  if (s == nullptr) s = QGuiApplication::primaryScreen();
  return s != nullptr ? s->availableGeometry() : QRect();
}

uint32_t messageOf(const QString& button) {
  if (button == u"aboutbtn") return WM_CMD_ABOUT;
  if (button == u"upgradebtn") return WM_CMD_UPGRADE;
  if (button == u"restorebtn") return WM_CMD_RESTORE;
  if (button == u"sourcesbtn") return WM_CMD_SOURCES;
  if (button == u"closebtn") return WM_CMD_CLOSE;
  return 0;
}

}  // namespace

CTrayMenu::CTrayMenu(QWidget* owner, MessageTarget& target)
    : CWindowWnd(owner, Qt::Popup | Qt::NoDropShadowWindowHint), target_(target) {
  setObjectName(QStringLiteral("TrayMenuWnd"));
  setAttribute(Qt::WA_DeleteOnClose);
}

CTrayMenu::~CTrayMenu() {
  if (openMenu == this) openMenu = nullptr;
}

CTrayMenu* CTrayMenu::current() { return openMenu.data(); }

CTrayMenu* CTrayMenu::Open(QWidget* owner, MessageTarget& target, const QPoint& cursor) {
  CTrayMenu* menu = openMenu.data();
  if (menu == nullptr) {
    menu = new CTrayMenu(owner, target);
    if (!menu->loadLayout(QStringLiteral("TrayMenuSkin.xml"))) {
      delete menu;
      ErrorMessage::show(owner, LanguageTable::Instance().GetText(u"TV_TRAY_MENU_XMLFAIL"));
      return nullptr;
    }
    menu->addNotifier(menu);
    openMenu = menu;
  }
  menu->move(TrayMenuPlacement::topLeft(cursor, menu->size(), screenAreaAt(cursor, owner)));
  menu->show();
  menu->raise();
  menu->activateWindow();
  return menu;
}

void CTrayMenu::notify(const SkinNotification& msg) {
  if (msg.type != u"click") return;
  hide();
  if (const uint32_t message = messageOf(msg.senderName); message != 0) target_.post(message, 0, 0);
  close();
}

const std::vector<std::u16string_view>& CTrayMenu::notCaptionClasses() const { return dialogNotCaption(); }

void CTrayMenu::closeEvent(QCloseEvent* e) {
  if (openMenu == this) openMenu = nullptr;
  CWindowWnd::closeEvent(e);
}

void CTrayMenu::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    close();
    return;
  }
  CWindowWnd::keyPressEvent(e);
}

}  // namespace tembra
