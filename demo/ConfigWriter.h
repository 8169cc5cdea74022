#pragma once
#include <string>
#include <vector>

namespace tembra {

// Writes the client's config.ini (section "Quorvi") so that it talks to this
// service: enciphered with the client's own cipher, HomePage in plain text.
class ConfigWriter {
 public:
  struct Settings {
    std::vector<std::string> servers;  // base URLs, at most three, in order
    std::string planBase;              // UerSetMeal entry, one per server slot
    std::string statisticsServer;      // BIServer
    std::string homePage;
  };

  // False with a message in error on failure.
  static bool Write(const std::string& folder, const Settings& settings, std::string& error);
  // Every entry followed by "<EOF>".
  static std::string JoinEntries(const std::vector<std::string>& entries);
};

}  // namespace tembra
