#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/AutoResetEvent.h"
#include "stats/ServerClock.h"
#include "stats/StatsBacklog.h"
#include "stats/StatsEncoding.h"
#include "stats/StatsUpload.h"

namespace tembra {

// Usage statistics for the whole program: turns the window's moments into
// records and uploads them to the statistics server ("BIServer") on a
// thread of its own. Records the server has not accepted by the end of the
// run are kept in "bi.dat" and sent by the next run, before its own.
//
// Use from the window:
//   start-up (may run on a worker thread; blocks up to about 5 seconds on an
//   unreachable clock):
//     stats = StatsReporter::create(config.ReadValue(u"BIServer", true));
//     stats->markCatalogueStart();  ... sign-in, catalogue ...
//     if (client.catalogueLoaded()) stats->recordCatalogueLoaded();
//     ...
//     stats->recordStartup(true);
//   each channel that starts playing (kind 0; empty group texts without a
//   group):
//     stats->recordChannelWatch(true, id, name, groupId, groupName, 0);
//   close:
//     stats->recordShutdown();
//     stats->waitForUploadEnd();   // at most kCloseWait, then returns
//
// Every record operation only queues text and wakes the upload thread; none
// touches the network or waits on it, so they are safe to call from the GUI
// thread. After create() returns, all record operations must come from one
// thread at a time (the window's). No records after recordShutdown().
class StatsReporter {
 public:
  // How the reporter meets its surroundings; the defaults are the product's.
  struct Setup {
    std::string backlogPath = StatsBacklog::kFileName;  // in the working directory
    ServerClock::Now now;                               // empty: the system clock
    std::optional<std::u16string> machineAddress;       // unset: read from the machine
    std::optional<std::u16string> osName;               // unset: read from the machine
    bool measureClock = true;
    // A failed upload is tried again after this long even when no new
    // record arrives, so a long quiet run still delivers its records.
    std::chrono::milliseconds retryInterval{60000};
    long requestLimitMs = StatsUpload::kRequestLimitMs;
    size_t maxUploadBytes = StatsEncoding::kMaxUploadBytes;
  };

  // The window's bound on waiting for the last upload at close.
  static constexpr std::chrono::milliseconds kCloseWait{5000};
  static constexpr int kKindDefault = 0;

  // Builds the reporter for the statistics server address: loads and
  // deletes the backlog, reads the machine address, measures the server
  // clock, starts the upload thread, reads the OS name and makes the start
  // record "00006" (queued, not sent until the next wake-up). Never fails:
  // with an unusable address records are kept and end up in the backlog.
  static std::unique_ptr<StatsReporter> create(std::u16string_view serverAddress);
  static std::unique_ptr<StatsReporter> create(std::u16string_view serverAddress, Setup setup);

  // Stops the upload thread (abandoning a request in flight) and saves what
  // is not accepted to the backlog. The window never destroys its reporter.
  ~StatsReporter();
  StatsReporter(const StatsReporter&) = delete;
  StatsReporter& operator=(const StatsReporter&) = delete;

  // First call: the start record "00006". Later calls: "06001" with the
  // seconds since the first. signal: wake the upload thread.
  void recordStartup(bool signal);
  // Just before sign-in and the catalogue load.
  void markCatalogueStart();
  // "02008" with the seconds since markCatalogueStart(); wakes the upload.
  void recordCatalogueLoaded();
  // A channel started playing. The first call of a run only remembers it;
  // each later call makes "02011" for the channel watched until now, with
  // how long it was watched, and then remembers the new one.
  void recordChannelWatch(bool signal, std::u16string_view channelId,
                          std::u16string_view channelName, std::u16string_view groupId,
                          std::u16string_view groupName, int kind = kKindDefault);
  // The close records: "02011" for the last channel (if one was watched) and
  // "00007"; tells the upload thread to send them and end. Once only.
  void recordShutdown();
  // Adds a record with the current header and this event body to the
  // records waiting for the upload thread.
  void queueRecord(std::u16string_view eventBody);

  // Waits for the upload thread to end, at most `limit` (then a request in
  // flight is abandoned). Everything the server has not accepted is in the
  // backlog file when this returns. True when the thread ended on its own
  // within the limit. Called once, after recordShutdown().
  bool waitForUploadEnd(std::chrono::milliseconds limit = kCloseWait);

  // --- what the reporter found, for the tool and tests ---
  int64_t serverOffset() const { return serverOffset_; }
  const std::u16string& machineAddress() const { return machineAddress_; }
  const std::u16string& osName() const { return osName_; }
  const std::optional<StatsServer>& server() const { return server_; }
  // The header of the last record made.
  const std::u16string& header() const { return header_; }
  // Records made or loaded and not yet accepted by the server.
  size_t unacceptedCount() const;
  // Upload requests finished so far, accepted or not.
  uint64_t requestsMade() const { return requestsMade_.load(); }

 private:
  StatsReporter(std::u16string_view serverAddress, Setup setup);
  int64_t now() const;
  void loadBacklog();
  void measureServerOffset();
  void uploadLoop();
  // One wake-up: every pending record joins the outgoing ones, which are
  // sent oldest first in requests of at most maxUploadBytes. True when the
  // stop flag was set as the pass began.
  bool uploadPass();
  void finishUploads();
  std::vector<std::u16string> takeAllRecords();  // caller holds lock_

  Setup setup_;
  std::optional<StatsServer> server_;
  std::u16string machineAddress_;
  std::u16string osName_;
  int64_t serverOffset_ = 0;

  // Window thread only (record operations).
  bool started_ = false;
  bool watching_ = false;
  bool shutdownRecorded_ = false;
  int64_t startTime_ = 0;
  int64_t catalogueStart_ = 0;
  int64_t watchStart_ = 0;
  std::u16string channelId_, channelName_, groupId_, groupName_;
  std::u16string header_;

  // Upload thread only.
  std::u16string uploadText_;

  mutable std::mutex lock_;
  std::condition_variable finishedCv_;
  std::vector<std::u16string> pending_;   // guarded by lock_
  std::vector<std::u16string> outgoing_;  // guarded by lock_; oldest first
  bool stop_ = false;                     // guarded by lock_
  bool claimed_ = false;    // guarded by lock_: the upload thread is saving the backlog
  bool abandoned_ = false;  // guarded by lock_: the waiter saved the backlog itself
  bool finished_ = false;   // guarded by lock_
  std::atomic<bool> cancel_{false};  // abandons the request in flight
  std::atomic<uint64_t> requestsMade_{0};

  AutoResetEvent uploadEvent_;
  std::thread uploadThread_;
};

}  // namespace tembra
