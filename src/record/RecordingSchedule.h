#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tembra {

// Recordings asked for ahead, kept in a file of their own so that they
// survive a restart: one line per programme, replaced atomically on every
// change. They run while the program does: from a minute before the
// programme starts until two minutes after it ends.
class RecordingSchedule {
 public:
  static constexpr int64_t kLeadSeconds = 60;
  static constexpr int64_t kTrailSeconds = 120;
  // A file larger than this, or more entries, is read only up to it.
  static constexpr size_t kMaxEntries = 1000;
  static constexpr size_t kMaxFileBytes = 1 << 20;

  struct Entry {
    std::string sourceId;  // the kept source it belongs to ("" for the operator's)
    std::string channelId;
    std::string channelName;
    std::string title;
    int64_t start = 0;  // the programme's times, UTC seconds
    int64_t stop = 0;

    int64_t recordFrom() const { return start - kLeadSeconds; }
    int64_t recordUntil() const { return stop + kTrailSeconds; }
    bool operator==(const Entry&) const = default;
  };

  explicit RecordingSchedule(std::string path);
  // $XDG_CONFIG_HOME/tembra/recordings.list
  static std::string defaultPath();

  // Reads the file; a missing file is an empty schedule, and lines that do
  // not read are skipped. False only when the file exists but cannot be read.
  bool load();
  const std::vector<Entry>& entries() const { return entries_; }

  // False (nothing changes) for a programme already over, one with its
  // end before its start, one that is there already, or a full schedule;
  // true once the file holds it.
  bool add(Entry entry, int64_t now);
  bool remove(const std::string& sourceId, const std::string& channelId, int64_t start);
  bool has(const std::string& sourceId, const std::string& channelId, int64_t start) const;
  // The entry of sourceId whose recording window holds now, the earliest first.
  std::optional<Entry> due(const std::string& sourceId, int64_t now) const;
  // Drops entries whose window ended before now; true when any went.
  bool dropFinished(int64_t now);
  // Seconds from now until the next window of sourceId opens or a running
  // one closes; nothing when no entry of the source is left.
  std::optional<int64_t> nextChange(const std::string& sourceId, int64_t now) const;

  // One entry as a line of the file and back (tabs and line breaks in the
  // texts become spaces).
  static std::string lineOf(const Entry& entry);
  static std::optional<Entry> parseLine(const std::string& line);

 private:
  bool save() const;

  std::string path_;
  std::vector<Entry> entries_;  // by start
};

}  // namespace tembra
