#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "service/ServiceClientFixture.h"

namespace tembra {
namespace {

using test::catalogueXml;
using test::channelXml;
using test::FakeService;
using test::groupXml;
using test::ServiceClientTest;

std::vector<std::u16string> ids(const std::vector<ChannelRef>& list) {
  std::vector<std::u16string> out;
  for (const auto& c : list) out.push_back(c->id);
  return out;
}

const std::string kFirstLoad = catalogueXml(
    groupXml("g1", "News", channelXml("c1", "One") + channelXml("c2", "Two")) +
    groupXml("g2", "Sport", channelXml("c3", "Two") + channelXml("c4", "Four")));

TEST_F(ServiceClientTest, LoadedCatalogueAnswersTheQueries) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setCatalogue(kFirstLoad);
  configure({service.base()});
  ASSERT_EQ(client_->catalogueLoaded(), 1);

  auto groups = client_->GetGroups();
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[1].name, u"Sport");
  EXPECT_EQ(ids(client_->GetChannelsOfGroup(u"g2")), (std::vector<std::u16string>{u"c3", u"c4"}));
  EXPECT_TRUE(client_->GetChannelsOfGroup(u"G2").empty());
  ASSERT_NE(client_->FindChannel(u"c3"), nullptr);
  EXPECT_EQ(client_->FindChannel(u"c3")->name, u"Two");
  EXPECT_EQ(client_->FindChannel(u"c9"), nullptr);
  ASSERT_TRUE(client_->FindGroupOfChannel(u"c4").has_value());
  EXPECT_EQ(client_->FindGroupOfChannel(u"c4")->id, u"g2");
  EXPECT_FALSE(client_->FindGroupOfChannel(u"c9").has_value());
  // Two channels named "Two": the view lists the first only.
  EXPECT_EQ(ids(client_->GetAllChannels()), (std::vector<std::u16string>{u"c1", u"c2", u"c4"}));
}

TEST_F(ServiceClientTest, AllChannelsKeepTheFirstOfEachNameAcrossLoads) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setCatalogue(kFirstLoad);
  configure({service.base()});
  std::vector<ChannelRef> before = client_->GetAllChannels();

  service.setCatalogue(catalogueXml(
      groupXml("g1", "News", channelXml("n2", "Two") + channelXml("n5", "Five"))));
  ASSERT_EQ(client_->LoadCatalogue(), 1);
  EXPECT_EQ(ids(client_->GetChannelsOfGroup(u"g1")), (std::vector<std::u16string>{u"n2", u"n5"}));
  std::vector<ChannelRef> after = client_->GetAllChannels();
  EXPECT_EQ(ids(after), (std::vector<std::u16string>{u"c1", u"c2", u"c4", u"n5"}));
  // Records of the earlier load stay alive and unchanged for the view.
  EXPECT_EQ(after[1], before[1]);
  EXPECT_EQ(after[1]->groupId, u"g1");
  EXPECT_EQ(client_->FindChannel(u"c1"), nullptr);
}

TEST_F(ServiceClientTest, FailedRefreshKeepsTheCatalogue) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setCatalogue(kFirstLoad);
  configure({service.base()});
  ASSERT_EQ(client_->catalogueLoaded(), 1);
  auto held = client_->catalogue();

  service.stop();
  EXPECT_EQ(client_->LoadCatalogue(), 0);
  EXPECT_EQ(client_->serverIndex(), 1u);
  EXPECT_EQ(client_->catalogueLoaded(), 1);
  EXPECT_EQ(client_->catalogue(), held);
  EXPECT_EQ(client_->GetGroups().size(), 2u);
}

TEST_F(ServiceClientTest, EmptyOrForeignReplyEmptiesTheCatalogue) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setCatalogue(kFirstLoad);
  configure({service.base()});
  ASSERT_EQ(client_->catalogueLoaded(), 1);

  service.setCatalogue("");
  EXPECT_EQ(client_->LoadCatalogue(), 0);
  EXPECT_EQ(client_->catalogueLoaded(), 0);
  EXPECT_TRUE(client_->GetGroups().empty());
  EXPECT_EQ(client_->FindChannel(u"c1"), nullptr);
  EXPECT_EQ(client_->serverIndex(), 0u);

  service.setCatalogue(kFirstLoad);
  ASSERT_EQ(client_->LoadCatalogue(), 1);
  service.setCatalogue("<list>" + channelXml("c1", "One") + "</list>");
  EXPECT_EQ(client_->LoadCatalogue(), 0);
  EXPECT_TRUE(client_->GetGroups().empty());
}

// Servers: one whose name does not resolve, then a working one. A failure
// moves on by one, a success stays, and the index folds back to the first.
TEST_F(ServiceClientTest, ServersRotateOnFailureAndStayOnSuccess) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setCatalogue(kFirstLoad);
  const std::u16string unresolved = u"http://tembra-service.invalid:8080";
  configure({unresolved, service.base()});
  EXPECT_EQ(client_->catalogueLoaded(), 0);
  EXPECT_EQ(client_->serverIndex(), 1u);
  EXPECT_EQ(client_->currentServer(), unresolved);
  EXPECT_TRUE(service.authTargets().empty());

  EXPECT_EQ(client_->LoadCatalogue(), 1);
  EXPECT_EQ(client_->LoadCatalogue(), 1);
  EXPECT_EQ(client_->serverIndex(), 1u);
  EXPECT_EQ(client_->currentServer(), service.base());
  EXPECT_EQ(service.tvTargets().size(), 2u);

  service.stop();
  EXPECT_EQ(client_->LoadCatalogue(), 0);
  EXPECT_EQ(client_->serverIndex(), 2u);
  EXPECT_EQ(client_->LoadCatalogue(), 0);
  EXPECT_EQ(client_->currentServer(), unresolved);
  EXPECT_EQ(client_->serverIndex(), 1u);
  EXPECT_EQ(client_->catalogueLoaded(), 1);
}

TEST_F(ServiceClientTest, BackgroundRefreshPostsOnceWhateverTheResult) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setCatalogue(kFirstLoad);
  configure({service.base()});
  EXPECT_TRUE(window_.posted().empty());

  uint32_t code = 0;
  std::thread refresh([&] { code = ServiceClient::RefreshInBackground(client_.get()); });
  refresh.join();
  EXPECT_EQ(code, 1u);
  ASSERT_EQ(window_.posted().size(), 1u);
  EXPECT_EQ(window_.posted()[0].id, WM_CATALOGUE_LOADED);
  EXPECT_EQ(window_.posted()[0].wParam, 0u);
  EXPECT_EQ(window_.posted()[0].lParam, 0);
  EXPECT_EQ(service.tvTargets().size(), 2u);

  service.stop();
  std::thread failing([&] { code = ServiceClient::RefreshInBackground(client_.get()); });
  failing.join();
  EXPECT_EQ(code, 1u);
  EXPECT_EQ(window_.posted().size(), 2u);
  EXPECT_TRUE(window_.sent().empty());
  EXPECT_EQ(client_->catalogueLoaded(), 1);
}

// The window keeps reading while refreshes replace the catalogue; run under
// the thread sanitizer this shows whether any read races a write.
TEST_F(ServiceClientTest, WindowReadsWhileARefreshRuns) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setCatalogue(kFirstLoad);
  configure({service.base()});

  std::atomic<bool> done{false};
  std::thread refresher([&] {
    for (int i = 0; i < 6; ++i) {
      service.setCatalogue(i % 2 == 0 ? catalogueXml(groupXml("g" + std::to_string(i), "G",
                                                              channelXml("x" + std::to_string(i),
                                                                         "Name" + std::to_string(i))))
                                      : kFirstLoad);
      ServiceClient::RefreshInBackground(client_.get());
    }
    done = true;
  });
  size_t reads = 0;
  while (!done) {
    for (const ChannelRef& c : client_->GetAllChannels()) EXPECT_FALSE(c->name.empty());
    for (const ChannelGroup& g : client_->GetGroups()) EXPECT_FALSE(g.id.empty());
    if (auto group = client_->FindGroupOfChannel(u"c1")) {
      EXPECT_EQ(group->id, u"g1");
    }
    if (auto c = client_->FindChannel(u"c1")) {
      EXPECT_EQ(c->name, u"One");
    }
    EXPECT_LT(client_->serverIndex(), 2u);
    (void)client_->currentServer();
    (void)client_->serverAddress();
    (void)client_->sessionId();
    (void)client_->catalogueLoaded();
    ++reads;
  }
  refresher.join();
  EXPECT_GT(reads, 0u);
  EXPECT_EQ(window_.posted().size(), 6u);
  EXPECT_EQ(client_->catalogueLoaded(), 1);
  // The view merges whatever catalogue each call finds, so how many of the
  // passing names it caught depends on timing; the last load is all there.
  std::vector<ChannelRef> view = client_->GetAllChannels();
  EXPECT_GE(view.size(), 3u);
  EXPECT_LE(view.size(), 6u);
  std::vector<std::u16string> names;
  for (const ChannelRef& c : view) names.push_back(c->name);
  for (std::u16string name : {u"One", u"Two", u"Four"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
  }
}

}  // namespace
}  // namespace tembra
