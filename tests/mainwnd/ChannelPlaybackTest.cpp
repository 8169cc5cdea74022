// Playing channels from the panels: the records a run of switches leaves
// at the demo's collector, the neighbour keys, the lists' own keys, what
// the player is handed for addresses that do not decode, the real player
// on a demo stream, many channels at once, and the ad pane.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QSignalSpy>
#include <QTest>
#include "web/WebView.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <thread>

#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "guide/ProgrammeGuide.h"
#include "mainwnd/PanelDemoRun.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/StreamAddress.h"
#include "platform/Utf.h"
#include "player/MpvPlayer.h"
#include "player/PlayerHost.h"
#include "service/AddressCipher.h"
#include "service/ServiceClient.h"
#include "service/ServiceClientFixture.h"
#include "skin/CListUI.h"
#include "skin/SkinCombo.h"
#include "skin/SkinListModel.h"
#include "skin/SkinListView.h"
#include "skin/SkinWebBrowser.h"
#include "stats/StatsReporter.h"

namespace tembra {
namespace {

using test::PanelDemoRun;
using test::spinUntil;

std::string u8(std::u16string_view s) { return toUtf8(s); }

int indexOf(const std::vector<std::string>& v, const std::string& s) {
  auto it = std::find(v.begin(), v.end(), s);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

// The "02011" records of the collector, from the kind on:
// {"02011",{"0","240011",id,name,seconds,groupId,groupName}}.
std::vector<std::string> watchRecords(const test::DemoService& demo) {
  std::vector<std::string> out;
  for (const std::string& r : demo.Records()) {
    const size_t at = r.find("{\"02011\",");
    if (at != std::string::npos) out.push_back(r.substr(at, r.size() - at - 1));
  }
  return out;
}

std::string watchBody(ServiceClient& service, const std::string& id, int seconds) {
  const ChannelRef channel = service.FindChannel(fromUtf8(id));
  const auto group = service.FindGroupOfChannel(fromUtf8(id));
  return "{\"02011\",{\"0\",\"240011\",\"" + id + "\",\"" + u8(channel->name) + "\",\"" + std::to_string(seconds) +
         "\",\"" + u8(group->id) + "\",\"" + u8(group->name) + "\"}}";
}

TEST(ChannelPlayback, ThreeSwitchesReachTheCollectorInOrderWithTheirChannelsGroupsAndTimes) {
  PanelDemoRun run({"--groups", "3", "--channels-per-group", "3"});
  ASSERT_EQ(run.error(), "");
  run.makePlayable();
  StatsReporter& stats = run.makeStats();
  stats.recordStartup(true);
  auto& w = run.window();
  w.guidePanel().ShowNowPlaying(true);
  const std::vector<std::string> all = w.names("channellist");
  ASSERT_EQ(all.size(), 9u);

  w.activate("channellist", 0);  // A, from the list
  run.statsClock().advance(5);
  w.channels().PlayNeighbour(+1);  // B: Page Down over the video
  run.statsClock().advance(7);
  // C: a now-playing row of a channel of the last group.
  const std::vector<std::string> guide = w.names("playinglist");
  int row = -1;
  for (int i = 0; i < static_cast<int>(guide.size()) && row < 0; ++i)
    if (indexOf(all, guide[i]) >= 6) row = i;
  ASSERT_GE(row, 0);
  w.activate("playinglist", row);
  run.statsClock().advance(3);
  w.channels().PlayNeighbour(-1);  // D: Page Up, in the first group now shown
  const std::string d = w.names("channellist")[static_cast<size_t>(w.state().channelListMark)];
  run.statsClock().advance(4);
  stats.recordShutdown();
  ASSERT_TRUE(stats.waitForUploadEnd());

  ServiceClient& s = run.service();
  EXPECT_EQ(watchRecords(run.demo()), (std::vector<std::string>{watchBody(s, all[0], 5), watchBody(s, all[1], 7),
                                                                watchBody(s, guide[row], 3), watchBody(s, d, 4)}));
  ASSERT_EQ(run.played().size(), 4u);
  EXPECT_EQ(u8(run.played()[3].first), run.demo().base() + "/stream/" + d);
}

TEST(ChannelPlayback, NeighbourKeysStepFromTheMarkedChannelAndWrapRound) {
  PanelDemoRun run({"--groups", "2", "--channels-per-group", "3"});
  ASSERT_EQ(run.error(), "");
  run.makePlayable();
  auto& w = run.window();
  w.guidePanel().ShowNowPlaying(true);
  const std::vector<std::string> all = w.names("channellist");
  ASSERT_EQ(all.size(), 6u);
  CListUI* list = w.findList("channellist");

  // Nothing marked or selected: the first channel, or the last going back.
  w.channels().PlayNeighbour(-1);
  EXPECT_EQ(w.state().channelListMark, 5);
  w.channels().PlayNeighbour(+1);
  EXPECT_EQ(w.state().channelListMark, 0) << "round from the last to the first";
  w.channels().PlayNeighbour(-1);
  EXPECT_EQ(w.state().channelListMark, 5) << "and back";
  EXPECT_EQ(list->selectedIndex(), 5);
  EXPECT_EQ(w.markedRow("channellist"), 5);
  EXPECT_EQ(list->item(5)->markerImage, "frame_channel_item_play.bmp");
  const int guideRow = indexOf(w.names("playinglist"), all[5]);
  EXPECT_EQ(w.markedRow("playinglist"), guideRow);
  ASSERT_EQ(run.played().size(), 3u);
  EXPECT_EQ(u8(run.played()[2].first), run.demo().base() + "/stream/" + all[5]);

  // From a channel started in the guide: the next one of the list.
  const std::vector<std::string> guide = w.names("playinglist");
  const int g = indexOf(guide, all[0]);
  ASSERT_GE(g, 0);
  w.activate("playinglist", g);
  const int from = w.state().channelListMark;
  ASSERT_GE(from, 0);
  w.channels().PlayNeighbour(+1);
  EXPECT_EQ(w.state().channelListMark, from + 1);
  EXPECT_EQ(w.markedRow("channellist"), from + 1);
  EXPECT_EQ(list->item(from + 1)->markerImage, "frame_channel_item_play.bmp");
  EXPECT_EQ(u8(w.state().currentChannelId), w.names("channellist")[static_cast<size_t>(from + 1)]);
}

TEST(ChannelPlayback, TheListsKeysMoveTheSelectionAndReturnPlays) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "40"});
  ASSERT_EQ(run.error(), "");
  run.makePlayable();
  auto& w = run.window();
  w.guidePanel().ShowNowPlaying(true);
  CListUI* list = w.findList("channellist");
  SkinListView* view = list->view();
  view->setFocus();
  ASSERT_TRUE(spinUntil([&] { return view->hasFocus(); }, 2000));
  list->select(0);
  QTest::keyClick(view, Qt::Key_Down);
  QTest::keyClick(view, Qt::Key_Down);
  EXPECT_EQ(list->selectedIndex(), 2);
  QTest::keyClick(view, Qt::Key_Up);
  EXPECT_EQ(list->selectedIndex(), 1);
  QTest::keyClick(view, Qt::Key_PageDown);
  const int paged = list->selectedIndex();
  EXPECT_GT(paged, 5) << "a page is several rows";
  EXPECT_LT(paged, 39);
  QTest::keyClick(view, Qt::Key_PageUp);
  EXPECT_LT(list->selectedIndex(), paged);
  QTest::keyClick(view, Qt::Key_End);
  EXPECT_EQ(list->selectedIndex(), 39);
  QTest::keyClick(view, Qt::Key_Home);
  EXPECT_EQ(list->selectedIndex(), 0);
  EXPECT_TRUE(run.played().empty()) << "moving does not play";
  QTest::keyClick(view, Qt::Key_Down);
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_EQ(run.played().size(), 1u);
  EXPECT_EQ(w.state().channelListMark, 1);
  EXPECT_EQ(u8(run.played()[0].first), run.demo().base() + "/stream/" + w.names("channellist")[1]);

  // Enter in the now-playing list plays its channel the same way.
  CListUI* guide = w.findList("playinglist");
  guide->view()->setFocus();
  guide->select(3);
  QTest::keyClick(guide->view(), Qt::Key_Enter);
  ASSERT_EQ(run.played().size(), 2u);
  EXPECT_EQ(w.state().playingListMark, 3);
  EXPECT_EQ(u8(w.state().currentChannelId), w.names("playinglist")[3]);
}

TEST(ChannelPlayback, ThousandsOfChannelsArriveInOneModelChange) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "5000"});
  ASSERT_EQ(run.error(), "");
  auto& w = run.window();
  CListUI* list = w.findList("channellist");
  QSignalSpy inserted(list->model(), &QAbstractItemModel::rowsInserted);
  QSignalSpy reset(list->model(), &QAbstractItemModel::modelReset);
  run.configure();
  EXPECT_EQ(list->count(), 5000);
  EXPECT_EQ(inserted.count() + reset.count(), 1) << "the list filled in one model change";
  EXPECT_TRUE(list->view()->uniformItemSizes()) << "one row height: the view never measures each row";
  list->select(4999);
  EXPECT_TRUE(list->itemRect(4999).isValid()) << "selecting scrolls the row into view";
}

// The client over a stand-in service whose catalogue holds addresses that
// do not decode, with a recording player or the real one.
class UndecodableAddresses : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_ICMP();
    const std::string good = u8(EncodeChannelAddress(u"http://127.0.0.1:1/stream/good"));
    const std::string sneaky = u8(EncodeChannelAddress(u"fd://0"));
    auto channel = [](const std::string& id, const std::string& address) {
      return "<channel language=\"en\"><name>Channel " + id + "</name><id>" + id +
             "</id><status>1</status><vip>0</vip><lmk_address><item>" + address + "</item></lmk_address></channel>";
    };
    fake_.setCatalogue(test::catalogueXml(test::groupXml(
        "g1", "Group", channel("good", good) + channel("blank", "") + channel("junk", "zz-not-hex") +
                           channel("sneaky", sneaky))));
    config_ = std::make_unique<ConfigStore>(dir_.file("config.ini"), ValueCipher::Instance());
    service_ = std::make_unique<ServiceClient>(*config_);
    window_ = std::make_unique<test::PanelTestWindow>(*service_, *config_, test::programFolder());
    ASSERT_TRUE(window_->loaded());
    service_->Configure(u"1", &window_->target(), WM_CATALOGUE_LOADED, {fake_.base()});
    ASSERT_EQ(service_->catalogueLoaded(), 1);
    window_->channels().ShowCatalogueState();
  }
  void TearDown() override { window_.reset(); }

  test::TempDir dir_{"panels-address"};
  std::vector<test::RecordingPlayerControl::Call> calls_;  // outlives the window's player
  test::FakeService fake_;
  std::unique_ptr<ConfigStore> config_;
  std::unique_ptr<ServiceClient> service_;
  std::unique_ptr<test::PanelTestWindow> window_;
};

TEST_F(UndecodableAddresses, ThePlayerIsHandedAnAddressItCannotOpenAndTheMarksFollow) {
  std::vector<test::RecordingPlayerControl::Call>& calls = calls_;
  auto control = std::make_unique<test::RecordingPlayerControl>(&calls);
  control->readyAnswer = [](int) { return 1; };
  auto host = std::make_unique<PlayerHost>(std::move(control));
  host->StartPlayer({2, 25, 583, 500}, u"", u"/x/");
  window_->setPlayer(std::move(host));
  const std::vector<std::string> ids = window_->names("channellist");
  ASSERT_EQ(ids, (std::vector<std::string>{"good", "blank", "junk", "sneaky"}));
  for (int row = 0; row < 4; ++row) {
    calls.clear();
    window_->activate("channellist", row);
    std::vector<std::u16string> addresses;
    for (const auto& c : calls)
      if (c.id == PlayerControl::SetAddressId && !c.text.empty()) addresses.push_back(c.text);
    ASSERT_EQ(addresses.size(), 1u) << ids[row];
    EXPECT_EQ(u8(addresses[0]), row == 0 ? "http://127.0.0.1:1/stream/good" : u8(StreamAddress::Unopenable()))
        << ids[row];
    EXPECT_EQ(calls.back().id, PlayerControl::PlayId);
    EXPECT_EQ(window_->markedRow("channellist"), row);
    EXPECT_EQ(u8(window_->state().currentChannelId), ids[row]);
  }
}

TEST_F(UndecodableAddresses, TheRealPlayerSaysTheChannelCannotBeOpened) {
  std::setlocale(LC_NUMERIC, "C");
  MpvPlayer::Config config;
  config.renderVideo = false;
  config.audio = false;
  config.logoPage = false;
  config.settingsPath = QString::fromStdString(dir_.file("player.ini"));
  auto player = std::make_unique<MpvPlayer>(config);
  MpvPlayer* mpv = player.get();
  auto host = std::make_unique<PlayerHost>(std::move(player));
  ASSERT_TRUE(host->StartPlayer({0, 0, 320, 240}, u"", u"/nowhere/"));
  window_->setPlayer(std::move(host));
  for (int row : {1, 2, 3}) {
    window_->activate("channellist", row);
    ASSERT_TRUE(spinUntil([&] { return mpv->state() == MpvPlayer::State::Failed; }, 20000)) << row;
    EXPECT_EQ(mpv->errorText().toStdString(), "This channel cannot be opened.") << row;
  }
  // A stream that does not answer is the player's own failure, told as such.
  window_->activate("channellist", 0);
  ASSERT_TRUE(spinUntil([&] { return mpv->state() == MpvPlayer::State::Failed; }, 20000));
  EXPECT_EQ(mpv->errorText().toStdString(), "This channel cannot be reached right now.");
  EXPECT_EQ(window_->markedRow("channellist"), 0);
}

TEST(ChannelPlayback, TheRealPlayerPlaysADemoChannelAndReportsAStreamThatIsRefused) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is missing: the demo makes no streams";
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "2"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  std::setlocale(LC_NUMERIC, "C");
  MpvPlayer::Config config;
  config.renderVideo = false;
  config.audio = false;
  config.logoPage = false;
  config.settingsPath = QString::fromStdString(run.folder().file("player.ini"));
  auto player = std::make_unique<MpvPlayer>(config);
  MpvPlayer* mpv = player.get();
  auto host = std::make_unique<PlayerHost>(std::move(player));
  ASSERT_TRUE(host->StartPlayer({0, 0, 320, 240}, u"", u"/nowhere/"));
  auto& w = run.window();
  w.setPlayer(std::move(host));
  w.activate("channellist", 0);
  ASSERT_TRUE(spinUntil([&] { return mpv->estimatedFrameNumber() >= 3; }, 60000)) << mpv->errorText().toStdString();
  EXPECT_EQ(mpv->state(), MpvPlayer::State::Playing);
  EXPECT_EQ(mpv->address(), run.demo().base() + "/stream/" + w.names("channellist")[0]);
  EXPECT_EQ(mpv->channelName().toStdString(), w.texts("channellist")[0]);

  ASSERT_TRUE(run.faults("stream-404=1"));
  w.channels().PlayNeighbour(+1);
  ASSERT_TRUE(spinUntil([&] { return mpv->state() == MpvPlayer::State::Failed; }, 30000));
  EXPECT_FALSE(mpv->errorText().isEmpty());
  EXPECT_EQ(w.markedRow("channellist"), 1) << "the channel was handed to the player";
  EXPECT_EQ(w.state().channelListMark, 1);
}

TEST(ChannelPlayback, TheAdPaneOpensALocalPageFromTheProgramFolderOrAWebAddress) {
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "1"});
  ASSERT_EQ(run.error(), "");
  auto& w = run.window();
  SkinWebBrowser* pane = w.findWebBrowser("iewnd");
  ASSERT_NE(pane, nullptr);
  ConfigStore& config = run.config();

  // Nothing stored: the pane is left alone.
  ASSERT_TRUE(config.ReadValue(u"WEB_TV_AD_RIGHT", true).empty());
  w.channels().ShowRightAd();
  EXPECT_FALSE(pane->hasView());

  ASSERT_TRUE(config.WriteValue(u"WEB_TV_AD_RIGHT", u"100<EOF>Advertise\\Fix\\index.html"));
  w.channels().ShowRightAd();
  ASSERT_TRUE(pane->hasView());
  EXPECT_EQ(pane->view()->url(),
            QUrl::fromLocalFile(QString::fromStdString(test::programFolder() + "Advertise/Fix/index.html")));

  // The link form, sent as the ad updater does (from its thread, waiting).
  const std::string link = run.demo().base() + "/ADS/Link.html";
  ASSERT_TRUE(config.WriteValue(u"WEB_TV_AD_RIGHT", fromUtf8(link)));
  std::thread updater([&] { w.target().send(WM_AD_UPDATED, 0, 0); });
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_AD_UPDATED) == 1; }, 5000));
  updater.join();
  std::string lowered = link;
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return std::tolower(c); });
  EXPECT_EQ(pane->view()->url().toString().toStdString(), lowered);
}

}  // namespace
}  // namespace tembra
