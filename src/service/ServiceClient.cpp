#include "service/ServiceClient.h"

#include <netinet/in.h>

#include <chrono>
#include <thread>

#include "app/ConfigStore.h"
#include "platform/HttpClient.h"
#include "platform/IcmpEcho.h"
#include "platform/NameLookup.h"
#include "platform/Utf.h"
#include "service/ServerEntry.h"
#include "service/SignInAck.h"
#include "service/SignInReply.h"

namespace tembra {

namespace {

constexpr std::chrono::milliseconds kFailurePause{1000};
constexpr long kConnectTimeoutMs = 2000;
constexpr int kConnectRetries = 1;
constexpr int kEchoTimeoutMs = 1000;
// The longest host name text handed to the resolver; a longer one is not a
// host name and counts as one that does not resolve.
constexpr size_t kMaxHostBytes = 511;
constexpr size_t kMaxServers = 3;

void pause() { std::this_thread::sleep_for(kFailurePause); }

}  // namespace

struct ServiceClient::State {
  // Guards every field below. The background refresh thread writes them
  // while the window thread and the notice thread read them. Never held
  // across a name lookup, an echo, an HTTP request or a pause.
  mutable std::mutex lock;

  std::u16string serviceType;
  MessageTarget* notifyWindow = nullptr;
  uint32_t notifyMessage = 0;
  std::vector<std::u16string> serverList;
  std::vector<std::u16string> planList;
  uint32_t serverIndex = 0;
  std::u16string currentServer;
  std::string serverAddress;
  std::u16string sessionId;
  int catalogueLoaded = 0;
  // Immutable once parsed; a load swaps in a new one whole.
  std::shared_ptr<const ChannelCatalogue> catalogue = ChannelCatalogue::Empty();
  ChannelViewList viewList;
  // The catalogue viewList has taken in last: merging the same one again
  // changes nothing, and costs a name lookup per channel (20,000 for a
  // large service) at every listing.
  std::shared_ptr<const ChannelCatalogue> merged;

  void advanceServer() {
    std::lock_guard g(lock);
    ++serverIndex;
  }

  void clearCurrentServer() {
    std::lock_guard g(lock);
    currentServer.clear();
  }

  std::shared_ptr<const ChannelCatalogue> snapshot() const {
    std::lock_guard g(lock);
    return catalogue;
  }

  // Picks the server in use and probes it. A server that does not answer
  // moves the index on, so the next attempt tries the next server; the
  // index folds back to the first past the end of the list.
  bool selectServer(ServiceClient& client) {
    {
      std::lock_guard g(lock);
      if (serverList.empty()) return false;
      if (serverIndex >= serverList.size()) serverIndex = 0;
      currentServer = serverList[serverIndex];
    }
    if (client.CheckServer()) return true;
    advanceServer();
    return false;
  }
};

ServiceClient& ServiceClient::Instance() {
  static ServiceClient client(ConfigStore::Instance());
  return client;
}

ServiceClient::ServiceClient(ConfigStore& config) : state_(std::make_unique<State>()), config_(config) {}

ServiceClient::~ServiceClient() = default;

// --- servers and HTTP ---

std::vector<std::u16string> ServiceClient::ReadServerList() {
  return ParseServerList(config_.ReadValue(u"ServerUrl", true));
}

// Entries are each followed by the separator. A first entry that is empty
// or lacks its separator leaves the list empty; after that, the first
// missing separator or empty entry ends the list.
std::vector<std::u16string> ServiceClient::ParseServerList(std::u16string_view value) {
  std::vector<std::u16string> servers;
  while (servers.size() < kMaxServers) {
    size_t at = value.find(ServerEntry::kSeparator);
    if (at == std::u16string_view::npos || at == 0) break;
    servers.emplace_back(value.substr(0, at));
    value.remove_prefix(at + ServerEntry::kSeparator.size());
  }
  return servers;
}

bool ServiceClient::CheckServer() {
  std::u16string server = currentServer();
  if (server.empty()) return false;
  return ProbeHost(ServerEntry::Host(server));
}

bool ServiceClient::ProbeHost(std::u16string_view host) {
  std::string name = toUtf8(host);
  std::optional<HostAddress> resolved;
  if (name.size() <= kMaxHostBytes) resolved = NameLookup::Resolve(name);
  if (!resolved) {
    pause();
    return false;
  }
  {
    std::lock_guard g(state_->lock);
    state_->serverAddress = resolved->dotted;
  }
  if (resolved->address.s_addr == INADDR_BROADCAST) return false;
  if (IcmpEcho::Ping(resolved->address, kEchoTimeoutMs)) return true;
  pause();
  return false;
}

std::u16string ServiceClient::HttpGetText(const std::u16string& url, long connectTimeoutMs,
                                          int connectRetries) {
  return fromUtf8(HttpClient::Get(toUtf8(url), connectTimeoutMs, connectRetries).body);
}

bool ServiceClient::HttpPostForm(const std::string& host, unsigned port, const std::string& path,
                                 const std::string& body) {
  return HttpClient::PostForm(host, port, path, body, kConnectTimeoutMs) == 200;
}

// --- sign-in ---

bool ServiceClient::SignIn() {
  if (!sessionId().empty()) return true;
  if (!state_->selectServer(*this)) return false;

  std::u16string url;
  {
    std::lock_guard g(state_->lock);
    url = state_->currentServer + u"/auth.action?type=" + state_->serviceType + u"&ack=" +
          SignInAck::Format(SignInAck::Draw());
  }
  std::u16string body;
  try {
    body = HttpGetText(url, kConnectTimeoutMs, kConnectRetries);
  } catch (const HttpTransportError&) {
    state_->advanceServer();
    return false;
  }
  if (body.empty()) return false;

  SignInReply reply = SignInReply::Parse(body);
  if (!reply.hasSessionTags) {
    state_->clearCurrentServer();
    return false;
  }
  {
    std::lock_guard g(state_->lock);
    state_->sessionId = reply.sessionId;
  }
  if (reply.accepted) return true;
  pause();
  state_->clearCurrentServer();
  return false;
}

// The plan entry of the server in use, once the setting holds all three.
std::u16string ServiceClient::GetPlanBase() {
  std::vector<std::u16string> plans = ServerEntry::ParsePlanList(config_.ReadValue(u"UerSetMeal", true));
  std::lock_guard g(state_->lock);
  // Rebuilt on each call: appending to the list of an earlier call would
  // let a stale entry answer for the current server.
  state_->planList = std::move(plans);
  if (state_->planList.size() < 3 || state_->serverIndex >= state_->planList.size()) return {};
  return state_->planList[state_->serverIndex];
}

// --- catalogue ---

void ServiceClient::Configure(std::u16string serviceType, MessageTarget* notifyWindow,
                              uint32_t notifyMessage, std::vector<std::u16string> serverList) {
  {
    std::lock_guard g(state_->lock);
    state_->serviceType = std::move(serviceType);
    state_->notifyWindow = notifyWindow;
    state_->notifyMessage = notifyMessage;
    state_->serverList = std::move(serverList);
  }
  LoadCatalogue();
}

// A load that fails before the reply is parsed leaves the catalogue and
// catalogueLoaded as they were; a reply, whatever it holds, replaces them.
int ServiceClient::LoadCatalogue() {
  if (!SignIn()) return 0;
  if (!state_->selectServer(*this)) return 0;

  std::u16string url;
  {
    std::lock_guard g(state_->lock);
    url = state_->currentServer + u"/tv.action?type=" + state_->serviceType + u"&uuid=" +
          state_->sessionId;
  }
  std::u16string body;
  try {
    body = HttpGetText(url, kConnectTimeoutMs, kConnectRetries);
  } catch (const HttpTransportError&) {
    state_->advanceServer();
    return 0;
  }
  std::shared_ptr<const ChannelCatalogue> parsed = ChannelCatalogue::Parse(body);
  std::lock_guard g(state_->lock);
  state_->catalogue = std::move(parsed);
  state_->catalogueLoaded = state_->catalogue->loaded();
  return state_->catalogueLoaded;
}

uint32_t ServiceClient::RefreshInBackground(ServiceClient* client) {
  client->LoadCatalogue();
  MessageTarget* window;
  uint32_t message;
  {
    std::lock_guard g(client->state_->lock);
    window = client->state_->notifyWindow;
    message = client->state_->notifyMessage;
  }
  if (window != nullptr) window->post(message, 0, 0);
  return 1;
}

std::vector<ChannelGroup> ServiceClient::GetGroups() const { return state_->snapshot()->groups(); }

std::vector<ChannelRef> ServiceClient::GetAllChannels() {
  std::lock_guard g(state_->lock);
  if (state_->merged != state_->catalogue) {
    state_->viewList.Merge(*state_->catalogue);
    state_->merged = state_->catalogue;
  }
  return state_->viewList.items();
}

std::vector<ChannelRef> ServiceClient::GetChannelsOfGroup(std::u16string_view groupId) const {
  return state_->snapshot()->ChannelsOfGroup(groupId);
}

ChannelRef ServiceClient::FindChannel(std::u16string_view id) const {
  return state_->snapshot()->FindChannel(id);
}

std::optional<ChannelGroup> ServiceClient::FindGroupOfChannel(std::u16string_view id) const {
  return state_->snapshot()->FindGroupOfChannel(id);
}

// --- state ---

std::u16string ServiceClient::currentServer() const {
  std::lock_guard g(state_->lock);
  return state_->currentServer;
}

std::string ServiceClient::serverAddress() const {
  std::lock_guard g(state_->lock);
  return state_->serverAddress;
}

std::u16string ServiceClient::sessionId() const {
  std::lock_guard g(state_->lock);
  return state_->sessionId;
}

uint32_t ServiceClient::serverIndex() const {
  std::lock_guard g(state_->lock);
  return state_->serverIndex;
}

int ServiceClient::catalogueLoaded() const {
  std::lock_guard g(state_->lock);
  return state_->catalogueLoaded;
}

std::shared_ptr<const ChannelCatalogue> ServiceClient::catalogue() const {
  return state_->snapshot();
}

}  // namespace tembra
