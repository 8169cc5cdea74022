#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// Rules for the base URLs of the service ("http://host:port" with an
// optional path) and the lists that hold them.
class ServerEntry {
 public:
  static constexpr std::u16string_view kSeparator = u"<EOF>";

  // The host to probe: the text after the first "http://", cut at the
  // first ':'. An entry without a port keeps its path in the result.
  static std::u16string Host(std::u16string_view entry);

  // Up to three plan entries, each followed by the separator; empty entries
  // count. Reading stops at the first missing separator.
  static std::vector<std::u16string> ParsePlanList(std::u16string_view value);
};

}  // namespace tembra
