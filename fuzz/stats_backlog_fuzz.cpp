// An arbitrary backlog file: only complete, non-empty lines come back, none
// holding a line feed, and the file is gone afterwards.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "stats/StatsBacklog.h"

using tembra::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tembra::fuzz::Scratch scratch("backlog-fuzz");
  const std::string bytes(tembra::fuzz::Bytes(data, size));
  const std::string path = scratch.write(tembra::StatsBacklog::kFileName, bytes);
  const auto records = tembra::StatsBacklog::Load(path);
  Check(::access(path.c_str(), F_OK) != 0);
  size_t lines = 0;
  for (char c : bytes) lines += c == '\n';
  Check(records.size() <= lines);
  for (const auto& record : records) {
    Check(!record.empty());
    Check(record.find(u'\n') == std::u16string::npos);
  }
  // What comes back is written back unchanged in number.
  if (records.size() <= 64) {
    Check(tembra::StatsBacklog::Append(path, records));
    Check(tembra::StatsBacklog::Load(path).size() == records.size());
  }
  return 0;
}
