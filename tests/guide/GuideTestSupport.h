#pragma once
// Helpers of the guide tests: reply bodies, local times, and a guide that
// never downloads on its own.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "guide/LocalClock.h"
#include "guide/ProgrammeGuide.h"
#include "platform/RecordingWindow.h"
#include "platform/TestFiles.h"
#include "platform/Utf.h"

namespace tembra::test {

inline LocalTime At(int year, int month, int day, int hour = 12, int minute = 0, int second = 0) {
  LocalTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  t.hour = static_cast<uint16_t>(hour);
  t.minute = static_cast<uint16_t>(minute);
  t.second = static_cast<uint16_t>(second);
  return t;
}

// One channel of a reply body: id, name, and "HH:MM:SS|title" programmes.
struct ReplyChannel {
  std::string id;
  std::string name;
  std::vector<std::string> programmes;
};

inline std::string ReplyBody(const std::vector<ReplyChannel>& channels, const std::string& date = "2024-05-07") {
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tvlist>\n";
  for (const ReplyChannel& c : channels) {
    s += "<tv id=\"" + c.id + "\"><tvname>" + c.name + "</tvname>\n";
    for (const std::string& p : c.programmes) {
      const size_t bar = p.find('|');
      s += "<tvitem><title>" + p.substr(bar + 1) + "</title><startdate>" + date + "</startdate><enddate>" +
           date + "</enddate><starttime>" + p.substr(0, bar) + "</starttime></tvitem>\n";
    }
    s += "</tv>\n";
  }
  return s + "</tvlist>\n";
}

inline std::string Http200(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n" + body;
}

// A guide of service type "1" on clock, with its transfer file in folder.
inline std::unique_ptr<ProgrammeGuide> MakeGuide(const std::string& url, std::u16string uuid, const LocalClock* clock,
                                                 const std::string& folder, const GuideLimits& limits = {},
                                                 bool creationDownloads = false,
                                                 std::chrono::milliseconds creationWait = ProgrammeGuide::kCreationWait) {
  ProgrammeGuide::Options options;
  options.clock = clock;
  options.folder = folder;
  options.creationDownloads = creationDownloads;
  options.creationWait = creationWait;
  options.limits = limits;
  return std::make_unique<ProgrammeGuide>(fromUtf8(url), std::move(uuid), u"1", options);
}

}  // namespace tembra::test
