#include <gtest/gtest.h>

#include <fstream>

#include "service/ServerEntry.h"
#include "service/ServiceClientFixture.h"
#include "service/SignInAck.h"
#include "service/SignInReply.h"

namespace tembra {
namespace {

using List = std::vector<std::u16string>;
using test::ServiceClientTest;

TEST(ServerList, EachEntryNeedsItsSeparator) {
  EXPECT_EQ(ServiceClient::ParseServerList(u"http://a:80<EOF>"), List{u"http://a:80"});
  EXPECT_EQ(ServiceClient::ParseServerList(u"http://a:80"), List{});
  EXPECT_EQ(ServiceClient::ParseServerList(u""), List{});
  EXPECT_EQ(ServiceClient::ParseServerList(u"A<EOF>B<EOF>"), (List{u"A", u"B"}));
  EXPECT_EQ(ServiceClient::ParseServerList(u"A<EOF>B"), List{u"A"});
}

TEST(ServerList, AtMostThreeAndAnEmptyEntryEndsTheList) {
  EXPECT_EQ(ServiceClient::ParseServerList(u"A<EOF>B<EOF>C<EOF>D<EOF>"), (List{u"A", u"B", u"C"}));
  EXPECT_EQ(ServiceClient::ParseServerList(u"A<EOF><EOF>C<EOF>"), List{u"A"});
  EXPECT_EQ(ServiceClient::ParseServerList(u"<EOF>B<EOF>"), List{});
  EXPECT_EQ(ServiceClient::ParseServerList(u"A<EOF>B<EOF>C<EOF>tail"), (List{u"A", u"B", u"C"}));
  EXPECT_EQ(ServiceClient::ParseServerList(u"A<EO"), List{});
}

TEST(ServerEntry, HostIsBetweenTheSchemeAndThePort) {
  EXPECT_EQ(ServerEntry::Host(u"http://10.0.0.1:8080/tv"), u"10.0.0.1");
  EXPECT_EQ(ServerEntry::Host(u"http://tv.example:80"), u"tv.example");
  // Without a port the path stays attached, so the name will not resolve.
  EXPECT_EQ(ServerEntry::Host(u"http://tv.example/tv"), u"tv.example/tv");
  EXPECT_EQ(ServerEntry::Host(u"tv.example:80"), u"tv.example");
  EXPECT_EQ(ServerEntry::Host(u"x http://h:1"), u"h");
  EXPECT_EQ(ServerEntry::Host(u"http://"), u"");
}

TEST(SignInAck, TwentyEightLowerCaseDigitsWithRPlusOneAtTheEnd) {
  EXPECT_EQ(SignInAck::Format(0), u"0000000000010000000000000001");
  EXPECT_EQ(SignInAck::Format(254), u"000000fe000100000000000000ff");
  EXPECT_EQ(SignInAck::Format(9), u"000000090001000000000000000a");
  for (int i = 0; i < 50; ++i) EXPECT_LT(SignInAck::Draw(), 255u);
}

TEST(SignInReply, SessionIdRunsBetweenTheFirstTags) {
  SignInReply ok = SignInReply::Parse(u"<Auth><Result>1</Result><Uuid>ab-12</Uuid></Auth>");
  EXPECT_TRUE(ok.hasSessionTags);
  EXPECT_EQ(ok.sessionId, u"ab-12");
  EXPECT_TRUE(ok.accepted);

  SignInReply noTags = SignInReply::Parse(u"<Result>1</Result>");
  EXPECT_FALSE(noTags.hasSessionTags);
  EXPECT_TRUE(noTags.accepted);
  EXPECT_FALSE(SignInReply::Parse(u"<Uuid>open only").hasSessionTags);

  SignInReply reversed = SignInReply::Parse(u"</Uuid>x<Uuid><Result>1</Result>");
  EXPECT_TRUE(reversed.hasSessionTags);
  EXPECT_EQ(reversed.sessionId, u"");

  EXPECT_EQ(SignInReply::Parse(u"<Uuid>a<Uuid>b</Uuid>c</Uuid>").sessionId, u"ab");
  EXPECT_EQ(SignInReply::Parse(u"<Uuid> s p </Uuid>").sessionId, u" s p ");
  EXPECT_FALSE(SignInReply::Parse(u"<Uuid>s</Uuid><Result>0</Result>").accepted);
  EXPECT_FALSE(SignInReply::Parse(u"<Uuid>s</Uuid><result>1</result>").accepted);
}

TEST_F(ServiceClientTest, ServerListIsReadDecipheredFromTheSettings) {
  ASSERT_TRUE(config_->WriteValue(u"ServerUrl", u"http://127.0.0.1:1/<EOF>http://b:2<EOF>"));
  EXPECT_EQ(client_->ReadServerList(), (List{u"http://127.0.0.1:1/", u"http://b:2"}));

  std::ofstream(dir_ + "/config.ini") << "[Quorvi]\nServerUrl=http://plain:80<EOF>\n";
  EXPECT_EQ(client_->ReadServerList(), List{});
}

TEST_F(ServiceClientTest, PlanBaseNeedsAllThreeEntries) {
  ASSERT_TRUE(config_->WriteValue(u"UerSetMeal", u"http://p1/<EOF>http://p2/<EOF>http://p3/<EOF>"));
  EXPECT_EQ(client_->GetPlanBase(), u"http://p1/");
  EXPECT_EQ(client_->GetPlanBase(), u"http://p1/");

  ASSERT_TRUE(config_->WriteValue(u"UerSetMeal", u"http://p1/<EOF>http://p2/<EOF>"));
  EXPECT_EQ(client_->GetPlanBase(), u"");
  ASSERT_TRUE(config_->WriteValue(u"UerSetMeal", u"<EOF><EOF>http://p3/<EOF>"));
  EXPECT_EQ(client_->GetPlanBase(), u"");
}

// A failed probe of the first server moves the index to the second one, so
// the plan entry of the second server answers. The broadcast address fails
// the probe without the pause that other failures cost.
TEST_F(ServiceClientTest, PlanBaseFollowsTheServerInUse) {
  ASSERT_TRUE(config_->WriteValue(u"UerSetMeal", u"http://p1/<EOF>http://p2/<EOF>http://p3/<EOF>"));
  configure({u"http://255.255.255.255:80", u"http://255.255.255.255:81"});
  ASSERT_EQ(client_->serverIndex(), 1u);
  EXPECT_EQ(client_->GetPlanBase(), u"http://p2/");
}

}  // namespace
}  // namespace tembra
