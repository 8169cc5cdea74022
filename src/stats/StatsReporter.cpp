#include "stats/StatsReporter.h"

#include <ctime>

#include "stats/MachineFingerprint.h"
#include "stats/StatsRecord.h"

namespace tembra {

namespace {
// After the close limit the request in flight is cancelled; curl notices
// within about a second, and the thread then writes the backlog itself.
constexpr std::chrono::milliseconds kCancelGrace{2000};
}  // namespace

std::unique_ptr<StatsReporter> StatsReporter::create(std::u16string_view serverAddress) {
  return create(serverAddress, Setup{});
}

std::unique_ptr<StatsReporter> StatsReporter::create(std::u16string_view serverAddress,
                                                     Setup setup) {
  std::unique_ptr<StatsReporter> reporter(new StatsReporter(serverAddress, std::move(setup)));
  // A catalogue record without markCatalogueStart() counts from creation,
  // not from 1970.
  reporter->catalogueStart_ = reporter->now();
  reporter->recordStartup(false);
  return reporter;
}

StatsReporter::StatsReporter(std::u16string_view serverAddress, Setup setup)
    : setup_(std::move(setup)), server_(StatsServer::FromUrl(serverAddress)) {
  loadBacklog();
  machineAddress_ = setup_.machineAddress ? *setup_.machineAddress
                                          : MachineFingerprint::readMachineAddress();
  if (setup_.measureClock) measureServerOffset();
  uploadThread_ = std::thread([this] { uploadLoop(); });
  if (setup_.osName) {
    osName_ = *setup_.osName;
  } else if (!MachineFingerprint::readOsName(osName_)) {
    osName_.clear();
  }
}

StatsReporter::~StatsReporter() {
  if (!uploadThread_.joinable()) return;
  {
    std::lock_guard g(lock_);
    stop_ = true;
  }
  cancel_ = true;
  uploadEvent_.set();
  uploadThread_.join();
}

int64_t StatsReporter::now() const {
  if (setup_.now) return setup_.now();
  return static_cast<int64_t>(std::time(nullptr));
}

void StatsReporter::loadBacklog() {
  auto records = StatsBacklog::Load(setup_.backlogPath);
  std::lock_guard g(lock_);
  for (auto& r : records) outgoing_.push_back(std::move(r));
}

void StatsReporter::measureServerOffset() {
  serverOffset_ = 0;
  if (!server_) return;
  serverOffset_ = ServerClock::Measure(server_->host, server_->port, [this] { return now(); })
                      .value_or(0);
}

void StatsReporter::queueRecord(std::u16string_view eventBody) {
  header_ = StatsRecord::Header(machineAddress_, osName_,
                                StatsRecord::LocalTime(now(), serverOffset_));
  std::u16string record = StatsRecord::Record(header_, eventBody);
  std::lock_guard g(lock_);
  pending_.push_back(std::move(record));
}

void StatsReporter::recordStartup(bool signal) {
  const int64_t t = now();
  if (!started_) {
    startTime_ = t;
    started_ = true;
    queueRecord(StatsRecord::StartBody());
  } else {
    queueRecord(StatsRecord::StartupBody(StatsRecord::Elapsed(startTime_, t)));
  }
  if (signal) uploadEvent_.set();
}

void StatsReporter::markCatalogueStart() { catalogueStart_ = now(); }

void StatsReporter::recordCatalogueLoaded() {
  queueRecord(StatsRecord::CatalogueBody(StatsRecord::Elapsed(catalogueStart_, now())));
  uploadEvent_.set();
}

void StatsReporter::recordChannelWatch(bool signal, std::u16string_view channelId,
                                       std::u16string_view channelName,
                                       std::u16string_view groupId,
                                       std::u16string_view groupName, int kind) {
  const int64_t switchTime = now();
  const bool first = !watching_;
  if (!first) {
    queueRecord(StatsRecord::WatchBody(kind, channelId_, channelName_,
                                       StatsRecord::Elapsed(watchStart_, switchTime), groupId_,
                                       groupName_));
  }
  watching_ = true;
  watchStart_ = switchTime;
  channelId_ = channelId;
  channelName_ = channelName;
  groupId_ = groupId;
  groupName_ = groupName;
  if (!first && signal) uploadEvent_.set();
}

void StatsReporter::recordShutdown() {
  if (shutdownRecorded_) return;
  shutdownRecorded_ = true;
  recordChannelWatch(false, {}, {}, {}, {}, kKindDefault);
  header_ = StatsRecord::Header(machineAddress_, osName_,
                                StatsRecord::LocalTime(now(), serverOffset_));
  std::u16string record = StatsRecord::Record(header_, StatsRecord::CloseBody());
  {
    // The stop flag and the last record travel together, so the pass that
    // sees the flag also sends the record.
    std::lock_guard g(lock_);
    pending_.push_back(std::move(record));
    stop_ = true;
  }
  uploadEvent_.set();
}

size_t StatsReporter::unacceptedCount() const {
  std::lock_guard g(lock_);
  return pending_.size() + outgoing_.size();
}

void StatsReporter::uploadLoop() {
  for (;;) {
    const bool woken = uploadEvent_.waitFor(setup_.retryInterval);
    if (!woken) {
      std::lock_guard g(lock_);
      if (!stop_ && outgoing_.empty() && pending_.empty()) continue;
    }
    if (uploadPass()) break;
  }
  finishUploads();
}

bool StatsReporter::uploadPass() {
  bool stopping;
  {
    std::lock_guard g(lock_);
    stopping = stop_;
    for (auto& r : pending_) outgoing_.push_back(std::move(r));
    pending_.clear();
  }
  for (;;) {
    std::vector<std::u16string> batch;
    {
      std::lock_guard g(lock_);
      if (abandoned_ || outgoing_.empty()) break;
      const size_t n = StatsEncoding::FirstBatch(outgoing_, setup_.maxUploadBytes);
      batch.assign(outgoing_.begin(), outgoing_.begin() + static_cast<ptrdiff_t>(n));
    }
    uploadText_ = StatsEncoding::Join(batch);
    const std::string body = StatsEncoding::EncodeBody(uploadText_);
    const bool accepted =
        server_ && StatsUpload::Post(*server_, body, cancel_, setup_.requestLimitMs);
    ++requestsMade_;
    if (!accepted) break;
    std::lock_guard g(lock_);
    if (abandoned_) break;
    outgoing_.erase(outgoing_.begin(), outgoing_.begin() + static_cast<ptrdiff_t>(batch.size()));
  }
  return stopping;
}

std::vector<std::u16string> StatsReporter::takeAllRecords() {
  std::vector<std::u16string> all = std::move(outgoing_);
  outgoing_.clear();
  for (auto& r : pending_) all.push_back(std::move(r));
  pending_.clear();
  return all;
}

void StatsReporter::finishUploads() {
  std::vector<std::u16string> records;
  {
    std::lock_guard g(lock_);
    if (!abandoned_) {
      claimed_ = true;
      records = takeAllRecords();
    }
  }
  if (!records.empty()) StatsBacklog::Append(setup_.backlogPath, records);
  {
    std::lock_guard g(lock_);
    finished_ = true;
  }
  finishedCv_.notify_all();
}

bool StatsReporter::waitForUploadEnd(std::chrono::milliseconds limit) {
  if (!uploadThread_.joinable()) return true;
  std::unique_lock l(lock_);
  // Without the close records the thread would never be told to end.
  stop_ = true;
  l.unlock();
  uploadEvent_.set();
  l.lock();
  auto finished = [this] { return finished_; };
  bool inTime = finishedCv_.wait_for(l, limit, finished);
  if (!inTime) {
    cancel_ = true;
    if (!finishedCv_.wait_for(l, kCancelGrace, finished)) {
      if (claimed_) {
        // The thread is writing the file; that does not wait on the network.
        finishedCv_.wait(l, finished);
      } else {
        abandoned_ = true;
        std::vector<std::u16string> records = takeAllRecords();
        l.unlock();
        if (!records.empty()) StatsBacklog::Append(setup_.backlogPath, records);
        return false;
      }
    }
  }
  l.unlock();
  uploadThread_.join();
  return inTime;
}

}  // namespace tembra
