#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Faults.h"

namespace tembra {

// The command line of tembra-demo-service.
struct DemoOptions {
  static constexpr uint32_t kMaxChannels = 100000;
  static constexpr uint32_t kMaxEpgDays = 14;

  std::string listenHost = "127.0.0.1";
  uint16_t listenPort = 0;  // 0: a free port
  std::string cacheDir;     // empty: $XDG_CACHE_HOME/tembra-demo

  uint32_t groups = 8;
  uint32_t channelsPerGroup = 12;
  uint32_t programmesPerDay = 0;  // 0: 16 to 32, varying per channel
  bool duplicateNames = false;
  uint32_t missingFromGuide = 0;
  uint32_t guideExtra = 0;
  uint64_t seed = 1;

  bool noNotice = false;
  std::string noticeText;
  bool forcedUpgrade = false;

  std::string writeConfigDir;
  bool deadFirst = false;

  bool adLink = false;
  int64_t adTime = 100;

  uint32_t epgDays = 3;        // days of the XMLTV guide, from today
  bool playlistCrlf = false;   // the M3U playlist ends its lines with CR LF

  // The provider account over the same line-up (player_api.php, /live/,
  // xmltv.php, /timeshift/).
  std::string xtreamUser = "demo";
  std::string xtreamPassword = "demo";

  uint32_t streamSeconds = 10;
  bool noPregenerate = false;

  uint32_t hangSeconds = 60;
  uint32_t slowBytesPerSecond = 256;
  int64_t clockOffsetSeconds = 0;

  std::vector<Faults::Id> faults;

  bool help = false;

  // Parses argv; false with a message in error on a bad switch or value.
  bool Parse(int argc, char** argv, std::string& error);
  static std::string HelpText();
};

}  // namespace tembra
