// Record calls run on the window's thread and must not wait on the upload.
// Measures channel-switch records while the upload thread is held by a
// collector that accepts and never answers, against the same calls while
// the upload thread sleeps, in the same run. Best of several runs after a
// warm-up.
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/Utf.h"
#include "stats/StatsReporter.h"

using namespace tembra;

namespace {

constexpr int kCalls = 20000;
constexpr int kRuns = 5;

// A listening socket that never accepts: connections complete in the
// kernel and requests are never answered.
struct SilentCollector {
  int fd = -1;
  uint16_t port = 0;
  SilentCollector() {
    fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, 64) != 0) std::abort();
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
  }
  ~SilentCollector() { close(fd); }
};

double secondsFor(StatsReporter& stats, bool signal) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCalls; ++i)
    stats.recordChannelWatch(signal, u"10002", u"संगम Beats", u"121", u"News");
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double best(StatsReporter& stats, bool signal) {
  secondsFor(stats, signal);  // warm-up: fresh memory is slow to touch here
  double b = 1e9;
  for (int r = 0; r < kRuns; ++r) b = std::min(b, secondsFor(stats, signal));
  return b;
}

}  // namespace

int main() {
  char folder[] = "/tmp/stats-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  SilentCollector collector;
  const std::u16string url = asciiToUtf16("http://127.0.0.1:" + std::to_string(collector.port));
  auto setup = [&](const char* name) {
    StatsReporter::Setup s;
    s.backlogPath = std::string(folder) + "/" + name;
    s.measureClock = false;
    s.machineAddress = u"00-1A-2B-3C-4D-5E";
    s.osName = u"Bench OS";
    return s;
  };
  double idle, held;
  {
    auto quiet = StatsReporter::create(url, setup("idle.dat"));
    idle = best(*quiet, false);
  }
  {
    auto busy = StatsReporter::create(url, setup("held.dat"));
    busy->recordCatalogueLoaded();  // the upload thread now waits on the collector
    held = best(*busy, true);
  }
  std::filesystem::remove_all(folder);
  std::printf("record calls, upload thread asleep: %.1f ns/call\n", idle * 1e9 / kCalls);
  std::printf("record calls, upload held by a silent collector: %.1f ns/call\n", held * 1e9 / kCalls);
  std::printf("ratio stats_record_while_upload_held %.2f goal 1.50\n", held / idle);
  return 0;
}
