#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// What only the operator's service offers beside channels and guide: the
// statistics server, the notice host, the ad server and the plan entry of the
// server signed in to.
class OperatorExtras {
 public:
  virtual ~OperatorExtras() = default;
  virtual std::u16string statisticsServer() = 0;
  virtual std::u16string currentServer() const = 0;
  // Dotted IPv4 of the service host, for the notice channel.
  virtual std::string serverAddress() const = 0;
  virtual std::u16string planBase() = 0;
  // The group a watched channel belongs to, for its statistics record.
  struct Group {
    std::u16string id;
    std::u16string name;
  };
  virtual std::optional<Group> groupOfChannel(std::u16string_view channelId) const = 0;
};

}  // namespace tembra
