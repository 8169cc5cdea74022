// The program tembra-player run as a process: its command line, the
// single-instance rule between two copies, and a whole run from start to a
// termination signal.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "TempDir.h"
#include "app/LanguageTable.h"
#include "integration/DemoService.h"
#include "mainwnd/ChildProcess.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/SingleInstance.h"
#include "mainwnd/XvfbServer.h"
#include "platform/ModulePath.h"
#include "platform/Utf.h"
#include "stats/StatsBacklog.h"

namespace tembra {
namespace {

using test::ChildProcess;
using test::spinUntil;
using test::TempDir;

std::string program() { return ModulePath::record() + "tembra-player"; }

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The user's kept sources in dir: the operator's service, used last, so a
// start opens it whether or not a config.ini is there.
void keepOperatorSource(const std::string& dir) {
  std::filesystem::create_directories(dir + "/config/tembra");
  std::ofstream(dir + "/config/tembra/sources.ini")
      << "[tembra]\norder=1\nlast=1\n[source.1]\nname=Operator\nkind=operator\n";
}

// The program with its runtime directory set to dir, offscreen, working in
// dir (its guide transfer file and statistics backlog land there), telling
// dir/trace how far its start-up got. Its sources and caches are dir's own.
std::unique_ptr<ChildProcess> start(const std::string& dir, const std::vector<std::string>& args = {},
                                    const std::string& executable = program(),
                                    std::map<std::string, std::string> env = {{"QT_QPA_PLATFORM", "offscreen"}}) {
  std::string command = "cd '" + dir + "' && exec '" + executable + "'";
  for (const auto& a : args) command += " '" + a + "'";
  env["XDG_RUNTIME_DIR"] = dir;
  env["XDG_CONFIG_HOME"] = dir + "/config";
  env["XDG_CACHE_HOME"] = dir + "/cache";
  if (!std::filesystem::exists(dir + "/config/tembra/sources.ini")) keepOperatorSource(dir);
  env["TEMBRA_STARTUP_TRACE"] = dir + "/trace";
  // Under the address sanitizer: the web engine's own allocator mismatches
  // are its own (its leaks are in the suppressions the test's environment
  // names, which the program inherits). Under X the video's OpenGL driver
  // is unloaded at exit with allocations the checker can no longer name;
  // leaks are checked in the offscreen runs.
  env["ASAN_OPTIONS"] = env.count("DISPLAY") ? "new_delete_type_mismatch=0:detect_leaks=0" : "new_delete_type_mismatch=0";
  auto p = std::make_unique<ChildProcess>("/bin/sh", std::vector<std::string>{"-c", command}, env);
  EXPECT_TRUE(p->started());
  return p;
}

// Waits for the end while this process keeps serving its own sockets.
bool finished(ChildProcess& p, int timeoutMs = 15000) {
  return spinUntil([&] { return !p.running(); }, timeoutMs);
}

bool windowShown(ChildProcess& p, const std::string& dir, int timeoutMs = 60000) {
  return spinUntil([&] { return readFile(dir + "/trace").find("window-shown ") != std::string::npos || !p.running(); },
                   timeoutMs) &&
         p.running();
}

// Ends a running copy the way a logout does; its exit code, or -1.
int terminate(ChildProcess& p) {
  ::kill(p.pid(), SIGTERM);
  if (!finished(p, 20000) || !p.exitedNormally()) return -1;
  return p.exitCode();
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
  // Qt's own options are not ours to refuse.
  auto qt = start(run.path(), {"-platform", "offscreen"});
  ASSERT_TRUE(windowShown(*qt, run.path())) << qt->err();
  EXPECT_EQ(terminate(*qt), 0) << qt->err();
}

// A playlist named on the command line (relative to the working folder)
// opens with its channels listed, joins the kept sources as the one used
// last, and leaves its copy in the cache.
TEST(TembraPlayerProgram, APlaylistOnTheCommandLineOpensAndIsKept) {
  TempDir run("tembra-run");
  std::ofstream(run.file("list.m3u")) << "#EXTM3U\n#EXTINF:-1 group-title=\"News\",First\nhttp://127.0.0.1:9/1.ts\n"
                                         "#EXTINF:-1,Second\nhttp://127.0.0.1:9/2.ts\n";
  auto p = start(run.path(), {"list.m3u"});
  ASSERT_TRUE(windowShown(*p, run.path())) << p->err();
  // "channel-list-filled MICROSECONDS COUNT"
  auto listed = [&] {
    const std::string trace = readFile(run.file("trace"));
    const size_t at = trace.find("channel-list-filled ");
    return at != std::string::npos && trace.substr(trace.find('\n', at) - 2, 2) == " 2";
  };
  EXPECT_TRUE(spinUntil(listed, 20000))
      << readFile(run.file("trace"));
  EXPECT_EQ(terminate(*p), 0) << p->err();
  const std::string sources = readFile(run.file("config/tembra/sources.ini"));
  EXPECT_NE(sources.find("playlist=" + run.path() + "/list.m3u\n"), std::string::npos) << sources;
  EXPECT_NE(sources.find("last=2\n"), std::string::npos) << sources;
  EXPECT_EQ(readFile(run.file("cache/tembra/sources/2/playlist.m3u")), readFile(run.file("list.m3u")));
  EXPECT_FALSE(std::filesystem::exists(run.file("bi.dat"))) << "statistics are the operator's alone";
}

// Without a config.ini nothing answers: the window still shows, and the
// copy ends cleanly on a termination signal, its lock free again.
TEST(TembraPlayerProgram, FirstCopyRunsAndFreesTheLockAtExit) {
  TempDir run("tembra-run");
  auto p = start(run.path());
  ASSERT_TRUE(windowShown(*p, run.path())) << p->err();
  EXPECT_TRUE(std::filesystem::exists(run.file("Quorvi")));
  EXPECT_EQ(terminate(*p), 0) << p->err();
  SingleInstance next(run.path());
  EXPECT_EQ(next.establish(0), SingleInstance::Outcome::Primary);
  // No statistics server was configured: the run's records wait in the
  // backlog for the next one, the shutdown record last.
  const auto records = StatsBacklog::Load(run.file("bi.dat"));
  ASSERT_FALSE(records.empty());
  EXPECT_NE(records.back().find(u"\"00007\""), std::u16string::npos);
}

// A real first copy: the second one is answered (which the first does only
// after bringing its window forward), says nothing and leaves; the first
// goes on.
TEST(TembraPlayerProgram, SecondCopyOfTheProgramHandsOverToTheFirst) {
  TempDir run("tembra-run");
  auto first = start(run.path());
  ASSERT_TRUE(windowShown(*first, run.path())) << first->err();
  auto second = start(run.path());
  ASSERT_TRUE(finished(*second));
  EXPECT_EQ(second->exitCode(), 0) << second->err();
  EXPECT_EQ(second->err(), "");
  const std::string trace = readFile(run.file("trace"));
  EXPECT_EQ(trace.find("window-shown"), trace.rfind("window-shown")) << "the second copy made no window";
  EXPECT_TRUE(first->running());
  EXPECT_EQ(terminate(*first), 0) << first->err();
}

// The whole program under X with its real player, against the demo
// service: a termination signal runs the close sequence, and every record
// of the run reaches the statistics collector.
TEST(TembraPlayerProgram, TerminationSignalRunsTheCloseSequence) {
  test::XvfbServer x;
  if (x.display().empty()) GTEST_SKIP() << "no Xvfb";
  TempDir run("tembra-run");
  // The program reads config.ini beside itself: a copy of it with its files.
  TempDir install("tembra-install");
  namespace fs = std::filesystem;
  for (const char* item : {"tembra-player", "libtembra-web.so", "logo.html", "skin", "languages"})
    fs::copy(ModulePath::record() + item, install.file(item), fs::copy_options::recursive);
  test::DemoService demo({"--write-config", install.path()});
  ASSERT_TRUE(demo.started()) << demo.error();
  auto p = start(run.path(), {}, install.file("tembra-player"), {{"DISPLAY", x.display()}, {"QT_QPA_PLATFORM", "xcb"}});
  ASSERT_TRUE(windowShown(*p, run.path())) << p->err();
  EXPECT_EQ(terminate(*p), 0) << p->err();
  const auto received = demo.Get("/demo/records");
  ASSERT_EQ(received.status, 200);
  const size_t start = received.body.find("\\\"00006\\\"");
  const size_t end = received.body.find("\\\"00007\\\"");
  ASSERT_NE(start, std::string::npos) << received.body;
  ASSERT_NE(end, std::string::npos) << received.body;
  EXPECT_LT(start, end);
  EXPECT_FALSE(fs::exists(run.file("bi.dat"))) << "nothing left behind";
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

// Under X with the demo's notice responder demanding an upgrade: the
// forced-upgrade dialog comes up over the window; its upgrade button starts
// the updater beside the program, and the program ends. (The responder
// needs a network namespace: root.)
TEST(TembraPlayerProgram, ForcedUpgradeNoticeHandsOverToTheUpdater) {
  if (::geteuid() != 0) GTEST_SKIP() << "not root: the notice responder needs a network namespace of its own";
  if (!test::DemoService::HaveProgram("xdotool")) GTEST_SKIP() << "no xdotool";
  test::XvfbServer x;
  if (x.display().empty()) GTEST_SKIP() << "no Xvfb";
  TempDir run("tembra-run");
  TempDir install("tembra-install");
  namespace fs = std::filesystem;
  for (const char* item : {"tembra-player", "libtembra-web.so", "logo.html", "skin", "languages"})
    fs::copy(ModulePath::record() + item, install.file(item), fs::copy_options::recursive);
  std::ofstream(install.file("tembra-autoupdate"))
      << "#!/bin/sh\ntouch \"" << install.file("tembra-autoupdate.ran") << "\"\n";
  fs::permissions(install.file("tembra-autoupdate"), fs::perms::owner_all);
  test::DemoService::Setup setup;
  setup.notice = true;
  setup.args = {"--forced-upgrade", "--write-config", install.path(), "--groups", "2", "--channels-per-group", "3"};
  test::DemoService demo(setup);
  ASSERT_TRUE(demo.started()) << demo.error();
  auto p = start(run.path(), {}, install.file("tembra-player"), {{"DISPLAY", x.display()}, {"QT_QPA_PLATFORM", "xcb"}});
  ASSERT_TRUE(windowShown(*p, run.path())) << p->err();

  // The dialog: the program's second window under its caption, 420 x 172.
  const std::string caption = languageText(u"TV_WND_CAPTION_TEXT");
  auto xdotool = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"env", "DISPLAY=" + x.display(), "xdotool"});
    return test::DemoService::RunProgram(args);
  };
  std::string dialog;
  ASSERT_TRUE(spinUntil([&] {
    const auto found = xdotool({"search", "--onlyvisible", "--name", caption});
    std::istringstream ids(found.output);
    for (std::string id; ids >> id;) {
      if (xdotool({"getwindowgeometry", id}).output.find("420x172") != std::string::npos) dialog = id;
    }
    return !dialog.empty() || !p->running();
  }, 60000) && !dialog.empty()) << p->err();
  // "upgradebtn": 132 x 32 in the bottom right corner, inside the margins.
  xdotool({"mousemove", "--window", dialog, "334", "138", "click", "1"});
  ASSERT_TRUE(finished(*p, 20000)) << p->err();
  EXPECT_EQ(p->exitCode(), 0) << p->err();
  EXPECT_TRUE(fs::exists(install.file("tembra-autoupdate.ran")));
}

}  // namespace
}  // namespace tembra
