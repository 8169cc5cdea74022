#include "e2e/EndToEnd.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <thread>

#include "e2e/CollectorRecords.h"

namespace tembra::test {

std::string readAll(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

namespace fs = std::filesystem;

namespace {

std::string tail(const std::string& text, size_t lines) {
  size_t at = text.size();
  for (size_t n = 0; n <= lines; ++n) {
    if (at == 0) return text;
    at = text.rfind('\n', at - 1);
    if (at == std::string::npos) return text;
  }
  return text.substr(at + 1);
}

}  // namespace

void EndToEnd::SetUp() {
  x_ = std::make_unique<XSession>();
  if (!x_->usable()) GTEST_SKIP() << "no X display for the window: " << x_->reason();
  bus_ = std::make_unique<SessionBus>();
  if (bus_->address().empty()) GTEST_SKIP() << "no private session bus: " << bus_->error();
  root_ = std::make_unique<TempDir>("tembra-e2e");
  folders_ = PlayerFolders{root_->file("program"), root_->file("state"), root_->file("runtime"), root_->file("home")};
  fs::create_directories(folders_.state);
  fs::create_directories(folders_.home);
  std::string error;
  ASSERT_TRUE(PlayerProcess::PrepareProgramFolder(folders_.program, error)) << error;
  fs::remove_all(shotFolder());
  fs::create_directories(shotFolder());
}

void EndToEnd::TearDown() {
  const bool failed = HasFailure();
  for (auto& p : players_) {
    if (failed) {
      const std::string log = p->log();
      // A sanitizer's report names the fault; the tail may be far past it.
      size_t report = std::string::npos;
      for (const char* mark : {"WARNING: ThreadSanitizer", "ERROR: ThreadSanitizer", "ERROR: AddressSanitizer"})
        report = std::min(report, log.find(mark));
      if (report != std::string::npos)
        std::cerr << "--- the first sanitizer report in " << p->logPath() << ":\n" << log.substr(report, 12000) << "---\n";
      std::cerr << "--- the end of " << p->logPath() << ":\n" << tail(log, 40) << "---\n";
    }
  }
  if (failed && root_) {
    std::cerr << "--- the test's folders:\n";
    for (const auto& e : fs::recursive_directory_iterator(root_->path(), fs::directory_options::skip_permission_denied)) {
      if (e.is_symlink()) continue;
      std::cerr << "  " << e.path().string().substr(root_->path().size() + 1) << "\n";
    }
  }
  players_.clear();
  tray_.reset();
  demo_.reset();
}

TrayHost* EndToEnd::startTrayHost() {
  const std::string program = SessionBus::trayHostProgram();
  if (program.empty()) return nullptr;
  tray_ = std::make_unique<TrayHost>(program, bus_->address());
  EXPECT_TRUE(tray_->ready()) << tray_->error();
  return tray_->ready() ? tray_.get() : nullptr;
}

std::string EndToEnd::shotFolder() const {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (auto& c : name)
    if (c == '/') c = '.';
  return std::string(TEMBRA_E2E_SHOTS) + "/" + name;
}

bool EndToEnd::startDemo(std::vector<std::string> args, bool notice) {
  DemoService::Setup setup;
  setup.args = std::move(args);
  setup.args.insert(setup.args.end(), {"--write-config", folders_.program});
  setup.notice = notice;
  setup.pregenerate = true;
  demo_ = std::make_unique<DemoService>(std::move(setup));
  EXPECT_TRUE(demo_->started()) << demo_->error();
  demoPort_ = demo_->port();
  return demo_->started();
}

bool EndToEnd::restartDemo(std::vector<std::string> args) {
  demo_.reset();
  DemoService::Setup setup;
  setup.args = std::move(args);
  setup.args.insert(setup.args.end(), {"--listen", "127.0.0.1:" + std::to_string(demoPort_)});
  setup.pregenerate = true;
  demo_ = std::make_unique<DemoService>(std::move(setup));
  EXPECT_TRUE(demo_->started()) << demo_->error();
  if (demo_->started()) {
    EXPECT_EQ(demo_->port(), demoPort_);
  }
  return demo_->started();
}

void EndToEnd::stopDemo() {
  if (demo_) {
    EXPECT_EQ(demo_->Stop(), 0);
  }
}

bool EndToEnd::setFaults(const std::string& form) {
  const auto reply = demo_->Post("/demo/faults", form);
  EXPECT_EQ(reply.status, 200) << reply.body;
  return reply.status == 200;
}

std::vector<std::string> EndToEnd::records() const { return demo_->Records(); }

bool EndToEnd::waitForRecord(const std::string& code, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    for (const auto& c : eventCodes(records()))
      if (c == code) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

PlayerProcess& EndToEnd::startPlayer(const std::map<std::string, std::string>& env,
                                     const std::vector<std::string>& args) {
  startedAt_ = std::chrono::steady_clock::now();
  const std::string log = players_.empty() ? "tembra-player.log" : "tembra-player-" + std::to_string(players_.size() + 1) + ".log";
  players_.push_back(std::make_unique<PlayerProcess>(folders_, x_->display(), bus_->address(), log, env, args));
  return *players_.back();
}

std::string EndToEnd::waitForMainWindow(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  window_.clear();
  while (window_.empty() && std::chrono::steady_clock::now() < deadline && player().running()) {
    window_ = x_->waitForWindow(kTitle, 200);
  }
  if (window_.empty()) {
    ADD_FAILURE() << "no main window within " << timeoutMs << " ms"
                  << (player().running() ? "" : " (the program ended with " + std::to_string(player().exitCode()) + ")");
    return {};
  }
  shownAfterMs_ = static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - startedAt_).count());
  std::cout << "window shown after " << shownAfterMs_ << " ms\n";
  return window_;
}

WindowPlaces EndToEnd::places() const { return WindowPlaces(x_->geometry(window_)); }

QImage EndToEnd::shot(const std::string& name) { return x_->screenshot(shotFolder() + "/" + name + ".png"); }

bool EndToEnd::waitForScreen(const std::string& name, const std::function<bool(const QImage&)>& done, int timeoutMs,
                             QImage* last) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  const std::string path = shotFolder() + "/" + name + ".png";
  QImage image;
  bool ok = false;
  do {
    image = x_->grab();
    ok = !image.isNull() && done(image);
    if (!ok) std::this_thread::sleep_for(std::chrono::milliseconds(300));
  } while (!ok && std::chrono::steady_clock::now() < deadline);
  if (!image.isNull()) image.save(QString::fromStdString(path));
  if (last) *last = image;
  return ok;
}

bool EndToEnd::waitForChannelRows(const std::string& name, const WindowPlaces& at, int timeoutMs, QImage* last) {
  return waitForScreen(name, [&](const QImage& s) { return channelRowsShown(s, at); }, timeoutMs, last);
}

bool EndToEnd::waitForGuideRows(const std::string& name, const PixelRect& list, int timeoutMs, QImage* last) {
  return waitForScreen(name, [&](const QImage& s) { return guideRowsShown(s, list); }, timeoutMs, last);
}

bool EndToEnd::waitForPicture(const std::string& name, const PixelRect& area, int timeoutMs) {
  return waitForScreen(name, [&](const QImage& s) { return pictureShown(s, area); }, timeoutMs);
}

bool EndToEnd::waitForNewPicture(const std::string& name, const QImage& before, const PixelRect& area, int timeoutMs,
                                 QImage* last) {
  return waitForScreen(
      name, [&](const QImage& s) { return pictureShown(s, area) && changedShare(before, s, area) > 0.3; }, timeoutMs,
      last);
}

bool EndToEnd::clickVideo(const WindowPlaces& at) {
  const PixelRect video = at.video();
  return click({(video.left + video.right) / 2, (video.top + video.bottom) / 2});
}

bool EndToEnd::startListing(const std::map<std::string, std::string>& env) {
  if (!startDemo()) return false;  // startDemo says why
  startPlayer(env);
  if (waitForMainWindow().empty()) return false;  // and so does waitForMainWindow
  if (!waitForChannelRows("start", places(), 15000)) {
    ADD_FAILURE() << "no channel rows within 15 s (see start.png)";
    return false;
  }
  return true;
}

void EndToEnd::closeByButton() {
  ASSERT_TRUE(click(places().closeButton()));
  // The close sequence waits at most a few seconds for the last upload.
  const bool ended = player().waitForExit(20000);
  ASSERT_TRUE(ended) << "the close button did not end the program";
  EXPECT_TRUE(player().exitedNormally());
  EXPECT_EQ(player().exitCode(), 0);
}

void EndToEnd::closeBySigterm() {
  const bool ended = player().terminate(20000);
  ASSERT_TRUE(ended) << "SIGTERM did not end the program";
  EXPECT_TRUE(player().exitedNormally()) << "ended by the signal itself, not by the close sequence";
  EXPECT_EQ(player().exitCode(), 0);
}

void EndToEnd::checkEventLoop(const std::string& what, PlayerProcess& run) {
  // While the program runs the figure may be up to a second old, and the
  // first one is written a second after the first frame, which a slow
  // (sanitizer) build may show only now.
  if (run.running()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3 * kSlowdown);
    while (!run.probe().written && run.running() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const auto probe = run.probe();
  ASSERT_TRUE(probe.written) << "the event-loop probe wrote nothing to " << run.probePath();
  // On a machine busy with other work the thread also waits for a CPU;
  // the program answers for the rest of the delay.
  const long own = probe.worstOwnMs >= 0 ? probe.worstOwnMs : probe.worstMs;
  std::cout << "worst event-loop delay " << what << ": " << own << " ms (" << probe.worstMs
            << " ms with the waits for a CPU; " << probe.ticks << " ticks measured; first frame "
            << probe.firstFrameMs << " ms after the show; limit " << kLoopLimitMs << " ms); while the player and "
            << "web panes were made after the first frame: " << probe.settleOwnMs << " ms (limit " << kSettleLimitMs
            << " ms)\n";
  RecordProperty("worst_loop_delay_ms", std::to_string(own));
  RecordProperty("settle_loop_delay_ms", std::to_string(probe.settleOwnMs));
  EXPECT_LE(probe.settleOwnMs, kSettleLimitMs) << what;
  EXPECT_GE(probe.ticks, 1) << "the probe measured";
  // The program tells each stall on stderr; they say when it happened.
  std::string stalls;
  std::istringstream log(run.log());
  for (std::string line; std::getline(log, line);)
    if (line.rfind("event loop: ", 0) == 0) stalls += "\n  " + line;
  EXPECT_LE(own, kLoopLimitMs) << what << stalls;
}

int countCode(const std::vector<std::string>& records, const std::string& code) {
  int n = 0;
  for (const auto& c : eventCodes(records)) n += c == code;
  return n;
}

void expectOneRun(const std::vector<std::string>& got, int channelsWatched, bool catalogueAtStart) {
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(eventCode(got.front()), kStart) << joinCodes(got);
  EXPECT_EQ(eventCode(got.back()), kClose) << joinCodes(got);
  EXPECT_EQ(countCode(got, kStart), 1) << joinCodes(got);
  EXPECT_EQ(countCode(got, kStartupDone), 1) << joinCodes(got);
  EXPECT_EQ(countCode(got, kWatched), channelsWatched) << joinCodes(got);
  EXPECT_EQ(countCode(got, kClose), 1) << joinCodes(got);
  if (catalogueAtStart) EXPECT_EQ(countCode(got, kCatalogueLoaded), 1) << joinCodes(got);
  else EXPECT_LE(countCode(got, kCatalogueLoaded), 1) << joinCodes(got);
  EXPECT_EQ(std::set<std::string>(got.begin(), got.end()).size(), got.size()) << "a record sent twice";
}

}  // namespace tembra::test
