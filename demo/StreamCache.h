#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

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

  std::string folder_;
  uint32_t seconds_;
  ShutdownFlag& shutdown_;
  std::string ffmpeg_;

  std::mutex lock_;                 // guards entries_, textMode_, font_, fontChecked_
  std::condition_variable ready_;   // an entry became done
  std::map<std::string, Entry> entries_;
  int textMode_ = -1;               // -1 unknown, 0 drawtext unusable, 1 works
  bool fontChecked_ = false;
  std::string font_;

  std::mutex makeLock_;             // one ffmpeg at a time
  std::thread prefetch_;
};

}  // namespace tembra
