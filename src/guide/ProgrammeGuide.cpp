#include "guide/ProgrammeGuide.h"

#include <chrono>

#include "guide/GuideCalendar.h"
#include "guide/GuideReplyParser.h"
#include "guide/GuideReplyReader.h"
#include "guide/GuideRequest.h"
#include "guide/GuideRowBuilder.h"
#include "guide/GuideServiceAddress.h"
#include "guide/GuideTimeKey.h"
#include "guide/GuideTransfer.h"
#include "platform/MessageTarget.h"
#include "platform/NameLookup.h"
#include "platform/Utf.h"

namespace tembra {

namespace {

// The delay before an on-demand download, so that a burst of page switches
// in the window settles first.
constexpr std::chrono::milliseconds kRequestDelay{1000};

const GuideDayListPtr& emptyList() {
  static const GuideDayListPtr empty = std::make_shared<const GuideDayList>();
  return empty;
}

bool validDay(int day) { return day >= 0 && day <= 2; }

// wParam of a completion message: 1 when the day's answer is settled.
int settled(GuideDownloadStatus status) {
  return status == GuideDownloadStatus::Stored || status == GuideDownloadStatus::TooLarge ? 1 : 0;
}


}  // namespace

class ProgrammeGuide::InFlight {
 public:
  explicit InFlight(std::atomic<int>& count) : count_(count) { count_.fetch_add(1); }
  ~InFlight() { count_.fetch_sub(1); }
  InFlight(const InFlight&) = delete;
  InFlight& operator=(const InFlight&) = delete;

 private:
  std::atomic<int>& count_;
};

ProgrammeGuide::ProgrammeGuide(std::u16string serviceUrl, std::u16string uuid, std::u16string type)
    : ProgrammeGuide(std::move(serviceUrl), std::move(uuid), std::move(type), Options()) {}

ProgrammeGuide::ProgrammeGuide(std::u16string serviceUrl, std::u16string uuid, std::u16string type,
                               Options options)
    : clock_(options.clock ? *options.clock : SystemClock::Instance()),
      limits_(options.limits),
      transferPath_(options.folder.empty() ? std::string("tv.xml") : options.folder + "/tv.xml"),
      guideType_(std::move(type)),
      creationTime_(clock_.Now()) {
  const GuideServiceAddress address = GuideServiceAddress::Parse(serviceUrl);
  guideHost_ = address.host;
  guidePort_ = address.port;
  guideUuid_ = std::move(uuid);
  for (auto& list : dayLists_) list = emptyList();
  if (!options.creationDownloads) return;
  preloadThread_ = std::thread([this] { creationDownloads(); });
  std::unique_lock l(creationLock_);
  if (!creationEnded_.wait_for(l, options.creationWait, [this] { return creationDone_; })) creationLate_ = true;
}

void ProgrammeGuide::creationDownloads() {
  const GuideDownloadStatus status = DownloadWithStatus(0);
  bool late = false;
  {
    std::lock_guard g(creationLock_);
    creationDone_ = true;
    late = creationLate_;
  }
  creationEnded_.notify_all();
  // Whoever stopped waiting shows a waiting list; this tells it the end.
  MessageTarget* window = resultWindow_.load();
  if (late && !stop_.raised() && window && window->alive()) window->post(WM_GUIDE_NOWPLAYING, settled(status), 0);
  preload();
}

ProgrammeGuide::~ProgrammeGuide() {
  stop_.Raise();
  {
    std::lock_guard g(threadLock_);
    stopping_ = true;
  }
  stopWake_.notify_all();
  if (preloadThread_.joinable()) preloadThread_.join();
  std::thread running;
  {
    std::lock_guard g(threadLock_);
    running = std::move(downloadThread_);
  }
  if (running.joinable()) running.join();
}

void ProgrammeGuide::SetResultWindow(MessageTarget* window) { resultWindow_.store(window); }

void ProgrammeGuide::UpdateService(std::u16string uuid, std::u16string serviceUrl) {
  const GuideServiceAddress address = GuideServiceAddress::Parse(serviceUrl);
  std::lock_guard g(settingsLock_);
  if (guideUuid_.empty()) guideUuid_ = std::move(uuid);
  guideHost_ = address.host;
  guidePort_ = address.port;
}

bool ProgrammeGuide::Download(int day) { return DownloadWithStatus(day) == GuideDownloadStatus::Stored; }

GuideDownloadStatus ProgrammeGuide::DownloadWithStatus(int day) {
  if (!validDay(day)) return GuideDownloadStatus::BadDay;
  std::u16string uuid, host;
  uint16_t port = 0;
  {
    std::lock_guard g(settingsLock_);
    uuid = guideUuid_;
    host = guideHost_;
    port = guidePort_;
  }
  if (uuid.empty()) return GuideDownloadStatus::NoSession;
  if (stop_.raised()) return GuideDownloadStatus::Cancelled;
  InFlight mark(inFlight_[day]);

  std::lock_guard transfer(transferLock_);
  // The date is taken once this download's turn has come, so that one that
  // waited across midnight still asks for the right day.
  const GuideDate date = GuideCalendar::TargetDate(clock_.Now(), day);
  const std::optional<std::string> request = GuideRequest::Format(guideType_, uuid, date, host, port);
  if (!request) return GuideDownloadStatus::BadValue;
  // A failed lookup must not fall back to address 0, which reaches this
  // machine here.
  const std::optional<HostAddress> resolved = NameLookup::Resolve(toUtf8(host));
  if (!resolved) return GuideDownloadStatus::HostUnknown;
  // The reply is read as it arrives, so a large one is never held whole.
  GuideReplyReader reader(dayKey(day));
  const GuideDownloadStatus status = GuideTransfer::Run(resolved->address, port, *request, transferPath_, limits_,
                                                        &stop_, [&reader](std::string_view b) { reader.Feed(b); });
  if (status == GuideDownloadStatus::TooLarge) dayTooLarge_[day].store(1);
  if (status != GuideDownloadStatus::Stored) return status;
  GuideReplyReader::Result read = reader.Finish();
  // A broken reply is a failed download, to be asked for again, not a day
  // without programmes that is never asked for again in this run.
  if (!read.complete) return GuideDownloadStatus::Malformed;
  install(day, std::move(read.list));
  dayTooLarge_[day].store(0);
  return GuideDownloadStatus::Stored;
}

bool ProgrammeGuide::LoadDay(int day, const std::string& path) {
  if (!validDay(day)) return false;
  std::optional<GuideReplyReader::Result> read = GuideReplyParser::LoadFile(path, dayKey(day), limits_.maxBodyBytes);
  if (!read) return false;
  install(day, std::move(read->list));
  return true;
}

void ProgrammeGuide::install(int day, std::unique_ptr<GuideDayList> built) {
  GuideDayListPtr list(std::move(built));
  {
    std::lock_guard g(guideLock_);
    dayLists_[day].swap(list);
    if (dayLists_[day]->empty()) dayEmpty_[day].store(1);
  }
  // The replaced list, unless a reader still holds it, is freed here,
  // outside the lock.
}

void ProgrammeGuide::RequestDownload(int day, uint32_t message) {
  if (!validDay(day)) return;
  std::lock_guard g(threadLock_);
  if (stopping_ || downloadRunning_) return;
  // A thread that has cleared downloadRunning_ has nothing left to do but
  // return, so this join is immediate.
  if (downloadThread_.joinable()) downloadThread_.join();
  downloadRunning_ = true;
  inFlight_[day].fetch_add(1);
  downloadThread_ = std::thread([this, day, message] { downloadThread(day, message); });
}

void ProgrammeGuide::downloadThread(int day, uint32_t message) {
  bool stopped = false;
  {
    std::unique_lock l(threadLock_);
    stopped = stopWake_.wait_for(l, kRequestDelay, [this] { return stopping_; });
  }
  const GuideDownloadStatus status = stopped ? GuideDownloadStatus::Cancelled : DownloadWithStatus(day);
  MessageTarget* window = resultWindow_.load();
  if (!stop_.raised() && window && window->alive())
    window->post(message, settled(status), static_cast<intptr_t>(day));
  inFlight_[day].fetch_sub(1);
  std::lock_guard g(threadLock_);
  downloadRunning_ = false;
}

void ProgrammeGuide::preload() {
  for (int day = 1; day <= 2; ++day) {
    if (stop_.raised()) return;
    if (listOf(day)->empty()) Download(day);
  }
}

ProgrammeGuide::Snapshot ProgrammeGuide::snapshot() const {
  std::lock_guard g(guideLock_);
  return Snapshot{{dayLists_[0], dayLists_[1], dayLists_[2]}};
}

GuideDayListPtr ProgrammeGuide::listOf(int day) const {
  std::lock_guard g(guideLock_);
  return dayLists_[day];
}

GuideDayListPtr ProgrammeGuide::dayList(int day) const { return validDay(day) ? listOf(day) : emptyList(); }

// The common start of the queries: kRows when the day has a list to read.
int32_t ProgrammeGuide::begin(int day, uint32_t message, bool noDownload, GuideDayListPtr& list) {
  if (dayEmpty_[day].load() != 0) return kNothing;
  if (!list) list = listOf(day);
  if (!list->empty()) return kRows;
  if (dayTooLarge_[day].load() != 0) {
    if (!noDownload) return kNothing;
    dayTooLarge_[day].store(0);
    return kNotLoaded;
  }
  if (noDownload) return kNotLoaded;
  RequestDownload(day, message);
  return kDownloadStarted;
}

int32_t ProgrammeGuide::GetNowPlaying(std::vector<GuideRow>& rows, bool noDownload) {
  GuideDayListPtr today;
  const int32_t start = begin(0, WM_GUIDE_NOWPLAYING, noDownload, today);
  if (start != kRows) return start;
  GuideRowBuilder::NowPlaying(*today, GuideTimeKey::NowKey(clock_.Now()), rows);
  return rows.empty() ? kNothing : kRows;
}

int32_t ProgrammeGuide::GetUpcoming(std::vector<GuideRow>& rows, bool noDownload) {
  if (dayEmpty_[0].load() != 0) return kNothing;
  const Snapshot days = snapshot();
  GuideDayListPtr today = days.day[0];
  const int32_t start = begin(0, WM_GUIDE_UPCOMING, noDownload, today);
  if (start != kRows) return start;
  GuideRowBuilder::Days view;
  for (int d = 0; d < 3; ++d) view.day[d] = days.day[d].get();
  const std::shared_ptr<const UpcomingPlan> plan = planFor(days);
  GuideRowBuilder::Upcoming(view, plan->places, GuideTimeKey::NowKey(clock_.Now()), rows);
  return rows.empty() ? kNothing : kRows;
}

// Which channels the upcoming list has, and where, changes only when a day
// list is replaced, so it is collected once per set of lists rather than
// once per query.
std::shared_ptr<const ProgrammeGuide::UpcomingPlan> ProgrammeGuide::planFor(const Snapshot& days) {
  std::lock_guard g(planLock_);
  bool current = plan_ != nullptr;
  for (int d = 0; d < 3 && current; ++d) current = plan_->day[d].lock() == days.day[d];
  if (current) return plan_;
  auto plan = std::make_shared<UpcomingPlan>();
  GuideRowBuilder::Days view;
  for (int d = 0; d < 3; ++d) {
    plan->day[d] = days.day[d];
    view.day[d] = days.day[d].get();
  }
  plan->places = GuideRowBuilder::CollectChannelIds(view);
  plan_ = plan;
  return plan_;
}

int32_t ProgrammeGuide::GetDayList(int day, std::u16string_view channelId, std::vector<GuideRow>& rows,
                                   bool noDownload) {
  if (!validDay(day)) return kNothing;
  GuideDayListPtr list;
  const int32_t start = begin(day, WM_GUIDE_FIRSTDAY + static_cast<uint32_t>(day), noDownload, list);
  if (start != kRows) return start;
  GuideRowBuilder::DayList(*list, channelId, rows);
  return rows.empty() ? kNothing : kRows;
}

ProgrammeGuide::DayState ProgrammeGuide::GetDayState(int day) const {
  if (!validDay(day)) return DayState::NotLoaded;
  if (dayEmpty_[day].load() != 0) return DayState::Empty;
  if (!listOf(day)->empty()) return DayState::Loaded;
  if (dayTooLarge_[day].load() != 0) return DayState::TooLarge;
  return inFlight_[day].load() > 0 ? DayState::Downloading : DayState::NotLoaded;
}

bool ProgrammeGuide::dayEmpty(int day) const { return validDay(day) && dayEmpty_[day].load() != 0; }

bool ProgrammeGuide::dayTooLarge(int day) const { return validDay(day) && dayTooLarge_[day].load() != 0; }

std::u16string ProgrammeGuide::statusText() const {
  for (int day = 0; day < 3; ++day) {
    if (dayTooLarge_[day].load() == 0) continue;
    return u"The programme guide is too large to load (a day's listing is over " +
           asciiToUtf16(std::to_string(limits_.maxBodyBytes >> 20)) + u" MB).";
  }
  return {};
}

std::u16string ProgrammeGuide::dayKey(int day) const { return GuideTimeKey::DayKey(creationTime_.day, day); }

std::u16string ProgrammeGuide::guideHost() const {
  std::lock_guard g(settingsLock_);
  return guideHost_;
}

uint16_t ProgrammeGuide::guidePort() const {
  std::lock_guard g(settingsLock_);
  return guidePort_;
}

bool ProgrammeGuide::downloadRunning() const {
  std::lock_guard g(threadLock_);
  return downloadRunning_;
}

}  // namespace tembra
