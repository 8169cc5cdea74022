#include "source/OperatorSource.h"

#include <system_error>
#include <thread>

#include "app/ConfigStore.h"
#include "platform/MessageRelay.h"
#include "service/AddressCipher.h"
#include "service/ServiceClient.h"

namespace tembra {

namespace {

SourceChannelRef toSourceChannel(const ChannelRecord& record) {
  auto channel = std::make_shared<SourceChannel>();
  channel->id = record.id;
  channel->name = record.name;
  channel->groupId = record.groupId;
  return channel;
}

}  // namespace

OperatorSource::OperatorSource(ServiceClient& service, ConfigStore& config, ProgrammeGuide::Options guideOptions)
    : service_(service), config_(config), guideOptions_(std::move(guideOptions)) {}

OperatorSource::~OperatorSource() {
  if (relay_) relay_->detach();
}

void OperatorSource::load(MessageTarget* target, uint32_t message) {
  relay_ = std::make_shared<MessageRelay>(target);
  service_.Configure(std::u16string(kServiceType), relay_.get(), message, service_.ReadServerList());
}

void OperatorSource::createGuide(MessageTarget* target) {
  auto guide = std::make_unique<ProgrammeGuide>(service_.currentServer(), service_.sessionId(),
                                                std::u16string(kServiceType), guideOptions_);
  // At once: a first download that outlasts the creation's wait reports its
  // end there (the window holds it until it shows).
  guide->SetResultWindow(target);
  guide_ = std::make_unique<OperatorGuide>(std::move(guide));
}

void OperatorSource::setGuide(std::unique_ptr<ProgrammeGuide> guide) {
  guide_ = guide ? std::make_unique<OperatorGuide>(std::move(guide)) : nullptr;
}

int OperatorSource::catalogueLoaded() const { return service_.catalogueLoaded(); }

std::vector<SourceGroup> OperatorSource::groups() const {
  std::vector<SourceGroup> out;
  for (const ChannelGroup& group : service_.GetGroups()) out.push_back({group.id, group.name});
  return out;
}

std::vector<SourceChannelRef> OperatorSource::channels(std::u16string_view groupId) const {
  const std::vector<ChannelRef> records =
      groupId == kAllGroups ? service_.GetAllChannels() : service_.GetChannelsOfGroup(groupId);
  std::vector<SourceChannelRef> out;
  out.reserve(records.size());
  for (const ChannelRef& record : records) out.push_back(toSourceChannel(*record));
  return out;
}

SourceChannelRef OperatorSource::findChannel(std::u16string_view id) const {
  const ChannelRef record = service_.FindChannel(id);
  return record ? toSourceChannel(*record) : nullptr;
}

std::optional<StreamRequest> OperatorSource::streamFor(std::u16string_view id) const {
  const ChannelRef record = service_.FindChannel(id);
  if (!record) return std::nullopt;
  StreamRequest request;
  request.address = DecodeChannelAddress(record->address);
  request.name = record->name;
  return request;
}

bool OperatorSource::refresh() {
  if (refreshing_) return true;
  try {
    // The client lives for the process and the thread keeps the relay it
    // reports through: quitting while a request hangs leaves it nothing
    // dead to touch.
    std::thread([service = &service_, keep = relay_] { ServiceClient::RefreshInBackground(service); }).detach();
    refreshing_ = true;
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void OperatorSource::catalogueArrived() {
  refreshing_ = false;
  if (ProgrammeGuide* guide = programmeGuide()) guide->UpdateService(service_.sessionId(), service_.currentServer());
}

std::u16string OperatorSource::statisticsServer() { return config_.ReadValue(u"BIServer", true); }
std::u16string OperatorSource::currentServer() const { return service_.currentServer(); }
std::string OperatorSource::serverAddress() const { return service_.serverAddress(); }
std::u16string OperatorSource::planBase() { return service_.GetPlanBase(); }

std::optional<OperatorExtras::Group> OperatorSource::groupOfChannel(std::u16string_view channelId) const {
  const std::optional<ChannelGroup> group = service_.FindGroupOfChannel(channelId);
  if (!group) return std::nullopt;
  return Group{group->id, group->name};
}

}  // namespace tembra
