#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <memory>

#include "player/PlayerHost.h"
#include "player/PlayerTestApp.h"
#include "player/RecordingPlayerControl.h"

namespace tembra {
namespace {

using test::RecordingPlayerControl;
using Call = RecordingPlayerControl::Call;

constexpr PlayerRect kRect{2, 25, 583, 500};

struct Fixture {
  std::vector<Call> log;
  RecordingPlayerControl* control;
  std::unique_ptr<PlayerHost> host;

  // Ready at the first question unless a test says otherwise.
  explicit Fixture(int readyWaitMs = PlayerHost::kReadyWaitMs) {
    test::PlayerTestApp();
    auto owned = std::make_unique<RecordingPlayerControl>(&log);
    control = owned.get();
    control->readyAnswer = [](int) { return 1; };
    host = std::make_unique<PlayerHost>(std::move(owned), readyWaitMs);
  }
  size_t count(int32_t id) const {
    size_t n = 0;
    for (const Call& c : log) n += c.id == id;
    return n;
  }
  // The calls PlayAddress makes for one channel.
  static std::vector<Call> playSequence(const std::u16string& address, const std::u16string& name) {
    return {{PlayerControl::StopPlayerId, u""},   {PlayerControl::SetAddressId, u""},
            {PlayerControl::SetChannelNameId, u""}, {PlayerControl::SetAddressId, address},
            {PlayerControl::SetChannelNameId, name}, {PlayerControl::PlayId, u""}};
  }
};

TEST(PlayerHost, StartConfiguresInOrderAndIsReadyAtOnceWhenTheFirstAnswerIsOne) {
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
  EXPECT_TRUE(f.host->ready());
  EXPECT_EQ(f.control->readyHandlers.size(), 1u) << "the handler is in place before Activate";
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

// The window's thread runs the splash and answers a second copy of the
// program: a player that never becomes ready must not stall it.
TEST(PlayerHost, AControlThatNeverBecomesReadyLeavesTheEventLoopRunning) {
  Fixture f;
  f.control->readyAnswer = [](int poll) { return poll % 2 ? 2 : 0; };  // anything but 1 is "not ready"
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  int ticks = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    if (ticks++ > 0) longestGap = std::max(longestGap, sinceTick.elapsed());
    sinceTick.restart();
  });
  tick.start(10);
  bool started = false, ready = true;
  QTimer::singleShot(30, [&] {
    ready = f.host->StartPlayer(kRect, u"", u"/x/");
    f.host->PlayAddress(u"http://127.0.0.1/stream/1", u"One");
    started = true;
  });
  ASSERT_TRUE(test::WaitFor([&] { return started && ticks >= 30; }, 20000));
  EXPECT_FALSE(ready);
  EXPECT_FALSE(f.host->ready());
  EXPECT_EQ(f.count(PlayerControl::QueryStateId), 1u) << "asked once, then told";
  EXPECT_EQ(f.log.back().id, RecordingPlayerControl::kShow) << "shown without waiting";
  EXPECT_EQ(f.count(PlayerControl::PlayId), 0u) << "nothing is played on a component that is not ready";
  EXPECT_TRUE(f.host->playPending());
  // The old wait held the thread for 5 s; the timer may lag on a busy
  // machine, never by that much.
  EXPECT_LT(longestGap, 2000) << "the event loop stalled";
}

TEST(PlayerHost, APlayAskedBeforeReadinessHappensOnceReadyOnlyTheLatestOne) {
  Fixture f;
  f.control->readyAnswer = [](int) { return 0; };
  EXPECT_FALSE(f.host->StartPlayer(kRect, u"", u"/x/"));
  f.host->PlayAddress(u"http://127.0.0.1/stream/1", u"One");
  f.host->PlayAddress(u"http://127.0.0.1/stream/2", u"Two");
  f.log.clear();
  f.control->reportReady(true);
  EXPECT_TRUE(f.host->ready());
  EXPECT_FALSE(f.host->playPending());
  EXPECT_EQ(f.log, Fixture::playSequence(u"http://127.0.0.1/stream/2", u"Two"));

  f.log.clear();
  f.host->PlayAddress(u"http://127.0.0.1/stream/3", u"Three");
  EXPECT_EQ(f.log, Fixture::playSequence(u"http://127.0.0.1/stream/3", u"Three")) << "straight through once ready";
  f.log.clear();
  f.control->reportReady(true);
  EXPECT_TRUE(f.log.empty()) << "a second report plays nothing again";
}

TEST(PlayerHost, AKeptPlayGoesToTheComponentWhenItGivesUpOrTheWaitRunsOut) {
  {
    Fixture f;
    f.control->readyAnswer = [](int) { return 0; };
    f.host->StartPlayer(kRect, u"", u"/x/");
    f.host->PlayAddress(u"http://a/", u"A");
    f.log.clear();
    f.control->reportReady(false);
    EXPECT_FALSE(f.host->ready());
    EXPECT_EQ(f.log, Fixture::playSequence(u"http://a/", u"A")) << "the component shows its own failure";
  }
  {
    Fixture f(50);
    f.control->readyAnswer = [](int) { return 0; };
    f.host->StartPlayer(kRect, u"", u"/x/");
    f.host->PlayAddress(u"http://b/", u"B");
    f.log.clear();
    ASSERT_TRUE(test::WaitFor([&] { return !f.host->playPending(); }, 5000)) << "a component that never reports";
    EXPECT_EQ(f.log, Fixture::playSequence(u"http://b/", u"B"));
    EXPECT_FALSE(f.host->ready());
  }
}

TEST(PlayerHost, StopReleaseOrAnEarlierStartsLateReportDoNotPlayAKeptChannel) {
  Fixture f(50);
  f.control->readyAnswer = [](int) { return 0; };
  f.host->StartPlayer(kRect, u"", u"/x/");
  f.host->PlayAddress(u"http://a/", u"A");
  f.host->StopPlayer();
  EXPECT_FALSE(f.host->playPending());
  test::Spin(150);
  EXPECT_EQ(f.count(PlayerControl::PlayId), 0u) << "a stop cancels the kept play, also past the deadline";

  // A second start: the first start's report no longer counts.
  Fixture g;
  g.control->readyAnswer = [](int) { return 0; };
  g.host->StartPlayer(kRect, u"", u"/x/");
  g.host->StartPlayer(kRect, u"", u"/x/");
  g.host->PlayAddress(u"http://b/", u"B");
  ASSERT_EQ(g.control->readyHandlers.size(), 2u);
  g.control->readyHandlers.front()(true);
  EXPECT_FALSE(g.host->ready());
  EXPECT_EQ(g.count(PlayerControl::PlayId), 0u);
  g.control->readyHandlers.back()(true);
  EXPECT_EQ(g.count(PlayerControl::PlayId), 1u);

  Fixture h;
  h.control->readyAnswer = [](int) { return 0; };
  h.host->StartPlayer(kRect, u"", u"/x/");
  h.host->PlayAddress(u"http://c/", u"C");
  h.host->Release();
  EXPECT_FALSE(h.host->playPending());
  EXPECT_EQ(h.count(PlayerControl::PlayId), 0u);
}

TEST(PlayerHost, ControlWithoutAWindowGetsNoCallsAndNothingWaits) {
  Fixture f(50);
  f.control->createSucceeds = false;
  EXPECT_FALSE(f.host->StartPlayer(kRect, u"http://plan/", u"/x/"));
  EXPECT_EQ(f.log, (std::vector<Call>{{RecordingPlayerControl::kCreate, u"", 2025}}));
  f.host->PlayAddress(u"http://a/", u"A");
  EXPECT_FALSE(f.host->playPending());
  test::Spin(100);
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
  std::vector<Call> expected = Fixture::playSequence(u"http://127.0.0.1/stream/1", u"One");
  const std::vector<Call> two = Fixture::playSequence(u"http://127.0.0.1/stream/2", u"Два");
  expected.insert(expected.end(), two.begin(), two.end());
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
