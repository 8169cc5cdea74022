#include "app/startup/CTembraPlayerApp.h"

#include <QApplication>

#include "app/LanguageTable.h"
#include "mainwnd/ErrorMessage.h"
#include "mainwnd/SignalBridge.h"
#include "mainwnd/SingleInstance.h"
#include "platform/ModulePath.h"
#include "platform/Utf.h"

namespace tembra {

namespace {
std::u16string text(const char* key) { return LanguageTable::Instance().GetText(asciiToUtf16(key)); }
}  // namespace

CTembraPlayerApp::CTembraPlayerApp() = default;
CTembraPlayerApp::~CTembraPlayerApp() = default;

std::string CTembraPlayerApp::SkinFolderFor(const std::string& executableFolder) {
  std::string folder = executableFolder;
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder + "skin/Default/";
}

bool CTembraPlayerApp::InitInstance() {
  skinFolder_ = SkinFolderFor(ModulePath::record());
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
}

int CTembraPlayerApp::CreateMainWindowAndRun() {
  // The splash, the main window (which opens instance_'s socket once its
  // layout is loaded and takes over signals_ for its close sequence) and
  // QApplication::exec() come here; until then the program ends at once.
  return 0;
}

}  // namespace tembra
