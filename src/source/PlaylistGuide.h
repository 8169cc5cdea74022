#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

#include "platform/ContentFetch.h"
#include "source/GuideSource.h"
#include "source/PlaylistCatalogue.h"
#include "source/SourceSettings.h"

namespace tembra {

class MessageTarget;
class XmltvStore;

// The XMLTV guide of a playlist source: the source's own guides first, then
// the ones the playlist names, kept for today and the next two local days
// for the playlist's channels only. The last good download of each guide is
// kept in the source's cache folder; a start reads the cache and downloads
// again when it is older than maxAge (or missing). Loads run on a thread of
// the guide's own, and end with the five guide messages posted to the
// window (wParam 1 when a guide is there, 0 when none could be had).
class PlaylistGuide : public GuideSource {
 public:
  struct Options {
    std::string cacheFolder;  // empty: nothing is cached
    FetchLimits limits;
    std::chrono::seconds maxAge{12 * 3600};
    // UTC seconds now; empty: the machine's clock.
    std::function<int64_t()> now;
  };

  PlaylistGuide(SourceSettings settings, Options options);
  ~PlaylistGuide() override;
  PlaylistGuide(const PlaylistGuide&) = delete;
  PlaylistGuide& operator=(const PlaylistGuide&) = delete;

  // Starts the first load for the catalogue's channels.
  void start(MessageTarget* target, std::shared_ptr<const PlaylistCatalogue> catalogue);

  int32_t GetNowPlaying(std::vector<GuideRow>& rows, bool noDownload) override;
  int32_t GetUpcoming(std::vector<GuideRow>& rows, bool noDownload) override;
  int32_t GetDayList(int day, std::u16string_view channelId, std::vector<GuideRow>& rows, bool noDownload) override;
  DayState GetDayState(int day) const override;
  bool downloadRunning() const override;
  std::u16string statusText() const override;
  std::optional<ProgrammeDetails> details(std::u16string_view channelId, const GuideEntry& entry) const override;
  // The store's days that are today or later; its own times, exactly.
  int dayCount() const override;
  int64_t dayStart(int day) const override;
  int32_t GetDayProgrammes(int day, std::u16string_view channelId, std::vector<GuideProgramme>& out,
                           bool noDownload) override;

  // The locations loaded, in order: the source's guides, then the playlist's.
  std::vector<std::string> locations() const;

 private:
  struct Loaded;
  // Nothing there yet: the code a query returns, after starting a load when
  // allowed and none runs.
  int32_t notThere(bool noDownload);
  // One row per channel: the programme on now, or the next one.
  int32_t channelRows(std::vector<GuideRow>& rows, bool noDownload, bool onNow);
  bool startLoad();
  void loadThread(std::stop_token stop);
  int64_t now() const;
  std::shared_ptr<const Loaded> loaded() const;
  // How many of the store's days lie before today (the store keeps the
  // days of its load; after midnight today is its day 1).
  static int pastDays(const Loaded& loaded, int64_t at);

  const SourceSettings settings_;
  const Options options_;
  MessageTarget* target_ = nullptr;                     // set by start, before the first load
  std::shared_ptr<const PlaylistCatalogue> catalogue_;  // set by start, immutable after

  mutable std::mutex lock_;
  std::shared_ptr<const Loaded> loaded_;  // guarded by lock_
  bool loading_ = false;                  // guarded by lock_
  std::u16string status_;                 // guarded by lock_
  std::jthread thread_;                   // started under lock_ by startLoad, joined by the destructor
};

}  // namespace tembra
