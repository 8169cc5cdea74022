#pragma once
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// The statistics server: decodes "collected" uploads and keeps the records
// for /demo/records.
class StatsCollector {
 public:
  static constexpr size_t kMaxRecords = 100000;

  // Undoes the client's encoding of a "mes=" form body: percent-decoding,
  // '-' back to '+', Base64, UTF-8, split at "^^" (empty pieces dropped).
  // nullopt when the body is not in that form.
  static std::optional<std::vector<std::string>> Decode(std::string_view body);

  // Keeps the newest kMaxRecords records.
  void Store(std::vector<std::string> records);
  std::vector<std::string> Records() const;
  void Clear();

 private:
  mutable std::mutex lock_;           // guards records_
  std::vector<std::string> records_;
};

}  // namespace tembra
