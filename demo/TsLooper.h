#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tembra {

// Turns one cached MPEG-TS segment into an endless live stream: loop n is
// the segment with every PCR, PTS and DTS moved on by n segment lengths and
// every continuity counter carried on, so a player sees one continuous
// stream instead of a clock that jumps back every few seconds.
class TsLooper {
 public:
  static constexpr size_t kPacket = 188;

  // seconds: the segment's length. A segment that is not whole packets
  // with sync bytes is looped as it is.
  TsLooper(std::string segment, uint32_t seconds);

  std::string Loop(uint64_t n) const;
  size_t size() const { return segment_.size(); }
  bool restamped() const { return restamp_; }

 private:
  enum class Kind : uint8_t { Pcr, Timestamp, Counter };
  struct Patch {
    uint32_t offset;
    Kind kind;
    uint8_t counterStep;  // Counter: payload packets of this PID per loop, mod 16
  };

  std::string segment_;
  uint64_t period_;  // 90 kHz units
  bool restamp_ = false;
  std::vector<Patch> patches_;
};

}  // namespace tembra
