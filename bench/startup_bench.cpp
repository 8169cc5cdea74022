// Start-up speed: from starting tembra-player (2,000 channels on the demo
// service, on loopback, offscreen) until its window is drawn with the
// channel list filled, against a bare Qt program that draws one window
// (this program, run with --bare; it loads Qt Widgets and nothing else),
// measured in the same run. Both write the
// moments to the file TEMBRA_STARTUP_TRACE names, stamped with the
// monotonic clock this program also reads just before it starts them.
// Medians of interleaved runs, after one warm-up run of each.
//
// Then the operator's 20,000 channels against those 2,000, and a playlist
// of 10,000 channels (the demo's line-up as M3U, opened from
// the source's cache as a second start finds it) against the operator's
// catalogue of the same 10,000 channels.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "integration/DemoService.h"
#include "platform/ModulePath.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRuns = 5;
constexpr int kGroups = 20;
constexpr int kChannelsPerGroup = 100;
constexpr int kLimitMs = 60000;

long long nowMicros() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The moments of one trace file: name -> (time, detail).
std::map<std::string, std::pair<long long, std::string>> readTrace(const std::string& path) {
  std::map<std::string, std::pair<long long, std::string>> marks;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, detail;
    long long at = 0;
    if (!(fields >> name >> at)) continue;
    std::getline(fields >> std::ws, detail);
    marks.emplace(name, std::make_pair(at, detail));
  }
  return marks;
}

struct Run {
  double toPictureMs = -1;  // until the first picture (both programs)
  double toListMs = -1;     // until the channel list held channels (the player)
  std::string listCount;
  std::map<std::string, double> marksMs;  // every mark, from the start
};

// The player's moments reported as detail lines, in the order they come.
const char* const kPhases[] = {"app-start",        "splash-shown",    "window-created", "startup-begin",
                               "reporter-made",    "catalogue-loaded", "channels-listed", "guide-made",
                               "window-shown",     "window-painted",  "channel-list-filled", "player-begin",
                               "player-component", "player-started"};

// Starts program with args in folder, waits until the trace holds every
// mark in wanted, then ends it with SIGTERM.
// configHome holds the user's kept sources (the playlist runs keep theirs
// apart from the operator's runs).
std::optional<Run> runOnce(const std::string& program, const std::vector<std::string>& args,
                           const std::string& folder, const std::vector<std::string>& wanted,
                           const std::string& configHome = "") {
  const std::string trace = folder + "/trace";
  fs::remove(trace);
  const long long start = nowMicros();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::chdir(folder.c_str());
    ::setenv("TEMBRA_STARTUP_TRACE", trace.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string home = configHome.empty() ? folder + "/config" : configHome;
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home + "-cache").c_str(), 1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  std::map<std::string, std::pair<long long, std::string>> marks;
  bool complete = false;
  while (nowMicros() - start < kLimitMs * 1000LL) {
    marks = readTrace(trace);
    complete = std::all_of(wanted.begin(), wanted.end(), [&](const std::string& m) { return marks.count(m) > 0; });
    if (complete) break;
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
  if (!complete) return std::nullopt;
  Run run;
  for (const auto& [name, mark] : marks) run.marksMs[name] = (mark.first - start) / 1000.0;
  run.toPictureMs = (marks["window-painted"].first - start) / 1000.0;
  if (marks.count("channel-list-filled")) {
    run.toListMs = (marks["channel-list-filled"].first - start) / 1000.0;
    run.listCount = marks["channel-list-filled"].second;
  }
  return run;
}

// The baseline: one plain Qt window, shown and drawn, marked as the player
// marks its own (at its first exposure, once the paint it starts is done).
class FirstPicture : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [] {
        const std::string line = "window-painted " + std::to_string(nowMicros()) + "\n";
        const int fd = ::open(std::getenv("TEMBRA_STARTUP_TRACE"), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd >= 0 && ::write(fd, line.data(), line.size()) > 0) ::close(fd);
      });
    }
    return false;
  }
};

int bare(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(936, 529);
  window.winId();
  FirstPicture watch;
  window.windowHandle()->installEventFilter(&watch);
  window.show();
  return app.exec();
}

// The same player on 10,000 channels: the operator's catalogue, and the same
// line-up as a playlist opened from its cache.
int playlistCase(const std::string& install, const std::string& work, const std::string& player,
                 const std::vector<std::string>& marks) {
  tembra::test::DemoService big({"--groups", "100", "--channels-per-group", "100", "--write-config", install});
  if (!big.started()) {
    std::fprintf(stderr, "startup_bench: the 10,000-channel demo did not start: %s\n", big.error().c_str());
    return 1;
  }
  const std::vector<std::string> playlist{big.base() + "/playlist.m3u"};
  const std::string operatorHome = work + "/operator-config", playlistHome = work + "/playlist-config";
  // Warm-up; the playlist's first run fills its cache.
  if (!runOnce(player, {}, work, marks, operatorHome) || !runOnce(player, playlist, work, marks, playlistHome)) {
    std::fprintf(stderr, "startup_bench: a 10,000-channel run did not fill its channel list\n");
    return 1;
  }
  std::vector<double> op, pl;
  std::string opCount, plCount;
  for (int i = 0; i < kRuns; ++i) {
    if (auto r = runOnce(player, {}, work, marks, operatorHome)) {
      op.push_back(std::max(r->toPictureMs, r->toListMs));
      opCount = r->listCount;
    }
    if (auto r = runOnce(player, playlist, work, marks, playlistHome)) {
      pl.push_back(std::max(r->toPictureMs, r->toListMs));
      plCount = r->listCount;
    }
  }
  if (op.empty() || pl.empty()) {
    std::fprintf(stderr, "startup_bench: no complete 10,000-channel run\n");
    return 1;
  }
  std::printf("operator catalogue: window drawn with %s channels listed after %.1f ms (median of %zu)\n",
              opCount.c_str(), median(op), op.size());
  std::printf("playlist from its cache: window drawn with %s channels listed after %.1f ms (median of %zu)\n",
              plCount.c_str(), median(pl), pl.size());
  std::printf("ratio startup_playlist_cached_vs_operator %.3f goal 1.0\n", median(pl) / median(op));
  return 0;
}

// The operator's catalogue of 20,000 channels against the 2,000 of the
// main case (medians of the same kind): a large line-up may cost the
// start-up its parsing and list filling, not much more.
int largeLineUpCase(const std::string& install, const std::string& work, const std::string& player,
                    const std::vector<std::string>& marks, double smallMs) {
  const std::string folder = work + "/large";
  fs::create_directories(folder);
  for (const auto& entry : fs::directory_iterator(install))
    fs::copy(entry.path(), folder + "/" + entry.path().filename().string(), fs::copy_options::recursive);
  tembra::test::DemoService large({"--groups", "20", "--channels-per-group", "1000", "--write-config", folder});
  if (!large.started()) {
    std::fprintf(stderr, "startup_bench: the 20,000-channel demo did not start: %s\n", large.error().c_str());
    return 1;
  }
  const std::string largePlayer = folder + "/tembra-player";
  if (!runOnce(largePlayer, {}, work, marks)) {
    std::fprintf(stderr, "startup_bench: the 20,000-channel run did not fill its channel list\n");
    return 1;
  }
  std::vector<double> times;
  std::string count;
  for (int i = 0; i < kRuns; ++i) {
    if (auto r = runOnce(largePlayer, {}, work, marks)) {
      times.push_back(std::max(r->toPictureMs, r->toListMs));
      count = r->listCount;
    }
  }
  if (times.empty()) return 1;
  std::printf("operator catalogue: window drawn with %s channels listed after %.1f ms (median of %zu)\n",
              count.c_str(), median(times), times.size());
  std::printf("ratio startup_20000_vs_2000_channels %.3f goal 2\n", smallMs > 0 ? median(times) / smallMs : 0.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--bare") return bare(argc, argv);
  if (argc > 1) {
    std::fprintf(stderr, "usage: startup_bench (no arguments)\n");
    return 2;
  }

  const std::string here = tembra::ModulePath::record();
  const std::string self = here + "startup_bench";
  // The player reads config.ini beside itself: a copy with its files.
  const tembra::test::TempDir installDir("startup-bench-install"), workDir("startup-bench-run");
  const std::string& install = installDir.path();
  const std::string& work = workDir.path();
  for (const char* item : {"tembra-player", "libtembra-web.so", "logo.html", "skin", "languages"})
    fs::copy(here + item, install + "/" + item, fs::copy_options::recursive);

  tembra::test::DemoService demo({"--groups", std::to_string(kGroups), "--channels-per-group",
                                  std::to_string(kChannelsPerGroup), "--write-config", install});
  if (!demo.started()) {
    std::fprintf(stderr, "startup_bench: the demo service did not start: %s\n", demo.error().c_str());
    return 1;
  }
  const std::string player = install + "/tembra-player";
  const std::vector<std::string> playerMarks{"window-painted", "channel-list-filled"};
  const std::vector<std::string> bareMarks{"window-painted"};

  // Warm-up: files in the page cache, the demo's replies generated once.
  auto warmPlayer = runOnce(player, {}, work, playerMarks);
  auto warmBare = runOnce(self, {"--bare"}, work, bareMarks);
  if (!warmPlayer || !warmBare) {
    std::fprintf(stderr, "startup_bench: %s did not reach its first picture with a filled channel list\n",
                 !warmPlayer ? "tembra-player" : "the bare window");
    return 1;
  }

  std::vector<double> ours, lists, baseline;
  std::map<std::string, std::vector<double>> phases;
  std::string count;
  for (int i = 0; i < kRuns; ++i) {
    if (auto r = runOnce(player, {}, work, playerMarks)) {
      ours.push_back(std::max(r->toPictureMs, r->toListMs));
      lists.push_back(r->toListMs);
      count = r->listCount;
      for (const char* phase : kPhases)
        if (r->marksMs.count(phase)) phases[phase].push_back(r->marksMs[phase]);
    }
    if (auto r = runOnce(self, {"--bare"}, work, bareMarks)) baseline.push_back(r->toPictureMs);
  }
  if (ours.empty() || baseline.empty()) {
    std::fprintf(stderr, "startup_bench: no complete run\n");
    return 1;
  }
  const double oursMs = median(ours), baseMs = median(baseline);
  std::printf("tembra-player: window drawn with %s channels listed after %.1f ms (median of %zu; list filled at %.1f ms)\n",
              count.c_str(), oursMs, ours.size(), median(lists));
  // A phase that came after the run was ended (the player, made a moment
  // after the first frame) is left out.
  for (const char* phase : kPhases)
    if (!phases[phase].empty()) std::printf("  tembra-player %s at %.1f ms\n", phase, median(phases[phase]));
  std::printf("bare Qt window: drawn after %.1f ms (median of %zu)\n", baseMs, baseline.size());
  std::printf("ratio startup_vs_bare_qt %.3f goal 5\n", baseMs > 0 ? oursMs / baseMs : 0.0);
  if (const int failed = largeLineUpCase(install, work, player, playerMarks, oursMs)) return failed;
  return playlistCase(install, work, player, playerMarks);
}
