#include "player/MpvOptions.h"

#include <algorithm>
#include <cctype>

namespace tembra {

std::vector<MpvOption> MpvOptions::Base(const Outputs& outputs) {
  std::vector<MpvOption> options = {
      {"config", "no"},
      {"load-scripts", "no"},
      // The web-video helper would start a separate program for every http
      // address before playing it: slow, and never wanted for a TV stream.
      {"ytdl", "no"},
      {"osc", "no"},
      // The built-in overlay scripts (statistics page, console, automatic
      // profiles) each start a script thread of their own that nothing here
      // uses.
      {"load-stats-overlay", "no"},
      {"load-osd-console", "no"},
      {"load-auto-profiles", "no"},
      {"input-default-bindings", "no"},
      {"input-vo-keyboard", "no"},
      {"terminal", "no"},
      {"idle", "yes"},
      // No search for side files (subtitles, audio, cover art) next to
      // the address on every switch.
      {"sub-auto", "no"},
      {"audio-file-auto", "no"},
      {"cover-art-auto", "no"},
      {"keep-open", "no"},
      {"audio-display", "no"},
      {"vo", outputs.renderVideo ? "libmpv" : "null"},
      // Falls back to software decoding by itself when no decoder device
      // exists or the stream's codec is not supported by it.
      {"hwdec", "auto-safe"},
      {"volume-max", "100"},
  };
  // With audio: the desktop's sound server (PipeWire answers as it too),
  // else the sound card itself; the picture plays alone when neither opens.
  // mpv's own longer list goes on to outputs (SDL's among them) whose global
  // state is not safe to start from the two players' threads at once: on a
  // machine without a sound server that crashed a zapping program.
  options.push_back({"ao", outputs.audio ? kAudioOutputs : "null"});
  return options;
}

std::vector<MpvOption> MpvOptions::LiveTuning() {
  return {
      // Container probing: a live channel carries one programme whose
      // stream list is known from its tables within a few packets, so the
      // default 5 MB / 5 s analysis only delays the first picture.
      {"demuxer-lavf-probesize", "65536"},
      {"demuxer-lavf-analyzeduration", "0.4"},
      {"demuxer-lavf-probescore", "24"},
      // A small cache ahead of playback and none behind it: a live stream
      // cannot be sought back, and a large read-ahead only adds latency.
      {"cache", "yes"},
      {"cache-secs", "3"},
      {"demuxer-readahead-secs", "1"},
      {"demuxer-max-bytes", "16MiB"},
      {"demuxer-max-back-bytes", "0"},
      {"cache-pause-initial", "no"},
      {"cache-pause-wait", "0.5"},
      {"video-latency-hacks", "yes"},
      {"network-timeout", "10"},
  };
}

std::string MpvOptions::FormatHint(const std::string& address) {
  std::string lower = address;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::string path = lower.substr(0, lower.find_first_of("?#"));
  auto endsWith = [&](const std::string& suffix) {
    return path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  const bool ts = lower.rfind("udp://", 0) == 0 || lower.rfind("rtp://", 0) == 0 || endsWith(".ts") ||
                  endsWith(".m2ts") || endsWith(".mts");
  return ts ? "mpegts" : "";
}

}  // namespace tembra
