#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "MkvLooper.h"
#include "ShutdownFlag.h"
#include "TsLooper.h"

namespace tembra {

// One short MPEG-TS segment per channel (test picture with the channel name
// burnt in, and a tone), made with ffmpeg on first use and kept in
// <cache>/streams, so that later runs start streaming at once. A request
// for a segment still being made waits for it; ffmpeg runs one at a time.
class StreamCache {
 public:
  StreamCache(std::string cacheFolder, uint32_t seconds, ShutdownFlag& shutdown);
  ~StreamCache();
  StreamCache(const StreamCache&) = delete;
  StreamCache& operator=(const StreamCache&) = delete;

  bool available() const { return !ffmpeg_.empty(); }
  uint32_t seconds() const { return seconds_; }

  // The looped segment of a channel; null when it cannot be made (no
  // ffmpeg, ffmpeg failed, the service is stopping).
  std::shared_ptr<const TsLooper> Get(const std::string& channelId, const std::string& name,
                                      uint32_t variant);
  // The stream with two audio tracks (English, German, each titled) and
  // an English subtitle track, as Matroska: one for the whole service, made
  // on first use like a channel's; null when it cannot be made.
  std::shared_ptr<const MkvLooper> GetTracks();
  // Makes it in the background (when its playlist is asked for), so the
  // first viewer does not wait for ffmpeg.
  void PrefetchTracks();
  // Makes a channel's segment in the background (start-up), without
  // holding up the caller.
  void Prefetch(const std::string& channelId, const std::string& name, uint32_t variant);

 private:
  struct Entry {
    bool done = false;
    std::shared_ptr<const TsLooper> looper;  // null when making it failed
  };

  std::shared_ptr<const TsLooper> make(const std::string& channelId, const std::string& name,
                                       uint32_t variant);
  bool runFfmpeg(const std::string& output, const std::string& name, uint32_t variant,
                 bool withText, bool h264, std::string& message);
  std::string fontFile();
  std::shared_ptr<const MkvLooper> makeTracks();
  bool runTracksFfmpeg(const std::string& output, bool h264, std::string& message);

  std::string folder_;
  uint32_t seconds_;
  ShutdownFlag& shutdown_;
  std::string ffmpeg_;

  std::mutex lock_;                 // guards entries_, textMode_, font_, fontChecked_, tracks*_
  std::condition_variable ready_;   // an entry became done
  std::map<std::string, Entry> entries_;
  int textMode_ = -1;               // -1 unknown, 0 drawtext unusable, 1 works
  bool fontChecked_ = false;
  std::string font_;
  enum class TracksState { NotMade, Making, Done };
  TracksState tracksState_ = TracksState::NotMade;
  std::shared_ptr<const MkvLooper> tracks_;  // null when making it failed

  std::mutex makeLock_;             // one ffmpeg at a time
  std::thread prefetch_;
  std::thread tracksPrefetch_;
};

}  // namespace tembra
