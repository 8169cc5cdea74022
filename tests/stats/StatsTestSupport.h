#pragma once
// Shared by the statistics tests: a hand-moved clock, one reporter run in a
// folder of its own, and helpers to read uploads and backlog files back.
#include <time.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/TestFiles.h"
#include "platform/Utf.h"
#include "stats/StatsEncoding.h"
#include "stats/StatsReporter.h"

namespace tembra::test {

// Seconds since 1970 of a UTC calendar moment.
inline int64_t utc(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return static_cast<int64_t>(::timegm(&t));
}

// A clock the test moves by hand.
struct ManualClock {
  std::atomic<int64_t> seconds{0};
  std::function<int64_t()> source() {
    return [this] { return seconds.load(); };
  }
  void advance(int64_t by) { seconds += by; }
};

// A record as the reporter of machine 00-1A-2B-3C-4D-5E makes it.
inline std::string recordText(const std::string& osName, const std::string& time, const std::string& body) {
  return R"({{"PC","00-1A-2B-3C-4D-5E","windows",")" + osName + R"(","hi_IN",")" + time + R"(","1"},)" + body + "}";
}

// One run of the reporter: its backlog in a folder of its own, the clock
// moved by hand from start, the server's clock not asked.
struct ReporterRun {
  ReporterRun(int64_t start, std::u16string os) : osName(std::move(os)) { clock.seconds = start; }
  std::string backlog() const { return dir.file("bi.dat"); }
  StatsReporter::Setup setup() {
    StatsReporter::Setup s;
    s.backlogPath = backlog();
    s.now = clock.source();
    s.machineAddress = u"00-1A-2B-3C-4D-5E";
    s.osName = osName;
    s.measureClock = false;
    return s;
  }
  std::vector<std::string> backlogLines() const {
    std::vector<std::string> lines;
    const std::string text = readFile(backlog());
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(text.substr(start, end - start));
    return lines;
  }

  TempDir dir{"stats-run"};
  ManualClock clock;
  std::u16string osName;
};

// The records of one request a LoopbackListener recorded.
inline std::vector<std::string> uploadedRecords(const std::string& request) {
  const size_t split = request.find("\r\n\r\n");
  if (split == std::string::npos) return {"<no head>"};
  auto records = StatsEncoding::DecodeBody(request.substr(split + 4));
  if (!records) return {"<not an upload body>"};
  std::vector<std::string> out;
  for (const auto& r : *records) out.push_back(toUtf8(r));
  return out;
}

inline const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nConnection: close\r\n\r\nOK\n";
inline const std::string k500 =
    "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

}  // namespace tembra::test
