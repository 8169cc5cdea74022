#include "mainwnd/PanelDemoRun.h"

#include <gtest/gtest.h>

#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "guide/ProgrammeGuide.h"
#include "mainwnd/QtTestApp.h"
#include "platform/MessageTarget.h"
#include "platform/Utf.h"
#include "player/PlayerHost.h"
#include "service/ServiceClient.h"
#include "stats/StatsReporter.h"

namespace tembra::test {

namespace {

// Each run's settings file and client, kept for the whole test program as
// the program keeps its own: a refresh thread of a failed test may still
// read them.
struct KeptClient {
  std::unique_ptr<ConfigStore> config;
  std::unique_ptr<ServiceClient> service;
};
std::vector<KeptClient>& keptClients() {
  static auto* kept = new std::vector<KeptClient>();
  return *kept;
}

}  // namespace

LocalTime PanelGuideNoon() {
  LocalTime t;
  t.year = 2026;
  t.month = 5;
  t.dayOfWeek = 4;
  t.day = 14;
  t.hour = 12;
  t.minute = 0;
  t.second = 30;
  return t;
}

PanelDemoRun::PanelDemoRun(std::vector<std::string> demoArgs) {
  demoArgs.push_back("--write-config");
  demoArgs.push_back(dir_.path());
  demo_ = std::make_unique<DemoService>(std::move(demoArgs));
  if (!demo_->started()) {
    error_ = "the demo service did not start: " + demo_->error();
    return;
  }
  KeptClient& kept = keptClients().emplace_back();
  kept.config = std::make_unique<ConfigStore>(dir_.file("config.ini"), ValueCipher::Instance());
  kept.service = std::make_unique<ServiceClient>(*kept.config);
  config_ = kept.config.get();
  service_ = kept.service.get();
  window_ = std::make_unique<PanelTestWindow>(*service_, *config_, programFolder());
  if (!window_->loaded()) {
    error_ = "MainUI.xml did not load from " + programFolder() + "skin/Default/";
    return;
  }
  window_->resize(936, 529);
  window_->show();
  statsClock_.seconds = utc(2026, 5, 14, 10, 0, 0);
}

PanelDemoRun::~PanelDemoRun() {
  window_.reset();
}

void PanelDemoRun::configure() {
  service_->Configure(u"1", &window_->target(), WM_CATALOGUE_LOADED, service_->ReadServerList());
  window_->channels().ShowCatalogueState();
}

ProgrammeGuide& PanelDemoRun::makeGuide(int idleMs, bool creationDownloads, uint64_t maxReplyBytes) {
  ProgrammeGuide::Options options;
  options.clock = &guideClock_;
  options.folder = dir_.path();
  options.limits.idleMs = idleMs;
  options.limits.totalMs = 30000;
  options.limits.maxBodyBytes = maxReplyBytes;
  options.creationDownloads = creationDownloads;
  window_->setGuide(std::make_unique<ProgrammeGuide>(service_->currentServer(), service_->sessionId(), u"1", options));
  return *window_->guide();
}

void PanelDemoRun::makePlayable() {
  configure();
  makeLoadedGuide();
  makeRecordingPlayer();
}

ProgrammeGuide& PanelDemoRun::makeLoadedGuide() {
  ProgrammeGuide& guide = makeGuide(2000, false);
  for (int day = 0; day < 3; ++day) guide.Download(day);
  return guide;
}

StatsReporter& PanelDemoRun::makeStats() {
  StatsReporter::Setup setup;
  setup.backlogPath = dir_.file("bi.dat");
  setup.now = statsClock_.source();
  setup.machineAddress = u"00-1A-2B-3C-4D-5E";
  setup.osName = u"";
  setup.measureClock = false;
  window_->setStats(StatsReporter::create(config_->ReadValue(u"BIServer", true), setup));
  return *window_->stats();
}

std::vector<RecordingPlayerControl::Call>& PanelDemoRun::makeRecordingPlayer() {
  auto control = std::make_unique<RecordingPlayerControl>(&playerCalls_);
  control->readyAnswer = [](int) { return 1; };
  auto host = std::make_unique<PlayerHost>(std::move(control));
  host->StartPlayer({2, 25, 583, 500}, u"", fromUtf8(programFolder()));
  window_->setPlayer(std::move(host));
  playerCalls_.clear();
  return playerCalls_;
}

std::vector<std::pair<std::u16string, std::u16string>> PanelDemoRun::played() const {
  std::vector<std::pair<std::u16string, std::u16string>> out;
  std::u16string address, name;
  for (const auto& call : playerCalls_) {
    if (call.id == PlayerControl::SetAddressId) address = call.text;
    if (call.id == PlayerControl::SetChannelNameId) name = call.text;
    if (call.id == PlayerControl::PlayId) out.emplace_back(address, name);
  }
  return out;
}

bool PanelDemoRun::faults(const std::string& form) { return demo_->Post("/demo/faults", form).status == 200; }

}  // namespace tembra::test
