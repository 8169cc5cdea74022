#pragma once
#include <memory>

#include "guide/ProgrammeGuide.h"
#include "source/ChannelSource.h"
#include "source/OperatorExtras.h"
#include "source/OperatorGuide.h"

namespace tembra {

class ConfigStore;
class MessageRelay;
class ServiceClient;

// The operator's service as a channel source: sign-in and catalogue through
// the ServiceClient, the three-day guide, and the operator's extras.
class OperatorSource : public ChannelSource, public OperatorExtras {
 public:
  // The service type the program signs in and asks the guide with.
  static constexpr std::u16string_view kServiceType = u"1";

  OperatorSource(ServiceClient& service, ConfigStore& config, ProgrammeGuide::Options guideOptions = {});
  ~OperatorSource() override;

  void load(MessageTarget* target, uint32_t message) override;
  void createGuide(MessageTarget* target) override;
  int catalogueLoaded() const override;
  std::vector<SourceGroup> groups() const override;
  std::vector<SourceChannelRef> channels(std::u16string_view groupId) const override;
  SourceChannelRef findChannel(std::u16string_view id) const override;
  std::optional<StreamRequest> streamFor(std::u16string_view id) const override;
  bool refresh() override;
  void catalogueArrived() override;
  GuideSource* guide() override { return guide_.get(); }
  OperatorExtras* operatorExtras() override { return this; }

  // OperatorExtras
  std::u16string statisticsServer() override;
  std::u16string currentServer() const override;
  std::string serverAddress() const override;
  std::u16string planBase() override;
  std::optional<Group> groupOfChannel(std::u16string_view channelId) const override;

  // Installs a guide made elsewhere (tests and tools drive its downloads).
  void setGuide(std::unique_ptr<ProgrammeGuide> guide);
  // Null before createGuide or setGuide.
  ProgrammeGuide* programmeGuide() { return guide_ ? &guide_->programmeGuide() : nullptr; }
  ServiceClient& service() { return service_; }

 private:
  ServiceClient& service_;
  ConfigStore& config_;
  // The client's catalogue loads report through it; a refresh thread that
  // nobody joins (its request cannot be cut short) keeps it alive, and the
  // source lets go of the window through it when it goes.
  std::shared_ptr<MessageRelay> relay_;
  const ProgrammeGuide::Options guideOptions_;
  std::unique_ptr<OperatorGuide> guide_;
  // A background load runs: until the window takes its message, a second
  // one is not started (the client loads one catalogue at a time).
  bool refreshing_ = false;
};

}  // namespace tembra
