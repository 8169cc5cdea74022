#pragma once
#include <string>
#include <utility>
#include <vector>

namespace tembra {

// The mpv options the player sets before initialising its handle. Kept as
// plain data so the choices are visible in one place and testable.
struct MpvOption {
  std::string name;
  std::string value;
};

class MpvOptions {
 public:
  // The audio outputs tried, in order, when the player has sound.
  static constexpr const char* kAudioOutputs = "pulse,alsa,null";

  struct Outputs {
    bool renderVideo = true;  // false: vo=null (no picture drawn anywhere)
    bool audio = true;        // false: ao=null
  };

  // Player defaults: no user configuration, scripts or keyboard bindings of
  // mpv's own (the player draws its own overlay), hardware decoding where
  // the machine has it.
  static std::vector<MpvOption> Base(const Outputs& outputs);

  // Live-stream tuning for fast channel switches.
  static std::vector<MpvOption> LiveTuning();

  // The container hint set before each address is loaded: "mpegts" for
  // addresses that can only carry MPEG-TS (udp, rtp, *.ts), so probing is
  // skipped; empty (probe) for anything else.
  static std::string FormatHint(const std::string& address);
};

}  // namespace tembra
