// The program tembra-player run as a process: its command line, and the
// single-instance rule between two copies.
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "app/LanguageTable.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/SingleInstance.h"
#include "platform/ModulePath.h"

namespace tembra {
namespace {

using test::spinUntil;
using test::TempDir;

QString program() { return QString::fromStdString(ModulePath::record() + "tembra-player"); }

// Starts the program with its runtime directory set to dir, offscreen.
void start(QProcess& p, const std::string& dir, const QStringList& args = {}) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(program(), args);
  ASSERT_TRUE(p.waitForStarted(5000)) << p.errorString().toStdString();
}

// Waits for the end while this process keeps serving its own sockets.
bool finished(QProcess& p, int timeoutMs) {
  return spinUntil([&] { return p.state() == QProcess::NotRunning; }, timeoutMs);
}

TEST(TembraPlayerProgram, VersionAndHelpNeedNoDisplay) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  p.setProcessEnvironment(env);
  p.start(program(), {"--version"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_EQ(p.readAllStandardOutput(), "tembra-player 1.0.2\n");
  p.start(program(), {"--help"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_TRUE(p.readAllStandardOutput().startsWith("Usage: tembra-player"));
}

TEST(TembraPlayerProgram, UnknownArgumentIsAnError) {
  TempDir run("tembra-run");
  QProcess p;
  start(p, run.path(), {"--channel", "5"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 2);
  EXPECT_TRUE(p.readAllStandardError().contains("unknown argument '--channel'"));
  // Qt's own options are not ours to refuse
  start(p, run.path(), {"-platform", "offscreen"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0);
}

TEST(TembraPlayerProgram, FirstCopyRunsAndFreesTheLockAtExit) {
  TempDir run("tembra-run");
  QProcess p;
  start(p, run.path());
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_TRUE(std::filesystem::exists(run.file("Quorvi")));
  SingleInstance next(run.path());
  EXPECT_EQ(next.establish(0), SingleInstance::Outcome::Primary);
}

TEST(TembraPlayerProgram, SecondCopyRaisesTheFirstAndExits) {
  TempDir run("tembra-run");
  SingleInstance first(run.path());
  ASSERT_EQ(first.establish(0), SingleInstance::Outcome::Primary);
  int activations = 0;
  ASSERT_TRUE(first.listen([&] { ++activations; }));
  QProcess second;
  start(second, run.path());
  ASSERT_TRUE(finished(second, 15000));
  EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
  EXPECT_EQ(activations, 1);
  EXPECT_TRUE(second.readAllStandardError().isEmpty());
}

std::string languageText(const char16_t* key) {
  return QString::fromStdU16String(LanguageTable::GetTextIn(ModulePath::record(), key)).toStdString();
}

// Waits until the program's stderr carries text, then ends it the way a
// logout would; returns its exit code, or -1 when it never said so.
int reportsThenEndsOnSigterm(QProcess& p, const std::string& text) {
  QByteArray err;
  const bool said = spinUntil(
      [&] {
        err += p.readAllStandardError();
        return err.contains(QByteArray::fromStdString(text));
      },
      15000);
  EXPECT_TRUE(said) << err.toStdString();
  EXPECT_EQ(p.state(), QProcess::Running) << "the message waits for the user";
  ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
  if (!finished(p, 10000) || p.exitStatus() != QProcess::NormalExit || !said) return -1;
  return p.exitCode();
}

// The lock is held but nothing answers: after its grace period the second
// copy says so and waits for the user; a termination signal ends it with
// the failure code.
TEST(TembraPlayerProgram, SecondCopyWithoutAnAnsweringWindowReportsAndStops) {
  TempDir run("tembra-run");
  SingleInstance first(run.path());
  ASSERT_EQ(first.establish(0), SingleInstance::Outcome::Primary);
  const std::string expected = languageText(u"TV_APP_SINGLE_INSTANCE");
  ASSERT_FALSE(expected.empty());
  QProcess second;
  start(second, run.path());
  EXPECT_EQ(reportsThenEndsOnSigterm(second, expected), 1);
}

// Something that is not a lock file where the lock belongs (here a folder;
// a symbolic link is refused the same way).
TEST(TembraPlayerProgram, UnusableLockFileReportsAndStops) {
  TempDir run("tembra-run");
  ASSERT_TRUE(std::filesystem::create_directory(run.file("Quorvi")));
  const std::string expected = languageText(u"TV_APP_MUTEX_FAILED");
  ASSERT_FALSE(expected.empty());
  QProcess p;
  start(p, run.path());
  EXPECT_EQ(reportsThenEndsOnSigterm(p, expected), 1);
}

}  // namespace
}  // namespace tembra
