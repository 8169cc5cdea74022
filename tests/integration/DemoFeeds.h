#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra::test {

// Readers for the demo service's playlist and XMLTV guide, written for the
// tests from the formats alone, so that the service is not checked with
// the code it is meant to exercise.

struct Gunzipped {
  bool gzip = false;      // began with the gzip magic
  bool complete = false;  // the member ended with its trailer
  std::string text;       // what decoded, complete or not
};
Gunzipped Gunzip(std::string_view bytes);

struct M3uEntry {
  std::map<std::string, std::string> attributes;
  std::string title;
  std::string url;
};
struct M3u {
  bool header = false;  // the first line is #EXTM3U
  std::map<std::string, std::string> headerAttributes;
  std::vector<M3uEntry> entries;
};
// Attribute values are quoted; the title begins after the first comma that
// is outside quotes. Lines may end in LF or CR LF.
M3u ParseM3u(std::string_view text);

struct XmltvChannel {
  std::string id, name, icon;
};
struct XmltvProgramme {
  std::string channel, start, stop, title, desc, category;
};
struct Xmltv {
  bool wellFormed = false;  // and complete: no element left open
  std::vector<XmltvChannel> channels;
  std::vector<XmltvProgramme> programmes;
};
Xmltv ParseXmltv(std::string_view text);

// "YYYYMMDDhhmmss +hhmm" (or -hhmm) as seconds since the epoch.
std::optional<int64_t> XmltvInstant(std::string_view stamp);
// An instant as the wall clock of a zone offsetSeconds east of UTC:
// "YYYY-MM-DD" and "hh:mm:ss".
std::pair<std::string, std::string> WallClock(int64_t instant, int offsetSeconds);

}  // namespace tembra::test
