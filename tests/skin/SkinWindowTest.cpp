// Skin windows built from layouts: controls by name, layout flow and
// client positions, notifications with their senders, timers, corners.
#include <gtest/gtest.h>

#include <QTest>

#include "SkinTestSupport.h"
#include "skin/COptionUI.h"
#include "skin/CListUI.h"
#include "skin/CTabLayoutUI.h"
#include "skin/SkinButton.h"
#include "skin/SkinCombo.h"
#include "skin/SkinContainer.h"
#include "skin/SkinLabel.h"
#include "skin/SkinListView.h"
#include "skin/SkinVideoSlot.h"
#include "skin/SkinWebBrowser.h"
#include "web/WebView.h"

namespace tembra {
namespace {

using test::RecordingNotifier;
using test::SkinFolder;

const char* kLayout = R"(<Window size="400,300" mininfo="300,200" caption="0,0,0,25" sizebox="4,4,4,4" roundcorner="10,10">
  <VerticalLayout name="outer" inset="3,0,3,3">
    <HorizontalLayout name="bar" height="25">
      <Label name="title" text="Title"/>
      <Button name="closebtn" width="30"/>
    </HorizontalLayout>
    <HorizontalLayout name="body" childpadding="2">
      <VideoSlot name="video"/>
      <VerticalLayout name="side" width="120">
        <Option name="one" height="20" group="g" selected="true"/>
        <Option name="two" height="20" group="g"/>
        <Option name="check" height="20"/>
        <Text name="link" height="20" text="Home page"/>
        <Combo name="groups" height="24"/>
        <TabLayout name="tabs" selectedid="1">
          <Container name="page0"><List name="list0"/></Container>
          <Container name="page1"><List name="list1"/></Container>
        </TabLayout>
        <WebBrowser name="web" height="30"/>
      </VerticalLayout>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

class SkinWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    w = folder.window(kLayout);
    ASSERT_NE(w, nullptr);
    w->addNotifier(&rec);
  }
  SkinFolder folder;
  std::unique_ptr<CWindowWnd> w;
  RecordingNotifier rec;
};

TEST_F(SkinWindowTest, FindsControlsByNameWithTypedAccessors) {
  EXPECT_NE(w->findButton("closebtn"), nullptr);
  EXPECT_EQ(w->findButton("one"), nullptr) << "an option is not a plain button";
  EXPECT_NE(w->findOption("one"), nullptr);
  EXPECT_NE(w->findText("title"), nullptr);
  EXPECT_NE(w->findText("link"), nullptr);
  EXPECT_NE(w->findCombo("groups"), nullptr);
  EXPECT_NE(w->findTabLayout("tabs"), nullptr);
  EXPECT_NE(w->findList("list1"), nullptr);
  EXPECT_NE(w->findVideoSlot("video"), nullptr);
  EXPECT_NE(w->findWebBrowser("web"), nullptr);
  EXPECT_EQ(w->findList("closebtn"), nullptr);
  EXPECT_EQ(w->findControl("nothing"), nullptr);
  EXPECT_EQ(w->findControl("closebtn")->className(), "ButtonUI");
  EXPECT_EQ(w->findControl("one")->className(), "OptionUI");
  EXPECT_EQ(w->findControl("link")->className(), "TextUI");
  EXPECT_EQ(w->minimumSize(), QSize(300, 200));
  EXPECT_EQ(w->size(), QSize(400, 300));
  EXPECT_EQ(w->roundCorner(), QSize(10, 10));
  EXPECT_EQ(w->captionArea(), (SkinRect{0, 0, 0, 25}));
}

TEST_F(SkinWindowTest, FlowLayoutPlacesFixedAndStretchingChildren) {
  EXPECT_EQ(w->findControl("bar")->position(), QRect(3, 0, 394, 25));
  EXPECT_EQ(w->findControl("closebtn")->position(), QRect(367, 0, 30, 25));
  EXPECT_EQ(w->findControl("title")->position(), QRect(3, 0, 364, 25));
  // body: 394 wide, the side column 120, 2 between.
  EXPECT_EQ(w->findControl("video")->position(), QRect(3, 25, 272, 272));
  EXPECT_EQ(w->findControl("side")->position(), QRect(277, 25, 120, 272));
  // Hidden children give their room to the others.
  const QRect before = w->findControl("tabs")->position();
  w->findControl("web")->hide();
  EXPECT_EQ(w->findControl("tabs")->position().height(), before.height() + 30);
  w->findControl("web")->setLayoutHeight(50);
  w->findControl("web")->show();
  EXPECT_EQ(w->findControl("tabs")->position().height(), before.height() - 20);
}

TEST_F(SkinWindowTest, ClientPositionsHoldForNestedControlsAndAfterTheParentMoves) {
  SkinControl* side = w->findControl("side");
  SkinControl* one = w->findControl("one");
  side->setPosition(200, 40, 390, 290);
  one->setPosition(210, 50, 300, 70);
  EXPECT_EQ(one->position(), QRect(QPoint(210, 50), QPoint(299, 69)));
  EXPECT_EQ(one->geometry().topLeft(), QPoint(10, 10)) << "parent-relative";
  // The parent moves; the child stays at its client position.
  side->setPosition(150, 30, 390, 290);
  EXPECT_EQ(one->mapTo(w.get(), QPoint(0, 0)), QPoint(210, 50));
  w->resize(500, 350);
  EXPECT_EQ(one->mapTo(w.get(), QPoint(0, 0)), QPoint(210, 50));
}

TEST_F(SkinWindowTest, WindowInitArrivesOnceAfterTheLayoutWithTheRootAsSender) {
  EXPECT_TRUE(rec.of("windowinit").empty()) << "not before the event loop runs";
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  ASSERT_EQ(rec.of("windowinit").size(), 1u);
  EXPECT_EQ(rec.of("windowinit")[0].sender, static_cast<SkinControl*>(w->rootControl()));
}

TEST_F(SkinWindowTest, ClicksNotifyWithSenderAndName) {
  w->show();
  SkinButton* close = w->findButton("closebtn");
  QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(10, 10));
  auto clicks = rec.of("click");
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].senderName, "closebtn");
  EXPECT_EQ(clicks[0].sender, close);
  // A press that leaves the button before release is no click; the right
  // button is none either.
  QTest::mousePress(close, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseRelease(close, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseClick(close, Qt::RightButton, {}, QPoint(10, 10));
  QTest::mouseClick(w->findControl("link"), Qt::LeftButton, {}, QPoint(5, 5));
  clicks = rec.of("click");
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[1].senderName, "link");
  // Disabled buttons stay quiet.
  close->setEnabled(false);
  QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(rec.of("click").size(), 2u);
}

TEST_F(SkinWindowTest, OptionsOfAGroupAreExclusiveAndNotifyOncePerClick) {
  w->show();
  COptionUI* one = w->findOption("one");
  COptionUI* two = w->findOption("two");
  COptionUI* check = w->findOption("check");
  EXPECT_TRUE(one->isSelected());
  QTest::mouseClick(two, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(two->isSelected());
  EXPECT_FALSE(one->isSelected());
  auto changes = rec.of("selectchanged");
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].senderName, "two");
  // Clicking the selected option of a group changes nothing.
  QTest::mouseClick(two, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(rec.of("selectchanged").size(), 1u);
  // An option without a group toggles, and says so both ways.
  QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(check->isSelected());
  EXPECT_EQ(rec.of("selectchanged").size(), 3u);
  // The program's own changes are silent unless asked.
  one->setSelected(true);
  EXPECT_FALSE(two->isSelected());
  EXPECT_EQ(rec.of("selectchanged").size(), 3u);
  two->setSelected(true, true);
  EXPECT_EQ(rec.of("selectchanged").size(), 4u);
}

TEST_F(SkinWindowTest, TabLayoutShowsOnePage) {
  CTabLayoutUI* tabs = w->findTabLayout("tabs");
  w->show();
  EXPECT_EQ(tabs->currentPage(), 1);
  EXPECT_TRUE(w->findControl("page1")->isVisible());
  EXPECT_FALSE(w->findControl("page0")->isVisible());
  EXPECT_TRUE(tabs->selectPage(0));
  EXPECT_TRUE(w->findControl("list0")->isVisible());
  EXPECT_FALSE(w->findControl("list1")->isVisible());
  EXPECT_FALSE(tabs->selectPage(2));
  EXPECT_EQ(tabs->currentPage(), 0);
}

TEST_F(SkinWindowTest, ListItemNotificationsCarryTheListAndTheIndex) {
  w->show();
  CListUI* list = w->findList("list1");
  for (int i = 0; i < 5; ++i) list->add(CListLabelElementUI::Make(QString::number(i), QStringLiteral("Item %1").arg(i), QString(), 0, 0));
  QCoreApplication::processEvents();
  const QPoint third = list->itemRect(2).center();
  QWidget* viewport = list->view()->viewport();
  const QPoint inViewport = viewport->mapFrom(list, third);
  QTest::mouseClick(viewport, Qt::LeftButton, {}, inViewport);
  ASSERT_EQ(rec.of("itemclick").size(), 1u);
  EXPECT_EQ(rec.of("itemclick")[0].senderName, "list1");
  EXPECT_EQ(rec.of("itemclick")[0].sender, list);
  EXPECT_EQ(rec.of("itemclick")[0].item, 2);
  EXPECT_EQ(list->selectedIndex(), 2) << "selected before the notification is read";
  ASSERT_FALSE(rec.of("itemselect").empty());
  EXPECT_EQ(rec.of("itemselect").back().item, 2);
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, inViewport);
  ASSERT_EQ(rec.of("itemdoubleclick").size(), 1u);
  EXPECT_EQ(rec.of("itemdoubleclick")[0].item, 2);
  QTest::keyClick(list->view(), Qt::Key_Return);
  ASSERT_EQ(rec.of("itemactivate").size(), 1u);
  EXPECT_EQ(rec.of("itemactivate")[0].item, 2);
}

TEST_F(SkinWindowTest, ComboSelectionNotifiesOnlyOnChange) {
  SkinCombo* combo = w->findCombo("groups");
  combo->add(CListLabelElementUI::Make("g1", "News", QString(), 29, 220));
  combo->add(CListLabelElementUI::Make("g2", "Movies", QString(), 29, 220));
  EXPECT_EQ(combo->selectedIndex(), -1);
  EXPECT_TRUE(combo->select(0));
  EXPECT_TRUE(combo->select(0));
  EXPECT_FALSE(combo->select(5));
  auto sel = rec.of("itemselect");
  ASSERT_EQ(sel.size(), 1u);
  EXPECT_EQ(sel[0].senderName, "groups");
  EXPECT_EQ(sel[0].item, 0);
  EXPECT_EQ(combo->item(combo->selectedIndex())->name, "g1");
  // A pick in the open drop-down selects and closes it.
  w->show();
  combo->showDropDown();
  ASSERT_TRUE(combo->isDropDownVisible());
  QWidget* viewport = combo->dropDownView()->viewport();
  QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 29 + 10));
  EXPECT_FALSE(combo->isDropDownVisible());
  EXPECT_EQ(combo->selectedIndex(), 1);
  EXPECT_EQ(rec.of("itemselect").size(), 2u);
}

TEST_F(SkinWindowTest, NotifiersMayRemoveThemselvesWhileBeingTold) {
  struct Leaver : INotifyUI {
    CWindowWnd* w = nullptr;
    int calls = 0;
    void notify(const SkinNotification&) override {
      ++calls;
      w->removeNotifier(this);
    }
  } leaver;
  leaver.w = w.get();
  w->addNotifier(&leaver);
  w->show();
  QTest::mouseClick(w->findButton("closebtn"), Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(w->findButton("closebtn"), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(leaver.calls, 1);
  EXPECT_EQ(rec.of("click").size(), 2u);
}

struct TimerWindow : CWindowWnd {
  std::vector<int> ticks;
  void onTimer(int id) override {
    ticks.push_back(id);
    if (id == 2) stopTimer(2);
  }
};

TEST(SkinWindowTimers, TimersRunByIdUntilStopped) {
  SkinFolder folder;
  folder.write("T.xml", "<Window size=\"100,100\"/>");
  CWindowWnd::setResourcePath(QString::fromStdString(folder.path()));
  TimerWindow w;
  ASSERT_TRUE(w.loadLayout("T.xml"));
  w.setTimer(1, 10);
  w.setTimer(2, 10);
  ASSERT_TRUE(test::waitFor([&] { return std::count(w.ticks.begin(), w.ticks.end(), 1) >= 3; }));
  EXPECT_EQ(std::count(w.ticks.begin(), w.ticks.end(), 2), 1);
  EXPECT_TRUE(w.isTimerActive(1));
  EXPECT_FALSE(w.isTimerActive(2));
  w.stopTimer(1);
  const size_t n = w.ticks.size();
  QTest::qWait(50);
  EXPECT_EQ(w.ticks.size(), n);
}

TEST_F(SkinWindowTest, RoundCornersMaskTheWindow) {
  w->show();
  const QRegion mask = w->mask();
  EXPECT_FALSE(mask.isEmpty());
  EXPECT_FALSE(mask.contains(QPoint(0, 0)));
  EXPECT_FALSE(mask.contains(QPoint(399, 299)));
  EXPECT_TRUE(mask.contains(QPoint(200, 0)));
  EXPECT_TRUE(mask.contains(QPoint(200, 150)));
}

TEST_F(SkinWindowTest, HitTestOfTheWindowAsksTheControlUnderThePoint) {
  EXPECT_EQ(w->hitTest(QPoint(100, 10)), SkinHit::Caption);  // the title label
  EXPECT_EQ(w->hitTest(QPoint(380, 10)), SkinHit::Client);   // the close button
  EXPECT_EQ(w->hitTest(QPoint(1, 1)), SkinHit::TopLeft);
  EXPECT_EQ(w->hitTest(QPoint(100, 100)), SkinHit::Client);
  EXPECT_EQ(w->controlAt(QPoint(380, 10)), w->findControl("closebtn"));
}

TEST_F(SkinWindowTest, VideoSlotKeepsItsContentFilling) {
  SkinVideoSlot* slot = w->findVideoSlot("video");
  w->show();
  auto* video = new QWidget;
  slot->setContent(video);
  EXPECT_EQ(video->parentWidget(), slot);
  EXPECT_EQ(video->geometry(), slot->rect());
  slot->setPosition(10, 30, 210, 130);
  EXPECT_EQ(video->size(), QSize(200, 100));
  EXPECT_EQ(slot->takeContent(), video);
  EXPECT_EQ(video->parentWidget(), nullptr);
  delete video;
}

TEST_F(SkinWindowTest, WebBrowserIsCreatedOnlyWhenUsed) {
  SkinWebBrowser* web = w->findWebBrowser("web");
  w->show();
  QCoreApplication::processEvents();
  EXPECT_FALSE(web->hasView());
  ASSERT_NE(web->view(), nullptr);
  EXPECT_NE(web->view()->engine(), nullptr) << "the web library beside the program opened";
  EXPECT_TRUE(web->hasView());
}

TEST(SkinWindowLoad, FailuresKeepNoHalfBuiltTreeAndSayWhy) {
  SkinFolder folder;
  folder.write("Bad.xml", "<Window><Button name=\"a\"");
  CWindowWnd::setResourcePath(QString::fromStdString(folder.path()));
  CWindowWnd w;
  EXPECT_FALSE(w.loadLayout("Bad.xml"));
  EXPECT_FALSE(w.hasLayout());
  EXPECT_FALSE(w.problems().empty());
  EXPECT_FALSE(w.loadLayout("Missing.xml"));
  ASSERT_FALSE(w.problems().empty());
  EXPECT_NE(w.problems()[0].message.find("cannot read"), std::string::npos);
}

TEST(SkinWindowLoad, MissingImagesAreReportedOnceAndDrawNothing) {
  SkinFolder folder;
  folder.writeImage("here.png", 4, 4, qRgb(255, 0, 0));
  folder.write("I.xml", "<Window size=\"60,20\"><HorizontalLayout><Button name=\"a\" normalimage=\"here.png\"/>"
                        "<Button name=\"b\" normalimage=\"gone.png\"/><Button name=\"c\" normalimage=\"gone.png\"/>"
                        "</HorizontalLayout></Window>");
  CWindowWnd::setResourcePath(QString::fromStdString(folder.path()));
  CWindowWnd w;
  ASSERT_TRUE(w.loadLayout("I.xml"));
  const QImage shot = w.grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(10, 10)), QColor(255, 0, 0));
  const auto problems = w.problems();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].message.find("missing image gone.png"), std::string::npos);
}

}  // namespace
}  // namespace tembra
