// Pausing, seeking, the archive and recordings in the main window, offscreen,
// over a player component fake that keeps a transport state the test sets,
// and a source whose channel 1 has an archive and channel 2 none.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "guidegrid/GridModel.h"
#include "guidegrid/GuideGridView.h"
#include "guidegrid/GuideGridWidget.h"
#include "mainwnd/ChannelPanel.h"
#include "mainwnd/ElidedLabel.h"
#include "mainwnd/FakeChannelSource.h"
#include "mainwnd/GuideGridHost.h"
#include "mainwnd/GuidePanel.h"
#include "mainwnd/MainWindowTestKit.h"
#include "mainwnd/PlaybackTransport.h"
#include "mainwnd/TransportBar.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/QuestionDlg.h"
#include "platform/Utf.h"
#include "skin/CListUI.h"
#include "skin/SkinListModel.h"
#include "skin/SkinListView.h"
#include "source/GuideSource.h"

namespace tembra {
namespace {

int64_t now() { return static_cast<int64_t>(std::time(nullptr)); }

std::u16string local(int64_t utc, const char* format) {
  const auto t = static_cast<std::time_t>(utc);
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, format, &tm);
  return fromUtf8(text);
}

// Today's list of any channel: one programme that is over, the one on now
// (begun up to an hour ago) and the next (in up to an hour), in whole
// minutes. A day list is dated by its last programme and the grid shows
// that day from its midnight, so all three begin today; within a few
// minutes of midnight that cannot be, and the list waits until it can.
class DayGuide : public GuideSource {
 public:
  DayGuide() {
    int64_t t = now();
    while (t - GuideSource::localMidnight(t) < 180 || GuideSource::localMidnight(t, 1) - t < 90) {
      std::this_thread::sleep_for(std::chrono::seconds(10));
      t = now();
    }
    const int64_t minute = t / 60 * 60, today = GuideSource::localMidnight(t);
    const int64_t onNow = std::max(minute - 3600, today + 120);
    starts = {std::max(onNow - 2 * 3600, today), onNow, std::min(minute + 3600, GuideSource::localMidnight(t, 1) - 60)};
  }
  int32_t GetNowPlaying(std::vector<GuideRow>&, bool) override { return kNothing; }
  int32_t GetUpcoming(std::vector<GuideRow>&, bool) override { return kNothing; }
  int32_t GetDayList(int day, std::u16string_view id, std::vector<GuideRow>& rows, bool) override {
    if (day != 0) return kNothing;
    for (size_t i = 0; i < starts.size(); ++i) {
      GuideRow r;
      r.id = std::u16string(id);
      r.entry.title = u"Show " + fromUtf8(std::to_string(i));
      r.entry.startdate = local(starts[i], "%Y-%m-%d");
      r.entry.starttime = local(starts[i], "%H:%M:%S");
      rows.push_back(r);
    }
    return kRows;
  }
  DayState GetDayState(int) const override { return DayState::Loaded; }
  bool downloadRunning() const override { return false; }
  std::vector<int64_t> starts;
};

// Channels "1" (three days of archive) and "2" (none) in one group, with
// today's list of DayGuide; live streams under /live/.
class ArchiveSource : public test::FakeChannelSource {
 public:
  explicit ArchiveSource(std::shared_ptr<DayGuide> day = std::make_shared<DayGuide>())
      : FakeChannelSource({{u"g", u"All"}},
                          {{u"1", u"News/1", u"g", std::nullopt, "", 3}, {u"2", u"News/2", u"g", std::nullopt, "", std::nullopt}},
                          day, u"http://127.0.0.1:1/live/"),
        day_(std::move(day)) {}
  std::optional<StreamRequest> catchupFor(std::u16string_view id, int64_t start, int64_t stop) const override {
    const SourceChannelRef c = findChannel(id);
    if (!c || !c->catchupDays) return std::nullopt;
    return StreamRequest{u"http://127.0.0.1:1/archive/" + std::u16string(id) + u"?from=" +
                             fromUtf8(std::to_string(start)) + u"&to=" + fromUtf8(std::to_string(stop)),
                         c->name, {}, {}};
  }
  const DayGuide& dayGuide() const { return *day_; }

 private:
  std::shared_ptr<DayGuide> day_;
};

// The fake player with a transport: what the test sets is what it reports.
class TransportPlayer : public test::FakePlayerControl {
 public:
  Transport state;
  bool paused = false;
  std::vector<double> seeks;
  std::string recordingTo;
  std::vector<std::string> recordings;

  void Play() override { paused = false, recordingTo.clear(); }
  void SetPaused(bool p) override { paused = p; }
  bool IsPaused() const override { return paused; }
  Transport TransportState() const override { return state; }
  void SeekTo(double position) override {
    seeks.push_back(position);
    state.position = position;
  }
  bool StartRecording(const std::string& path) override {
    if (!state.open) return false;
    recordingTo = path;
    recordings.push_back(path);
    std::ofstream(path) << std::string(2048, 'x');
    return true;
  }
  void StopRecording() override { recordingTo.clear(); }
  bool IsRecording() const override { return !recordingTo.empty(); }
};

class TransportInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TembraPlayerWnd::Setup s = kit.setup();
    source_ = std::make_shared<ArchiveSource>();
    s.source = source_;
    s.sourceId = "7";
    s.recordingsFolder = kit.dir.file("Videos/Tembra Player");
    s.recordingScheduleFile = kit.dir.file("window-recordings.list");
    s.makePlayer = [this]() -> std::unique_ptr<PlayerControl> {
      auto p = std::make_unique<TransportPlayer>();
      player_ = p.get();
      return p;
    };
    ASSERT_TRUE(kit.open(std::move(s)));
    ASSERT_NE(player_, nullptr);
    wnd().show();
    QApplication::setActiveWindow(&wnd());
    test::spinUntil([&] { return QApplication::activeWindow() == &wnd(); }, 2000);
  }
  TembraPlayerWnd& wnd() { return *kit.window; }
  PlaybackTransport& transport() { return *wnd().transport(); }
  std::vector<std::u16string>& addresses() { return player_->addresses; }
  bool key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, k, m);
    return transport().handleKey(&e);
  }
  void playLive(const std::u16string& id) {
    wnd().state().currentChannelId = id;
    ASSERT_TRUE(wnd().channels().PlayChannel(id));
    player_->state = {true, 90, 0, 100, 0, true};
    transport().refresh();
  }
  // Answers the next question that opens with yes or no; the texts asked.
  void answerNext(bool yes) {
    QTimer::singleShot(50, [this, yes] {
      if (QuestionDlg* q = QuestionDlg::open()) {
        asked_.push_back(q->text().toStdString());
        q->answer(yes);
      }
    });
  }

  // Opens the right-click menu of a first-day row, reads its entries
  // ("text" or "text (off)") and chooses the one named `choose`, if any.
  std::vector<std::string> rowMenu(int row, const QString& choose = {}) {
    std::vector<std::string> seen;
    bool read = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr || read) return;
      read = true;
      QAction* chosen = nullptr;
      for (QAction* a : menu->actions()) {
        seen.push_back(a->text().toStdString() + (a->isEnabled() ? "" : " (off)"));
        if (!choose.isEmpty() && a->text() == choose) chosen = a;
      }
      menu->close();
      if (chosen != nullptr) chosen->trigger();
    });
    poll.start();
    wnd().guidePanel().OpenRowMenu(GuidePage::FirstDay, row, wnd().mapToGlobal(QPoint(700, 200)), {});
    return seen;
  }
  // Pixels of the record mark's red in a row of a list as it paints now.
  static int redPixels(CListUI& list, int row) {
    SkinListView* view = list.view();
    const QRect rect = view->visualRect(list.model()->index(row, 0));
    const QImage image = view->viewport()->grab(rect).toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
      }
    return red;
  }

  test::WindowUnderTest kit;
  std::shared_ptr<ArchiveSource> source_;
  TransportPlayer* player_ = nullptr;
  std::vector<std::string> asked_;
};

TEST_F(TransportInWindow, KeysPauseAndSeekWithinWhatWasReceivedAndLiveGoesToTheNewest) {
  ASSERT_NO_FATAL_FAILURE(playLive(u"2"));
  struct Step {
    int key;
    Qt::KeyboardModifiers mods;
    double position;  // after the key
  } steps[] = {
      {Qt::Key_Left, Qt::NoModifier, 80},  {Qt::Key_Left, Qt::ShiftModifier, 20}, {Qt::Key_Left, Qt::NoModifier, 10},
      {Qt::Key_Left, Qt::NoModifier, 0},   {Qt::Key_Left, Qt::NoModifier, 0},      {Qt::Key_Right, Qt::ShiftModifier, 60},
      {Qt::Key_Right, Qt::ShiftModifier, 100},
  };
  for (const Step& s : steps) {
    EXPECT_TRUE(key(s.key, s.mods));
    EXPECT_DOUBLE_EQ(player_->state.position, s.position) << "after key " << s.key;
  }
  EXPECT_TRUE(key(Qt::Key_Space));
  EXPECT_TRUE(player_->paused);
  player_->state.position = 40;
  transport().refresh();
  EXPECT_TRUE(transport().bar()->isVisible()) << "a pause keeps the bar up";
  EXPECT_EQ(transport().bar()->behindLabel()->text(), QStringLiteral("Behind live by 01:00"));
  EXPECT_TRUE(transport().bar()->liveButton()->isVisibleTo(transport().bar()));
  transport().bar()->liveButton()->click();
  EXPECT_DOUBLE_EQ(player_->state.position, 100) << "the newest second received";
  EXPECT_FALSE(player_->paused);
  transport().refresh();
  EXPECT_TRUE(transport().bar()->behindLabel()->isHidden());

  // Typing in a text field keeps its keys.
  QLineEdit edit(&wnd());
  edit.show();
  edit.setFocus();
  test::spinUntil([&] { return edit.hasFocus(); }, 1000);
  if (edit.hasFocus()) {
    EXPECT_FALSE(key(Qt::Key_Space));
    EXPECT_FALSE(player_->paused);
  }
  EXPECT_FALSE(key(Qt::Key_Left, Qt::ControlModifier)) << "not with Ctrl";
}

TEST_F(TransportInWindow, APastProgrammePlaysFromTheArchiveAndASeekPastTheStreamAsksItAgain) {
  ASSERT_NO_FATAL_FAILURE(playLive(u"1"));
  const int64_t start = now() - 3600, stop = now() - 600;
  EXPECT_FALSE(transport().playArchive(u"2", u"Nope", start, stop)) << "no archive";
  EXPECT_FALSE(transport().playArchive(u"1", u"Later", now() + 60, now() + 600)) << "not begun";
  EXPECT_FALSE(transport().archive());
  ASSERT_TRUE(transport().playArchive(u"1", u"Evening News", start, stop));
  EXPECT_EQ(toUtf8(addresses().back()), "http://127.0.0.1:1/archive/1?from=" + std::to_string(start) + "&to=" +
                                            std::to_string(stop));
  // The stream from the programme's start, with 600 s of it seekable.
  player_->state = {true, 30, 0, 600, 0, true};
  transport().refresh();
  EXPECT_TRUE(transport().bar()->isVisible());
  EXPECT_EQ(transport().bar()->titleLabel()->text(), QStringLiteral("Evening News"));
  EXPECT_EQ(transport().bar()->timeLabel()->text(), QStringLiteral("00:30 / 50:00"));
  EXPECT_TRUE(key(Qt::Key_Right));
  EXPECT_DOUBLE_EQ(player_->seeks.back(), 40) << "within the stream: a seek";

  const size_t opened = addresses().size();
  transport().seekToShare(0.5);  // 1500 s in: beyond what the stream can seek to
  ASSERT_EQ(addresses().size(), opened + 1) << "asked again from there";
  EXPECT_EQ(toUtf8(addresses().back()), "http://127.0.0.1:1/archive/1?from=" + std::to_string(start + 1500) +
                                            "&to=" + std::to_string(stop));
  player_->state = {true, 12, 0, 100, 0, true};
  transport().refresh();
  EXPECT_EQ(transport().bar()->timeLabel()->text(), QStringLiteral("25:12 / 50:00")) << "counted from the programme";

  // While the archive is recorded, asking it again would end the recording: asked first.
  ASSERT_TRUE(transport().startRecording());
  answerNext(false);
  transport().seekToShare(0.9);
  EXPECT_EQ(addresses().size(), opened + 1) << "kept";
  EXPECT_TRUE(transport().recording());
  answerNext(true);
  transport().goLive();
  EXPECT_FALSE(transport().archive());
  EXPECT_FALSE(transport().recording());
  EXPECT_EQ(addresses().back(), u"http://127.0.0.1:1/live/1");
  EXPECT_EQ(asked_.size(), 2u);
}

TEST_F(TransportInWindow, DayListsMarkWhatTheArchivePlaysAndADoubleClickPlaysIt) {
  wnd().guidePanel().OpenChannelGuide(u"1", u"News/1");
  CListUI* day = wnd().findList(QStringLiteral("firstdaylist"));
  ASSERT_NE(day, nullptr);
  ASSERT_EQ(day->count(), 3);
  EXPECT_TRUE(day->item(0)->playable);
  EXPECT_TRUE(day->item(1)->playable);
  EXPECT_FALSE(day->item(2)->playable) << "still to come";
  EXPECT_FALSE(day->item(0)->markerImage.isEmpty());
  const std::optional<GuidePanel::Programme> p = wnd().guidePanel().programmeAt(GuidePage::FirstDay, 1);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->start, source_->dayGuide().starts[1]);
  EXPECT_EQ(p->stop, source_->dayGuide().starts[2]);

  day->select(1);
  SkinNotification dbl;
  dbl.type = QStringLiteral("itemdoubleclick");
  dbl.senderName = QStringLiteral("firstdaylist");
  dbl.sender = day;
  dbl.item = 1;
  wnd().notify(dbl);
  EXPECT_TRUE(transport().archive());
  EXPECT_EQ(toUtf8(addresses().back()), "http://127.0.0.1:1/archive/1?from=" + std::to_string(p->start) + "&to=" +
                                            std::to_string(p->stop));

  // A channel without an archive marks nothing and plays nothing.
  transport().goLive();
  wnd().guidePanel().OpenChannelGuide(u"2", u"News/2");
  ASSERT_EQ(day->count(), 3);
  EXPECT_FALSE(day->item(0)->playable);
  const size_t opened = addresses().size();
  day->select(0);
  EXPECT_FALSE(wnd().guidePanel().PlayPastProgramme(GuidePage::FirstDay));
  EXPECT_EQ(addresses().size(), opened);
}

TEST_F(TransportInWindow, RecordingsGoToTheFolderAndAZapAsksFirst) {
  ASSERT_NO_FATAL_FAILURE(playLive(u"1"));
  // The folder is set by the window's own transport; one of the test's.
  const std::string folder = kit.dir.file("Videos/Tembra Player");
  PlaybackTransport own(wnd(), kit.dir.file("recordings.list"), folder);
  own.channelPlayed(u"1", u"News/1");
  ASSERT_TRUE(own.startRecording());
  ASSERT_EQ(player_->recordings.size(), 1u);
  const std::string path = player_->recordings.back();
  EXPECT_EQ(path.rfind(folder + "/News 1 - ", 0), 0u) << path;
  EXPECT_EQ(path.substr(path.size() - 3), ".ts");
  own.refresh();
  EXPECT_EQ(own.view().recordingText, QStringLiteral("REC 2 KB"));

  // The window's transport is another one; this one asks on its own zap.
  answerNext(false);
  EXPECT_FALSE(own.confirmLeave(PlaybackTransport::Leave::Switch));
  EXPECT_TRUE(own.recording()) << "kept";
  ASSERT_EQ(asked_.size(), 1u);
  answerNext(true);
  EXPECT_TRUE(own.confirmLeave(PlaybackTransport::Leave::Close));
  EXPECT_FALSE(own.recording());
  EXPECT_TRUE(player_->recordingTo.empty());
  ASSERT_EQ(asked_.size(), 2u);
  EXPECT_NE(asked_[1].find("close"), std::string::npos);

  // The same minute again: a new file beside the first.
  ASSERT_TRUE(own.startRecording());
  EXPECT_NE(player_->recordings.back(), path);
  EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(TransportInWindow, AZapWhileRecordingIsAskedAboutAndRefusedKeepsTheChannel) {
  ASSERT_NO_FATAL_FAILURE(playLive(u"1"));
  PlaybackTransport& t = transport();
  ASSERT_TRUE(t.startRecording());
  const size_t opened = addresses().size();
  answerNext(false);
  EXPECT_FALSE(wnd().channels().PlayChannel(u"2"));
  EXPECT_EQ(addresses().size(), opened) << "nothing else plays";
  EXPECT_TRUE(t.recording());
  answerNext(true);
  EXPECT_TRUE(wnd().channels().PlayChannel(u"2"));
  EXPECT_EQ(addresses().back(), u"http://127.0.0.1:1/live/2");
  EXPECT_FALSE(t.recording());
  ASSERT_EQ(asked_.size(), 2u);
}

TEST_F(TransportInWindow, AProgrammeToComeIsScheduledKeptAndRecordedWhenDue) {
  const std::string file = kit.dir.file("recordings.list");
  const std::string folder = kit.dir.file("rec");
  {
    PlaybackTransport own(wnd(), file, folder);
    EXPECT_FALSE(own.toggleScheduled(u"1", u"News/1", u"Past", now() - 600, now() - 60)) << "begun already";
    EXPECT_TRUE(own.toggleScheduled(u"1", u"News/1", u"Late Show", now() + 7200, now() + 9000));
    EXPECT_TRUE(own.toggleScheduled(u"2", u"News/2", u"Soon", now() + 30, now() + 600));
    EXPECT_TRUE(own.toggleScheduled(u"1", u"News/1", u"Late Show", now() + 7200, now() + 9000)) << "cancelled";
  }
  PlaybackTransport again(wnd(), file, folder);
  ASSERT_EQ(again.schedule().entries().size(), 1u) << "kept across a restart";
  const RecordingSchedule::Entry& e = again.schedule().entries()[0];
  EXPECT_EQ(e.title, "Soon");
  EXPECT_EQ(e.sourceId, "7");
  // Due within its minute of lead: its channel plays and is recorded.
  player_->state = {true, 0, 0, 0, 0, false};
  again.checkSchedule();
  EXPECT_EQ(addresses().back(), u"http://127.0.0.1:1/live/2");
  EXPECT_TRUE(again.recording());
  EXPECT_EQ(again.recordingPath().rfind(folder + "/News 2 - ", 0), 0u);
}

TEST_F(TransportInWindow, TheRowMenuSchedulesAProgrammeToComeAndTheDayListMarksItUntilCancelled) {
  wnd().guidePanel().OpenChannelGuide(u"1", u"News/1");
  CListUI* day = wnd().findList(QStringLiteral("firstdaylist"));
  ASSERT_NE(day, nullptr);
  ASSERT_EQ(day->count(), 3);
  const int64_t start = source_->dayGuide().starts[2];
  QApplication::processEvents();
  ASSERT_EQ(redPixels(*day, 2), 0) << "nothing scheduled yet";

  EXPECT_EQ(rowMenu(0), (std::vector<std::string>{"Play", "Show details", "Play from the archive"}))
      << "a programme that is over cannot be recorded";
  EXPECT_EQ(rowMenu(2, QStringLiteral("&Record")), (std::vector<std::string>{"Play", "Show details", "&Record"}));
  ASSERT_TRUE(transport().isScheduled(u"1", start));
  std::stringstream file;
  file << std::ifstream(kit.dir.file("window-recordings.list")).rdbuf();
  EXPECT_NE(file.str().find("\t1\tNews/1\tShow 2"), std::string::npos) << "kept in the file:\n" << file.str();
  const std::vector<RecordingSchedule::Entry>& entries = transport().schedule().entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_GT(entries[0].stop, start);
  QApplication::processEvents();
  EXPECT_GT(redPixels(*day, 2), 20) << "the scheduled row carries the mark";
  EXPECT_EQ(redPixels(*day, 1), 0);
  EXPECT_EQ(redPixels(*day, 0), 0);

  // Another channel's list of the same times marks nothing.
  wnd().guidePanel().OpenChannelGuide(u"2", u"News/2");
  QApplication::processEvents();
  EXPECT_EQ(redPixels(*day, 2), 0) << "the mark is the channel's";
  wnd().guidePanel().OpenChannelGuide(u"1", u"News/1");
  QApplication::processEvents();
  EXPECT_GT(redPixels(*day, 2), 20) << "and comes back with a refill";

  EXPECT_EQ(rowMenu(2, QStringLiteral("Cancel &recording")),
            (std::vector<std::string>{"Play", "Show details", "Cancel &recording"}));
  EXPECT_FALSE(transport().isScheduled(u"1", start));
  EXPECT_TRUE(transport().schedule().entries().empty());
  QApplication::processEvents();
  EXPECT_EQ(redPixels(*day, 2), 0) << "the mark goes with the cancel";
}

TEST_F(TransportInWindow, CancellingOrStoppingAProgrammeWhoseRecordingRunsEndsItForGood) {
  const std::string folder = kit.dir.file("rec");
  PlaybackTransport own(wnd(), kit.dir.file("recordings.list"), folder);
  int changes = 0;
  QObject::connect(&own, &PlaybackTransport::scheduleChanged, [&] { ++changes; });
  player_->state = {true, 0, 0, 0, 0, false};
  // Within its minute of lead: it records at once.
  const int64_t start = now() + 30;
  ASSERT_TRUE(own.toggleScheduled(u"2", u"News/2", u"Soon", start, start + 600));
  EXPECT_EQ(changes, 1);
  ASSERT_TRUE(own.recording());
  const std::string path = own.recordingPath();
  EXPECT_EQ(own.scheduledProgrammes(), (std::set<std::pair<QString, int64_t>>{{QStringLiteral("2"), start}}));

  ASSERT_TRUE(own.toggleScheduled(u"2", u"News/2", u"Soon", start, start + 600));
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(own.recording()) << "a cancelled programme is not recorded on";
  EXPECT_TRUE(player_->recordingTo.empty());
  EXPECT_TRUE(std::filesystem::exists(path)) << "what was written stays";
  EXPECT_TRUE(own.scheduledProgrammes().empty());
  own.checkSchedule();
  EXPECT_FALSE(own.recording()) << "and does not start again";

  // Stopped by R (the bar's button) while due: done, not started again.
  ASSERT_TRUE(own.toggleScheduled(u"1", u"News/1", u"Later", start, start + 600));
  ASSERT_TRUE(own.recording());
  own.toggleRecording();
  EXPECT_FALSE(own.recording());
  EXPECT_EQ(changes, 4);
  EXPECT_TRUE(own.schedule().entries().empty());
  own.checkSchedule();
  EXPECT_FALSE(own.recording()) << "the viewer stopped it";
}

TEST_F(TransportInWindow, TheGridPlaysAProgrammeThatIsOverFromTheArchiveAndOneOnNowLive) {
  wnd().guideGrid().open();
  GuideGridView* view = wnd().guideGrid().view();
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->model()->rowCount(), 2u);
  const std::vector<int64_t>& starts = source_->dayGuide().starts;
  // Channel 1 (row 0) has an archive: the programme that is over.
  view->grid()->selectAt(0, starts[0] + 60);
  ASSERT_TRUE(view->grid()->selectedProgramme());
  view->activateSelection();
  EXPECT_TRUE(transport().archive());
  EXPECT_EQ(toUtf8(addresses().back()), "http://127.0.0.1:1/archive/1?from=" + std::to_string(starts[0]) + "&to=" +
                                            std::to_string(starts[1]));
  EXPECT_FALSE(wnd().guideGrid().isOpen()) << "the picture gets its area back";

  // The one on now plays the channel live, as before.
  wnd().guideGrid().open();
  view->grid()->selectAt(0, now());
  view->activateSelection();
  EXPECT_FALSE(transport().archive());
  EXPECT_EQ(addresses().back(), u"http://127.0.0.1:1/live/1");
  // Channel 2 (row 1) has none: a programme that is over plays it live.
  view->grid()->selectAt(1, starts[0] + 60);
  view->activateSelection();
  EXPECT_FALSE(transport().archive());
  EXPECT_EQ(addresses().back(), u"http://127.0.0.1:1/live/2");
}

TEST(TransportBarText, ClockAndBehindLive) {
  struct Case {
    double seconds;
    const char* clock;
    const char* behind;
  } cases[] = {
      {0, "00:00", ""}, {1.9, "00:01", ""}, {2, "00:02", "Behind live by 00:02"}, {75.5, "01:15", "Behind live by 01:15"},
      {3600, "1:00:00", "Behind live by 1:00:00"}, {-5, "00:00", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TransportBar::clock(c.seconds), QString::fromLatin1(c.clock)) << c.seconds;
    EXPECT_EQ(TransportBar::behindText(c.seconds), QString::fromLatin1(c.behind)) << c.seconds;
  }
}

// The smallest window's bar has ~590 pixels for the video: a passing note
// gives way to the buttons and the position bar, cut with an ellipsis, and
// keeps its whole text; a roomy bar shows it whole.
TEST(TransportBarText, ALongNoteGivesWayInANarrowBar) {
  const QString note = QStringLiteral("Will record: The Bright Journey of the Midnight Station, Part 2");
  TransportBar::View v;
  v.length = 30;
  v.position = 20;
  v.behindLive = 2;
  v.liveOffered = true;
  v.note = note;
  for (const int width : {586, 1400}) {
    TransportBar bar;
    bar.resize(width, bar.height());
    bar.setView(v);
    bar.show();
    test::spinUntil([&] { return bar.isVisible(); });
    auto* label = static_cast<ElidedLabel*>(bar.recordingLabel());
    EXPECT_EQ(label->text(), note);
    EXPECT_LE(label->geometry().right(), bar.width()) << width;
    const QString shown = label->shownText(label->contentsRect().width());
    if (width < 1000) {
      EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
      EXPECT_TRUE(note.startsWith(shown.chopped(1))) << shown.toStdString();
    } else {
      EXPECT_EQ(shown, note);
    }
  }
}

// Right after a switch nothing is received yet: no position bar, and the
// buttons keep their size rather than sharing the bar's room.
TEST(TransportBarText, ButtonsKeepTheirSizeWithoutAPositionBar) {
  TransportBar bar;
  bar.resize(586, bar.height());
  bar.setView(TransportBar::View{});
  bar.show();
  test::spinUntil([&] { return bar.isVisible(); });
  for (QPushButton* button : bar.findChildren<QPushButton*>()) {
    if (!button->isVisible()) continue;
    EXPECT_LE(button->width(), 120) << button->objectName().toStdString();
  }
}

}  // namespace
}  // namespace tembra
