#pragma once
// Shared by the statistics tests: a hand-moved clock, and helpers to read
// uploads and backlog files back.
#include <stdlib.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Utf.h"
#include "stats/StatsEncoding.h"

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

inline std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Polls until done() holds or the time is up; true when it held.
inline bool eventually(const std::function<bool()>& done,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

inline const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nConnection: close\r\n\r\nOK\n";
inline const std::string k500 =
    "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

}  // namespace tembra::test
