#include "mainwnd/PanelTestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/LanguageTable.h"
#include "guide/ProgrammeGuide.h"
#include "mainwnd/QtTestApp.h"
#include "notice/UdpChannel.h"
#include "platform/ModulePath.h"
#include "player/PlayerHost.h"
#include "skin/CListUI.h"
#include "skin/SkinControl.h"
#include "splash/CPictureEx.h"
#include "stats/StatsReporter.h"

namespace tembra::test {

std::string programFolder() {
  if (ModulePath::folder().empty()) ModulePath::record();
  return ModulePath::folder();
}

PixelRect PanelRect(const PanelTestWindow& w, const char* control) {
  const SkinControl* c = w.findControl(QString::fromLatin1(control));
  if (c == nullptr) return {};
  const QRect r = c->position();
  return PixelRect::at(r.x(), r.y(), r.width(), r.height());
}

PixelRect PanelRect(const QWidget& widget) {
  const QPoint at = widget.mapTo(widget.window(), QPoint(0, 0));
  return PixelRect::at(at.x(), at.y(), widget.width(), widget.height());
}

PanelTestWindow::PanelTestWindow(ServiceClient& service, ConfigStore& config, std::string folder)
    : config_(config), source_(service, config), programFolder_(std::move(folder)) {
  queue_ = std::make_unique<WindowMessageQueue>(*this);
  channels_.setTickInterval(kTickMs);
  guide_.setTickInterval(kTickMs);
  CWindowWnd::setResourcePath(QString::fromStdString(test::programFolder() + "skin/Default/"));
  loaded_ = loadLayout(QStringLiteral("MainUI.xml"));
  if (!loaded_) return;
  addNotifier(this);
  const QString skinFolder = CWindowWnd::resourcePath();
  listPicture_ = new CPictureEx(this);
  listPicture_->setObjectName(QStringLiteral("GifTvList"));
  listPicture_->setGeometry(0, 0, 91, 37);
  if (listPicture_->openFile(skinFolder + QStringLiteral("frame_channel_list_load.gif"))) listPicture_->play();
  listPicture_->hide();
  guidePicture_ = new CPictureEx(this);
  guidePicture_->setObjectName(QStringLiteral("GifGuideList"));
  guidePicture_->setGeometry(0, 0, 160, 20);
  if (guidePicture_->openFile(skinFolder + QStringLiteral("frame_channel_notice_load.gif"))) guidePicture_->play();
  guidePicture_->hide();
}

// A refresh thread still running would post into a queue that is gone, so
// the window waits for it; the guide's threads end with the guide.
PanelTestWindow::~PanelTestWindow() {
  if (refreshing() && !spinUntil([&] { return !refreshing(); }, 60000))
    ADD_FAILURE() << "a catalogue refresh did not end";
  source_.setGuide(nullptr);
  udp_.reset();
  stats_.reset();
  player_.reset();
  queue_->beginClosing();
  removeNotifier(this);
}

const LanguageTable& PanelTestWindow::language() { return LanguageTable::Instance(); }

void PanelTestWindow::setGuide(std::unique_ptr<ProgrammeGuide> guide) {
  if (guide) guide->SetResultWindow(queue_.get());
  source_.setGuide(std::move(guide));
}

void PanelTestWindow::setStats(std::unique_ptr<StatsReporter> stats) { stats_ = std::move(stats); }
void PanelTestWindow::setUdp(std::unique_ptr<UdpChannel> udp) { udp_ = std::move(udp); }
void PanelTestWindow::setPlayer(std::unique_ptr<PlayerHost> player) { player_ = std::move(player); }

int PanelTestWindow::handledCount(uint32_t message) const {
  return static_cast<int>(std::count(handled_.begin(), handled_.end(), message));
}

std::vector<std::string> PanelTestWindow::texts(const char* name) const {
  std::vector<std::string> out;
  if (const CListUI* list = findList(QString::fromLatin1(name))) {
    for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text.toStdString());
  }
  return out;
}

std::vector<std::string> PanelTestWindow::names(const char* name) const {
  std::vector<std::string> out;
  if (const CListUI* list = findList(QString::fromLatin1(name))) {
    for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->name.toStdString());
  }
  return out;
}

int PanelTestWindow::markedRow(const char* name) const {
  const CListUI* list = findList(QString::fromLatin1(name));
  if (list == nullptr) return -1;
  int found = -1;
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->markerImage.isEmpty()) continue;
    if (found != -1) return -2;
    found = i;
  }
  return found;
}

bool PanelTestWindow::shown(const char* name) const {
  const SkinControl* c = findControl(QString::fromLatin1(name));
  return c != nullptr && !c->isHidden();
}

std::string PanelTestWindow::text(const char* name) const {
  const SkinControl* c = findControl(QString::fromLatin1(name));
  return c != nullptr ? c->text().toStdString() : std::string();
}

void PanelTestWindow::activate(const char* name, int row) {
  CListUI* list = findList(QString::fromLatin1(name));
  ASSERT_NE(list, nullptr) << name;
  ASSERT_TRUE(list->select(row)) << name << " " << row;
  notify(SkinNotification{QStringLiteral("itemdoubleclick"), list->name(), list, row});
}

void PanelTestWindow::click(const char* name, int row) {
  CListUI* list = findList(QString::fromLatin1(name));
  ASSERT_NE(list, nullptr) << name;
  ASSERT_TRUE(list->select(row)) << name << " " << row;
  notify(SkinNotification{QStringLiteral("itemclick"), list->name(), list, row});
}

bool PanelTestWindow::refreshing() const { return listPicture_ != nullptr && !listPicture_->isHidden(); }

// The main window's notification rows that reach the panels.
void PanelTestWindow::notify(const SkinNotification& msg) {
  const QString& type = msg.type;
  const QString& from = msg.senderName;
  if (type == u"itemselect" && from == u"channeltype") {
    channels_.FillChannelList();
  } else if ((type == u"itemdoubleclick" || type == u"itemactivate") && from == u"channellist") {
    channels_.OnChannelListActivate();
  } else if ((type == u"itemdoubleclick" || type == u"itemactivate") && from == u"playinglist") {
    channels_.OnPlayingListActivate();
  } else if (type == u"itemclick" && from == u"channellist") {
    const CListUI* list = findList(from);
    if (const CListLabelElementUI* item = list != nullptr ? list->item(msg.item) : nullptr)
      guide_.OpenChannelGuide(item->name.toStdU16String(), item->text.toStdU16String());
  } else if (type == u"click" && from == u"listloadbtn") {
    channels_.StartRefresh();
  } else if (type == u"click" && from == u"noticeloadbtn") {
    guide_.RetryGuidePage();
  } else if (type == u"selectchanged") {
    static const std::pair<const char16_t*, GuidePage> pages[] = {
        {u"guideplaying", GuidePage::NowPlaying}, {u"guideplay", GuidePage::Upcoming},
        {u"guidefirstday", GuidePage::FirstDay},  {u"guidesecondday", GuidePage::SecondDay},
        {u"guidethirdday", GuidePage::ThirdDay}};
    for (const auto& [name, page] : pages) {
      if (from == QString::fromUtf16(name)) guide_.ShowGuidePage(page);
    }
  }
}

intptr_t PanelTestWindow::handleMessage(uint32_t message, uintptr_t wParam, intptr_t) {
  handled_.push_back(message);
  if (message == WM_CATALOGUE_LOADED) {
    channels_.OnCatalogueLoaded();
  } else if (message == WM_AD_UPDATED) {
    channels_.ShowRightAd();
  } else if (message >= WM_GUIDE_NOWPLAYING && message <= WM_GUIDE_THIRDDAY) {
    guide_.OnGuideDownloaded(static_cast<GuidePage>(message - WM_GUIDE_NOWPLAYING), wParam != 0);
  }
  return 0;
}

void PanelTestWindow::onTimer(int id) {
  if (id == 1) {
    if (state_.listCountdown > 0) channels_.CountdownTick();
    else channels_.StartRefresh();
    ticks1_.push_back(text("listloadtime"));
  } else if (id == 2) {
    if (state_.guideCountdown > 0) guide_.TickGuideWait();
    else guide_.RetryGuidePage();
    ticks2_.push_back(text("noticeloadtime"));
  }
}

}  // namespace tembra::test
