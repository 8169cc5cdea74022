// Channel switch speed: time from the host's PlayAddress to the first
// decoded frame of a paced live demo-service stream, for the player with
// its live tuning against a bare libmpv handle with default options (and
// the mpv program when it is installed) on the same streams in the same
// run. Null video and audio outputs for all, so only opening, probing,
// buffering and decoding count. Medians of a dozen switches each, after a
// warm-up round that also has the demo make every channel's stream.
#include <mpv/client.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "integration/DemoService.h"
#include "platform/Utf.h"
#include "player/MpvPlayer.h"
#include "player/PlayerHost.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kZaps = 12;
constexpr int kChannels = 6;
constexpr int kFrameLimitMs = 60000;

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

std::string channelUrl(const tembra::test::DemoService& demo, int i) {
  return demo.base() + "/stream/" + std::to_string(10001 + i % kChannels);
}

// The player as the window drives it.
class TunedPlayer {
 public:
  explicit TunedPlayer(const std::string& settings) {
    tembra::MpvPlayer::Config config;
    config.renderVideo = false;
    config.audio = false;
    config.logoPage = false;
    config.settingsPath = QString::fromStdString(settings);
    auto owned = std::make_unique<tembra::MpvPlayer>(config);
    player_ = owned.get();
    host_ = std::make_unique<tembra::PlayerHost>(std::move(owned));
    host_->StartPlayer({0, 0, 640, 360}, u"", u"/nowhere/");
  }
  // -1 when no frame came.
  double zap(const std::string& url) {
    const auto start = Clock::now();
    host_->PlayAddress(tembra::fromUtf8(url), u"Channel");
    QElapsedTimer limit;
    limit.start();
    while (!(player_->state() == tembra::MpvPlayer::State::Playing && player_->estimatedFrameNumber() >= 0)) {
      if (player_->state() == tembra::MpvPlayer::State::Failed || limit.elapsed() > kFrameLimitMs) return -1;
      QApplication::processEvents(QEventLoop::AllEvents, 1);
      QThread::usleep(500);
    }
    return ms(start, Clock::now());
  }
  void stop() { host_->StopPlayer(); }

 private:
  tembra::MpvPlayer* player_;
  std::unique_ptr<tembra::PlayerHost> host_;
};

// A bare handle: nothing set but the null outputs.
class DefaultMpv {
 public:
  DefaultMpv() {
    handle_ = mpv_create();
    mpv_set_option_string(handle_, "vo", "null");
    mpv_set_option_string(handle_, "ao", "null");
    mpv_initialize(handle_);
  }
  ~DefaultMpv() { mpv_terminate_destroy(handle_); }
  double zap(const std::string& url) {
    const auto start = Clock::now();
    const char* args[] = {"loadfile", url.c_str(), "replace", nullptr};
    mpv_command(handle_, args);
    bool started = false, restarted = false;
    for (;;) {
      if (ms(start, Clock::now()) > kFrameLimitMs) return -1;
      mpv_event* e = mpv_wait_event(handle_, 0.0005);
      if (e->event_id == MPV_EVENT_START_FILE) started = true;
      if (started && e->event_id == MPV_EVENT_PLAYBACK_RESTART) restarted = true;
      if (started && e->event_id == MPV_EVENT_END_FILE) return -1;
      int64_t frame = -1;
      if (restarted && mpv_get_property(handle_, "estimated-frame-number", MPV_FORMAT_INT64, &frame) >= 0 &&
          frame >= 0)
        return ms(start, Clock::now());
    }
  }
  void stop() {
    const char* args[] = {"stop", nullptr};
    mpv_command(handle_, args);
  }

 private:
  mpv_handle* handle_;
};

// The mpv program, start-up included: until it exits after one frame.
double programZap(const std::string& url) {
  const auto start = Clock::now();
  const std::string cmd = "mpv --no-config --really-quiet --vo=null --ao=null --frames=1 '" + url + "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return -1;
  return ms(start, Clock::now());
}

std::vector<double> run(const char* label, const std::function<double(int)>& zap,
                        const std::function<void()>& between) {
  std::vector<double> times;
  for (int i = 0; i < kZaps; ++i) {
    const double t = zap(i);
    if (t >= 0) times.push_back(t);
    between();
  }
  std::printf("%s: median %.1f ms over %zu switches (min %.1f, max %.1f)\n", label, median(times), times.size(),
              times.empty() ? 0 : *std::min_element(times.begin(), times.end()),
              times.empty() ? 0 : *std::max_element(times.begin(), times.end()));
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");

  tembra::test::DemoService::Setup setup;
  setup.args = {"--groups", "1", "--channels-per-group", std::to_string(kChannels), "--stream-seconds", "4"};
  tembra::test::DemoService demo(setup);
  if (!demo.started()) {
    std::fprintf(stderr, "zap_bench: the demo service did not start: %s\n", demo.error().c_str());
    return 1;
  }
  const std::string settings = "/tmp/tembra-zap-bench-" + std::to_string(getpid()) + ".ini";
  {
    TunedPlayer tuned(settings);
    DefaultMpv plain;
    // Warm-up: every channel's segment made and cached, both paths touched.
    for (int i = 0; i < kChannels; ++i) {
      if (tuned.zap(channelUrl(demo, i)) < 0) {
        std::fprintf(stderr, "zap_bench: channel %d does not play\n", i);
        return 1;
      }
      plain.zap(channelUrl(demo, i));
    }
    tuned.stop();
    plain.stop();

    // Interleaved rounds, so drift in the machine's load hits both alike.
    std::vector<double> ours, baseline;
    for (int round = 0; round < 2; ++round) {
      auto a = run("tuned player", [&](int i) { return tuned.zap(channelUrl(demo, i + round)); }, [] {});
      tuned.stop();
      auto b = run("default libmpv", [&](int i) { return plain.zap(channelUrl(demo, i + round)); }, [] {});
      plain.stop();
      ours.insert(ours.end(), a.begin(), a.end());
      baseline.insert(baseline.end(), b.begin(), b.end());
    }
    if (tembra::test::DemoService::HaveProgram("mpv")) {
      run("mpv program (with its start-up)", [&](int i) { return programZap(channelUrl(demo, i)); }, [] {});
    } else {
      std::printf("mpv program: not installed\n");
    }
    const double oursMs = median(ours), baseMs = median(baseline);
    std::printf("first frame after a switch: tuned %.1f ms, default libmpv %.1f ms (medians of %zu and %zu)\n",
                oursMs, baseMs, ours.size(), baseline.size());
    std::printf("ratio zap_first_frame_vs_default_mpv %.3f goal 0.45\n", baseMs > 0 ? oursMs / baseMs : 0.0);
  }
  std::filesystem::remove(settings);
  return 0;
}
