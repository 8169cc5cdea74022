#pragma once
#include <cstdint>
#include <string>

namespace tembra {

// How the reading of one guide went.
struct XmltvGuideReport {
  std::string location;
  // It was an XMLTV guide (its root element is <tv>); what it held up to
  // a damage or cut is kept.
  bool ok = false;
  // It ended (or broke off) before its end: what was complete is kept.
  bool cutOff = false;
  // What went wrong, in words; empty when nothing did.
  std::string message;
  std::string encoding;
  bool gzip = false;
  // Its <channel> and <programme> elements, kept or not.
  uint64_t channelElements = 0;
  uint64_t programmeElements = 0;
  // Programmes kept (in the window, of a channel asked for, times readable).
  uint64_t programmesKept = 0;
  // Programmes with a start or stop that is no guide time.
  uint64_t badTimes = 0;
  // Playlist channels that took their guide channel from this guide.
  uint64_t channelsMatched = 0;
};

}  // namespace tembra
