#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageTarget.h"
#include "service/ChannelCatalogue.h"
#include "service/ChannelViewList.h"

namespace tembra {

class ConfigStore;

// The one client of the operator's service: server list and selection,
// reachability probe, HTTP access, sign-in and the channel catalogue.
class ServiceClient {
 public:
  // The process-wide client over ConfigStore::Instance().
  static ServiceClient& Instance();

  explicit ServiceClient(ConfigStore& config);
  ~ServiceClient();

  // --- servers and HTTP ---
  // "ServerUrl": at most three base URLs, each followed by "<EOF>".
  std::vector<std::u16string> ReadServerList();
  // Pure list rule behind ReadServerList.
  static std::vector<std::u16string> ParseServerList(std::u16string_view value);
  // Host of currentServer resolves and answers an ICMP echo; updates
  // serverAddress.
  bool CheckServer();
  bool ProbeHost(std::u16string_view host);
  // Body decoded from UTF-8; throws HttpTransportError on transport failure.
  std::u16string HttpGetText(const std::u16string& url, long connectTimeoutMs, int connectRetries);
  // True when the server answered 200; throws HttpTransportError.
  bool HttpPostForm(const std::string& host, unsigned port, const std::string& path,
                    const std::string& body);

  // --- sign-in ---
  bool SignIn();
  std::u16string GetPlanBase();

  // --- catalogue ---
  void Configure(std::u16string serviceType, MessageTarget* notifyWindow, uint32_t notifyMessage,
                 std::vector<std::u16string> serverList);
  int LoadCatalogue();
  // Thread entry: LoadCatalogue, then posts notifyMessage (0, 0) whatever
  // the result. Returns 1.
  static uint32_t RefreshInBackground(ServiceClient* client);
  std::vector<ChannelGroup> GetGroups() const;
  std::vector<ChannelRef> GetAllChannels();
  std::vector<ChannelRef> GetChannelsOfGroup(std::u16string_view groupId) const;
  ChannelRef FindChannel(std::u16string_view id) const;
  std::optional<ChannelGroup> FindGroupOfChannel(std::u16string_view id) const;

  // --- state, for the window, the guide and the notice channel ---
  std::u16string currentServer() const;
  std::string serverAddress() const;  // dotted IPv4 of the last host that resolved
  std::u16string sessionId() const;
  uint32_t serverIndex() const;
  int catalogueLoaded() const;
  std::shared_ptr<const ChannelCatalogue> catalogue() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
  ConfigStore& config_;
};

}  // namespace tembra
