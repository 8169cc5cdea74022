// The program tembra-player run as a process: its command line, and the
// single-instance rule between two copies.
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

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

// The lock is held but nothing answers: after its grace period the second
// copy says so and waits for the user; a termination signal ends it with
// the failure code.
TEST(TembraPlayerProgram, SecondCopyWithoutAnAnsweringWindowReportsAndStops) {
  TempDir run("tembra-run");
  SingleInstance first(run.path());
  ASSERT_EQ(first.establish(0), SingleInstance::Outcome::Primary);
  QProcess second;
  start(second, run.path());
  const std::string expected = [] {
    std::u16string t = LanguageTable::GetTextIn(ModulePath::record(), u"TV_APP_SINGLE_INSTANCE");
    return QString::fromStdU16String(t).toStdString();
  }();
  ASSERT_FALSE(expected.empty());
  QByteArray err;
  ASSERT_TRUE(spinUntil(
      [&] {
        err += second.readAllStandardError();
        return err.contains(QByteArray::fromStdString(expected));
      },
      15000))
      << err.toStdString();
  EXPECT_EQ(second.state(), QProcess::Running) << "the message waits for the user";
  ::kill(static_cast<pid_t>(second.processId()), SIGTERM);
  ASSERT_TRUE(finished(second, 10000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 1);
}

}  // namespace
}  // namespace tembra
