#include "StreamCache.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ProcessRunner.h"
#include "Rng.h"

namespace tembra {

namespace {

constexpr int kFfmpegSeconds = 180;
// Bumped whenever the ffmpeg recipe changes, so old cached files are not used.
constexpr const char* kRecipe = "r2";
constexpr const char* kTracksRecipe = "t1";
// The tracks stream's subtitles: one cue every other second.
constexpr int kCueSeconds = 2;

// Characters that need no quoting inside an ffmpeg filter graph option.
bool plainFilterText(const std::string& text) {
  for (char c : text)
    if (!(isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.' || c == '_' || c == '-' ||
          c == '+'))
      return false;
  return !text.empty();
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string firstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  return line.empty() ? "no message" : line;
}

}  // namespace

StreamCache::StreamCache(std::string cacheFolder, uint32_t seconds, ShutdownFlag& shutdown)
    : folder_(std::move(cacheFolder) + "/streams"),
      seconds_(seconds),
      shutdown_(shutdown),
      ffmpeg_(ProcessRunner::FindProgram("ffmpeg")) {
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
}

StreamCache::~StreamCache() {
  if (prefetch_.joinable()) prefetch_.join();
  if (tracksPrefetch_.joinable()) tracksPrefetch_.join();
}

// Called from the server's worker threads: the first caller starts it.
void StreamCache::PrefetchTracks() {
  if (!available()) return;
  std::lock_guard g(lock_);
  if (tracksPrefetch_.joinable() || tracksState_ != TracksState::NotMade) return;
  tracksPrefetch_ = std::thread([this] { GetTracks(); });
}

void StreamCache::Prefetch(const std::string& channelId, const std::string& name, uint32_t variant) {
  if (!available() || prefetch_.joinable()) return;
  prefetch_ = std::thread([this, channelId, name, variant] { Get(channelId, name, variant); });
}

std::shared_ptr<const TsLooper> StreamCache::Get(const std::string& channelId,
                                                 const std::string& name, uint32_t variant) {
  if (!available()) return nullptr;
  std::unique_lock g(lock_);
  auto [it, fresh] = entries_.try_emplace(channelId);
  if (!fresh) {
    // Wake now and then to notice a stop while another thread runs ffmpeg.
    while (!it->second.done && !shutdown_.triggered())
      ready_.wait_for(g, std::chrono::milliseconds(200));
    return it->second.looper;
  }
  g.unlock();
  auto looper = make(channelId, name, variant);
  g.lock();
  it->second.done = true;
  it->second.looper = looper;
  if (!looper && shutdown_.triggered()) entries_.erase(it);
  g.unlock();
  ready_.notify_all();
  return looper;
}

std::string StreamCache::fontFile() {
  std::lock_guard g(lock_);
  if (fontChecked_) return font_;
  fontChecked_ = true;
  for (const char* candidate : {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                                "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"}) {
    if (access(candidate, R_OK) == 0) return font_ = candidate;
  }
  auto result = ProcessRunner::Run({"fc-match", "-f", "%{file}", "sans:bold"}, 10);
  if (result.ok() && access(result.output.c_str(), R_OK) == 0) font_ = result.output;
  return font_;
}

bool StreamCache::runFfmpeg(const std::string& output, const std::string& name, uint32_t variant,
                            bool withText, bool h264, std::string& message) {
  std::string video = std::string(variant % 2 ? "smptebars" : "testsrc2") + "=size=640x360:rate=25";
  if (withText) {
    const std::string textFile = output + ".txt";
    std::ofstream(textFile, std::ios::binary) << name;
    video += ",drawtext=fontfile=" + fontFile() + ":textfile=" + textFile +
             ":expansion=none:fontsize=34:fontcolor=white:box=1:boxcolor=black@0.6:boxborderw=12"
             ":x=(w-text_w)/2:y=h-text_h-36";
  }
  const std::string tone = "sine=frequency=" + std::to_string(330 + (variant % 12) * 55) +
                           ":sample_rate=48000";
  std::vector<std::string> argv = {ffmpeg_, "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
                                   "-f", "lavfi", "-i", video, "-f", "lavfi", "-i", tone,
                                   "-t", std::to_string(seconds_), "-map", "0:v", "-map", "1:a",
                                   // Whole audio frames that end within the segment, so
                                   // that loops never overlap (1024 or 1152 samples each).
                                   "-frames:a", std::to_string(seconds_ * 48000 / (h264 ? 1024 : 1152))};
  if (h264) {
    for (const char* a : {"-c:v", "libx264", "-preset", "veryfast", "-tune", "zerolatency",
                          "-pix_fmt", "yuv420p", "-g", "25", "-keyint_min", "25", "-sc_threshold",
                          "0", "-b:v", "350k", "-maxrate", "350k", "-bufsize", "700k", "-c:a",
                          "aac", "-b:a", "64k", "-ac", "1"})
      argv.push_back(a);
  } else {
    for (const char* a : {"-c:v", "mpeg2video", "-g", "25", "-b:v", "700k", "-c:a", "mp2",
                          "-b:a", "64k", "-ac", "1"})
      argv.push_back(a);
  }
  argv.insert(argv.end(), {"-f", "mpegts", output});
  auto result = ProcessRunner::Run(argv, kFfmpegSeconds, &shutdown_.flag());
  if (result.ok()) return true;
  message = result.timedOut ? "ffmpeg took too long" : firstLine(result.output);
  return false;
}

std::shared_ptr<const TsLooper> StreamCache::make(const std::string& channelId,
                                                  const std::string& name, uint32_t variant) {
  char key[32];
  std::snprintf(key, sizeof key, "%016llx",
                static_cast<unsigned long long>(Rng::hash(
                    name + "|" + std::to_string(variant) + "|" + kRecipe, seconds_)));
  const std::string path = folder_ + "/" + channelId + "-" + key + ".ts";
  std::string cached = readFile(path);
  if (!cached.empty()) return std::make_shared<TsLooper>(std::move(cached), seconds_);

  std::lock_guard making(makeLock_);
  cached = readFile(path);  // made meanwhile by another service sharing the cache
  if (!cached.empty()) return std::make_shared<TsLooper>(std::move(cached), seconds_);
  if (shutdown_.triggered()) return nullptr;

  int textMode;
  {
    std::lock_guard g(lock_);
    textMode = textMode_;
  }
  std::string font = fontFile();
  const std::string temp = path + "." + std::to_string(getpid()) + ".tmp";
  bool wantText = textMode != 0;
  if (wantText && (font.empty() || !plainFilterText(font) || !plainFilterText(temp))) {
    std::cerr << "stream text off: " << (font.empty() ? "no font found" : "font or cache path "
                                                         "needs quoting in a filter graph")
              << "; streams show no channel name\n";
    wantText = false;
    std::lock_guard g(lock_);
    textMode_ = 0;
  }
  std::string message;
  bool ok = false;
  for (bool h264 : {true, false}) {
    if (wantText && runFfmpeg(temp, name, variant, true, h264, message)) {
      ok = true;
    } else if (!shutdown_.triggered()) {
      if (wantText) {
        std::cerr << "stream text off: drawtext failed (" << message
                  << "); streams show no channel name\n";
        wantText = false;
        std::lock_guard g(lock_);
        textMode_ = 0;
      }
      ok = runFfmpeg(temp, name, variant, false, h264, message);
    }
    if (ok || shutdown_.triggered()) break;
  }
  std::error_code ec;
  std::filesystem::remove(temp + ".txt", ec);
  if (ok) {
    std::lock_guard g(lock_);
    if (wantText) textMode_ = 1;
  }
  if (!ok) {
    std::filesystem::remove(temp, ec);
    if (!shutdown_.triggered()) std::cerr << "stream of channel " << channelId << " failed: " << message << "\n";
    return nullptr;
  }
  std::filesystem::rename(temp, path, ec);
  std::string bytes = readFile(ec ? temp : path);
  if (ec) std::filesystem::remove(temp, ec);
  if (bytes.empty()) return nullptr;
  return std::make_shared<TsLooper>(std::move(bytes), seconds_);
}

std::shared_ptr<const MkvLooper> StreamCache::GetTracks() {
  if (!available()) return nullptr;
  std::unique_lock g(lock_);
  while (tracksState_ == TracksState::Making && !shutdown_.triggered())
    ready_.wait_for(g, std::chrono::milliseconds(200));
  if (tracksState_ == TracksState::Done) return tracks_;
  if (tracksState_ == TracksState::Making) return nullptr;
  tracksState_ = TracksState::Making;
  g.unlock();
  auto looper = makeTracks();
  g.lock();
  tracks_ = looper;
  // A stop cut it short: the next service run tries again.
  tracksState_ = !looper && shutdown_.triggered() ? TracksState::NotMade : TracksState::Done;
  g.unlock();
  ready_.notify_all();
  return looper;
}

bool StreamCache::runTracksFfmpeg(const std::string& output, bool h264, std::string& message) {
  const std::string subtitles = output + ".srt";
  {
    std::ofstream srt(subtitles, std::ios::binary);
    auto stamp = [](uint32_t s) {
      char text[16];
      std::snprintf(text, sizeof text, "00:%02u:%02u,000", s / 60, s % 60);
      return std::string(text);
    };
    int cue = 1;
    for (uint32_t s = 0; s + 1 < seconds_; s += kCueSeconds, ++cue)
      srt << cue << "\n" << stamp(s) << " --> " << stamp(s + 1) << "\nSubtitle " << cue << "\n\n";
  }
  std::vector<std::string> argv = {ffmpeg_, "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
                                   "-f", "lavfi", "-i", "testsrc=size=640x360:rate=25",
                                   "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000",
                                   "-f", "lavfi", "-i", "sine=frequency=660:sample_rate=48000",
                                   "-i", subtitles,
                                   "-t", std::to_string(seconds_), "-map", "0:v", "-map", "1:a", "-map", "2:a",
                                   "-map", "3:s",
                                   // Whole audio frames within the length, so loops never overlap.
                                   "-frames:a", std::to_string(seconds_ * 48000 / (h264 ? 1024 : 1152)),
                                   "-metadata:s:a:0", "language=eng", "-metadata:s:a:0", "title=English",
                                   "-metadata:s:a:1", "language=deu", "-metadata:s:a:1", "title=Deutsch",
                                   "-metadata:s:s:0", "language=eng", "-metadata:s:s:0", "title=English subtitles",
                                   "-disposition:a:0", "default", "-disposition:a:1", "0", "-disposition:s:0", "0",
                                   "-c:s", "srt"};
  if (h264) {
    for (const char* a : {"-c:v", "libx264", "-preset", "veryfast", "-tune", "zerolatency", "-pix_fmt", "yuv420p",
                          "-g", "25", "-keyint_min", "25", "-sc_threshold", "0", "-b:v", "350k", "-c:a", "aac",
                          "-b:a", "64k", "-ac", "1"})
      argv.push_back(a);
  } else {
    for (const char* a : {"-c:v", "mpeg2video", "-g", "25", "-b:v", "700k", "-c:a", "mp2", "-b:a", "64k", "-ac", "1"})
      argv.push_back(a);
  }
  argv.insert(argv.end(), {"-f", "matroska", output});
  auto result = ProcessRunner::Run(argv, kFfmpegSeconds, &shutdown_.flag());
  std::error_code ec;
  std::filesystem::remove(subtitles, ec);
  if (result.ok()) return true;
  message = result.timedOut ? "ffmpeg took too long" : firstLine(result.output);
  return false;
}

std::shared_ptr<const MkvLooper> StreamCache::makeTracks() {
  char key[32];
  std::snprintf(key, sizeof key, "%016llx",
                static_cast<unsigned long long>(Rng::hash(std::string("tracks|") + kTracksRecipe, seconds_)));
  const std::string path = folder_ + "/tracks-" + key + ".mkv";
  auto loopable = [this](std::string bytes) -> std::shared_ptr<const MkvLooper> {
    if (bytes.empty()) return nullptr;
    auto looper = std::make_shared<MkvLooper>(bytes, seconds_);
    return looper->valid() ? looper : nullptr;
  };
  if (auto cached = loopable(readFile(path))) return cached;

  std::lock_guard making(makeLock_);
  if (auto cached = loopable(readFile(path))) return cached;
  if (shutdown_.triggered()) return nullptr;
  const std::string temp = path + "." + std::to_string(getpid()) + ".tmp";
  std::string message;
  bool ok = false;
  for (bool h264 : {true, false}) {
    ok = runTracksFfmpeg(temp, h264, message);
    if (ok || shutdown_.triggered()) break;
  }
  std::error_code ec;
  if (!ok) {
    std::filesystem::remove(temp, ec);
    if (!shutdown_.triggered()) std::cerr << "the tracks stream failed: " << message << "\n";
    return nullptr;
  }
  std::filesystem::rename(temp, path, ec);
  auto looper = loopable(readFile(ec ? temp : path));
  if (ec) std::filesystem::remove(temp, ec);
  if (!looper) std::cerr << "the tracks stream is not a Matroska file that can be looped\n";
  return looper;
}

}  // namespace tembra
