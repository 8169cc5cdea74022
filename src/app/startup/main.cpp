#include <QApplication>
#include <QProcess>

#include <clocale>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/startup/CTembraPlayerApp.h"
#include "app/startup/CommandLine.h"
#include "app/startup/EventLoopProbe.h"
#include "mainwnd/StartupTrace.h"

int main(int argc, char** argv) {
  using tembra::CommandLine;
  switch (CommandLine::parse(argc, argv)) {
    case CommandLine::Action::Version:
      std::fputs(CommandLine::versionText().c_str(), stdout);
      return 0;
    case CommandLine::Action::Help:
      std::fputs(CommandLine::helpText().c_str(), stdout);
      return 0;
    case CommandLine::Action::Run:
      break;
  }

  // The web engine refuses to start as root with its sandbox on, and only
  // reads this before the application object exists.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  // The web engine draws its pages with contexts that share one another's
  // objects, and asks for that before the application object exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  // Off unless TEMBRA_LOOP_PROBE names a file: the end-to-end tests' watchdog.
  const auto loopProbe = tembra::EventLoopProbe::fromEnvironment();
  // The player library refuses a numeric locale other than "C"; Qt has just
  // set the user's.
  std::setlocale(LC_NUMERIC, "C");

  std::vector<std::string> args;
  for (const QString& a : QCoreApplication::arguments()) args.push_back(a.toStdString());
  const CommandLine::Arguments arguments = CommandLine::read(args);
  if (!arguments.unknown.empty()) {
    std::fprintf(stderr, "tembra-player: unknown argument '%s' (see --help)\n", arguments.unknown[0].c_str());
    return 2;
  }

  int code = 0;
  bool restart = false;
  {
    tembra::CTembraPlayerApp theApp;
    if (!arguments.playlist.empty()) theApp.setPlaylist(arguments.playlist);
    theApp.InitInstance();
    tembra::StartupTrace::mark("loop-ended");
    code = theApp.ExitInstance();
    restart = theApp.restartWanted();
  }
  tembra::StartupTrace::mark("app-ended");
  // Another source was chosen: a new copy opens it (the one used last) now
  // that this one has let go of the single-instance lock.
  if (restart && code == 0) QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
  return code;
}
