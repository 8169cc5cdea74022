#include "guidegrid/GuideGridView.h"

#include <QComboBox>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

#include "TimeZone.h"
#include "guidegrid/FakeGuide.h"
#include "guidegrid/GridModel.h"
#include "guidegrid/GridPainter.h"
#include "guidegrid/GridTestApp.h"
#include "guidegrid/GuideGridWidget.h"

namespace tembra {
namespace {

using test::FakeGuide;

constexpr int64_t kMidnight = 1796774400;  // Wed 2026-12-09 00:00:00 UTC
constexpr int64_t kNow = kMidnight + 10 * 3600 + 600;  // 10:10

// 800 x 500: the grid 800 x 368 under the bar, 7 whole rows of 46, the time
// area 632 pixels from x 168, 10:00 at its left edge.
class GridView : public ::testing::Test {
 protected:
  void SetUp() override {
    view.setClock([this] { return now; });
    view.resize(800, 500);
    view.setChannels(&guide, FakeGuide::channels(50));
    view.show();
    test::spinUntil([&] { return view.grid()->height() == 368; }, 2000);
  }
  GuideGridWidget& grid() { return *view.grid(); }
  std::string selected() {
    const std::optional<GuideProgramme> p = grid().selectedProgramme();
    return p ? toUtf8(p->entry.title) : "";
  }
  void key(Qt::Key k) { QTest::keyClick(&grid(), k); }
  // The x of the line at now on row 4, -1 when there is none.
  int nowLineX() {
    const QImage image = grid().grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int y = grid().metrics().headerHeight + 4 * grid().metrics().rowHeight + 10;
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == GridPainter::kNowLine) return x;
    return -1;
  }

  struct AppFirst {
    AppFirst() { test::gridApp(); }
  } app;
  test::TimeZone utc{"UTC"};
  int64_t now = kNow;
  FakeGuide guide{kMidnight};
  GuideGridView view;
};

TEST_F(GridView, OpensAtNowOnTheProgrammeOnNowWithItsDetails) {
  EXPECT_EQ(grid().viewStart(), kMidnight + 36000);
  EXPECT_EQ(grid().selectedRow(), 0);
  EXPECT_EQ(selected(), "0/30") << "10:00-10:20 on the 20-minute channel";
  EXPECT_EQ(view.details()->action(), GridDetailsPanel::Action::Watch);
  EXPECT_NE(view.details()->text().indexOf(QStringLiteral("Channel 0  ·  Wed 09 10:00 – 10:20")), -1)
      << view.details()->text().toStdString();
  ASSERT_EQ(view.dayPicker()->count(), 3);
  EXPECT_EQ(view.dayPicker()->itemText(0).toStdString(), "Today, Wed 09 Dec");
  EXPECT_EQ(view.dayPicker()->itemText(1).toStdString(), "Tomorrow, Thu 10 Dec");
  EXPECT_EQ(view.dayPicker()->itemText(2).toStdString(), "Fri 11 Dec");
}

TEST_F(GridView, KeysMoveAlongRowsAcrossChannelsByTimeAndByPageAndDay) {
  struct Step {
    Qt::Key key;
    int row;
    const char* title;
    int64_t viewStart;
  };
  const int64_t ten = kMidnight + 36000;
  const int64_t span = grid().layout().viewSpan();
  const Step steps[] = {
      {Qt::Key_Right, 0, "0/31", ten},                     // 10:20-10:40
      {Qt::Key_Down, 1, "1/20", ten},                      // on at 10:20: 10:00-10:30
      {Qt::Key_Down, 2, "2/15", ten},                      // 10:00-10:40
      {Qt::Key_Left, 2, "2/14", kMidnight + 33600},        // 09:20-10:00: the view follows
      {Qt::Key_Up, 1, "1/18", kMidnight + 33600},          // on at 09:20: 09:00-09:30, the view stays
      {Qt::Key_End, 1, "1/47", kMidnight + 86400 - span},  // the day's last
      {Qt::Key_Home, 1, "1/0", kMidnight},                 // and first
      {Qt::Key_PageDown, 8, "8/0", kMidnight},             // a screen (7 rows) down
      {Qt::Key_PageUp, 1, "1/0", kMidnight},
      {Qt::Key_Up, 0, "0/0", kMidnight},
      {Qt::Key_Up, 0, "0/0", kMidnight},                   // the first row stays
      {Qt::Key_Left, 0, "0/0", kMidnight},                 // the first programme stays
  };
  for (const Step& s : steps) {
    key(s.key);
    EXPECT_EQ(grid().selectedRow(), s.row) << s.title;
    EXPECT_EQ(selected(), s.title);
    EXPECT_EQ(grid().viewStart(), s.viewStart) << s.title;
  }
  key(Qt::Key_PageDown);
  key(Qt::Key_PageDown);
  EXPECT_EQ(grid().selectedRow(), 14);
  EXPECT_EQ(grid().scrollY(), 14 * 46) << "the page moved with the selection";
  const GridRows rows = grid().layout().rows(grid().scrollY(), 50);
  EXPECT_TRUE(rows.first <= 14 && 14 < rows.last);
}

TEST_F(GridView, AClickSelectsAndEnterPlaysWhatIsOnOrSetsAReminderForWhatIsToCome) {
  std::vector<std::u16string> played;
  QObject::connect(&view, &GuideGridView::playRequested, [&](const std::u16string& id) { played.push_back(id); });
  // Row 3 (hour-long programmes) at 10:45.
  QTest::mouseClick(&grid(), Qt::LeftButton, {}, QPoint(168 + 210, 28 + 3 * 46 + 20));
  EXPECT_EQ(selected(), "3/10");
  EXPECT_EQ(grid().viewStart(), kMidnight + 36000) << "a click does not scroll";
  key(Qt::Key_Return);
  EXPECT_EQ(played, (std::vector<std::u16string>{u"3"}));

  // Row 0 at 11:05: 11:00-11:20 is to come.
  QTest::mouseDClick(&grid(), Qt::LeftButton, {}, QPoint(168 + 303, 28 + 20));
  EXPECT_EQ(selected(), "0/33");
  EXPECT_EQ(played.size(), 1u) << "nothing to play yet";
  ASSERT_EQ(view.reminders().all().size(), 1u);
  EXPECT_EQ(view.reminders().all()[0].start, kMidnight + 39600);
  EXPECT_EQ(view.details()->action(), GridDetailsPanel::Action::CancelReminder);
  key(Qt::Key_Enter);
  EXPECT_TRUE(view.reminders().empty()) << "Enter again cancels it";
  EXPECT_EQ(view.details()->action(), GridDetailsPanel::Action::Remind);

  // A past one plays the channel too (live: there is no catch-up).
  key(Qt::Key_Home);
  key(Qt::Key_Return);
  EXPECT_EQ(played, (std::vector<std::u16string>{u"3", u"0"}));
}

TEST_F(GridView, AReminderIsToldAMinuteBeforeItsProgramme) {
  std::vector<QString> told;
  QObject::connect(&view, &GuideGridView::reminderDue, [&](const QString& text) { told.push_back(text); });
  key(Qt::Key_Right);  // 0/31 at 10:20
  key(Qt::Key_Return);
  ASSERT_EQ(view.reminders().all().size(), 1u);
  now = kMidnight + 36000 + 1200 - 61;
  view.checkReminders();
  EXPECT_TRUE(told.empty());
  now += 1;
  view.checkReminders();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].toStdString(), "0/31 starts in a minute on Channel 0 (10:20).");
  view.checkReminders();
  EXPECT_EQ(told.size(), 1u) << "once";
  EXPECT_TRUE(view.reminders().empty());
}

TEST_F(GridView, DetailsComeFromTheGuideWhereItHasThem) {
  key(Qt::Key_Down);
  const std::string text = view.details()->text().toStdString();
  EXPECT_NE(text.find("Drama"), std::string::npos) << text;
  EXPECT_NE(text.find("Told in full."), std::string::npos) << text;
  EXPECT_NE(text.find("1/20"), std::string::npos) << text;
}

TEST_F(GridView, TheNowLineStandsAtNowAndMovesWithTheClock) {
  EXPECT_EQ(nowLineX(), 168 + 46) << "10:10 with 10:00 at x 168: 600 s at 12.86 s a pixel";
  now += 6 * 60;
  EXPECT_EQ(nowLineX(), 168 + 74);
  grid().setViewStart(kMidnight + 36000 + 3600);
  EXPECT_EQ(nowLineX(), -1) << "out of sight";
  // A timer at the minute's turn redraws it; nothing redraws in between.
  int paints = 0;
  struct Counter : QObject {
    int* n;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++*n;
      return false;
    }
  } counter;
  counter.n = &paints;
  grid().setViewStart(kMidnight + 36000);
  test::spinUntil([] { return false; }, 300);
  grid().installEventFilter(&counter);
  now = kMidnight + 36000 + 20 * 60 + 59;
  grid().setClock([this] { return now; });
  test::spinUntil([] { return false; }, 300);
  const int before = paints;
  test::spinUntil([] { return false; }, 400);
  EXPECT_EQ(paints, before) << "no redraw within the minute";
  EXPECT_TRUE(test::spinUntil([&] { return paints > before; }, 2000)) << "a redraw at the minute's turn";
  grid().removeEventFilter(&counter);
}

TEST_F(GridView, TheDayPickerAndNowButtonMoveTheView) {
  emit view.dayPicker()->activated(2);
  EXPECT_EQ(grid().viewStart(), kMidnight + 2 * 86400 + 36000) << "the same time of day";
  EXPECT_EQ(view.dayPicker()->currentIndex(), 2);
  key(Qt::Key_Home);
  EXPECT_EQ(grid().viewStart(), kMidnight + 2 * 86400);
  grid().scrollByPixels(-1000000, 0);
  EXPECT_EQ(grid().viewStart(), kMidnight) << "not before the guide's first day";
  grid().scrollByPixels(100000000, 100000000);
  EXPECT_EQ(grid().viewStart(), kMidnight + 3 * 86400 - grid().layout().viewSpan()) << "nor past its last";
  EXPECT_EQ(grid().scrollY(), (50 - 7) * 46);
  QTest::mouseClick(view.findChild<QWidget*>(QStringLiteral("gridnow")), Qt::LeftButton);
  EXPECT_EQ(grid().viewStart(), kMidnight + 36000);
}

TEST_F(GridView, DraggingScrollsBothWaysAndComesToRestOnARow) {
  const QPoint from(400, 200);
  QTest::mousePress(&grid(), Qt::LeftButton, {}, from);
  QTest::mouseMove(&grid(), from + QPoint(-70, -60));
  QTest::mouseRelease(&grid(), Qt::LeftButton, {}, from + QPoint(-70, -60));
  EXPECT_EQ(grid().viewStart(), kMidnight + 36000 + 900) << "70 pixels: a quarter hour later";
  EXPECT_EQ(grid().scrollY(), 46) << "60 pixels down, rounded to a row";
  EXPECT_EQ(selected(), "0/30") << "a drag selects nothing";
}

TEST_F(GridView, MissingDaysAreAskedForAndEmptyGroupsShowNothing) {
  FakeGuide held(kMidnight);
  held.held = {0};
  view.setChannels(&held, FakeGuide::channels(5));
  EXPECT_EQ(held.downloads, (std::vector<int>{0})) << "the day in view is asked for";
  EXPECT_FALSE(grid().selectedProgramme()) << "not tomorrow's first instead";
  EXPECT_EQ(grid().viewStart(), kMidnight + 36000) << "the view stays at now";
  key(Qt::Key_Return);

  view.setChannels(&guide, {});
  EXPECT_EQ(grid().selectedRow(), -1);
  for (Qt::Key k : {Qt::Key_Down, Qt::Key_Right, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Return}) key(k);
  EXPECT_FALSE(grid().grab().isNull());
}

}  // namespace
}  // namespace tembra

namespace tembra::test {
namespace {

// The play mark on past programmes: only in the rows of channels whose
// archive still holds them.
TEST(GridArchiveMarks, PastProgrammesOfAChannelWithCatchupAreMarkedPlayable) {
  gridApp();
  test::TimeZone utc("UTC");
  FakeGuide guide{kMidnight};
  std::vector<SourceChannelRef> channels = FakeGuide::channels(3);
  auto withArchive = std::make_shared<SourceChannel>(*channels[0]);
  withArchive->catchupDays = 3;
  channels[0] = withArchive;
  GuideGridView view;
  view.setClock([] { return kNow; });
  view.resize(800, 500);
  view.setChannels(&guide, channels);
  view.show();
  test::spinUntil([&] { return view.grid()->height() == 368; }, 2000);
  // Two hours back: the rows show past programmes left of the line.
  view.grid()->setViewStart(kNow - 2 * 3600);
  const QImage image = view.grid()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const GridMetrics& m = view.grid()->metrics();
  auto marks = [&](int row) {
    int found = 0;
    for (int y = m.headerHeight + row * m.rowHeight; y < m.headerHeight + (row + 1) * m.rowHeight; ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == qRgb(0x8f, 0xc1, 0xff)) ++found;
    return found;
  };
  EXPECT_GT(marks(0), 0) << "the channel with an archive";
  EXPECT_EQ(marks(1), 0) << "a channel without one";
}

}  // namespace
}  // namespace tembra::test
