// The channel side of the main window against the demo operator service:
// the group selector and channel list, the count-down panel and refresh,
// playback from either list with its marks, the keys, the ad pane.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSignalSpy>
#include <QTest>
#include "web/WebView.h"

#include <algorithm>
#include <atomic>
#include <set>

#include "guide/ProgrammeGuide.h"
#include "mainwnd/MainLayout.h"
#include "mainwnd/PanelDemoRun.h"
#include "mainwnd/QtTestApp.h"
#include "notice/UdpChannel.h"
#include "platform/HttpLimits.h"
#include "platform/Utf.h"
#include "service/ServiceClient.h"
#include "skin/CListUI.h"
#include "skin/SkinCombo.h"
#include "skin/SkinListModel.h"
#include "skin/SkinListView.h"
#include "skin/SkinWebBrowser.h"
#include "splash/CPictureEx.h"
#include "stats/StatsReporter.h"

namespace tembra {
namespace {

using test::PanelDemoRun;
using test::RecordingPlayerControl;
using test::spinUntil;

std::string u8(std::u16string_view s) { return toUtf8(s); }

struct Marker {
  std::string image;
  QRect rect;
  bool operator==(const Marker&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Marker& m) {
  return o << m.image << " (" << m.rect.left() << ", " << m.rect.top() << ", " << m.rect.right() + 1 << ", "
           << m.rect.bottom() + 1 << ")";
}

// An image and its rectangle as the marker tables give them (right and
// bottom exclusive).
Marker mark(const char* image, int l, int t, int r, int b) { return {image, QRect(QPoint(l, t), QPoint(r - 1, b - 1))}; }

const Marker kChannelPlayed = mark("frame_channel_item_play.bmp", 0, 0, 99, 29);
const Marker kChannelFromGuide = mark("frame_channel_playing_bk.png", 3, 10, 12, 19);
const Marker kGuideFromChannels = mark("frame_listitem_playing_bk.png", 3, 8, 10, 15);
const Marker kGuidePlayed = mark("frame_listitem_playing_bk.png", 3, 10, 10, 17);

Marker markerOf(test::PanelTestWindow& w, const char* list, int row) {
  const CListLabelElementUI* item = w.findList(QString::fromLatin1(list))->item(row);
  if (item == nullptr) return {"<no row>", {}};
  return {item->markerImage.toStdString(), item->markerRect};
}

int indexOf(const std::vector<std::string>& v, const std::string& s) {
  auto it = std::find(v.begin(), v.end(), s);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

// The channels of the catalogue as the demo's client holds them.
std::vector<ChannelRef> catalogueChannels(PanelDemoRun& run) { return run.service().catalogue()->channels(); }

// The selector's own entries come before the source's groups.
constexpr int kOwnEntries = 3;

TEST(ChannelPanelDemo, TwoGroupsFillTheSelectorAndNoGroupShowsEveryDistinctName) {
  PanelDemoRun run({"--groups", "2", "--channels-per-group", "3", "--duplicate-names"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  auto& w = run.window();
  ASSERT_EQ(run.service().catalogueLoaded(), 1);
  EXPECT_TRUE(w.shown("listlayout"));
  EXPECT_FALSE(w.shown("listload"));
  EXPECT_FALSE(w.refreshing());

  SkinCombo* combo = w.findCombo("channeltype");
  ASSERT_NE(combo, nullptr);
  const std::vector<ChannelGroup> groups = run.service().GetGroups();
  ASSERT_EQ(groups.size(), 2u);
  ASSERT_EQ(combo->count(), kOwnEntries + 2);
  EXPECT_EQ(combo->dropDownHeight(), (kOwnEntries + 2) * 29);
  EXPECT_EQ(combo->selectedIndex(), -1);
  const std::vector<std::string> own = {"All channels", "Favourites", "Recently watched"};
  for (int i = 0; i < kOwnEntries; ++i) EXPECT_EQ(combo->item(i)->text.toStdString(), own[i]);
  EXPECT_EQ(combo->item(0)->name.toStdU16String(), ChannelSource::kAllGroups);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(combo->item(kOwnEntries + i)->name.toStdU16String(), groups[i].id);
    EXPECT_EQ(combo->item(kOwnEntries + i)->text.toStdU16String(), groups[i].name);
    EXPECT_EQ(combo->item(kOwnEntries + i)->maxHeight, 29);
    EXPECT_EQ(combo->item(kOwnEntries + i)->maxWidth, 220);
  }

  // Every group uses the same names: with no group chosen, the first
  // channel of each name, in catalogue order.
  std::vector<std::string> firstIds, firstNames;
  std::set<std::u16string> seen;
  for (const ChannelRef& c : catalogueChannels(run)) {
    if (!seen.insert(c->name).second) continue;
    firstIds.push_back(u8(c->id));
    firstNames.push_back(u8(c->name));
  }
  ASSERT_EQ(firstIds.size(), 3u);
  EXPECT_EQ(w.names("channellist"), firstIds);
  EXPECT_EQ(w.texts("channellist"), firstNames);
  const CListUI* list = w.findList("channellist");
  for (int i = 0; i < list->count(); ++i) {
    EXPECT_EQ(list->item(i)->tooltip, list->item(i)->text);
    EXPECT_EQ(list->item(i)->maxHeight, 29);
    EXPECT_EQ(list->item(i)->maxWidth, 220);
    EXPECT_TRUE(list->item(i)->markerImage.isEmpty());
  }

  // The second group: its own channels under the same names.
  combo->select(kOwnEntries + 1);
  std::vector<std::string> secondIds;
  for (const ChannelRef& c : run.service().GetChannelsOfGroup(groups[1].id)) secondIds.push_back(u8(c->id));
  ASSERT_EQ(secondIds.size(), 3u);
  EXPECT_EQ(w.names("channellist"), secondIds);
  EXPECT_EQ(w.texts("channellist"), firstNames);
  EXPECT_EQ(combo->toolTip().toStdU16String(), groups[1].name);
  combo->select(0);
  EXPECT_EQ(w.names("channellist"), firstIds) << "\"All channels\" is offered again";
  // Nothing is a favourite or was watched yet.
  combo->select(1);
  EXPECT_TRUE(w.names("channellist").empty());
  combo->select(2);
  EXPECT_TRUE(w.names("channellist").empty());
}

TEST(ChannelPanelDemo, EveryGroupIsInReachOfTheDropDown) {
  PanelDemoRun run({"--groups", "6", "--channels-per-group", "1"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  SkinCombo* combo = run.window().findCombo("channeltype");
  EXPECT_EQ(combo->count(), kOwnEntries + 6);
  EXPECT_EQ(combo->dropDownHeight(), (kOwnEntries + 6) * 29);
  EXPECT_EQ(run.window().texts("channellist").size(), 6u);
}

// A run with groups, the guide of the fixed day loaded and a recording
// player: everything a double-click touches.
struct PlayingRun {
  PanelDemoRun run;
  explicit PlayingRun(std::vector<std::string> args) : run(std::move(args)) {
    if (!run.error().empty()) return;
    run.makePlayable();
    run.window().guidePanel().ShowNowPlaying(true);
  }
  test::PanelTestWindow& w() { return run.window(); }
  std::string stream(const std::string& id) { return run.demo().base() + "/stream/" + id; }
  // The row of the channel in "playinglist", or -1.
  int guideRow(const std::string& id) { return indexOf(w().names("playinglist"), id); }
  std::u16string groupOf(const std::string& id) { return run.service().FindChannel(fromUtf8(id))->groupId; }
};

TEST(ChannelPanelDemo, DoubleClicksInBothListsPlayAndMarkTheChannelInEach) {
  PlayingRun r({"--groups", "3", "--channels-per-group", "4"});
  ASSERT_EQ(r.run.error(), "");
  auto& w = r.w();
  WindowState& state = w.state();
  const std::vector<std::string> channels = w.names("channellist");
  ASSERT_EQ(channels.size(), 12u);
  ASSERT_GE(w.names("playinglist").size(), 8u) << "most channels have a programme on at noon";

  // In "channellist", all channels: a channel that has a now-playing row.
  int pick = -1;
  for (int i = 2; i < 12 && pick < 0; ++i)
    if (r.guideRow(channels[i]) >= 0) pick = i;
  ASSERT_GE(pick, 0);
  const std::string first = channels[pick];
  w.activate("channellist", pick);
  EXPECT_EQ(u8(state.currentChannelId), first);
  ASSERT_EQ(r.run.played().size(), 1u);
  EXPECT_EQ(u8(r.run.played()[0].first), r.stream(first));
  EXPECT_EQ(r.run.played()[0].second, r.run.service().FindChannel(fromUtf8(first))->name);
  EXPECT_EQ(w.markedRow("channellist"), pick);
  EXPECT_EQ(state.channelListMark, pick);
  EXPECT_EQ(markerOf(w, "channellist", pick), kChannelPlayed);
  const int firstGuideRow = r.guideRow(first);
  EXPECT_EQ(w.markedRow("playinglist"), firstGuideRow);
  EXPECT_EQ(state.playingListMark, firstGuideRow);
  EXPECT_EQ(markerOf(w, "playinglist", firstGuideRow), kGuideFromChannels);

  // Another group chosen, then a now-playing row of a channel of that
  // group: the viewer's group stays, the row is marked in it.
  SkinCombo* combo = w.findCombo("channeltype");
  const std::u16string group0 = r.run.service().GetGroups()[0].id;
  const std::vector<ChannelGroup> groups = r.run.service().GetGroups();
  for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
    if (groups[g].id == r.groupOf(first)) continue;
    combo->select(kOwnEntries + g);
    EXPECT_EQ(w.markedRow("channellist"), -1) << "the playing channel is not in this group";
    break;
  }
  combo->select(kOwnEntries);
  std::vector<std::string> group0Ids;
  for (const ChannelRef& c : r.run.service().GetChannelsOfGroup(group0)) group0Ids.push_back(u8(c->id));
  ASSERT_EQ(w.names("channellist"), group0Ids);
  int guidePick = -1;
  const std::vector<std::string> guideIds = w.names("playinglist");
  for (int i = 0; i < static_cast<int>(guideIds.size()) && guidePick < 0; ++i)
    if (guideIds[i] != first && r.groupOf(guideIds[i]) == group0) guidePick = i;
  ASSERT_GE(guidePick, 0);
  const std::string second = guideIds[guidePick];
  w.activate("playinglist", guidePick);
  EXPECT_EQ(combo->selectedIndex(), kOwnEntries) << "the group stays";
  EXPECT_EQ(w.names("channellist"), group0Ids);
  EXPECT_EQ(u8(state.currentChannelId), second);
  ASSERT_EQ(r.run.played().size(), 2u);
  EXPECT_EQ(u8(r.run.played()[1].first), r.stream(second));
  EXPECT_EQ(w.markedRow("playinglist"), guidePick);
  EXPECT_EQ(markerOf(w, "playinglist", guidePick), kGuidePlayed);
  const int secondRow = indexOf(group0Ids, second);
  EXPECT_EQ(w.markedRow("channellist"), secondRow);
  EXPECT_EQ(state.channelListMark, secondRow);
  EXPECT_EQ(markerOf(w, "channellist", secondRow), kChannelFromGuide);

  // A now-playing row of a channel outside the first group: played; the
  // channel list (still the first group) has no row to mark.
  int otherPick = -1;
  for (int i = 0; i < static_cast<int>(guideIds.size()) && otherPick < 0; ++i)
    if (r.groupOf(guideIds[i]) != group0) otherPick = i;
  ASSERT_GE(otherPick, 0);
  w.activate("playinglist", otherPick);
  ASSERT_EQ(r.run.played().size(), 3u);
  EXPECT_EQ(u8(r.run.played()[2].first), r.stream(guideIds[otherPick]));
  EXPECT_EQ(w.markedRow("playinglist"), otherPick);
  EXPECT_EQ(markerOf(w, "playinglist", otherPick), kGuidePlayed);
  EXPECT_EQ(w.markedRow("channellist"), -1);
  EXPECT_EQ(state.channelListMark, -1);
  EXPECT_EQ(combo->selectedIndex(), kOwnEntries);
  EXPECT_EQ(w.names("channellist"), group0Ids);

  // Back in "channellist": its mark, and the guide row's mark of this kind.
  w.activate("channellist", 0);
  EXPECT_EQ(markerOf(w, "channellist", 0), kChannelPlayed);
  const int row0 = r.guideRow(group0Ids[0]);
  if (row0 >= 0) {
    EXPECT_EQ(w.markedRow("playinglist"), row0);
    EXPECT_EQ(markerOf(w, "playinglist", row0), kGuideFromChannels);
  } else {
    EXPECT_EQ(w.markedRow("playinglist"), -1);
  }
}

TEST(ChannelPanelDemo, TheRowOfAChannelMissingFromTheCatalogueMovesItsMarkButPlaysNothing) {
  PlayingRun r({"--groups", "2", "--channels-per-group", "3", "--guide-extra", "2"});
  ASSERT_EQ(r.run.error(), "");
  auto& w = r.w();
  StatsReporter& stats = r.run.makeStats();
  stats.recordStartup(true);
  const std::vector<std::string> guideIds = w.names("playinglist");
  int stranger = -1;
  for (int i = 0; i < static_cast<int>(guideIds.size()) && stranger < 0; ++i)
    if (!r.run.service().FindChannel(fromUtf8(guideIds[i]))) stranger = i;
  ASSERT_GE(stranger, 0) << "the demo's extra guide channels have programmes at noon";

  // A channel of the first group plays first.
  w.activate("channellist", 1);
  const std::string playing = w.names("channellist")[1];
  const int playingGuideRow = r.guideRow(playing);
  ASSERT_EQ(r.run.played().size(), 1u);
  r.run.statsClock().advance(5);

  w.activate("playinglist", stranger);
  EXPECT_EQ(r.run.played().size(), 1u) << "nothing was handed to the player";
  EXPECT_EQ(u8(w.state().currentChannelId), guideIds[stranger]);
  EXPECT_EQ(w.markedRow("playinglist"), stranger) << "the clicked list's mark has moved";
  EXPECT_EQ(markerOf(w, "playinglist", stranger), kGuidePlayed);
  EXPECT_NE(stranger, playingGuideRow);
  // The selector and its list stayed; the playing channel's mark stayed
  // where it was.
  EXPECT_EQ(w.findCombo("channeltype")->selectedIndex(), -1);
  EXPECT_EQ(w.markedRow("channellist"), 1);
  EXPECT_EQ(markerOf(w, "channellist", 1), kChannelPlayed);

  // The failed click recorded nothing: the first channel's record covers
  // the whole time until the next channel that did play.
  r.run.statsClock().advance(3);
  w.activate("channellist", 2);
  stats.recordShutdown();
  ASSERT_TRUE(stats.waitForUploadEnd());
  std::vector<std::string> watched;
  for (const std::string& rec : r.run.demo().Records())
    if (rec.find("{\"02011\",") != std::string::npos) watched.push_back(rec);
  ASSERT_EQ(watched.size(), 2u);
  EXPECT_NE(watched[0].find("\"" + playing + "\","), std::string::npos) << watched[0];
  EXPECT_NE(watched[0].find("\",\"8\",\""), std::string::npos) << watched[0];
  EXPECT_FALSE(w.channels().PlayChannel(fromUtf8(guideIds[stranger])));
  EXPECT_FALSE(w.channels().PlayChannel(u""));
}

std::vector<std::string> timerTexts(int from, int to) {
  std::vector<std::string> out;
  for (int n = from; n >= to; --n) out.push_back("Loading failed, retrying in " + std::to_string(n) + " s");
  return out;
}

TEST(ChannelPanelDemo, WithoutACatalogueTheCountdownRunsTenToOneThenRefreshes) {
  PanelDemoRun run({"--groups", "2", "--channels-per-group", "2", "--fault", "empty-catalogue"});
  ASSERT_EQ(run.error(), "");
  auto& w = run.window();
  run.configure();
  ASSERT_EQ(run.service().catalogueLoaded(), 0);
  EXPECT_FALSE(w.shown("listlayout"));
  EXPECT_TRUE(w.shown("listload"));
  EXPECT_TRUE(w.isTimerActive(1));
  EXPECT_EQ(w.text("listloadtime"), timerTexts(10, 10)[0]) << "the first text comes at once";
  EXPECT_EQ(w.state().listCountdown, 9);
  // Centred on the list column.
  const PixelRect column = test::PanelRect(w, "listlayout");
  EXPECT_EQ(test::PanelRect(w, "listload"), MainLayout::listIndicator(column).listload);
  EXPECT_EQ(test::PanelRect(w, "listload").width(), 100);
  EXPECT_EQ(test::PanelRect(w, "listload").height(), 99);

  ASSERT_TRUE(run.faults("empty-catalogue=0"));
  w.clearTicks();
  ASSERT_TRUE(spinUntil([&] { return w.refreshing(); }, 20000));
  std::vector<std::string> ticks = timerTexts(9, 1);
  ticks.push_back(timerTexts(1, 1)[0]);
  EXPECT_EQ(w.tickTexts(1), ticks) << "one text per tick, and the refresh on the tick after 1";
  EXPECT_FALSE(w.shown("listload"));
  EXPECT_FALSE(w.isTimerActive(1));
  EXPECT_EQ(test::PanelRect(*w.listLoadingPicture()), MainLayout::retryPicture(test::PanelRect(w, "listload")));

  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_CATALOGUE_LOADED) == 1; }, 20000));
  EXPECT_FALSE(w.refreshing());
  EXPECT_TRUE(w.shown("listlayout"));
  EXPECT_FALSE(w.shown("listload"));
  EXPECT_EQ(w.findCombo("channeltype")->count(), kOwnEntries + 2);
  EXPECT_EQ(w.texts("channellist").size(), 4u);
}

TEST(ChannelPanelDemo, TheRetryButtonEndsTheCountdownAtOnce) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "3", "--fault", "empty-catalogue"});
  ASSERT_EQ(run.error(), "");
  auto& w = run.window();
  run.configure();
  ASSERT_TRUE(spinUntil([&] { return w.state().listCountdown <= 6; }, 10000));
  const std::string shown = w.text("listloadtime");
  ASSERT_TRUE(run.faults("empty-catalogue=0"));
  QTest::mouseClick(w.findControl("listloadbtn"), Qt::LeftButton);
  EXPECT_TRUE(w.refreshing());
  EXPECT_FALSE(w.isTimerActive(1));
  EXPECT_FALSE(w.shown("listload"));
  EXPECT_EQ(w.text("listloadtime"), shown);
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_CATALOGUE_LOADED) == 1; }, 20000));
  EXPECT_EQ(w.texts("channellist").size(), 3u);
  EXPECT_TRUE(w.shown("listlayout"));
}

TEST(ChannelPanelDemo, ARefreshThatFailsKeepsTheListsAndOneThatFindsNoChannelsCountsDownAgain) {
  PanelDemoRun run({"--groups", "3", "--channels-per-group", "2", "--hang-seconds", "20"});
  ASSERT_EQ(run.error(), "");
  auto& w = run.window();
  run.configure();
  const std::vector<std::string> channels = w.texts("channellist");
  SkinCombo* combo = w.findCombo("channeltype");
  combo->select(kOwnEntries + 1);
  const std::vector<std::string> group = w.names("channellist");

  // The catalogue request hangs and is given up: nothing was parsed.
  struct ShortHttpLimits {
    ShortHttpLimits() { HttpLimits::SetForTesting(1, 10); }
    ~ShortHttpLimits() { HttpLimits::Reset(); }
  } limits;
  ASSERT_TRUE(run.faults("hang-catalogue=1"));
  w.channels().StartRefresh();
  EXPECT_TRUE(w.refreshing());
  w.channels().StartRefresh();  // a second request while one runs starts nothing
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_CATALOGUE_LOADED) >= 1; }, 30000));
  test::spinFor(200);
  EXPECT_EQ(w.handledCount(WM_CATALOGUE_LOADED), 1);
  EXPECT_EQ(run.service().catalogueLoaded(), 1);
  EXPECT_TRUE(w.shown("listlayout"));
  EXPECT_FALSE(w.shown("listload"));
  EXPECT_FALSE(w.refreshing());
  EXPECT_EQ(combo->count(), kOwnEntries + 3) << "the groups are not added twice";
  EXPECT_EQ(combo->dropDownHeight(), (kOwnEntries + 3) * 29);
  EXPECT_EQ(combo->selectedIndex(), kOwnEntries + 1);
  EXPECT_EQ(w.names("channellist"), group);

  // A reply without channels empties the catalogue: back to the count-down.
  ASSERT_TRUE(run.faults("hang-catalogue=0&empty-catalogue=1"));
  w.channels().StartRefresh();
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_CATALOGUE_LOADED) == 2; }, 30000));
  EXPECT_EQ(run.service().catalogueLoaded(), 0);
  EXPECT_FALSE(w.shown("listlayout"));
  EXPECT_TRUE(w.shown("listload"));
  EXPECT_TRUE(w.isTimerActive(1));
  ASSERT_TRUE(run.faults("empty-catalogue=0"));
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_CATALOGUE_LOADED) == 3; }, 30000));
  EXPECT_TRUE(w.shown("listlayout"));
  EXPECT_EQ(combo->count(), kOwnEntries + 3);
  EXPECT_EQ(w.names("channellist"), group);
}

bool udpPortFree() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(UdpChannel::kPort);
  const bool free = ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
  ::close(fd);
  return free;
}

TEST(ChannelPanelDemo, ALoadedCatalogueGivesTheGuideItsSessionAndRestartsAPendingNoticeQuery) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "2", "--fault", "refuse-signin"});
  ASSERT_EQ(run.error(), "");
  auto& w = run.window();
  run.configure();
  ASSERT_TRUE(run.service().sessionId().empty());
  ProgrammeGuide& guide = run.makeGuide();
  EXPECT_EQ(guide.GetDayState(0), ProgrammeGuide::DayState::NotLoaded) << "no session, no download";
  // The notice channel's first worker ends at once (no server address yet);
  // its query stays pending.
  std::atomic<int> asked{0};
  w.setUdp(std::make_unique<UdpChannel>([&asked] { ++asked; return std::string(); }, &w.target()));
  ASSERT_TRUE(spinUntil([&] { return !w.udpChannel()->running(); }, 5000));
  if (asked.load() == 0) GTEST_SKIP() << "UDP port 36000 is in use on this machine";
  ASSERT_TRUE(w.udpChannel()->pending());

  ASSERT_TRUE(run.faults("refuse-signin=0"));
  w.channels().StartRefresh();
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_CATALOGUE_LOADED) == 1; }, 30000));
  EXPECT_EQ(run.service().catalogueLoaded(), 1);
  if (!spinUntil([&] { return asked.load() == 2; }, 5000)) {
    // A worker that cannot bind the port ends before it asks.
    if (!udpPortFree()) GTEST_SKIP() << "UDP port 36000 was taken by another program meanwhile";
    ADD_FAILURE() << "the notice query was not asked again";
  }
  EXPECT_EQ(u8(guide.guideHost()), "127.0.0.1");
  EXPECT_EQ(guide.guidePort(), run.demo().port());
  // With the session the guide downloads.
  EXPECT_TRUE(guide.Download(0));
}

}  // namespace
}  // namespace tembra
