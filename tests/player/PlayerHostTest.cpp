#include <gtest/gtest.h>

#include <memory>

#include "player/PlayerHost.h"
#include "player/RecordingPlayerControl.h"

namespace tembra {
namespace {

using test::RecordingPlayerControl;
using Call = RecordingPlayerControl::Call;

constexpr PlayerRect kRect{2, 25, 583, 500};

struct Fixture {
  std::vector<Call> log;
  RecordingPlayerControl* control;
  std::vector<int> sleeps;
  std::unique_ptr<PlayerHost> host;

  // Ready at the first poll unless a test says otherwise.
  Fixture() {
    auto owned = std::make_unique<RecordingPlayerControl>(&log);
    control = owned.get();
    control->readyAnswer = [](int) { return 1; };
    host = std::make_unique<PlayerHost>(std::move(owned), [this](int ms) { sleeps.push_back(ms); });
  }
  size_t count(int32_t id) const {
    size_t n = 0;
    for (const Call& c : log) n += c.id == id;
    return n;
  }
};

TEST(PlayerHost, StartConfiguresInOrderAndEndsTheWaitAtOnceWhenReady) {
  Fixture f;
  EXPECT_TRUE(f.host->StartPlayer(kRect, u"http://plan.example/tv/", u"/opt/tembra/"));
  const std::vector<Call> expected = {
      {RecordingPlayerControl::kCreate, u"", 2 * 1000 + 25},
      {PlayerControl::SetLogoPageId, u"/opt/tembra/logo.html"},
      {PlayerControl::SetLanguageId, u"en_US"},
      {PlayerControl::SetAuthUrlId, u"http://plan.example/tv/pc/forceauth"},
      {PlayerControl::SetAuthFirstId, u"vek"},
      {PlayerControl::SetAuthSecondId, u"vek"},
      {PlayerControl::ActivateId, u""},
      {PlayerControl::QueryStateId, u"", 1},
      {RecordingPlayerControl::kShow, u""},
  };
  EXPECT_EQ(f.log, expected);
  EXPECT_TRUE(f.sleeps.empty());
}

TEST(PlayerHost, PlanEntryIsJoinedWithTheAuthPathAsIsAndAnEmptyOneSetsNoAuth) {
  {
    Fixture f;
      f.host->StartPlayer(kRect, u"http://plan.example:8080", u"/x/");
    ASSERT_EQ(f.count(PlayerControl::SetAuthUrlId), 1u);
    for (const Call& c : f.log) {
      if (c.id == PlayerControl::SetAuthUrlId) {
        EXPECT_EQ(c.text, u"http://plan.example:8080pc/forceauth");
      }
    }
  }
  {
    Fixture f;
      f.host->StartPlayer(kRect, u"", u"/x/");
    EXPECT_EQ(f.count(PlayerControl::SetAuthUrlId), 0u);
    EXPECT_EQ(f.count(PlayerControl::SetAuthFirstId), 0u);
    EXPECT_EQ(f.count(PlayerControl::SetAuthSecondId), 0u);
    EXPECT_EQ(f.count(PlayerControl::ActivateId), 1u);
  }
}

TEST(PlayerHost, ReadinessAfterSomePollsWaitsTenMillisecondsEach) {
  Fixture f;
  f.control->readyAnswer = [](int poll) { return poll >= 7 ? 1 : 0; };
  EXPECT_TRUE(f.host->StartPlayer(kRect, u"", u"/x/"));
  EXPECT_EQ(f.count(PlayerControl::QueryStateId), 8u);
  EXPECT_EQ(f.sleeps, std::vector<int>(7, 10));
  EXPECT_EQ(f.log.back().id, RecordingPlayerControl::kShow);
}

TEST(PlayerHost, ControlThatNeverAnswersIsShownAfterFiveSecondsCountedAndReportsFalse) {
  Fixture f;
  // Any answer but 1 is "not ready".
  f.control->readyAnswer = [](int poll) { return poll % 2 ? 2 : 0; };
  EXPECT_FALSE(f.host->StartPlayer(kRect, u"", u"/x/"));
  EXPECT_EQ(f.sleeps.size(), 500u);
  EXPECT_EQ(f.count(PlayerControl::QueryStateId), 501u);
  EXPECT_EQ(f.log.back().id, RecordingPlayerControl::kShow);
}

TEST(PlayerHost, ReadyOnTheLastPollStillCounts) {
  Fixture f;
  f.control->readyAnswer = [](int poll) { return poll == 500 ? 1 : 0; };
  EXPECT_TRUE(f.host->StartPlayer(kRect, u"", u"/x/"));
  EXPECT_EQ(f.sleeps.size(), 500u);
}

TEST(PlayerHost, ControlWithoutAWindowGetsNoCallsAndTheWaitRunsOut) {
  Fixture f;
  f.control->createSucceeds = false;
  EXPECT_FALSE(f.host->StartPlayer(kRect, u"http://plan/", u"/x/"));
  EXPECT_EQ(f.sleeps.size(), 500u);
  EXPECT_EQ(f.log, (std::vector<Call>{{RecordingPlayerControl::kCreate, u"", 2025}}));
  f.host->PlayAddress(u"http://a/", u"A");
  EXPECT_EQ(f.host->QueryState(2), 0);
  f.host->Release();
  EXPECT_EQ(f.log.size(), 2u);  // the creation, then the control deleted
  EXPECT_EQ(f.log.back().id, -99);
}

TEST(PlayerHost, SecondStartDestroysTheFirstWindowBeforeCreatingAgain) {
  Fixture f;
  f.host->StartPlayer(kRect, u"", u"/x/");
  f.log.clear();
  f.host->StartPlayer(kRect, u"", u"/x/");
  ASSERT_GE(f.log.size(), 3u);
  EXPECT_EQ(f.log[0].id, RecordingPlayerControl::kHide);
  EXPECT_EQ(f.log[1].id, RecordingPlayerControl::kDestroy);
  EXPECT_EQ(f.log[2].id, RecordingPlayerControl::kCreate);
}

TEST(PlayerHost, TwoChannelsInARowStopAndClearBeforeEachNewAddress) {
  Fixture f;
  f.host->StartPlayer(kRect, u"", u"/x/");
  f.log.clear();
  f.host->PlayAddress(u"http://127.0.0.1/stream/1", u"One");
  f.host->PlayAddress(u"http://127.0.0.1/stream/2", u"Два");
  const std::vector<Call> one = {
      {PlayerControl::StopPlayerId, u""},
      {PlayerControl::SetAddressId, u""},
      {PlayerControl::SetChannelNameId, u""},
      {PlayerControl::SetAddressId, u"http://127.0.0.1/stream/1"},
      {PlayerControl::SetChannelNameId, u"One"},
      {PlayerControl::PlayId, u""},
  };
  std::vector<Call> expected = one;
  expected.insert(expected.end(), one.begin(), one.end());
  expected[9].text = u"http://127.0.0.1/stream/2";
  expected[10].text = u"Два";
  EXPECT_EQ(f.log, expected);
}

TEST(PlayerHost, ReleaseStopsAWindowedControlOnceAndDeletesIt) {
  Fixture f;
  f.host->StartPlayer(kRect, u"", u"/x/");
  f.log.clear();
  f.host->Release();
  EXPECT_EQ(f.log, (std::vector<Call>{{PlayerControl::StopPlayerId, u""}, {-99, u"deleted"}}));
  EXPECT_EQ(f.host->control(), nullptr);
  f.host->Release();
  f.host->PlayAddress(u"x", u"y");
  EXPECT_EQ(f.log.size(), 2u);
}

TEST(PlayerHost, QueryStatePassesThroughWhileTheWindowExists) {
  Fixture f;
  f.host->StartPlayer(kRect, u"", u"/x/");
  f.log.clear();
  EXPECT_EQ(f.host->QueryState(2), 0);
  EXPECT_EQ(f.log, (std::vector<Call>{{PlayerControl::QueryStateId, u"", 2}}));
}

}  // namespace
}  // namespace tembra
