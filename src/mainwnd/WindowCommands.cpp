#include "mainwnd/WindowCommands.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QPointer>
#include <QUrl>

#include <memory>

#include "app/ConfigStore.h"
#include "app/LanguageTable.h"
#include "mainwnd/CAboutDlg.h"
#include "mainwnd/CForcedUpgrade.h"
#include "mainwnd/MessageDlg.h"
#include "mainwnd/ProgramLauncher.h"
#include "mainwnd/TrayIcon.h"
#include "mainwnd/UpdaterWindowFinder.h"
#include "mainwnd/WindowActivation.h"
#include "mainwnd/WindowState.h"
#include "platform/Utf.h"
#include "skin/CWindowWnd.h"

namespace tembra {

namespace {
std::u16string text(const char16_t* key) { return LanguageTable::Instance().GetText(key); }
QString qtext(const char16_t* key) { return QString::fromStdU16String(text(key)); }
// The language text with its "%s" (the first one) replaced by value.
std::u16string withValue(const char16_t* key, const std::u16string& value) {
  std::u16string out = text(key);
  const size_t at = out.find(u"%s");
  if (at != std::u16string::npos) out.replace(at, 2, value);
  return out;
}
}  // namespace

WindowCommands::WindowCommands(Setup setup) : setup_(std::move(setup)) {
  if (!setup_.findUpdater) setup_.findUpdater = &WindowCommands::FindUpdaterWindow;
}

void WindowCommands::removeTrayIcon() {
  if (!setup_.state->trayIconAdded || !setup_.tray) return;
  if (TrayIcon* tray = setup_.tray()) tray->remove();
}

void WindowCommands::CloseWindow() {
  removeTrayIcon();
  // Posted: the caller (a dialog's result, a tray button) finishes first.
  QMetaObject::invokeMethod(
      setup_.window,
      [window = QPointer<CWindowWnd>(setup_.window)] {
        if (window) window->close();
      },
      Qt::QueuedConnection);
}

void WindowCommands::StartUpdater(bool forced) {
  if (setup_.findUpdater(text(u"UPDATE_DLG_CAPTION"))) {
    setup_.state->updaterStarted = true;
    CloseWindow();
    return;
  }
  const std::string updater = setup_.programFolder + kUpdaterProgram;
  if (ProgramLauncher::launchable(updater)) {
    if (ProgramLauncher::launch(setup_.programFolder, kUpdaterProgram)) {
      setup_.state->updaterStarted = true;
      CloseWindow();
    }
    return;
  }
  MessageDlg::Show(setup_.window, text(u"TV_WND_MSG_UPGRADE_TITLE"),
                   withValue(u"TV_WND_BUT_NOUPGRADE", fromUtf8(setup_.programFolder)));
  if (forced) CloseWindow();
}

void WindowCommands::OpenHomePage() {
  const QString page = QString::fromStdU16String(setup_.config->ReadValue(u"HomePage", false)).trimmed();
  if (page.isEmpty()) {
    MessageDlg::Show(setup_.window, text(u"TV_WND_MSG_HOMEPAGE_TITLE"), text(u"TV_WND_BUT_NOHOMEURL"));
    return;
  }
  // False when the desktop has no way to open a web page at all (no
  // xdg-open, no browser); Qt then only warns on stderr.
  if (!QDesktopServices::openUrl(QUrl::fromUserInput(page)))
    MessageDlg::Show(setup_.window, text(u"TV_WND_MSG_HOMEPAGE_TITLE"),
                     withValue(u"TV_WND_BUT_NOBROWSER", page.toStdU16String()));
}

void WindowCommands::RestoreOrRaise() { WindowActivation::restoreOrRaise(setup_.window); }

void WindowCommands::OpenAbout() { CAboutDlg::Open(setup_.window, *setup_.target); }

void WindowCommands::ForcedUpgrade() {
  auto dialog = std::make_unique<CForcedUpgrade>(setup_.window, *setup_.target);
  if (!dialog->create()) {
    CloseWindow();
    return;
  }
  CWindowWnd* w = setup_.window;
  if (w->isMinimized()) w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
  dialog->run();
}

void WindowCommands::ShowNotice(const std::u16string& notice) {
  if (!setup_.tray) return;
  if (TrayIcon* tray = setup_.tray()) tray->showBalloon(qtext(u"TV_TRAY_TIP_TITLE"), QString::fromStdU16String(notice));
}

int WindowCommands::TrayCallback(intptr_t mouseMessage) {
  TrayIcon* tray = setup_.tray ? setup_.tray() : nullptr;
  return tray != nullptr ? tray->callback(mouseMessage) : 0;
}

bool WindowCommands::FindUpdaterWindow(const std::u16string& caption) {
  // An empty caption (no language file) would match any untitled window.
  if (caption.empty() || QGuiApplication::platformName() != QLatin1String("xcb")) return false;
  UpdaterWindowFinder finder;
  if (!finder.connected()) return false;
  const auto window = finder.find(caption);
  if (!window) return false;
  finder.activate(*window);
  return true;
}

}  // namespace tembra
