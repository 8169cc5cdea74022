#include "e2e/CollectorRecords.h"

#include <fstream>

namespace tembra::test {

std::vector<std::string> readBacklog(const std::string& path) {
  std::vector<std::string> out;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) out.push_back(line);
  return out;
}

std::string eventCode(const std::string& record) {
  // {{header},{"CODE",{values}}}
  const size_t at = record.find("},{\"");
  if (at == std::string::npos) return {};
  const size_t start = at + 4;
  const size_t end = record.find('"', start);
  return end == std::string::npos ? std::string() : record.substr(start, end - start);
}

std::vector<std::string> eventCodes(const std::vector<std::string>& records) {
  std::vector<std::string> out;
  for (const auto& r : records) out.push_back(eventCode(r));
  return out;
}

std::vector<std::string> eventValues(const std::string& record) {
  std::vector<std::string> out;
  const size_t at = record.find("},{\"");
  if (at == std::string::npos) return out;
  size_t i = record.find(",{", at + 4);
  if (i == std::string::npos) return out;
  for (i += 2; i < record.size() && record[i] != '}';) {
    if (record[i] != '"') {
      ++i;
      continue;
    }
    const size_t end = record.find('"', i + 1);
    if (end == std::string::npos) break;
    out.push_back(record.substr(i + 1, end - i - 1));
    i = end + 1;
  }
  return out;
}

std::string joinCodes(const std::vector<std::string>& records) {
  std::string out;
  for (const auto& c : eventCodes(records)) out += (out.empty() ? "" : " ") + (c.empty() ? "?" : c);
  return out;
}

}  // namespace tembra::test
