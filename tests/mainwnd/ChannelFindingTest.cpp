// Finding a channel in the main window: the search field over the channel
// list, favourites and recently watched channels (kept in a file across
// windows), channel numbers typed over the list or the video, and the
// rows' context menu. A real window over a source of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <fstream>
#include <sstream>

#include "mainwnd/ChannelFinder.h"
#include "mainwnd/ChannelPanel.h"
#include "mainwnd/DigitsOverlay.h"
#include "mainwnd/FakeChannelSource.h"
#include "mainwnd/MainWindowTestKit.h"
#include "mainwnd/QtTestApp.h"
#include "platform/Utf.h"
#include "skin/CListUI.h"
#include "skin/SkinCombo.h"
#include "skin/SkinEdit.h"
#include "skin/SkinListView.h"

namespace tembra {
namespace {

// Two groups; channel "c3" has no number of its own (its place, 3, is
// taken as its number), "c6" is in no group.
using test::lineUpChannel;
const std::vector<SourceChannel> kLineUp = {
    lineUpChannel(u"c1", u"BBC One", u"news", 101),    lineUpChannel(u"c2", u"Télé Évasion", u"fr", 7),
    lineUpChannel(u"c3", u"Arte", u"fr"),              lineUpChannel(u"c4", u"CNN International", u"news", 12),
    lineUpChannel(u"c5", u"Canal+ Sport", u"fr", 40),  lineUpChannel(u"c6", u"Loose Channel", u"", 55),
};
const std::vector<SourceGroup> kGroups = {{u"news", u"News & Général"}, {u"fr", u"Français"}};

class Finding : public ::testing::Test {
 protected:
  void SetUp() override { open(); }

  void open(const std::vector<SourceChannel>& rows = kLineUp) {
    TembraPlayerWnd::Setup s = kit.setup();
    source = std::make_shared<test::FakeChannelSource>(kGroups, rows);
    s.source = source;
    s.favouritesFile = kit.dir.file("config/tembra/favourites-1.ini");
    s.actions = &actions;
    ASSERT_TRUE(kit.open(std::move(s)));
    ASSERT_NE(kit.player, nullptr);
    wnd().channels().ShowCatalogueState();
    finder = wnd().findChild<ChannelFinder*>();
    ASSERT_NE(finder, nullptr);
  }
  // Made again over the same files, as a restart does.
  void reopen(const std::vector<SourceChannel>& rows = kLineUp) {
    kit.window.reset();
    kit.player = nullptr;
    open(rows);
  }

  TembraPlayerWnd& wnd() { return *kit.window; }
  ChannelPanel& panel() { return wnd().channels(); }
  CListUI* list() { return wnd().findList(QStringLiteral("channellist")); }
  SkinCombo* groups() { return wnd().findCombo(QStringLiteral("channeltype")); }
  QLineEdit* field() { return qobject_cast<SkinEdit*>(wnd().findControl(QStringLiteral("channelsearch")))->lineEdit(); }
  std::vector<std::string> ids() {
    std::vector<std::string> out;
    for (int i = 0; i < list()->count(); ++i) out.push_back(list()->item(i)->name.toStdString());
    return out;
  }
  std::string played() { return kit.player->addresses.empty() ? "" : toUtf8(kit.player->addresses.back()); }
  void selectGroup(const char16_t* id) { groups()->select(groups()->findByName(QString::fromStdU16String(id))); }
  // Typed the way the panel gets it: the window's own actions run the
  // selector's notification (the recording actions here do not).
  void pickGroup(const char16_t* id) {
    selectGroup(id);
    panel().FillChannelList();
  }

  test::WindowUnderTest kit;
  test::RecordingActions actions;
  std::shared_ptr<test::FakeChannelSource> source;
  ChannelFinder* finder = nullptr;
};

TEST_F(Finding, TheSearchFiltersEveryGroupByNameNumberAndGroupWithoutCaseOrAccents) {
  pickGroup(u"news");
  ASSERT_EQ(ids(), (std::vector<std::string>{"c1", "c4"}));
  struct Case {
    const char* typed;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"tele", {"c2"}},             {"ÉVASION", {"c2"}},        {"francais", {"c2", "c3", "c5"}},
      {"12", {"c4"}},               {"3", {"c3"}},              {"general cnn", {"c4"}},
      {"loose", {"c6"}},            {"no such channel", {}},
  };
  for (const Case& c : cases) {
    field()->setText(QString::fromUtf8(c.typed));
    EXPECT_EQ(ids(), c.rows) << c.typed << ": every group, not only the one picked";
    std::vector<std::string> shown;  // what the guide grid lists meanwhile
    for (const SourceChannelRef& channel : panel().channelsOnShow()) shown.push_back(toUtf8(channel->id));
    EXPECT_EQ(shown, c.rows) << c.typed;
  }
  // Esc in the field gives the group's list back, and an empty field.
  field()->setText(QStringLiteral("arte"));
  QTest::keyClick(field(), Qt::Key_Escape);
  EXPECT_TRUE(field()->text().isEmpty());
  EXPECT_EQ(ids(), (std::vector<std::string>{"c1", "c4"}));
  EXPECT_TRUE(panel().searchText().isEmpty());

  // Picking a group while searching gives the search up.
  field()->setText(QStringLiteral("sport"));
  pickGroup(u"fr");
  EXPECT_TRUE(field()->text().isEmpty());
  EXPECT_EQ(ids(), (std::vector<std::string>{"c2", "c3", "c5"}));
}

TEST_F(Finding, ALetterOverTheListOrTheVideoStartsTheSearchAndEnterPlaysTheFirstMatch) {
  QTest::keyClicks(list()->view(), QStringLiteral("cn"));
  EXPECT_EQ(field()->text().toStdString(), "cn") << "the letters went to the field";
  EXPECT_EQ(ids(), (std::vector<std::string>{"c4"}));
  QTest::keyClick(field(), Qt::Key_Return);
  EXPECT_EQ(played(), "http://127.0.0.1:1/c4");
  EXPECT_EQ(wnd().state().channelListMark, 0);
  QTest::keyClick(list()->view(), Qt::Key_Up);
  EXPECT_EQ(field()->selectedText().toStdString(), "cn") << "Up from the first match: the text, ready to retype";

  QTest::keyClick(field(), Qt::Key_Escape);
  EXPECT_EQ(ids().size(), kLineUp.size());
  QTest::keyClick(kit.player->widget(), Qt::Key_A);
  EXPECT_EQ(field()->text().toStdString(), "a") << "a key the video did not take rises to the window";
  QTest::keyClick(kit.player->widget(), Qt::Key_R);
  EXPECT_EQ(field()->text().toStdString(), "a") << "R over the video is not a search";
}

TEST_F(Finding, NumbersAreTheSourcesOrThePlaceAndTypedDigitsPlayThem) {
  std::vector<std::string> numbers;
  for (int i = 0; i < list()->count(); ++i) numbers.push_back(list()->item(i)->number.toStdString());
  EXPECT_EQ(numbers, (std::vector<std::string>{"101", "7", "3", "12", "40", "55"}));

  // Over the list: "1", "2" wait in the overlay, then play channel 12.
  QTest::keyClick(list()->view(), Qt::Key_1);
  QTest::keyClick(list()->view(), Qt::Key_2);
  EXPECT_EQ(finder->typedDigits().toStdString(), "12");
  EXPECT_TRUE(finder->overlay()->isVisibleTo(&wnd()));
  EXPECT_EQ(finder->overlay()->text().toStdString(), "12");
  EXPECT_TRUE(played().empty()) << "not before the wait ends";
  ASSERT_TRUE(test::spinUntil([&] { return !played().empty(); }, ChannelFinder::kDigitWaitMs + 2000));
  EXPECT_EQ(played(), "http://127.0.0.1:1/c4");
  EXPECT_EQ(wnd().state().channelListMark, 3);
  EXPECT_FALSE(finder->overlay()->isVisibleTo(&wnd()));

  // Over the video, Enter ends the wait; a number nobody has says so.
  QTest::keyClick(kit.player->widget(), Qt::Key_7);
  QTest::keyClick(kit.player->widget(), Qt::Key_Return);
  EXPECT_EQ(played(), "http://127.0.0.1:1/c2");
  QTest::keyClick(kit.player->widget(), Qt::Key_9);
  QTest::keyClick(kit.player->widget(), Qt::Key_9);
  finder->commitDigits();
  EXPECT_EQ(played(), "http://127.0.0.1:1/c2");
  EXPECT_EQ(finder->overlay()->text().toStdString(), "No channel 99");
  ASSERT_TRUE(test::spinUntil([&] { return !finder->overlay()->isVisibleTo(&wnd()); }, ChannelFinder::kNoticeMs + 2000));

  // A channel outside the group on show plays without changing the group.
  pickGroup(u"news");
  QTest::keyClick(list()->view(), Qt::Key_4);
  QTest::keyClick(list()->view(), Qt::Key_0);
  finder->commitDigits();
  EXPECT_EQ(played(), "http://127.0.0.1:1/c5");
  EXPECT_EQ(ids(), (std::vector<std::string>{"c1", "c4"}));
  EXPECT_EQ(wnd().state().channelListMark, -1);
}

TEST_F(Finding, FavouritesAreToggledOrderedAndKeptAcrossARestartAndARename) {
  list()->select(2);
  QTest::keyClick(list()->view(), Qt::Key_F);
  EXPECT_TRUE(list()->item(2)->favourite);
  list()->select(0);
  panel().ToggleFavourite(0);
  list()->select(4);
  QTest::keyClick(list()->view(), Qt::Key_F);
  EXPECT_TRUE(list()->item(0)->favourite);
  EXPECT_FALSE(list()->item(1)->favourite);

  pickGroup(ChannelPanel::kFavouritesGroup.data());
  EXPECT_EQ(ids(), (std::vector<std::string>{"c3", "c1", "c5"}));
  EXPECT_TRUE(panel().ShowingFavourites());
  EXPECT_TRUE(panel().MoveFavourite(2, -1));
  EXPECT_EQ(ids(), (std::vector<std::string>{"c3", "c5", "c1"}));
  EXPECT_EQ(list()->selectedIndex(), 1) << "the moved row stays selected";
  EXPECT_FALSE(panel().MoveFavourite(0, -1));
  // F in "Favourites" takes the row away.
  list()->select(0);
  QTest::keyClick(list()->view(), Qt::Key_F);
  EXPECT_EQ(ids(), (std::vector<std::string>{"c5", "c1"}));

  // The provider renames c5 and gives "BBC One" a new id.
  const std::vector<SourceChannel> renamed = {lineUpChannel(u"c1x", u"BBC One", u"news", 101),
                                             lineUpChannel(u"c5", u"Canal+ Sport HD", u"fr", 40)};
  source->setChannels(renamed);
  wnd().channels().ShowCatalogueState();
  EXPECT_EQ(ids(), (std::vector<std::string>{"c5", "c1x"}));
  reopen(renamed);
  selectGroup(ChannelPanel::kFavouritesGroup.data());
  panel().FillChannelList();
  EXPECT_EQ(ids(), (std::vector<std::string>{"c5", "c1x"})) << "kept in the file";
  EXPECT_EQ(list()->item(0)->text.toStdString(), "Canal+ Sport HD");
  struct stat info {};
  ASSERT_EQ(::stat(kit.dir.file("config/tembra/favourites-1.ini").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// A list left empty by its group or the search says why.
TEST_F(Finding, AnEmptyFavouritesRecentOrSearchSaysWhy) {
  pickGroup(ChannelPanel::kFavouritesGroup.data());
  ASSERT_TRUE(ids().empty());
  EXPECT_EQ(list()->emptyText().toStdString(), "No favourites yet. Right-click a channel to add it.");
  pickGroup(ChannelPanel::kRecentGroup.data());
  EXPECT_EQ(list()->emptyText().toStdString(), "The channels you watch will be listed here.");
  field()->setText(QStringLiteral("no such channel"));
  ASSERT_TRUE(ids().empty());
  EXPECT_EQ(list()->emptyText(), QStringLiteral("No channel matches \u201cno such channel\u201d"));
  QTest::keyClick(field(), Qt::Key_Escape);
  EXPECT_EQ(list()->emptyText().toStdString(), "The channels you watch will be listed here.");
  pickGroup(u"news");
  EXPECT_FALSE(ids().empty());
  EXPECT_TRUE(list()->emptyText().isEmpty()) << "a group of channels has nothing to say";
}

TEST_F(Finding, RecentlyWatchedListsTheLastPlayedNewestFirstAndTheLastPlaysAgainAtStart) {
  for (int row : {1, 4, 1, 0}) {
    list()->select(row);
    panel().OnChannelListActivate();
  }
  pickGroup(ChannelPanel::kRecentGroup.data());
  EXPECT_EQ(ids(), (std::vector<std::string>{"c1", "c2", "c5"}));
  EXPECT_EQ(wnd().state().channelListMark, 0) << "the playing channel is marked";

  reopen();
  EXPECT_TRUE(kit.player->addresses.empty());
  panel().WindowStarted();
  EXPECT_EQ(played(), "http://127.0.0.1:1/c1") << "the last channel again";
  EXPECT_EQ(wnd().state().channelListMark, 0);

  // The setting off: nothing plays by itself.
  panel().favourites().setResumeLast(false);
  ASSERT_TRUE(panel().favourites().save());
  reopen();
  panel().WindowStarted();
  EXPECT_TRUE(kit.player->addresses.empty());
}

TEST_F(Finding, TheRowMenuPlaysKeepsFavouritesShowsTheGuideAndCopiesTheAddress) {
  auto texts = [&] {
    std::vector<std::string> out;
    for (QAction* a : finder->menu()->actions())
      if (!a->isSeparator()) out.push_back(a->text().remove(u'&').toStdString());
    return out;
  };
  auto trigger = [&](const char* text) {
    for (QAction* a : finder->menu()->actions())
      if (a->text().remove(u'&') == QLatin1String(text)) {
        a->trigger();
        finder->menu()->close();
        return true;
      }
    return false;
  };
  finder->openMenu(3, QPoint(100, 100));
  ASSERT_NE(finder->menu(), nullptr);
  EXPECT_EQ(texts(), (std::vector<std::string>{"Play", "Add to favourites", "Show guide", "Copy stream address"}));
  ASSERT_TRUE(trigger("Copy stream address"));
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "http://127.0.0.1:1/c4");

  finder->openMenu(3, QPoint(100, 100));
  ASSERT_TRUE(trigger("Add to favourites"));
  EXPECT_TRUE(list()->item(3)->favourite);
  finder->openMenu(3, QPoint(100, 100));
  EXPECT_EQ(texts()[1], "Remove from favourites");
  ASSERT_TRUE(trigger("Play"));
  EXPECT_EQ(played(), "http://127.0.0.1:1/c4");  // through the window's actions: recorded
  finder->openMenu(5, QPoint(100, 100));
  actions.clear();
  ASSERT_TRUE(trigger("Show guide"));
  EXPECT_EQ(list()->selectedIndex(), 5);
  EXPECT_EQ(actions.last(), "OpenChannelGuide c6 Loose Channel");

  list()->select(0);
  panel().ToggleFavourite(0);
  pickGroup(ChannelPanel::kFavouritesGroup.data());
  finder->openMenu(0, QPoint(100, 100));
  EXPECT_EQ(texts(), (std::vector<std::string>{"Play", "Remove from favourites", "Move up", "Move down", "Show guide",
                                               "Copy stream address"}));
  EXPECT_EQ(ids(), (std::vector<std::string>{"c4", "c1"}));
  ASSERT_TRUE(trigger("Move down"));
  EXPECT_EQ(ids(), (std::vector<std::string>{"c1", "c4"}));
  finder->openMenu(1, QPoint(100, 100));
  for (QAction* a : finder->menu()->actions()) {
    if (a->text().remove(u'&') == QLatin1String("Move down")) {
      EXPECT_FALSE(a->isEnabled()) << "the last row";
    }
  }
}

}  // namespace
}  // namespace tembra
