// The guide grid in the main window: its command opens it over the video
// area with the player's picture in the corner, it lists the group on show,
// plays as the channel list does, tells reminders without a tray over the
// window, and gives the video its area back when closed.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include <ctime>

#include "guidegrid/FakeGuide.h"
#include "guidegrid/GridModel.h"
#include "guidegrid/GuideGridView.h"
#include "guidegrid/GuideGridWidget.h"
#include "mainwnd/ChannelPanel.h"
#include "mainwnd/FakeChannelSource.h"
#include "mainwnd/GuideGridHost.h"
#include "mainwnd/MainWindowTestKit.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/SystemMessages.h"
#include "platform/Utf.h"
#include "skin/CListUI.h"
#include "skin/SkinCombo.h"
#include "skin/SkinVideoSlot.h"

namespace tembra {
namespace {

// Two groups: "a" with channels 0-5, "b" with 6-9; the made-up guide's
// programmes for all of them.
std::shared_ptr<test::FakeChannelSource> gridSource() {
  std::vector<SourceChannel> channels;
  for (const SourceChannelRef& c : test::FakeGuide::channels(10)) {
    channels.push_back(*c);
    channels.back().groupId = channels.size() <= 6 ? u"a" : u"b";
  }
  return std::make_shared<test::FakeChannelSource>(
      std::vector<SourceGroup>{{u"a", u"Group A"}, {u"b", u"Group B"}}, channels,
      std::make_shared<test::FakeGuide>(GuideSource::localMidnight(static_cast<int64_t>(std::time(nullptr)))));
}

class GridInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TembraPlayerWnd::Setup s = kit.setup();
    s.source = gridSource();
    ASSERT_TRUE(kit.open(std::move(s)));
    ASSERT_NE(kit.player, nullptr);
    wnd().channels().ShowCatalogueState();
  }
  TembraPlayerWnd& wnd() { return *kit.window; }
  GuideGridHost& host() { return wnd().guideGrid(); }
  QWidget* slot() { return wnd().findVideoSlot(QStringLiteral("videoslot")); }
  QWidget* video() { return kit.player->widget(); }

  test::WindowUnderTest kit;
};

TEST_F(GridInWindow, ItsCommandOpensItOverTheVideoAreaWithThePictureInTheCorner) {
  EXPECT_FALSE(host().isOpen());
  wnd().handleMessage(WM_CMD_GUIDEGRID, 0, 0);
  ASSERT_TRUE(host().isOpen());
  GuideGridView* view = host().view();
  EXPECT_EQ(view->parentWidget(), slot());
  EXPECT_EQ(view->geometry(), slot()->rect());
  EXPECT_TRUE(test::spinUntil([&] { return video()->geometry() == view->pictureRect(); }, 2000))
      << "the video shrinks into the corner";
  EXPECT_EQ(slot()->children().indexOf(video()), slot()->children().size() - 1) << "above the grid";
  EXPECT_EQ(view->model()->rowCount(), 10u) << "all channels: the selector's first entry";

  // The window grows: the grid follows, and so does the picture.
  wnd().resize(1400, 900);
  EXPECT_TRUE(test::spinUntil([&] { return view->geometry() == slot()->rect() && slot()->width() > 900; }, 2000));
  EXPECT_TRUE(test::spinUntil([&] { return video()->geometry() == view->pictureRect(); }, 2000));

  wnd().handleMessage(WM_CMD_GUIDEGRID, 0, 0);
  EXPECT_FALSE(host().isOpen());
  EXPECT_EQ(video()->geometry(), slot()->rect()) << "the video has its area back";
  // The notification table leads the caption button to the same command.
  SkinNotification click;
  click.type = QStringLiteral("click");
  click.senderName = QStringLiteral("guidegridbtn");
  wnd().notify(click);
  EXPECT_TRUE(host().isOpen());
  QTest::keyClick(view->grid(), Qt::Key_Escape);
  EXPECT_FALSE(host().isOpen()) << "Esc closes it";
}

TEST_F(GridInWindow, ItListsTheGroupOnShowAndPlaysAsTheChannelListDoes) {
  SkinCombo* groups = wnd().findCombo(QStringLiteral("channeltype"));
  ASSERT_NE(groups, nullptr);
  wnd().handleMessage(WM_CMD_GUIDEGRID, 0, 0);
  const int b = groups->findByName(QStringLiteral("b"));
  ASSERT_GE(b, 0);
  groups->select(b);
  GuideGridView* view = host().view();
  ASSERT_EQ(view->model()->rowCount(), 4u) << "group B";
  EXPECT_EQ(toUtf8(view->model()->channel(0).id), "6");

  // Down to the second channel of the group, Enter on what is on now.
  QTest::keyClick(view->grid(), Qt::Key_Down);
  QTest::keyClick(view->grid(), Qt::Key_Return);
  EXPECT_EQ(toUtf8(wnd().state().currentChannelId), "7");
  ASSERT_FALSE(kit.player->addresses.empty());
  EXPECT_EQ(toUtf8(kit.player->addresses.back()), "http://127.0.0.1:1/7");
  CListUI* list = wnd().findList(QStringLiteral("channellist"));
  EXPECT_EQ(list->selectedIndex(), 1) << "the list beside shows the same channel chosen";
  EXPECT_EQ(wnd().state().channelListMark, 1);
  EXPECT_TRUE(host().isOpen()) << "the grid stays; the picture plays in its corner";
}

TEST_F(GridInWindow, AReminderWithoutATrayIsToldOverTheWindow) {
  wnd().handleMessage(WM_CMD_GUIDEGRID, 0, 0);
  GuideGridView* view = host().view();
  emit view->reminderDue(QStringLiteral("News starts in a minute on Channel 1 (21:00)."));
  EXPECT_EQ(view->bannerText().toStdString(), "News starts in a minute on Channel 1 (21:00).") << "in the grid's bar";
  EXPECT_TRUE(host().toast() == nullptr || host().toast()->isHidden()) << "the open grid says it already";
  wnd().handleMessage(WM_CMD_GUIDEGRID, 0, 0);
  emit view->reminderDue(QStringLiteral("Film starts in a minute on Channel 2 (22:00)."));
  ASSERT_NE(host().toast(), nullptr);
  EXPECT_FALSE(host().toast()->isHidden());
  EXPECT_EQ(host().toast()->text().toStdString(), "Film starts in a minute on Channel 2 (22:00).");
  EXPECT_EQ(wnd().state().balloonClickMessage, -1) << "no balloon whose click would start an upgrade";
}

}  // namespace
}  // namespace tembra
