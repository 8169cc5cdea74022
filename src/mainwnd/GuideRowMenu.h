#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace tembra {

// The right-click menu of a guide row: what it offers and what of that can
// be done now.
class GuideRowMenu {
 public:
  enum class Action { Play, Details, Archive, Record, CancelRecording };
  struct Entry {
    Action action;
    bool enabled;
    bool operator==(const Entry&) const = default;
  };
  struct Row {
    bool channelKnown = false;      // the row names a channel that can play
    std::optional<int> catchupDays;  // the channel's catch-up, as its source says
    int64_t start = 0;               // the programme's start (UTC seconds); 0: not known
    int64_t now = 0;
    bool archivePlayable = false;    // the player can play from the archive
    bool schedulable = false;        // the window keeps a schedule of recordings
    bool scheduled = false;          // the programme's recording is in it
  };

  // Play (the channel), Show details, "Play from the archive" for a
  // programme within the channel's catch-up, enabled only once the player
  // can play from the archive, and where recordings can be scheduled
  // "Record" for a programme not begun yet or "Cancel recording" for one
  // already scheduled (also once it has begun: its recording runs).
  static std::vector<Entry> entries(const Row& row);
  // The programme began (it is on or over) and not longer ago than the
  // catch-up reaches (0 days: a span not said, taken as any).
  static bool inArchive(std::optional<int> catchupDays, int64_t start, int64_t now);
};

}  // namespace tembra
