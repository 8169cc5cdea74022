// Temporary do-nothing definitions of the classes built on other branches
// (channel and guide panels, tray icon and menu, dialogs, program icon), so
// the window links until they arrive. Each block goes when its class does.
#include <QCloseEvent>

#include "mainwnd/AppIcon.h"
#include "mainwnd/CAboutDlg.h"
#include "mainwnd/CForcedUpgrade.h"
#include "mainwnd/CTrayMenu.h"
#include "mainwnd/ChannelPanel.h"
#include "mainwnd/GuidePanel.h"
#include "mainwnd/TrayIcon.h"
#include "mainwnd/WindowState.h"
#include "platform/MessageTarget.h"

namespace tembra {

ChannelPanel::ChannelPanel(WindowContext& window) : window_(window) {}
void ChannelPanel::ShowCatalogueState() {}
void ChannelPanel::FillGroupSelector() {}
void ChannelPanel::FillChannelList() {}
void ChannelPanel::StartCountdown() {}
void ChannelPanel::CountdownTick() {}
void ChannelPanel::StartRefresh() {}
void ChannelPanel::OnCatalogueLoaded() {}
void ChannelPanel::OnChannelListActivate() {}
void ChannelPanel::OnPlayingListActivate() {}
bool ChannelPanel::PlayChannel(const std::u16string&) { return false; }
void ChannelPanel::ShowRightAd() {}
void ChannelPanel::PlayNeighbour(int) {}

GuidePanel::GuidePanel(WindowContext& window) : window_(window) {}
void GuidePanel::ShowNowPlaying(bool) {}
void GuidePanel::ShowUpcoming(bool) {}
void GuidePanel::ShowDayList(int, bool) {}
void GuidePanel::ShowGuidePage(GuidePage) {}
void GuidePanel::TickGuideWait() {}
void GuidePanel::RetryGuidePage() {}
void GuidePanel::OnGuideDownloaded(GuidePage, bool) {}
void GuidePanel::OpenChannelGuide(const std::u16string&, const std::u16string&) {}

TrayIcon::TrayIcon(QWidget& window, WindowState& state, MessageTarget& target)
    : window_(window), state_(state), target_(target) {}
TrayIcon::~TrayIcon() = default;
bool TrayIcon::add(const QString&) {
  state_.trayIconAdded = false;
  return false;
}
void TrayIcon::remove() { state_.trayIconAdded = false; }
void TrayIcon::showBalloon(const QString&, const QString&) {}
int TrayIcon::callback(intptr_t) { return 1; }

CTrayMenu* CTrayMenu::Open(QWidget*, MessageTarget&, const QPoint&) { return nullptr; }
CTrayMenu* CTrayMenu::current() { return nullptr; }
CTrayMenu::CTrayMenu(QWidget* owner, MessageTarget& target) : CWindowWnd(owner, Qt::Popup), target_(target) {}
CTrayMenu::~CTrayMenu() = default;
void CTrayMenu::notify(const SkinNotification&) {}

void CAboutDlg::Open(QWidget*, MessageTarget&) {}
CAboutDlg* CAboutDlg::current() { return nullptr; }
CAboutDlg::CAboutDlg(QWidget* owner, MessageTarget& target) : CWindowWnd(owner, Qt::Dialog), target_(target) {}
CAboutDlg::~CAboutDlg() = default;
void CAboutDlg::notify(const SkinNotification&) {}

CForcedUpgrade::CForcedUpgrade(QWidget* owner, MessageTarget& target)
    : CWindowWnd(owner, Qt::Dialog), target_(target), resultMessage_(WM_CMD_CLOSE) {}
CForcedUpgrade::~CForcedUpgrade() = default;
bool CForcedUpgrade::create() { return false; }
uint32_t CForcedUpgrade::run() { return resultMessage_; }
void CForcedUpgrade::notify(const SkinNotification&) {}
void CForcedUpgrade::closeEvent(QCloseEvent* event) { CWindowWnd::closeEvent(event); }

QIcon AppIcon::load() { return {}; }

}  // namespace tembra

// These headers have no source file of their own yet.
#include "moc_CAboutDlg.cpp"
#include "moc_CForcedUpgrade.cpp"
#include "moc_CTrayMenu.cpp"
#include "moc_TrayIcon.cpp"
