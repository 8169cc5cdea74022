// The program tembra-player run as a process: its command line, and the
// single-instance rule between two copies.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>

#include "TempDir.h"
#include "app/LanguageTable.h"
#include "mainwnd/ChildProcess.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/SingleInstance.h"
#include "platform/ModulePath.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

using test::ChildProcess;
using test::spinUntil;
using test::TempDir;

std::string program() { return ModulePath::record() + "tembra-player"; }

// The program with its runtime directory set to dir, offscreen.
std::unique_ptr<ChildProcess> start(const std::string& dir, const std::vector<std::string>& args = {}) {
  auto p = std::make_unique<ChildProcess>(
      program(), args,
      std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", dir}, {"QT_QPA_PLATFORM", "offscreen"}});
  EXPECT_TRUE(p->started());
  return p;
}

// Waits for the end while this process keeps serving its own sockets.
bool finished(ChildProcess& p, int timeoutMs = 15000) {
  return spinUntil([&] { return !p.running(); }, timeoutMs);
}

std::string languageText(const char16_t* key) {
  return toUtf8(LanguageTable::GetTextIn(ModulePath::record(), key));
}

TEST(TembraPlayerProgram, VersionAndHelpNeedNoDisplay) {
  const std::vector<std::string> noDisplay{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
  ChildProcess version(program(), {"--version"}, {}, noDisplay);
  ASSERT_TRUE(finished(version));
  EXPECT_EQ(version.exitCode(), 0);
  EXPECT_EQ(version.out(), "tembra-player 1.0.2\n");
  ChildProcess help(program(), {"--help"}, {}, noDisplay);
  ASSERT_TRUE(finished(help));
  EXPECT_EQ(help.exitCode(), 0);
  EXPECT_EQ(help.out().rfind("Usage: tembra-player", 0), 0u) << help.out();
}

TEST(TembraPlayerProgram, UnknownArgumentIsAnError) {
  TempDir run("tembra-run");
  auto p = start(run.path(), {"--channel", "5"});
  ASSERT_TRUE(finished(*p));
  EXPECT_EQ(p->exitCode(), 2);
  EXPECT_NE(p->err().find("unknown argument '--channel'"), std::string::npos) << p->err();
  // Qt's own options are not ours to refuse
  auto qt = start(run.path(), {"-platform", "offscreen"});
  ASSERT_TRUE(finished(*qt));
  EXPECT_EQ(qt->exitCode(), 0) << qt->err();
}

TEST(TembraPlayerProgram, FirstCopyRunsAndFreesTheLockAtExit) {
  TempDir run("tembra-run");
  auto p = start(run.path());
  ASSERT_TRUE(finished(*p));
  EXPECT_TRUE(p->exitedNormally());
  EXPECT_EQ(p->exitCode(), 0) << p->err();
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
  auto second = start(run.path());
  ASSERT_TRUE(finished(*second));
  EXPECT_EQ(second->exitCode(), 0) << second->err();
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(second->err(), "");
}

// Waits until the program's stderr carries text, then ends it the way a
// logout would; returns its exit code, or -1 when it never said so.
int reportsThenEndsOnSigterm(ChildProcess& p, const std::string& text) {
  const bool said = spinUntil([&] { return p.err().find(text) != std::string::npos; }, 15000);
  EXPECT_TRUE(said) << p.err();
  EXPECT_TRUE(p.running()) << "the message waits for the user";
  ::kill(p.pid(), SIGTERM);
  if (!finished(p, 10000) || !p.exitedNormally() || !said) return -1;
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
  auto second = start(run.path());
  EXPECT_EQ(reportsThenEndsOnSigterm(*second, expected), 1);
}

// Something that is not a lock file where the lock belongs (here a folder;
// a symbolic link is refused the same way).
TEST(TembraPlayerProgram, UnusableLockFileReportsAndStops) {
  TempDir run("tembra-run");
  ASSERT_TRUE(std::filesystem::create_directory(run.file("Quorvi")));
  const std::string expected = languageText(u"TV_APP_MUTEX_FAILED");
  ASSERT_FALSE(expected.empty());
  auto p = start(run.path());
  EXPECT_EQ(reportsThenEndsOnSigterm(*p, expected), 1);
}

}  // namespace
}  // namespace tembra
