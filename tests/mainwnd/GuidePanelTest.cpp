// The guide side of the main window against the demo operator service:
// the five lists' rows and item names, the no-programme notice, the
// waiting panel with its count-down and retry after failed and hanging
// downloads, and the playing channel's now-playing row.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <map>

#include <QSignalSpy>
#include <QTest>

#include "guide/ProgrammeGuide.h"
#include "mainwnd/GuidePanel.h"
#include "mainwnd/GuideRowText.h"
#include "mainwnd/MainLayout.h"
#include "mainwnd/PanelDemoRun.h"
#include "mainwnd/QtTestApp.h"
#include "platform/Utf.h"
#include "service/ServiceClient.h"
#include "skin/CListUI.h"
#include "skin/COptionUI.h"
#include "skin/CTabLayoutUI.h"
#include "skin/SkinListModel.h"
#include "splash/CPictureEx.h"

namespace tembra {
namespace {

using test::PanelDemoRun;
using test::PanelRect;
using test::PanelTestWindow;
using test::spinUntil;
using DayState = ProgrammeGuide::DayState;

std::string u8(std::u16string_view s) { return toUtf8(s); }

struct Expected {
  std::vector<std::string> texts, names;
};

// What the lists must read for the guide's rows: "name HH:MM title" named
// by channel, or "HH:MM title" without a name, the seconds kept only
// where two programmes of a day start in the same minute.
Expected channelRows(const std::vector<GuideRow>& rows) {
  Expected e;
  for (const GuideRow& r : rows) {
    e.texts.push_back(u8(r.name) + " " + u8(r.entry.starttime).substr(0, 5) + " " + u8(r.entry.title));
    e.names.push_back(u8(r.id));
  }
  return e;
}

Expected dayRows(const std::vector<GuideRow>& rows) {
  std::map<std::string, int> minutes;
  for (const GuideRow& r : rows) ++minutes[u8(r.entry.starttime).substr(0, 5)];
  Expected e;
  for (const GuideRow& r : rows) {
    const std::string time = u8(r.entry.starttime);
    e.texts.push_back((minutes[time.substr(0, 5)] > 1 ? time : time.substr(0, 5)) + " " + u8(r.entry.title));
    e.names.push_back("");
  }
  return e;
}

void expectRows(PanelTestWindow& w, const char* list, const Expected& e) {
  ASSERT_FALSE(e.texts.empty()) << list;
  EXPECT_EQ(w.texts(list), e.texts) << list;
  EXPECT_EQ(w.names(list), e.names) << list;
  EXPECT_TRUE(w.shown(list)) << list;
  EXPECT_FALSE(w.shown("noticeload")) << list;
  EXPECT_FALSE(w.shown("nonoticelist")) << list;
  EXPECT_FALSE(w.isTimerActive(2)) << list;
  const CListUI* l = w.findList(QString::fromLatin1(list));
  for (int i = 0; i < l->count(); ++i) {
    ASSERT_EQ(l->item(i)->tooltip, l->item(i)->text) << list;
    ASSERT_EQ(l->item(i)->maxHeight, 29) << list;
    ASSERT_EQ(l->item(i)->maxWidth, 220) << list;
  }
}

// The waiting panel stands over the list, which is hidden.
void expectWaiting(PanelTestWindow& w, const char* list) {
  EXPECT_TRUE(w.shown("noticeload")) << list;
  EXPECT_FALSE(w.shown(list)) << list;
  EXPECT_TRUE(w.isTimerActive(2)) << list;
  EXPECT_FALSE(w.shown("nonoticelist")) << list;
  EXPECT_FALSE(!w.guideLoadingPicture()->isHidden()) << list;
  EXPECT_EQ(PanelRect(w, "noticeload"), MainLayout::guideIndicator(list, PanelRect(w, list)).noticeload) << list;
}

void expectNoProgramme(PanelTestWindow& w, const char* list) {
  EXPECT_TRUE(w.shown("nonoticelist")) << list;
  EXPECT_TRUE(w.texts(list).empty()) << list;
  EXPECT_FALSE(w.shown("noticeload")) << list;
  EXPECT_FALSE(w.isTimerActive(2)) << list;
  EXPECT_EQ(PanelRect(w, "nonoticelist"), MainLayout::guideIndicator(list, PanelRect(w, list)).nonoticelist) << list;
}

bool pictureUp(PanelTestWindow& w) { return !w.guideLoadingPicture()->isHidden(); }

std::string timerText(int n) { return "Loading failed, retrying in " + std::to_string(n) + " s"; }

// A user's click on a page option.
void clickOption(PanelTestWindow& w, const char* option) {
  QTest::mouseClick(w.findOption(QString::fromLatin1(option)), Qt::LeftButton);
}

int guidePage(PanelTestWindow& w) { return w.findTabLayout("guidetab")->currentPage(); }
int dayPage(PanelTestWindow& w) { return w.findTabLayout("tvswitch")->currentPage(); }

TEST(GuidePanelDemo, TheFiveListsShowTheGuidesRowsWithTheirTextsAndNames) {
  PanelDemoRun run({"--groups", "2", "--channels-per-group", "4"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  ProgrammeGuide& guide = run.makeLoadedGuide();
  ASSERT_EQ(guide.GetDayState(2), DayState::Loaded);
  auto& w = run.window();
  EXPECT_EQ(guidePage(w), 1) << "the layout opens on the now-playing page";

  w.guidePanel().ShowNowPlaying(true);
  std::vector<GuideRow> rows;
  ASSERT_EQ(guide.GetNowPlaying(rows, true), ProgrammeGuide::kRows);
  expectRows(w, "playinglist", channelRows(rows));

  clickOption(w, "guideplay");
  EXPECT_EQ(guidePage(w), 2);
  rows.clear();
  ASSERT_EQ(guide.GetUpcoming(rows, true), ProgrammeGuide::kRows);
  expectRows(w, "playlist", channelRows(rows));
  EXPECT_EQ(rows.size(), 8u) << "every channel has a programme to come";

  // A click on a channel opens its days, today first.
  const std::string id = w.names("channellist")[1];
  const std::string name = w.texts("channellist")[1];
  w.click("channellist", 1);
  EXPECT_EQ(guidePage(w), 0);
  EXPECT_EQ(dayPage(w), 0);
  EXPECT_EQ(w.text("channelname"), name);
  EXPECT_EQ(w.findControl("channelname")->toolTip().toStdString(), name);
  EXPECT_FALSE(w.findOption("guideplaying")->isSelected());
  EXPECT_FALSE(w.findOption("guideplay")->isSelected());
  EXPECT_EQ(u8(w.state().guideChannelId), id);
  const char* lists[] = {"firstdaylist", "seconddaylist", "thirddaylist"};
  const char* options[] = {"guidefirstday", "guidesecondday", "guidethirdday"};
  for (int day : {0, 1, 2, 0}) {
    if (day != 0 || dayPage(w) != 0) clickOption(w, options[day]);
    EXPECT_EQ(dayPage(w), day);
    rows.clear();
    ASSERT_EQ(guide.GetDayList(day, fromUtf8(id), rows, true), ProgrammeGuide::kRows);
    expectRows(w, lists[day], dayRows(rows));
    for (const GuideChannelDay& channel : guide.dayList(day)->channels()) {
      if (u8(channel.id) == id) {
        EXPECT_EQ(w.texts(lists[day]).size(), channel.entries.size()) << "every programme";
      }
    }
  }

  clickOption(w, "guideplaying");
  EXPECT_EQ(guidePage(w), 1);
  EXPECT_TRUE(w.shown("playinglist"));
}

// A channel's days as the operator's guide gives them (start times only):
// the options carry their dates, today's list marks the one programme whose
// span holds the clock and shows it.
TEST(GuidePanelDemo, TheDayOptionsReadTheirDatesAndTodayOpensAtTheProgrammeOnNow) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "3", "--programmes-per-day", "40"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  run.makeLoadedGuide();
  auto& w = run.window();
  ASSERT_NE(w.source().guide(), nullptr);
  GuideSource& guide = *w.source().guide();
  // The guide's clock stands at noon of its day; the panel reads the same.
  const LocalTime noon = test::PanelGuideNoon();
  std::tm fields{};
  fields.tm_year = noon.year - 1900;
  fields.tm_mon = noon.month - 1;
  fields.tm_mday = noon.day;
  fields.tm_hour = noon.hour;
  fields.tm_min = noon.minute;
  fields.tm_isdst = -1;
  const int64_t now = static_cast<int64_t>(std::mktime(&fields));
  w.guidePanel().setClock([now] { return now; });
  w.click("channellist", 0);
  EXPECT_EQ(w.findOption("guidefirstday")->text().toStdString(), "Today");
  EXPECT_EQ(w.findOption("guidesecondday")->text().toStdU16String(), GuideRowText::DayOption(guide.dayStart(1), now));
  EXPECT_EQ(w.findOption("guidethirdday")->text().toStdU16String(), GuideRowText::DayOption(guide.dayStart(2), now));
  EXPECT_NE(w.findOption("guidesecondday")->text(), QStringLiteral("Tomorrow"));

  std::vector<GuideProgramme> programmes;
  ASSERT_EQ(guide.GetDayProgrammes(0, w.state().guideChannelId, programmes, true), GuideSource::kRows);
  const auto on = std::find_if(programmes.begin(), programmes.end(),
                               [&](const GuideProgramme& p) { return p.start <= now && now < p.stop; });
  ASSERT_NE(on, programmes.end()) << "the demo's day covers the clock";
  const CListUI* list = w.findList(QStringLiteral("firstdaylist"));
  std::vector<int> marked;
  for (int i = 0; i < list->count(); ++i)
    if (!list->item(i)->markerImage.isEmpty()) marked.push_back(i);
  ASSERT_EQ(marked.size(), 1u);
  EXPECT_EQ(list->item(marked[0])->text.toStdU16String().substr(6), on->entry.title);
  QTest::qWait(10);
  EXPECT_TRUE(list->itemRect(marked[0]).isValid()) << "in view";
  if (marked[0] > 0) {
    EXPECT_TRUE(list->itemRect(marked[0] - 1).isValid()) << "after the one before it";
  }
}

TEST(GuidePanelDemo, NoChannelPickedOrAChannelWithoutProgrammesShowsTheNotice) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "3", "--missing-from-guide", "1"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  run.makeLoadedGuide();
  auto& w = run.window();
  w.guidePanel().ShowGuidePage(GuidePage::FirstDay);
  EXPECT_EQ(guidePage(w), 0);
  expectNoProgramme(w, "firstdaylist");
  w.guidePanel().ShowGuidePage(GuidePage::ThirdDay);
  expectNoProgramme(w, "thirddaylist");

  // The last channel has no guide at all.
  w.click("channellist", 2);
  expectNoProgramme(w, "thirddaylist");
  w.click("channellist", 0);
  EXPECT_FALSE(w.shown("nonoticelist"));
  EXPECT_FALSE(w.texts("thirddaylist").empty());
}

TEST(GuidePanelDemo, ADayThatDownloadedEmptyShowsTheNoticeAndIsNotAskedForAgain) {
  // No channel of the catalogue has a guide: a whole reply without channels.
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "3", "--missing-from-guide", "3"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  ProgrammeGuide& guide = run.makeLoadedGuide();
  ASSERT_EQ(guide.GetDayState(0), DayState::Empty);
  auto& w = run.window();
  w.guidePanel().ShowNowPlaying(true);
  expectNoProgramme(w, "playinglist");
  EXPECT_EQ(w.text("nonoticelist"), "No programme guide");
  EXPECT_TRUE(w.shown("playinglist")) << "an empty list is left as it was";
  w.guidePanel().RetryGuidePage();
  expectNoProgramme(w, "playinglist");
  EXPECT_FALSE(pictureUp(w)) << "nothing was asked for, so nothing is awaited";
  EXPECT_FALSE(guide.downloadRunning());
}

// A day over the reply cap is not a wait that retries forever: the notice
// says why (the operator's window has no details pane to say it), and only
// the viewer asking again downloads it again.
TEST(GuidePanelDemo, ADayTooLargeToLoadSaysSoAndIsNotRetriedByItself) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "3"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  ProgrammeGuide& guide = run.makeGuide(2000, false, 512);
  EXPECT_FALSE(guide.Download(0));
  ASSERT_EQ(guide.GetDayState(0), DayState::TooLarge);
  auto& w = run.window();
  // The re-query the download's end message makes.
  w.guidePanel().ShowNowPlaying(false);
  expectNoProgramme(w, "playinglist");
  EXPECT_EQ(w.text("nonoticelist"), "Guide too large");
  EXPECT_NE(w.findControl(QStringLiteral("nonoticelist"))->toolTip().indexOf(QStringLiteral("too large")), -1);
  EXPECT_FALSE(guide.downloadRunning());
  // The viewer choosing the list again waits for a new try.
  w.guidePanel().ShowNowPlaying(true);
  expectWaiting(w, "playinglist");
}

// What the window looked like when the loading picture came up.
struct PictureWatch : QObject {
  explicit PictureWatch(PanelTestWindow& window) : w(window) { w.guideLoadingPicture()->installEventFilter(this); }
  ~PictureWatch() override { w.guideLoadingPicture()->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      ++shows;
      panelShown = w.shown("noticeload");
      timerActive = w.isTimerActive(2);
      rect = PanelRect(*w.guideLoadingPicture());
    }
    return false;
  }
  PanelTestWindow& w;
  int shows = 0;
  bool panelShown = true;
  bool timerActive = true;
  PixelRect rect;
};

// The waiting panel over a list after a failed download: ten texts, the
// retry with the loading picture until the download's message, and the
// panel again when that download failed too.
void failAndRetry(PanelDemoRun& run, const char* list, uint32_t message) {
  auto& w = run.window();
  expectWaiting(w, list);
  // The wait began at 10 (a tick may have passed since).
  const int left = w.state().guideCountdown;
  ASSERT_GE(left, 0);
  EXPECT_EQ(w.text("noticeloadtime"), timerText(left + 1)) << list;
  w.clearTicks();
  const int before = w.handledCount(message);
  // A download refused at once may end the picture within the same turn of
  // the event loop that showed it: the window is looked at as it shows.
  PictureWatch watch(w);
  ASSERT_TRUE(spinUntil([&] { return watch.shows > 0; }, 20000)) << list;
  // ... 2, 1 a tick apart; the tick after 1 retries, whose own wait starts
  // at 10 and gives way to the picture at once.
  std::vector<std::string> expected;
  for (int n = left; n >= 1; --n) expected.push_back(timerText(n));
  expected.push_back(timerText(10));
  EXPECT_EQ(w.tickTexts(2), expected) << list;
  EXPECT_FALSE(watch.panelShown);
  EXPECT_FALSE(watch.timerActive);
  EXPECT_EQ(watch.rect, MainLayout::retryPicture(PanelRect(w, "noticeload"))) << list;
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(message) == before + 1; }, 30000)) << list;
  EXPECT_FALSE(pictureUp(w));
  expectWaiting(w, list);
}

TEST(GuidePanelDemo, EachListWaitsAfterAFailedDownloadAndRetriesUntilItLoads) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "3", "--fault", "guide-404"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  ProgrammeGuide& guide = run.makeLoadedGuide();
  ASSERT_EQ(guide.GetDayState(0), DayState::NotLoaded);
  auto& w = run.window();

  // Start-up after a failed creation download.
  w.guidePanel().ShowNowPlaying(true);
  EXPECT_EQ(w.text("noticeloadtime"), timerText(10));
  EXPECT_EQ(w.state().guideCountdown, 9);
  failAndRetry(run, "playinglist", WM_GUIDE_NOWPLAYING);

  clickOption(w, "guideplay");
  failAndRetry(run, "playlist", WM_GUIDE_UPCOMING);

  // A channel's days: its click asks for today at once.
  w.click("channellist", 0);
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_GUIDE_FIRSTDAY) == 1; }, 30000));
  failAndRetry(run, "firstdaylist", WM_GUIDE_FIRSTDAY);
  clickOption(w, "guidesecondday");
  failAndRetry(run, "seconddaylist", WM_GUIDE_SECONDDAY);
  clickOption(w, "guidethirdday");
  failAndRetry(run, "thirddaylist", WM_GUIDE_THIRDDAY);

  // The service answers again: the next retry brings the day.
  ASSERT_TRUE(run.faults("guide-404=0"));
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_GUIDE_THIRDDAY) == 2; }, 30000));
  std::vector<GuideRow> rows;
  ASSERT_EQ(guide.GetDayList(2, w.state().guideChannelId, rows, true), ProgrammeGuide::kRows);
  expectRows(w, "thirddaylist", dayRows(rows));
  EXPECT_FALSE(pictureUp(w));
  // Today comes with the first day page's own retry.
  clickOption(w, "guidefirstday");
  expectWaiting(w, "firstdaylist");
  ASSERT_TRUE(spinUntil([&] { return !w.texts("firstdaylist").empty(); }, 30000));
  EXPECT_FALSE(w.shown("noticeload"));
}

TEST(GuidePanelDemo, TheRetryButtonRetriesAtOnce) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "2", "--fault", "guide-404"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  run.makeLoadedGuide();
  auto& w = run.window();
  w.guidePanel().ShowNowPlaying(true);
  ASSERT_TRUE(spinUntil([&] { return w.state().guideCountdown <= 6; }, 5000));
  ASSERT_TRUE(run.faults("guide-404=0"));
  QTest::mouseClick(w.findControl("noticeloadbtn"), Qt::LeftButton);
  EXPECT_TRUE(pictureUp(w));
  EXPECT_FALSE(w.shown("noticeload"));
  EXPECT_FALSE(w.isTimerActive(2));
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_GUIDE_NOWPLAYING) == 1; }, 30000));
  EXPECT_FALSE(pictureUp(w));
  EXPECT_FALSE(w.texts("playinglist").empty());
  EXPECT_TRUE(w.shown("playinglist"));
}

TEST(GuidePanelDemo, AHangingDownloadNeverHoldsTheWindowAndEndsInTheWaitingPanel) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "2", "--hang-seconds", "30", "--fault", "hang-guide"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  ProgrammeGuide& guide = run.makeGuide(1500);
  ASSERT_EQ(guide.GetDayState(0), DayState::NotLoaded) << "the creation download stalled and was given up";
  auto& w = run.window();
  // Slow ticks: only the retry button retries here.
  w.guidePanel().setTickInterval(10000);
  w.guidePanel().ShowNowPlaying(true);
  expectWaiting(w, "playinglist");
  QTest::mouseClick(w.findControl("noticeloadbtn"), Qt::LeftButton);
  ASSERT_TRUE(pictureUp(w));
  ASSERT_TRUE(guide.downloadRunning());
  // While that download hangs the window goes on: pages switch and show
  // what is loaded, at once.
  clickOption(w, "guideplay");
  EXPECT_TRUE(guide.downloadRunning()) << "the switch did not wait for the download";
  expectWaiting(w, "playlist");
  clickOption(w, "guideplaying");
  EXPECT_TRUE(guide.downloadRunning());
  expectWaiting(w, "playinglist");
  // The stalled download is given up and the page waits to retry.
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_GUIDE_NOWPLAYING) == 1; }, 30000));
  expectWaiting(w, "playinglist");
}

}  // namespace
}  // namespace tembra
