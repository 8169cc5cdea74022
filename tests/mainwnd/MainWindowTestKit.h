#pragma once
// What the main window's tests share: a player component fake with a real
// widget, a recording WindowActions, a window made over a private folder
// (no servers, no network), and a catcher of the error message boxes the
// window shows.
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "mainwnd/MessageDlg.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "mainwnd/WindowActions.h"
#include "platform/ModulePath.h"
#include "player/PlayerControl.h"
#include "service/ServiceClient.h"
#include "skin/CWindowWnd.h"

namespace tembra::test {

// A player component whose window is a plain widget, so it can be shown
// offscreen. QueryState(2) answers holdDisplay.
class FakePlayerControl : public PlayerControl {
 public:
  int32_t holdDisplay = 0;
  std::vector<std::u16string> addresses;
  std::u16string authUrl;
  int stops = 0;

  ~FakePlayerControl() override { DestroyWindow(); }
  void SetAddress(const std::u16string& a) override {
    if (!a.empty()) addresses.push_back(a);
  }
  void SetChannelName(const std::u16string&) override {}
  void SetAuthFirst(const std::u16string&) override {}
  void SetAuthSecond(const std::u16string&) override {}
  void SetLanguage(const std::u16string&) override {}
  void SetAuthUrl(const std::u16string& url) override { authUrl = url; }
  void Play() override {}
  void StopPlayer() override { ++stops; }
  int32_t QueryState(int32_t what) override {
    return what == kStateReady ? 1 : what == kStateHoldDisplay ? holdDisplay : 0;
  }
  void Activate() override {}
  void SetLogoPage(const std::u16string&) override {}
  void SetReadyHandler(ReadyHandler) override {}
  bool CreateWindow(const PlayerRect& r) override {
    widget_ = new QWidget;
    widget_->setObjectName(QStringLiteral("fakeplayer"));
    widget_->setGeometry(r.left, r.top, r.width(), r.height());
    // A component's window is made hidden; showing it before it is placed
    // would put it on the desktop on its own.
    visibleBeforePlacing = false;
    return true;
  }
  void DestroyWindow() override { delete widget_.data(); }
  bool HasWindow() const override { return !widget_.isNull(); }
  void ShowWindow(bool show) override {
    if (widget_ && show && widget_->parentWidget() == nullptr) visibleBeforePlacing = true;
    if (widget_) widget_->setVisible(show);
  }
  QWidget* widget() override { return widget_.data(); }

  bool visibleBeforePlacing = false;

 private:
  QPointer<QWidget> widget_;
};

// Records every action with its arguments as one line of text.
class RecordingActions : public WindowActions {
 public:
  std::vector<std::string> calls;
  // Counters the real count-down handlers would move.
  int* listCountdown = nullptr;
  int* guideCountdown = nullptr;

  std::string last() const { return calls.empty() ? std::string() : calls.back(); }
  void clear() { calls.clear(); }

  void RunStartup() override { calls.push_back("RunStartup"); }
  void CloseWindow() override { calls.push_back("CloseWindow"); }
  void StartUpdater(bool forced) override { calls.push_back(forced ? "StartUpdater forced" : "StartUpdater"); }
  void RestoreOrRaise() override { calls.push_back("RestoreOrRaise"); }
  void OpenAbout() override { calls.push_back("OpenAbout"); }
  void OpenHomePage() override { calls.push_back("OpenHomePage"); }
  void OpenSources() override { calls.push_back("OpenSources"); }
  void ShowProgrammeDetails(GuidePage page, int row) override {
    calls.push_back("ShowProgrammeDetails " + std::to_string(static_cast<int>(page)) + " " + std::to_string(row));
  }
  void ForcedUpgrade() override { calls.push_back("ForcedUpgrade"); }
  void ShowNotice(const std::u16string& text) override {
    calls.push_back("ShowNotice " + std::string(text.begin(), text.end()));
  }
  int TrayCallback(intptr_t m) override {
    calls.push_back("TrayCallback " + std::to_string(m));
    return 1;
  }
  void Maximise() override { calls.push_back("Maximise"); }
  void Restore() override { calls.push_back("Restore"); }
  void Minimise() override { calls.push_back("Minimise"); }
  void HidePanel() override { calls.push_back("HidePanel"); }
  void ShowPanel() override { calls.push_back("ShowPanel"); }
  void SetTopmost(bool on) override { calls.push_back(on ? "SetTopmost on" : "SetTopmost off"); }
  bool HoldDisplay() override {
    calls.push_back("HoldDisplay");
    return hold;
  }
  void ToggleFullScreen() override { calls.push_back("ToggleFullScreen"); }
  void CountdownTick() override {
    calls.push_back("CountdownTick");
    if (listCountdown != nullptr) --*listCountdown;
  }
  void StartRefresh() override { calls.push_back("StartRefresh"); }
  void OnCatalogueLoaded() override { calls.push_back("OnCatalogueLoaded"); }
  void ShowRightAd() override { calls.push_back("ShowRightAd"); }
  void FillChannelList() override { calls.push_back("FillChannelList"); }
  void OnChannelListActivate() override { calls.push_back("OnChannelListActivate"); }
  void OnPlayingListActivate() override { calls.push_back("OnPlayingListActivate"); }
  void PageChannelList(int d) override { calls.push_back("PageChannelList " + std::to_string(d)); }
  void PlayNeighbour(int s) override { calls.push_back("PlayNeighbour " + std::to_string(s)); }
  void TickGuideWait() override {
    calls.push_back("TickGuideWait");
    if (guideCountdown != nullptr) --*guideCountdown;
  }
  void RetryGuidePage() override { calls.push_back("RetryGuidePage"); }
  void OnGuideDownloaded(GuidePage page, bool ok) override {
    calls.push_back("OnGuideDownloaded " + std::to_string(static_cast<int>(page)) + (ok ? " ok" : " failed"));
  }
  void ShowGuidePage(GuidePage page) override {
    calls.push_back("ShowGuidePage " + std::to_string(static_cast<int>(page)));
  }
  void OpenChannelGuide(const std::u16string& id, const std::u16string& name) override {
    calls.push_back("OpenChannelGuide " + std::string(id.begin(), id.end()) + " " +
                    std::string(name.begin(), name.end()));
  }

  bool hold = false;
};

// The skin and language beside the test binary.
inline void useProgramSkin() {
  CWindowWnd::setResourcePath(QString::fromStdString(ModulePath::record() + "skin/Default/"));
}

// A main window over a folder of its own: its config.ini (no servers unless
// a test writes some), statistics backlog, guide transfer file and ads.
struct WindowUnderTest {
  TempDir dir{"tembra-wnd"};
  std::unique_ptr<ConfigStore> config;
  std::unique_ptr<ServiceClient> service;
  FakePlayerControl* player = nullptr;  // owned by the window
  std::vector<int> quits;
  std::vector<bool> inhibits;
  std::vector<std::u16string> updaterSearches;
  bool updaterRunning = false;
  int splashEnded = 0;
  std::unique_ptr<TembraPlayerWnd> window;

  TembraPlayerWnd::Setup setup() {
    useProgramSkin();
    config = std::make_unique<ConfigStore>(dir.file("config.ini"), ValueCipher::Instance());
    service = std::make_unique<ServiceClient>(*config);
    TembraPlayerWnd::Setup s;
    s.service = service.get();
    s.config = config.get();
    s.programFolder = dir.path() + "/";
    s.makePlayer = [this]() -> std::unique_ptr<PlayerControl> {
      auto p = std::make_unique<FakePlayerControl>();
      player = p.get();
      return p;
    };
    s.endSplash = [this] { ++splashEnded; };
    s.stats.backlogPath = dir.file("bi.dat");
    s.stats.measureClock = false;
    s.stats.machineAddress = u"02-00-00-00-00-01";
    s.stats.osName = u"Test OS";
    s.guide.folder = dir.path();
    s.findUpdater = [this](const std::u16string& caption) {
      updaterSearches.push_back(caption);
      return updaterRunning;
    };
    s.quit = [this](int code) { quits.push_back(code); };
    s.inhibitScreenSaver = [this](bool on) { inhibits.push_back(on); };
    s.panelSettingsFile = dir.file("window.ini");
    s.logoFolder = dir.file("logos");
    return s;
  }

  // The window over s at the skin's smallest size with its player made, as
  // the start-up leaves it; false (and no player) when it cannot be created.
  bool open(TembraPlayerWnd::Setup s) {
    window = std::make_unique<TembraPlayerWnd>(std::move(s));
    if (!window->Create()) return false;
    window->resize(936, 529);
    window->createPlayer();
    return true;
  }

  TembraPlayerWnd& make(WindowActions* actions = nullptr) {
    TembraPlayerWnd::Setup s = setup();
    s.actions = actions;
    window = std::make_unique<TembraPlayerWnd>(std::move(s));
    return *window;
  }
};

// Answers every message that opens while it lives, the plain boxes and
// the skinned MessageDlg alike, keeping its text.
class MessageBoxCatcher {
 public:
  MessageBoxCatcher() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        if (auto* dlg = qobject_cast<MessageDlg*>(w)) {
          texts.push_back(dlg->text().toStdString());
          titles.push_back(dlg->title().toStdString());
          dlg->close();
        } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
          texts.push_back(box->text().toStdString());
          plainTexts.push_back(box->text().toStdString());
          box->accept();
        }
      }
    });
    timer_.start(10);
  }
  std::vector<std::string> texts;       // every message's, in order
  std::vector<std::string> titles;      // the skinned ones'
  std::vector<std::string> plainTexts;  // the plain boxes'

 private:
  QTimer timer_;
};

}  // namespace tembra::test
