#include "app/startup/CTembraPlayerApp.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>

#include "app/ConfigStore.h"
#include "app/LanguageTable.h"
#include "mainwnd/FirstRunDialog.h"
#include "source/SourceFactory.h"
#include "mainwnd/ErrorMessage.h"
#include "mainwnd/SignalBridge.h"
#include "mainwnd/SingleInstance.h"
#include "mainwnd/StartupTrace.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "platform/ModulePath.h"
#include "platform/Utf.h"
#include "player/MpvLibrary.h"
#include "player/MpvPlayer.h"
#include "source/Favourites.h"
#include "source/SourceList.h"
#include "source/StartSource.h"
#include "skin/CWindowWnd.h"
#include "splash/CSplashDlg.h"

namespace tembra {

namespace {
std::u16string text(const char* key) { return LanguageTable::Instance().GetText(asciiToUtf16(key)); }

std::unique_ptr<PlayerControl> makePlayer() {
  MpvPlayer::Config config;
  // Offscreen nobody sees the pictures: none are drawn.
  config.renderVideo = QGuiApplication::platformName() != QLatin1String("offscreen");
  return std::make_unique<MpvPlayer>(config);
}
}  // namespace

CTembraPlayerApp::CTembraPlayerApp() = default;
CTembraPlayerApp::~CTembraPlayerApp() = default;

std::string CTembraPlayerApp::SkinFolderFor(const std::string& executableFolder) {
  std::string folder = executableFolder;
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder + "skin/Default/";
}

bool CTembraPlayerApp::InitInstance() {
  StartupTrace::mark("app-start");
  skinFolder_ = SkinFolderFor(ModulePath::record());
  CWindowWnd::setResourcePath(QString::fromStdString(skinFolder_));
  // The program ends by its window's close sequence only; a message box or
  // a dialog closing last must not end it behind the window's back.
  QApplication::setQuitOnLastWindowClosed(false);

  signals_ = std::make_unique<SignalBridge>();
  QObject::connect(signals_.get(), &SignalBridge::received, signals_.get(),
                   [this](int) { onEarlySignal(); });

  instance_ = std::make_unique<SingleInstance>(SingleInstance::runtimeDirectory());
  const SingleInstance::Outcome outcome = instance_->establish();
  // A signal that arrived while the lock was being taken ends start-up
  // before any message asks the user for anything.
  QCoreApplication::processEvents();
  switch (outcome) {
    case SingleInstance::Outcome::Primary:
      if (terminated_) return false;
      break;
    case SingleInstance::Outcome::HandedOver:
      exitCode_ = 0;
      return false;
    case SingleInstance::Outcome::Failed:
      exitCode_ = kStartFailed;
      if (!terminated_) ErrorMessage::show(nullptr, text("TV_APP_MUTEX_FAILED"));
      return false;
    case SingleInstance::Outcome::NoAnswer:
      exitCode_ = kStartFailed;
      if (!terminated_) ErrorMessage::show(nullptr, text("TV_APP_SINGLE_INSTANCE"));
      return false;
  }

  // Qt's counterpart of the framework's settings key; the program's own
  // settings stay in config.ini.
  QCoreApplication::setOrganizationName(QString::fromStdU16String(text("TV_APP_REGISTRY_KEY")));
  QCoreApplication::setApplicationName(QStringLiteral("tembra-player"));

  exitCode_ = CreateMainWindowAndRun();
  return false;
}

int CTembraPlayerApp::ExitInstance() { return exitCode_; }

void CTembraPlayerApp::onEarlySignal() {
  terminated_ = true;
  ErrorMessage::dismissOpen();
  FirstRunDialog::dismissOpen();
}

std::shared_ptr<ChannelSource> CTembraPlayerApp::chooseSource(bool& cancelled, std::string& sourceId) {
  SourceList list(SourceList::defaultPath());
  list.load();
  std::optional<std::string> argument;
  if (!playlist_.empty()) argument = StartSource::absoluteLocation(playlist_, QDir::currentPath().toStdString());
  const bool operatorConfigured = !ConfigStore::Instance().ReadValue(u"ServerUrl", true).empty();
  const std::string lastBefore = list.lastUsed();
  StartSource::Choice choice = StartSource::choose(list, argument, operatorConfigured);
  if (choice.kind == StartSource::Kind::FirstRun) {
    StartupTrace::mark("first-run-page");
    splash_->hide();
    std::optional<SourceSettings> fresh = FirstRunDialog::ask();
    if (!fresh) {
      cancelled = true;
      return nullptr;
    }
    splash_->show();
    const std::string id = list.add(*fresh);
    list.setLastUsed(id);
    choice.settings = *list.find(id);
    choice.kind = StartSource::Kind::Playlist;
  }
  // Written only when this start changed it (a new playlist, another last one).
  if (choice.added || list.lastUsed() != lastBefore) list.save();
  sourceId = choice.settings.id;
  if (choice.kind == StartSource::Kind::Operator) return nullptr;
  return SourceFactory::make(choice.settings);
}

int CTembraPlayerApp::CreateMainWindowAndRun() {
  splash_ = std::make_unique<CSplashDlg>(QString::fromStdString(skinFolder_));
  splash_->start();
  StartupTrace::mark("splash-shown");

  TembraPlayerWnd::Setup setup;
  bool cancelled = false;
  setup.source = chooseSource(cancelled, setup.sourceId);
  if (cancelled) return 0;
  setup.favouritesFile = Favourites::pathFor(setup.sourceId.empty() ? "operator" : setup.sourceId);
  setup.switchSource = [this](const std::string&) {
    restart_ = true;
    if (window_) window_->close();
  };
  setup.instance = instance_.get();
  setup.makePlayer = &makePlayer;
  setup.preparePlayer = [] { MpvLibrary::load(); };
  // The window shows with its channels without waiting for today's guide:
  // the now-playing list shows its waiting panel until the download ends,
  // which for a large line-up takes longer than everything else the start
  // does.
  setup.guide.creationWait = std::chrono::milliseconds(0);
  setup.endSplash = [splash = splash_.get()] { splash->finish(); };
  window_ = std::make_unique<TembraPlayerWnd>(std::move(setup));
  // A window that cannot be made has shown why; nothing would ever end the
  // event loop without it.
  if (!window_->Create()) return kStartFailed;
  StartupTrace::mark("window-created");
  if (terminated_) return 0;

  // From here a termination signal closes the window, whose close sequence
  // records the shutdown, uploads or keeps the records, and quits.
  QObject::disconnect(signals_.get(), nullptr, signals_.get(), nullptr);
  QObject::connect(signals_.get(), &SignalBridge::received, window_.get(), [window = window_.get()](int) {
    ErrorMessage::dismissOpen();
    window->close();
  });
  window_->centreOver(nullptr);
  // The window's "windowinit" runs the start-up sequence on the loop's
  // first turn; the window shows itself at its end.
  return QApplication::exec();
}

}  // namespace tembra
