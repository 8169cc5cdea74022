#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "CivilDate.h"
#include "DemoData.h"

namespace tembra {

// The guide as XMLTV: every guide channel, then each one's programmes for
// the days asked, the same programmes /tvitem.action gives for those days.
// That reply speaks the machine's local wall-clock time; XMLTV gives the
// same instants as UTC with "+0000". Written piece by piece, since a large
// line-up's guide runs to gigabytes.
class XmltvWriter {
 public:
  struct Setup {
    CivilDate first;          // the first day (local)
    int days = 3;
    std::string base;         // "http://HOST:PORT/", for the channels' icons
    // Times carry "+0300" on their UTC clock digits, so every instant
    // reads 3 h early (a feed with a wrong zone).
    bool wrongOffset = false;
    // Ends half way through the programmes, inside an element.
    bool truncated = false;
  };

  XmltvWriter(const DemoData& data, Setup setup);

  // Appends the next piece to out; false once everything was written.
  bool Next(std::string& out);

  // The instant of a wall-clock time of the local zone (second may be
  // 86400: midnight at the day's end); nullopt when there is none.
  static std::optional<std::time_t> LocalInstant(const CivilDate& date, uint32_t second);
  // "YYYYMMDDhhmmss +0000" (or "+0300" with the wrong offset).
  static std::string Stamp(std::time_t instant, bool wrongOffset);

 private:
  enum class Stage { Header, Channels, Programmes, Footer, Done };

  void writeChannel(const GuideChannel& channel, std::string& out) const;
  void writeProgrammes(const GuideChannel& channel, std::string& out) const;

  const DemoData& data_;
  Setup setup_;
  Stage stage_ = Stage::Header;
  size_t next_ = 0;
};

}  // namespace tembra
