#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "guide/GuideDayList.h"
#include "guide/GuideDownloadStatus.h"
#include "guide/GuideLimits.h"
#include "guide/GuideRow.h"
#include "guide/GuideRowBuilder.h"
#include "guide/GuideStopSignal.h"
#include "guide/LocalClock.h"

namespace tembra {

class MessageTarget;

// The programme guide: three day lists (0 today, 1 tomorrow, 2 the day
// after), each downloaded once from the service's "/tvitem.action" through
// the transfer file "tv.xml", and the queries that turn them into the rows
// of the window's five guide lists.
//
// Threads. The window's thread creates the guide (which downloads today on
// that thread), calls UpdateService and the queries. A preload thread
// fetches days 1 and 2 once; RequestDownload runs at most one download
// thread at a time, which posts its completion message to the result
// window. Queries never wait for the network: a download streams and
// parses into a new day list outside guideLock and swaps it in whole, so a
// query only ever sees a complete list. Downloads run one at a time, so
// they never share the transfer file.
//
// Destruction stops a running exchange at once and joins the guide's
// threads; nothing is posted after that.
class ProgrammeGuide {
 public:
  // Query results.
  static constexpr int32_t kRows = 0;             // rows were appended
  static constexpr int32_t kNothing = -1;         // day marked empty, or no rows for it
  static constexpr int32_t kDownloadStarted = 1;  // day not loaded; RequestDownload was called
  static constexpr int32_t kNotLoaded = 2;        // day not loaded; noDownload was set

  // What the window can show for a day without running a query.
  enum class DayState {
    NotLoaded,    // no list, no download of the day running or waiting
    Downloading,  // no list yet; a download of the day runs or waits to
    Loaded,       // a list with at least one channel
    Empty,        // downloaded and empty (dayEmpty): queries give kNothing
    TooLarge,     // its reply was over the size limit: no retry until asked
  };

  // The program's start-up creates the guide while its window waits to be
  // shown: a guide server that stalls must not hold the window for the
  // download's own limits (seconds to a minute).
  static constexpr std::chrono::milliseconds kCreationWait{3000};

  struct Options {
    // The local clock; null: the machine's. Read at creation (the day keys)
    // and by every download and query.
    const LocalClock* clock = nullptr;
    // Folder of the transfer file "tv.xml"; empty: the current directory,
    // as the program uses it.
    std::string folder;
    GuideLimits limits;
    // False: no download at creation and no preload thread (tools that
    // drive downloads themselves).
    bool creationDownloads = true;
    // How long creation waits for today's download (see the constructor).
    std::chrono::milliseconds creationWait = kCreationWait;
  };

  // Downloads today, then preloads days 1 and 2, on a thread of its own;
  // waits for today at most options.creationWait. Today not done by then
  // goes on, and its end is posted to the result window as a requested
  // download's would be (WM_GUIDE_NOWPLAYING, wParam 1 or 0, lParam 0).
  // serviceUrl gives host and port; uuid is the session id (empty: no
  // download until UpdateService gives one; nothing is sent without it);
  // type is the request's type value ("1" in the program).
  ProgrammeGuide(std::u16string serviceUrl, std::u16string uuid, std::u16string type);
  ProgrammeGuide(std::u16string serviceUrl, std::u16string uuid, std::u16string type, Options options);
  ~ProgrammeGuide();
  ProgrammeGuide(const ProgrammeGuide&) = delete;
  ProgrammeGuide& operator=(const ProgrammeGuide&) = delete;

  // The window that receives the completion messages; null: none is posted.
  // It must outlive the guide or be reset to null first.
  void SetResultWindow(MessageTarget* window);

  // Takes uuid when the guide holds no session id yet (a held one is never
  // replaced) and re-reads host and port from serviceUrl. Call after each
  // catalogue reload.
  void UpdateService(std::u16string uuid, std::u16string serviceUrl);

  // Downloads day 0, 1 or 2 now, on the calling thread. True when a reply
  // with an accepted status was received whole and parsed, also when it
  // held no channels (the day is then marked empty). On failure the day's
  // list and mark stay as they were.
  bool Download(int day);
  // The same, saying how it ended.
  GuideDownloadStatus DownloadWithStatus(int day);

  // Starts a download thread for the day unless one runs: after one second
  // it downloads and posts message with lParam the day and wParam 1 when
  // the day's answer is settled (success, or a reply over the size limit,
  // for which the lists then say so instead of waiting to retry), else 0.
  // A request while one runs is dropped.
  void RequestDownload(int day, uint32_t message);

  // Installs a stored reply body file as the day's list, by the rule of a
  // download: no channels marks the day empty. False (nothing changed)
  // for a bad day or a file over the size limit.
  bool LoadDay(int day, const std::string& path);

  // The queries of the window's lists. Each appends to rows (pass it empty)
  // and returns kRows, kNothing, kDownloadStarted or kNotLoaded. With
  // noDownload false, an unloaded day starts RequestDownload with the
  // list's message (WM_GUIDE_NOWPLAYING, WM_GUIDE_UPCOMING,
  // WM_GUIDE_FIRSTDAY + day). Cheap: no network, no list copies.
  //
  // A day whose reply was over the size limit gives kNothing to the
  // window's own retries (noDownload false): another download would fail
  // the same way. A query with noDownload set, which the window makes when
  // the viewer chooses a list, is asked anew: it gives kNotLoaded and the
  // window's wait downloads the day again.
  //
  // What is on now on each of today's channels (a day's last programme
  // until that day's midnight).
  int32_t GetNowPlaying(std::vector<GuideRow>& rows, bool noDownload);
  // The next programme not yet started on every channel of any day
  // (today's channels first, then those only tomorrow, then the rest).
  int32_t GetUpcoming(std::vector<GuideRow>& rows, bool noDownload);
  // Every programme of one channel on day 0, 1 or 2 (bad day: kNothing).
  int32_t GetDayList(int day, std::u16string_view channelId, std::vector<GuideRow>& rows, bool noDownload);

  DayState GetDayState(int day) const;
  bool dayEmpty(int day) const;
  bool dayTooLarge(int day) const;
  // Why a day cannot be shown, for the viewer; empty when nothing is wrong.
  std::u16string statusText() const;
  // The current list of a day (never null; empty when not loaded).
  GuideDayListPtr dayList(int day) const;
  // Day of month of the creation plus the day, "%02d" ("32" on the 31st).
  std::u16string dayKey(int day) const;
  LocalTime creationTime() const { return creationTime_; }
  std::u16string guideHost() const;
  uint16_t guidePort() const;
  // Whether a RequestDownload thread runs.
  bool downloadRunning() const;
  // Where downloads store the reply body.
  const std::string& transferPath() const { return transferPath_; }

 private:
  struct Snapshot {
    GuideDayListPtr day[3];
  };
  // A marker that a day is being downloaded, for GetDayState.
  class InFlight;
  // The channels of the upcoming list and their places, for the lists it
  // was collected from (held weakly: a replaced list is not kept alive).
  struct UpcomingPlan {
    std::weak_ptr<const GuideDayList> day[3];
    std::vector<GuideChannelPlace> places;
  };
  std::shared_ptr<const UpcomingPlan> planFor(const Snapshot& days);

  Snapshot snapshot() const;
  GuideDayListPtr listOf(int day) const;
  void install(int day, std::unique_ptr<GuideDayList> list);
  int32_t begin(int day, uint32_t message, bool noDownload, GuideDayListPtr& list);
  void creationDownloads();  // today, then the preload
  void preload();
  void downloadThread(int day, uint32_t message);

  const LocalClock& clock_;
  const GuideLimits limits_;
  const std::string transferPath_;
  const std::u16string guideType_;
  LocalTime creationTime_;

  mutable std::mutex settingsLock_;
  std::u16string guideUuid_;  // guarded by settingsLock_
  std::u16string guideHost_;  // guarded by settingsLock_
  uint16_t guidePort_ = 0;    // guarded by settingsLock_

  mutable std::mutex guideLock_;
  GuideDayListPtr dayLists_[3];  // guarded by guideLock_; each list immutable
  // Written under guideLock_ together with the list; read without it.
  std::atomic<uint32_t> dayEmpty_[3] = {0, 0, 0};
  std::atomic<int> inFlight_[3] = {0, 0, 0};
  // Set by a download that failed for size, cleared by a query that asks
  // anew or by a download that succeeds; no lock.
  std::atomic<uint32_t> dayTooLarge_[3] = {0, 0, 0};

  // Held for a whole download, exchange and parse: one at a time, so the
  // transfer file is never shared. Never taken by the queries.
  std::mutex transferLock_;

  std::mutex planLock_;
  std::shared_ptr<const UpcomingPlan> plan_;  // guarded by planLock_

  std::atomic<MessageTarget*> resultWindow_{nullptr};
  GuideStopSignal stop_;
  std::thread preloadThread_;  // started by the constructor, joined by the destructor
  std::mutex creationLock_;
  std::condition_variable creationEnded_;  // with creationLock_
  bool creationDone_ = false;              // guarded by creationLock_: today's first download ended
  bool creationLate_ = false;              // guarded by creationLock_: the constructor stopped waiting

  mutable std::mutex threadLock_;
  std::condition_variable stopWake_;  // wakes the download thread's delay; with threadLock_
  std::thread downloadThread_;        // guarded by threadLock_
  bool downloadRunning_ = false;      // guarded by threadLock_
  bool stopping_ = false;             // guarded by threadLock_
};

}  // namespace tembra
