#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "guide/GuideRow.h"

namespace tembra {

// Which programmes of a channel's day list can be played from the
// channel's archive, and the times to ask it for. A day list gives each
// programme's local start only; a programme ends where the next one
// starts, the last at the midnight after it starts.
class ArchiveRows {
 public:
  struct Span {
    int64_t start = 0;  // UTC seconds
    int64_t stop = 0;
    bool operator==(const Span&) const = default;
  };

  // One per row, in order; nothing for a row whose time does not read.
  static std::vector<std::optional<Span>> spans(const std::vector<GuideRow>& rows);
  // A programme that has begun by now and began within the channel's
  // catch-up days (none: the channel has no archive; 0: it has one of a
  // length it does not say, taken as a day).
  static bool playable(const Span& span, std::optional<int> catchupDays, int64_t now);
  // A programme that has not begun yet, which can be recorded when it airs.
  static bool upcoming(const Span& span, int64_t now) { return span.start > now; }
};

}  // namespace tembra
