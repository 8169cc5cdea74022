#pragma once
#include <httplib.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ShutdownFlag.h"
#include "TsLooper.h"

namespace tembra {

// A past programme as the demo's archive serves it: the channel's looped
// segment, restamped, for the programme's length, as one file of known
// size that can be read from any byte (Range requests), so a player can
// seek across the programme. Sent at a few times the stream's own rate
// after a short burst, as an archive server would.
class ArchiveStream {
 public:
  static constexpr int64_t kMinSeconds = 60;
  static constexpr int64_t kMaxSeconds = 6 * 3600;
  static constexpr int64_t kDefaultSeconds = 3600;
  static constexpr double kPace = 4.0;

  // The programme's length from a catch-up address's query: end - utc, else
  // lutc - utc (from the start until the time of the request), else
  // kDefaultSeconds; nothing when utc is missing or not a time. Clamped to
  // kMinSeconds..kMaxSeconds.
  static std::optional<int64_t> SecondsFromQuery(const httplib::Request& req);
  // The length of an archive asked for by its start alone (which runs on
  // to live): now - utc, else kDefaultSeconds for a start not yet past;
  // clamped the same way.
  static int64_t SecondsSince(int64_t utc, int64_t now);

  // How many whole loops of a segment of segmentSeconds cover seconds.
  static uint64_t Loops(int64_t seconds, uint32_t segmentSeconds);

  static void Serve(std::shared_ptr<const TsLooper> looper, uint32_t segmentSeconds, int64_t seconds,
                    ShutdownFlag* shutdown, httplib::Response& res);
};

}  // namespace tembra
