// The main window built from the real skin, offscreen: what creation
// leaves, the pixel layout as applied, the panel and size modes, the hit
// test and the window's shape.
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include "app/LanguageTable.h"
#include "mainwnd/MainLayout.h"
#include "mainwnd/PanelSizing.h"
#include "mainwnd/MainWindowTestKit.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/WindowCommands.h"
#include "mainwnd/WindowModes.h"
#include "player/PlayerHost.h"
#include "skin/CListUI.h"
#include "skin/SkinControl.h"
#include "skin/SkinVideoSlot.h"
#include "splash/CPictureEx.h"

namespace tembra {
namespace {

using test::MessageBoxCatcher;
using test::RecordingActions;
using test::spinUntil;
using test::WindowUnderTest;

PixelRect pixelRect(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

class WindowLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    wnd = &under.make(&actions);
    ASSERT_TRUE(wnd->Create());
    wnd->createPlayer();
    wnd->resize(936, 529);
    wnd->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(wnd));
  }

  PixelRect at(const char* name) {
    SkinControl* c = wnd->findControl(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c != nullptr ? pixelRect(c->position()) : PixelRect{};
  }
  bool shown(const char* name) { return wnd->findControl(QString::fromLatin1(name))->isVisibleTo(wnd); }

  // Every control of the layout that is in sight can be seen (and clicked)
  // where the layout put it: nothing is clipped by a container it sits in.
  void expectAllReachable() {
    const MainLayout layout = MainLayout::compute(wnd->width(), wnd->height(), wnd->state(), 1, 0);
    for (const auto& [name, rect] : layout.controls()) {
      SkinControl* c = wnd->findControl(QString::fromStdString(name));
      if (c == nullptr || !c->isVisibleTo(wnd) || rect.width() <= 0 || rect.height() <= 0) continue;
      const QPoint centre((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
      QWidget* hit = wnd->childAt(centre);
      EXPECT_TRUE(hit == c || c->isAncestorOf(hit)) << name << " covered by "
                                                    << (hit ? hit->objectName().toStdString() : "nothing");
    }
  }

  RecordingActions actions;
  WindowUnderTest under;
  TembraPlayerWnd* wnd = nullptr;
};

TEST(WindowCreation, HiddenWithCaptionPicturesAndThePlayerInItsSlot) {
  WindowUnderTest under;
  RecordingActions actions;
  TembraPlayerWnd& wnd = under.make(&actions);
  ASSERT_TRUE(wnd.Create());
  EXPECT_FALSE(wnd.isVisible());
  EXPECT_EQ(wnd.windowTitle().toStdU16String(), LanguageTable::Instance().GetText(u"TV_WND_CAPTION_TEXT"));
  EXPECT_FALSE(wnd.windowTitle().isEmpty());

  // The player is made once the started window has shown its first frame.
  EXPECT_EQ(under.player, nullptr);
  wnd.createPlayer();
  wnd.createPlayer();
  ASSERT_NE(under.player, nullptr);
  EXPECT_EQ(wnd.player()->control()->QueryState(PlayerControl::kStateReady), 1);
  QWidget* video = under.player->widget();
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->parentWidget(), wnd.findVideoSlot("videoslot"));
  EXPECT_FALSE(under.player->visibleBeforePlacing) << "never a window of its own";
  EXPECT_TRUE(video->isHidden()) << "shown at the end of the start-up sequence";

  for (auto [picture, name, size] : {std::tuple{wnd.listLoadingPicture(), "GifTvList", QSize(91, 37)},
                                     std::tuple{wnd.guideLoadingPicture(), "GifGuideList", QSize(160, 20)}}) {
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->objectName(), name);
    EXPECT_TRUE(picture->isLoaded()) << name;
    EXPECT_TRUE(picture->isPlaying()) << name;
    EXPECT_TRUE(picture->isHidden()) << name;
    EXPECT_EQ(picture->size(), size) << name;
  }
  EXPECT_EQ(wnd.findList("channellist")->headerHeight(), 0);
}

TEST(WindowCreation, ALayoutThatCannotBeLoadedIsReportedAndFails) {
  WindowUnderTest under;
  test::TempDir noSkin("tembra-noskin");
  TembraPlayerWnd::Setup setup = under.setup();
  CWindowWnd::setResourcePath(QString::fromStdString(noSkin.path()));
  TembraPlayerWnd wnd(std::move(setup));
  MessageBoxCatcher boxes;
  EXPECT_FALSE(wnd.Create());
  test::useProgramSkin();
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(QString::fromStdString(boxes.texts[0]).toStdU16String(),
            LanguageTable::Instance().GetText(u"TV_WND_CREATE_XMLFAIL"));
  EXPECT_EQ(under.player, nullptr) << "nothing else is made";
}

TEST_F(WindowLayout, EveryControlWhereThePixelLayoutPutsIt) {
  for (const QSize size : {QSize(936, 529), QSize(1400, 900)}) {
    wnd->resize(size);
    const MainLayout expected = MainLayout::compute(size.width(), size.height(), wnd->state(), 1, 0);
    // Controls out of sight ("showbtn" while the panel is shown) take their
    // place when they are shown.
    for (const auto& [name, rect] : expected.controls())
      if (shown(name.c_str())) {
        EXPECT_EQ(at(name.c_str()), rect) << name;
      }
    EXPECT_EQ(at("videoslot"), expected.player());
    EXPECT_EQ(under.player->widget()->geometry().size(), QSize(expected.player().width(), expected.player().height()));
    EXPECT_EQ(at("noticeload"), expected.guideIndicator()->noticeload);
    EXPECT_EQ(at("nonoticelist"), expected.guideIndicator()->nonoticelist);
    EXPECT_EQ(pixelRect(wnd->guideLoadingPicture()->geometry()), expected.guideIndicator()->picture);
    EXPECT_EQ(at("listload"), expected.listIndicator().listload);
    EXPECT_EQ(pixelRect(wnd->listLoadingPicture()->geometry()), expected.listIndicator().picture);
    expectAllReachable();
  }
  // At the skin's own size: the player from x 3 to the splitter at 585, the
  // panel from 591.
  wnd->resize(936, 529);
  EXPECT_EQ(at("videoslot"), (PixelRect{3, 25, 585, 526}));
  EXPECT_EQ(at("infolayout").left, 591);
}

TEST_F(WindowLayout, HidingAndShowingThePanel) {
  const int playerWidth = at("videoslot").width();
  wnd->modes().HidePanel();
  EXPECT_EQ(wnd->width(), 595);
  EXPECT_EQ(wnd->minimumWidth(), 595);
  EXPECT_EQ(at("videoslot").width(), playerWidth) << "the window narrowed by the panel";
  EXPECT_FALSE(shown("infolayout"));
  EXPECT_FALSE(shown("hidebtn"));
  EXPECT_FALSE(shown("cutbtn"));
  EXPECT_TRUE(shown("showbtn"));
  EXPECT_TRUE(shown("normalbtn"));
  EXPECT_EQ(at("showbtn"), MainLayout::compute(595, 529, wnd->state(), 1, 0).rectOf("showbtn"));
  expectAllReachable();
  wnd->modes().HidePanel();
  EXPECT_EQ(wnd->width(), 595) << "hiding twice changes nothing";

  // Widened by hand while hidden, the player takes the room.
  wnd->resize(1000, 529);
  EXPECT_EQ(at("videoslot").width(), 1000 - 3 - 7 - 3);

  wnd->resize(595, 529);
  wnd->modes().ShowPanel();
  EXPECT_EQ(wnd->width(), 936);
  EXPECT_EQ(wnd->minimumWidth(), 936);
  EXPECT_EQ(at("videoslot").width(), playerWidth);
  EXPECT_TRUE(shown("infolayout"));
  EXPECT_TRUE(shown("hidebtn"));
  EXPECT_FALSE(shown("showbtn"));
  EXPECT_FALSE(shown("normalbtn"));
  expectAllReachable();
}

TEST_F(WindowLayout, MaximiseHideRestoreComesBackNarrower) {
  wnd->resize(1000, 600);
  wnd->modes().Maximise();
  EXPECT_TRUE(wnd->isMaximized());
  EXPECT_EQ(wnd->state().restoreWidth, 1000);
  ASSERT_TRUE(spinUntil([&] { return wnd->geometry() == wnd->modes().maximisedGeometry(); }, 2000));
  EXPECT_EQ(wnd->modes().maximisedGeometry().size(), QSize(1920, 1080));
  EXPECT_FALSE(shown("maxbtn"));
  EXPECT_TRUE(shown("resbtn"));

  wnd->modes().HidePanel();
  EXPECT_EQ(wnd->width(), 1920) << "a maximised window keeps its size";
  EXPECT_TRUE(wnd->isMaximized());
  EXPECT_EQ(at("videoslot").width(), 1920 - 3 - 7 - 3);

  // The panel the 1000-pixel window had goes (not the wider one of the
  // maximised window): the player is as wide as before.
  const int panelAt1000 = PanelSizing::forWindow(1000, 0).panel;
  ASSERT_GT(panelAt1000, 341);
  wnd->modes().Restore();
  EXPECT_FALSE(wnd->isMaximized());
  ASSERT_TRUE(spinUntil([&] { return wnd->width() == 1000 - panelAt1000; }, 2000)) << wnd->width();
  EXPECT_EQ(wnd->height(), 600);
  EXPECT_TRUE(shown("maxbtn"));
  EXPECT_FALSE(shown("resbtn"));

  // Unchanged panel: the size before maximising comes back as it was.
  wnd->modes().Maximise();
  wnd->modes().Restore();
  ASSERT_TRUE(spinUntil([&] { return wnd->width() == 1000 - panelAt1000; }, 2000)) << wnd->width();
}

TEST_F(WindowLayout, MaximiseShowRestoreComesBackWider) {
  wnd->modes().HidePanel();
  wnd->modes().Maximise();
  wnd->modes().ShowPanel();
  wnd->modes().Restore();
  ASSERT_TRUE(spinUntil([&] { return wnd->width() == 595 + 341; }, 2000)) << wnd->width();
}

TEST_F(WindowLayout, CaptionDoubleClickMaximisesAndRestores) {
  wnd->resize(980, 560);
  SkinControl* title = wnd->findControl("title");
  ASSERT_NE(title, nullptr);
  QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(20, 10));
  EXPECT_TRUE(wnd->isMaximized());
  EXPECT_EQ(wnd->state().restoreWidth, 980);
  EXPECT_EQ(wnd->state().restoreHeight, 560);
  QTest::mouseDClick(wnd->findControl("title"), Qt::LeftButton, {}, QPoint(20, 10));
  EXPECT_FALSE(wnd->isMaximized());
  ASSERT_TRUE(spinUntil([&] { return wnd->size() == QSize(980, 560); }, 2000));
}

TEST_F(WindowLayout, HitTestTable) {
  struct Case {
    QPoint at;
    SkinHit expected;
  };
  // Size box 4 on every side, caption 25 high over the whole width.
  const Case normal[] = {
      {{1, 1}, SkinHit::TopLeft},       {{934, 2}, SkinHit::TopRight},  {{400, 0}, SkinHit::Top},
      {{0, 527}, SkinHit::BottomLeft},  {{935, 528}, SkinHit::BottomRight}, {{400, 527}, SkinHit::Bottom},
      {{2, 300}, SkinHit::Left},        {{933, 300}, SkinHit::Right},
      {{250, 12}, SkinHit::Caption},    // the title label
      {{600, 12}, SkinHit::Caption},    // the empty strip
      {{916, 12}, SkinHit::Client},     // close button
      {{300, 300}, SkinHit::Client},    // the video
      {{300, 24}, SkinHit::Caption},    {{300, 25}, SkinHit::Client},
  };
  for (const Case& c : normal) {
    EXPECT_EQ(wnd->hitTest(c.at), c.expected) << c.at.x() << "," << c.at.y();
  }
  // Buttons of the caption strip stay buttons.
  for (const char* name : {"homebtn", "upgradebtn", "topbtn", "cutbtn", "minbtn", "maxbtn", "closebtn"}) {
    const QRect r = wnd->findControl(name)->position();
    EXPECT_EQ(wnd->hitTest(r.center()), SkinHit::Client) << name;
  }
  // Maximised: no resizing edges, the top strip drags.
  wnd->modes().Maximise();
  ASSERT_TRUE(spinUntil([&] { return wnd->width() == 1920; }, 2000));
  EXPECT_EQ(wnd->hitTest({400, 0}), SkinHit::Caption);
  EXPECT_EQ(wnd->hitTest({0, 500}), SkinHit::Client);
  EXPECT_EQ(wnd->hitTest({1919, 1079}), SkinHit::Client);
}

TEST_F(WindowLayout, RoundCornersExceptWhenMaximised) {
  const QRegion shape = wnd->mask();
  ASSERT_FALSE(shape.isEmpty());
  EXPECT_FALSE(shape.contains(QPoint(0, 0)));
  EXPECT_FALSE(shape.contains(QPoint(935, 528)));
  EXPECT_TRUE(shape.contains(QPoint(5, 5)));
  EXPECT_TRUE(shape.contains(QPoint(468, 264)));
  wnd->modes().Maximise();
  ASSERT_TRUE(spinUntil([&] { return wnd->width() == 1920; }, 2000));
  EXPECT_TRUE(wnd->mask().isEmpty());
}

TEST_F(WindowLayout, AlwaysOnTopSwapsItsButtons) {
  wnd->modes().SetTopmost(true);
  EXPECT_TRUE(wnd->modes().topmost());
  EXPECT_TRUE(wnd->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(shown("topbtn"));
  EXPECT_TRUE(shown("notopbtn"));
  EXPECT_TRUE(wnd->isVisible()) << "the window is not re-created for it";
  wnd->modes().SetTopmost(false);
  EXPECT_FALSE(wnd->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(shown("topbtn"));
  EXPECT_FALSE(shown("notopbtn"));
}

TEST_F(WindowLayout, MinimiseThenRestoreFromTheTray) {
  wnd->modes().Minimise();
  EXPECT_TRUE(wnd->isMinimized());
  wnd->commands().RestoreOrRaise();
  EXPECT_FALSE(wnd->isMinimized());
}

}  // namespace
}  // namespace tembra
