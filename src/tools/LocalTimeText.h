#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace tembra::tools {

// The local times the commands take on their command lines.
class LocalTimeText {
 public:
  // "YYYY-MM-DD HH:MM:SS" in local time (TZ applies), strictly; UTC seconds.
  static std::optional<int64_t> parse(const std::string& text);
};

}  // namespace tembra::tools
