// The main window's commands and its close sequence, run for real on a
// started window over a private folder: the home page, the hand-over to
// the updater, the advertisement program at exit, the statistics at close
// (also when their server hangs), the screen-saver rule, and a second copy
// bringing the window back.
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "app/LanguageTable.h"
#include "mainwnd/MainWindowTestKit.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/ScreenSaverRule.h"
#include "mainwnd/SingleInstance.h"
#include "mainwnd/SystemMessages.h"
#include "mainwnd/WindowCommands.h"
#include "mainwnd/WindowModes.h"
#include "platform/LoopbackListener.h"
#include "platform/ProfileFile.h"
#include "platform/Utf.h"
#include "player/PlayerHost.h"
#include "stats/StatsBacklog.h"

namespace tembra {
namespace {

using test::MessageBoxCatcher;
using test::spinFor;
using test::spinUntil;
using test::WindowUnderTest;

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls.push_back(url); }
};

std::string text(const char16_t* key) { return toUtf8(LanguageTable::Instance().GetText(key)); }
std::string textWith(const char16_t* key, const std::string& value) {
  std::string t = text(key);
  const size_t at = t.find("%s");
  return at == std::string::npos ? t : t.replace(at, 2, value);
}

// A companion program that leaves a file behind when it runs.
void writeProgram(const std::string& folder, const std::string& name) {
  const std::string path = folder + "/" + name;
  std::ofstream(path) << "#!/bin/sh\necho ran > \"" << folder << "/" << name << ".ran\"\n";
  ::chmod(path.c_str(), 0755);
}
bool ran(const std::string& folder, const std::string& name, int waitMs = 3000) {
  return spinUntil([&] { return std::filesystem::exists(folder + "/" + name + ".ran"); }, waitMs);
}

class StartedWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    wnd = &under.make();
    start();
  }
  void start() {
    ASSERT_TRUE(wnd->Create());
    ASSERT_TRUE(spinUntil([&] { return wnd->started(); }, 20000));
    ASSERT_TRUE(wnd->isVisible());
    // Made a moment after the window's first frame.
    ASSERT_TRUE(spinUntil([&] { return wnd->player() != nullptr; }, 20000));
    ASSERT_NE(under.player, nullptr);
  }
  bool closed(int waitMs = 3000) { return spinUntil([&] { return !under.quits.empty(); }, waitMs); }
  std::string folder() const { return under.dir.path(); }

  WindowUnderTest under;
  TembraPlayerWnd* wnd = nullptr;
};

TEST_F(StartedWindow, HomePageOpensInTheBrowserOrSaysThereIsNone) {
  UrlCatcher browser;
  QDesktopServices::setUrlHandler("http", &browser, "open");
  {
    MessageBoxCatcher boxes;
    wnd->commands().OpenHomePage();
    EXPECT_EQ(boxes.texts, std::vector<std::string>{text(u"TV_WND_BUT_NOHOMEURL")});
    EXPECT_EQ(boxes.titles, std::vector<std::string>{text(u"TV_WND_MSG_HOMEPAGE_TITLE")}) << "the skinned message";
    EXPECT_TRUE(browser.urls.empty());
  }
  // "HomePage" is the one value config.ini keeps in plain text.
  ASSERT_TRUE(ProfileFile::WriteString(under.dir.file("config.ini"), u"Quorvi", u"HomePage", u"http://tv.example/start"));
  MessageBoxCatcher boxes;
  wnd->commands().OpenHomePage();
  QDesktopServices::unsetUrlHandler("http");
  EXPECT_TRUE(boxes.texts.empty());
  ASSERT_EQ(browser.urls.size(), 1u);
  EXPECT_EQ(browser.urls[0], QUrl("http://tv.example/start"));
}

// With nothing that opens web pages (no xdg-open or browser on PATH, no
// handler) the user is told, with the page to open by hand.
TEST_F(StartedWindow, HomePageWithoutABrowserSaysSoAndNamesThePage) {
  ASSERT_TRUE(ProfileFile::WriteString(under.dir.file("config.ini"), u"Quorvi", u"HomePage", u"http://tv.example/start"));
  const QByteArray path = qgetenv("PATH"), browser = qgetenv("BROWSER"), defaultBrowser = qgetenv("DEFAULT_BROWSER");
  const test::TempDir empty("tembra-no-browser");
  qputenv("PATH", QByteArray::fromStdString(empty.path()));
  qunsetenv("BROWSER");
  qunsetenv("DEFAULT_BROWSER");
  MessageBoxCatcher boxes;
  wnd->commands().OpenHomePage();
  qputenv("PATH", path);
  if (!browser.isNull()) qputenv("BROWSER", browser);
  if (!defaultBrowser.isNull()) qputenv("DEFAULT_BROWSER", defaultBrowser);
  const std::string said = textWith(u"TV_WND_BUT_NOBROWSER", "http://tv.example/start");
  EXPECT_EQ(boxes.texts, std::vector<std::string>{said});
  EXPECT_EQ(boxes.titles, std::vector<std::string>{text(u"TV_WND_MSG_HOMEPAGE_TITLE")});
  EXPECT_TRUE(boxes.plainTexts.empty());
  EXPECT_NE(said.find("http://tv.example/start"), std::string::npos);
  EXPECT_FALSE(wnd->closing());
}

TEST_F(StartedWindow, RunningUpdaterIsBroughtForwardAndTheWindowCloses) {
  writeProgram(folder(), "tembra-advertise");
  under.updaterRunning = true;
  wnd->commands().StartUpdater(false);
  ASSERT_EQ(under.updaterSearches.size(), 1u);
  EXPECT_EQ(toUtf8(under.updaterSearches[0]), text(u"UPDATE_DLG_CAPTION"));
  EXPECT_TRUE(wnd->state().updaterStarted);
  ASSERT_TRUE(closed());
  EXPECT_FALSE(ran(folder(), "tembra-advertise", 300)) << "the updater takes over; no ads at exit";
}

TEST_F(StartedWindow, UpdaterBesideTheExecutableIsStartedAndTheWindowCloses) {
  writeProgram(folder(), "tembra-autoupdate");
  writeProgram(folder(), "tembra-advertise");
  wnd->commands().StartUpdater(false);
  EXPECT_TRUE(ran(folder(), "tembra-autoupdate"));
  EXPECT_TRUE(wnd->state().updaterStarted);
  ASSERT_TRUE(closed());
  EXPECT_FALSE(ran(folder(), "tembra-advertise", 300));
}

TEST_F(StartedWindow, NoUpdaterIsReportedAndTheProgramGoesOn) {
  MessageBoxCatcher boxes;
  wnd->commands().StartUpdater(false);
  // Where to put which program.
  const std::string said = textWith(u"TV_WND_BUT_NOUPGRADE", folder() + "/");
  EXPECT_EQ(boxes.texts, std::vector<std::string>{said});
  EXPECT_NE(said.find("tembra-autoupdate in " + folder() + "/"), std::string::npos) << said;
  EXPECT_EQ(boxes.titles, std::vector<std::string>{text(u"TV_WND_MSG_UPGRADE_TITLE")});
  EXPECT_TRUE(boxes.plainTexts.empty()) << "in the program's own look";
  spinFor(50);
  EXPECT_FALSE(wnd->closing());
  EXPECT_FALSE(wnd->state().updaterStarted);
}

TEST_F(StartedWindow, ForcedUpgradeWithoutUpdaterStillEndsTheRunAndStartsTheAds) {
  writeProgram(folder(), "tembra-advertise");
  MessageBoxCatcher boxes;
  wnd->commands().StartUpdater(true);
  EXPECT_EQ(boxes.texts, std::vector<std::string>{textWith(u"TV_WND_BUT_NOUPGRADE", folder() + "/")});
  ASSERT_TRUE(closed());
  EXPECT_TRUE(ran(folder(), "tembra-advertise"));
}

// Statistics have nowhere to go here: at close they end up in the backlog,
// the shutdown record last.
TEST_F(StartedWindow, CloseSequenceKeepsTheRecordsReleasesThePlayerAndQuits) {
  writeProgram(folder(), "tembra-advertise");
  ASSERT_NE(wnd->stats(), nullptr);
  QWidget* video = under.player->widget();
  ASSERT_NE(video, nullptr);
  EXPECT_TRUE(video->isVisible()) << "shown with the window";
  wnd->handleMessage(WM_CMD_CLOSE, 0, 0);
  EXPECT_FALSE(wnd->closing()) << "the close is posted, the caller finishes first";
  ASSERT_TRUE(closed());
  EXPECT_EQ(under.quits, std::vector<int>{0});
  EXPECT_FALSE(wnd->isVisible());
  EXPECT_EQ(wnd->player()->control(), nullptr) << "released";
  EXPECT_TRUE(ran(folder(), "tembra-advertise"));
  const auto records = StatsBacklog::Load(under.dir.file("bi.dat"));
  ASSERT_FALSE(records.empty());
  EXPECT_NE(records.back().find(u"\"00007\""), std::u16string::npos) << toUtf8(records.back());
}

// The unpacked ads live in the folder "Advertise" beside the program; the
// advertisement program has a name of its own, so it still starts.
TEST_F(StartedWindow, TheAdProgramStartsBesideTheFolderOfUnpackedAds) {
  writeProgram(folder(), "tembra-advertise");
  for (const char* slot : {"Fix", "Pop"}) {
    std::filesystem::create_directories(folder() + "/Advertise/" + slot);
    std::ofstream(folder() + "/Advertise/" + slot + "/index.html") << "<p>ad</p>";
  }
  wnd->handleMessage(WM_CMD_CLOSE, 0, 0);
  ASSERT_TRUE(closed());
  EXPECT_TRUE(ran(folder(), "tembra-advertise"));
  EXPECT_TRUE(std::filesystem::is_directory(folder() + "/Advertise/Fix"));
}

// The upload thread gets the time its bounded upload takes, never more: a
// statistics server that accepts and never answers does not hold the exit.
TEST(CloseSequence, HangingStatisticsServerDoesNotHoldTheExit) {
  test::LoopbackListener silent("", test::LoopbackListener::Mode::Silent);
  WindowUnderTest under;
  TembraPlayerWnd::Setup setup = under.setup();
  under.config->WriteValue(u"BIServer", fromUtf8("http://127.0.0.1:" + std::to_string(silent.port()) + "/"));
  under.window = std::make_unique<TembraPlayerWnd>(std::move(setup));
  TembraPlayerWnd& wnd = *under.window;
  ASSERT_TRUE(wnd.Create());
  ASSERT_TRUE(spinUntil([&] { return wnd.started(); }, 20000));
  ASSERT_TRUE(spinUntil([&] { return silent.connections() > 0; }, 10000)) << "an upload is under way";
  QElapsedTimer clock;
  clock.start();
  wnd.close();
  EXPECT_EQ(under.quits, std::vector<int>{0});
  EXPECT_LT(clock.elapsed(), std::chrono::milliseconds(StatsReporter::kCloseWait).count() + 3000);
  const auto records = StatsBacklog::Load(under.dir.file("bi.dat"));
  ASSERT_FALSE(records.empty()) << "kept for the next run";
  EXPECT_NE(records.back().find(u"\"00007\""), std::u16string::npos);
}

TEST_F(StartedWindow, ScreenSaverHeldOnlyWhileThePlayerSaysSo) {
  EXPECT_EQ(wnd->handleMessage(WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
  under.player->holdDisplay = 1;
  EXPECT_EQ(wnd->handleMessage(WM_SYSCOMMAND, SC_SCREENSAVE, 0), 1);
  EXPECT_EQ(wnd->handleMessage(WM_SYSCOMMAND, SC_MONITORPOWER, 0), 1);
  // The desktop is told on the window's own poll, without any user action.
  ASSERT_TRUE(spinUntil([&] { return !under.inhibits.empty(); }, TembraPlayerWnd::kScreenSaverPollMs + 2000));
  EXPECT_EQ(under.inhibits, std::vector<bool>{true});
  under.player->holdDisplay = 0;
  // ... and at once after a user's action.
  wnd->notify(SkinNotification{QStringLiteral("click"), QStringLiteral("title"), nullptr, -1});
  EXPECT_EQ(under.inhibits, (std::vector<bool>{true, false}));
  under.player->holdDisplay = 1;
  wnd->screenSaver().refresh();
  wnd->close();
  EXPECT_EQ(under.inhibits, (std::vector<bool>{true, false, true, false})) << "let go at close";
}

// A second copy's request reaches the window through the socket it opened
// once its layout was loaded.
TEST(SecondCopy, AsksTheRunningWindowToComeBack) {
  test::TempDir runtime("tembra-rt");
  SingleInstance instance(runtime.path());
  ASSERT_EQ(instance.establish(0), SingleInstance::Outcome::Primary);
  WindowUnderTest under;
  TembraPlayerWnd::Setup setup = under.setup();
  setup.instance = &instance;
  under.window = std::make_unique<TembraPlayerWnd>(std::move(setup));
  TembraPlayerWnd& wnd = *under.window;
  EXPECT_FALSE(instance.listening());
  ASSERT_TRUE(wnd.Create());
  EXPECT_TRUE(instance.listening());
  ASSERT_TRUE(spinUntil([&] { return wnd.started(); }, 20000));
  wnd.modes().Minimise();
  ASSERT_TRUE(wnd.isMinimized());

  std::atomic<int> outcome{-1};
  std::thread second([&] {
    SingleInstance copy(runtime.path());
    outcome = static_cast<int>(copy.establish(2000));
  });
  ASSERT_TRUE(spinUntil([&] { return outcome.load() >= 0; }, 8000));
  second.join();
  EXPECT_EQ(outcome.load(), static_cast<int>(SingleInstance::Outcome::HandedOver));
  EXPECT_FALSE(wnd.isMinimized());
  wnd.close();
  EXPECT_FALSE(instance.listening()) << "a closing window answers nobody";
}

}  // namespace
}  // namespace tembra

#include "WindowCommandsTest.moc"
