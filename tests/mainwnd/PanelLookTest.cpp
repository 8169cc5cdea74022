// The side panel's looks: its widths by window width and by a dragged
// splitter (kept across windows), the channel rows' badges, logos and
// programme on now, the logos' loader against a logo server on loopback,
// and the guide rows' menu.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QBuffer>
#include <QImage>
#include <QTest>

#include <atomic>

#include "LoopbackHttpServer.h"
#include "TempDir.h"
#include "mainwnd/ChannelRowDecor.h"
#include "mainwnd/FakeChannelSource.h"
#include "mainwnd/GuideRowMenu.h"
#include "mainwnd/LogoLoader.h"
#include "mainwnd/MainWindowTestKit.h"
#include "mainwnd/PanelLook.h"
#include "mainwnd/PanelSettings.h"
#include "mainwnd/PanelSizing.h"
#include "mainwnd/QtTestApp.h"
#include "guidegrid/ChannelInitials.h"
#include "platform/ProfileFile.h"
#include "platform/Utf.h"
#include "skin/SkinControl.h"

namespace tembra {
namespace {

using test::spinUntil;
using Widths = PanelSizing::Widths;

TEST(PanelSizing, TheSmallestWindowKeepsTheSkinsWidthsALargerOneGrowsThePanelUpToItsCap) {
  const struct {
    int window, wanted;
    Widths widths;
  } cases[] = {
      {936, 0, {341, 100}},
      {900, 0, {341, 100}},   // narrower than the minimum: never below the skin's
      {936, 800, {341, 100}}, // a dragged width the window has no room for
      {1000, 0, {360, 108}},  // 341 + 64 * 30 %; 100 + 19 * 45 %
      {1280, 0, {444, 146}},
      {1920, 0, {620, 225}},  // the cap
      {3840, 0, {620, 225}},
      {1920, 500, {500, 171}},
      {1920, 200, {341, 100}},   // never narrower than the skin's
      {1920, 1400, {1325, 260}}, // the player keeps 585 + splitter + border; the column its cap
      {1100, 700, {505, 173}},   // 1100 - 595
  };
  for (const auto& c : cases)
    EXPECT_EQ(PanelSizing::forWindow(c.window, c.wanted), c.widths) << c.window << " wanted " << c.wanted;
  // The splitter's left edge at the skin's place gives the skin's width.
  EXPECT_EQ(PanelSizing::fromSplitter(936, 585, 3, 7), 341);
  EXPECT_EQ(PanelSizing::fromSplitter(1920, 1000, 3, 7), 910);

  const int heights[][2] = {{529, 85}, {400, 85}, {600, 102}, {800, 152}, {1080, 220}, {2000, 220}};
  for (const auto& h : heights) EXPECT_EQ(PanelSizing::detailsFor(h[0]), h[1]) << h[0];
}

TEST(PanelSettings, KeepsTheWidthAndTheProgrammeLineAndReadsNonsenseAsNotChosen) {
  test::TempDir dir("panel-settings");
  const std::string path = dir.file("deep/er/window.ini");
  PanelSettings settings(path);
  EXPECT_EQ(settings.width(), 0);
  EXPECT_FALSE(settings.nowOnChannels().has_value());
  ASSERT_TRUE(settings.setWidth(512)) << "the folders are made";
  ASSERT_TRUE(settings.setNowOnChannels(false));
  PanelSettings again(path);
  EXPECT_EQ(again.width(), 512);
  EXPECT_EQ(again.nowOnChannels(), false);
  EXPECT_FALSE(again.setWidth(0));
  EXPECT_FALSE(again.setWidth(-5));
  EXPECT_EQ(again.width(), 512) << "a refused width leaves the kept one";

  const struct {
    const char16_t* width;
    int read;
  } widths[] = {{u"600", 600}, {u"-1", 0}, {u"0", 0}, {u"abc", 0}, {u"600px", 0},
                {u"99999999999", 0}, {u"16385", 0}, {u"", 0}};
  for (const auto& w : widths) {
    ASSERT_TRUE(ProfileFile::WriteString(path, u"Panel", u"Width", w.width));
    EXPECT_EQ(again.width(), w.read) << toUtf8(w.width);
  }
  for (const char16_t* bad : {u"2", u"yes", u"-1", u""}) {
    ASSERT_TRUE(ProfileFile::WriteString(path, u"Panel", u"NowOnChannels", bad));
    EXPECT_FALSE(again.nowOnChannels().has_value()) << toUtf8(bad);
  }
}

TEST(GuideRowMenu, OffersTheArchiveOnlyForProgrammesWithinTheChannelsCatchUp) {
  using A = GuideRowMenu::Action;
  using E = GuideRowMenu::Entry;
  const int64_t now = 1'800'000'000;
  const int64_t hour = 3600, day = 86400;
  const struct {
    GuideRowMenu::Row row;
    std::vector<E> entries;
  } cases[] = {
      // No catch-up: play and details.
      {{true, std::nullopt, now - hour, now, false}, {{A::Play, true}, {A::Details, true}}},
      // Within three days of catch-up, the player not yet able: disabled.
      {{true, 3, now - hour, now, false}, {{A::Play, true}, {A::Details, true}, {A::Archive, false}}},
      {{true, 3, now - hour, now, true}, {{A::Play, true}, {A::Details, true}, {A::Archive, true}}},
      {{true, 3, now - 3 * day, now, true}, {{A::Play, true}, {A::Details, true}, {A::Archive, true}}},
      // Too old for the catch-up, or not begun yet, or its start unknown.
      {{true, 3, now - 3 * day - 1, now, true}, {{A::Play, true}, {A::Details, true}}},
      {{true, 3, now + 60, now, true}, {{A::Play, true}, {A::Details, true}}},
      {{true, 3, 0, now, true}, {{A::Play, true}, {A::Details, true}}},
      // A span not said reaches any past programme.
      {{true, 0, now - 30 * day, now, true}, {{A::Play, true}, {A::Details, true}, {A::Archive, true}}},
      // A row whose channel is not in the list any more cannot play.
      {{false, 3, now - hour, now, true}, {{A::Play, false}, {A::Details, true}}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(GuideRowMenu::entries(cases[i].row), cases[i].entries) << i;
}

GuideRow row(const char16_t* id, const char16_t* title, const char16_t* date, const char16_t* time) {
  return GuideRow{id, u"", {title, date, date, time}};
}

CListLabelElementUI itemNamed(const char16_t* id) {
  CListLabelElementUI item;
  item.name = QString::fromUtf16(id);
  item.text = QStringLiteral("text");
  return item;
}

TEST(ChannelRowDecor, ProgrammeOnNowEndsWhereTheChannelsNextOneStartsAndShowsHowMuchHasRun) {
  const struct {
    int64_t start, stop, now;
    std::optional<double> share;
  } shares[] = {{100, 200, 150, 0.5}, {100, 200, 100, 0.0}, {100, 200, 50, 0.0},  {100, 200, 250, 1.0},
                {100, 100, 150, std::nullopt}, {100, 0, 150, std::nullopt}, {0, 200, 150, std::nullopt}};
  for (const auto& s : shares) EXPECT_EQ(ChannelRowDecor::progress(s.start, s.stop, s.now), s.share) << s.now;

  const int64_t start = GuideSource::localTimeOf(u"2026-12-10", u"06:00:00").value();
  test::FakeChannelSource source({}, {test::lineUpChannel(u"1", u"BBC One"), test::lineUpChannel(u"2", u"Channel 4")});
  int64_t clock = start + 15 * 60;
  ChannelRowDecor decor(source, nullptr, true, [&] { return clock; });
  decor.setProgrammes({row(u"1", u"Breakfast", u"2026-12-10", u"06:00:00"), row(u"2", u"Film", u"2026-12-10", u"05:00:00")},
                      {row(u"1", u"News", u"2026-12-10", u"07:00:00"), row(u"3", u"Other", u"2026-12-10", u"06:30:00")});
  ASSERT_TRUE(decor.programmeOf(u"1").has_value());
  EXPECT_EQ(decor.programmeOf(u"1")->stop, start + 3600);
  EXPECT_EQ(decor.programmeOf(u"2")->stop, 0) << "no next row: the end is not known";
  EXPECT_FALSE(decor.programmeOf(u"3").has_value());

  SkinRowDecoration d = decor.decorate(itemNamed(u"1"), 30, true);
  EXPECT_EQ(d.subline, QStringLiteral("Breakfast"));
  EXPECT_DOUBLE_EQ(d.progress, 0.25);
  EXPECT_FALSE(d.picture.isNull()) << "the badge stands in for a logo";
  d = decor.decorate(itemNamed(u"2"), 30, true);
  EXPECT_EQ(d.subline, QStringLiteral("Film"));
  EXPECT_LT(d.progress, 0) << "no bar without an end";
  // No room for a second line, or the viewer turned it off: the name only.
  EXPECT_TRUE(decor.decorate(itemNamed(u"1"), 30, false).subline.isEmpty());
  EXPECT_TRUE(decor.decorate(itemNamed(u"1"), 0, true).picture.isNull()) << "no room for a picture";
  decor.setShowProgramme(false);
  EXPECT_TRUE(decor.decorate(itemNamed(u"1"), 30, true).subline.isEmpty());
  EXPECT_LT(decor.decorate(itemNamed(u"1"), 30, true).progress, 0);
}

TEST(ChannelRowDecor, BadgesAreTheChannelsInitialsInItsOwnColour) {
  const QImage one = ChannelRowDecor::badge(QStringLiteral("BBC One"), 24, 1.0).toImage();
  const QImage four = ChannelRowDecor::badge(QStringLiteral("Channel 4"), 24, 1.0).toImage();
  ASSERT_EQ(one.size(), QSize(24, 24));
  EXPECT_EQ(ChannelRowDecor::badge(QStringLiteral("BBC One"), 24, 2.0).size(), QSize(48, 48)) << "sharp on a 2x screen";
  EXPECT_EQ(one.pixelColor(0, 0).alpha(), 0) << "rounded corners";
  const QColor fill = one.pixelColor(3, 12);
  EXPECT_EQ(fill.rgb(), QColor::fromHsv(channelHue(u"BBC One"), 110, 150).rgb());
  EXPECT_NE(fill.rgb(), four.pixelColor(3, 12).rgb());
  // The initials are drawn in white over the middle.
  int white = 0;
  for (int y = 6; y < 18; ++y)
    for (int x = 4; x < 20; ++x) white += one.pixelColor(x, y).lightness() > 200;
  EXPECT_GT(white, 6);
}

std::string pngOf(const QSize& size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

// /logo/N.png: a red 64 x 64 PNG; /wide.png: 5000 x 10; /page: HTML.
class LogoServer {
 public:
  LogoServer() {
    server_.http().Get(R"(/logo/\d+\.png)", [this](const httplib::Request&, httplib::Response& res) {
      ++hits;
      res.set_content(pngOf({64, 64}, Qt::red), "image/png");
    });
    server_.http().Get("/wide.png", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(pngOf({5000, 10}, Qt::blue), "image/png");
    });
    server_.http().Get("/page", [](const httplib::Request&, httplib::Response& res) { res.set_content("<html/>", "text/html"); });
    server_.start();
  }
  std::string url(const std::string& path) const { return server_.url(path); }
  std::atomic<int> hits{0};

 private:
  test::LoopbackHttpServer server_;  // last: it stops before what its handlers use goes
};

TEST(LogoLoader, FetchesOffTheGuiThreadScalesOnceAndKeepsPicturesItCouldNotHaveOut) {
  LogoServer server;
  test::TempDir dir("logo-loader");
  LogoLoader loader(dir.file("logos"), LogoCache::Limits{});
  int arrived = 0;
  QObject::connect(&loader, &LogoLoader::arrived, [&] { ++arrived; });

  const std::string red = server.url("/logo/1.png");
  EXPECT_TRUE(loader.logo(red, 24, 1.0).isNull()) << "never waits in a paint";
  EXPECT_TRUE(loader.logo(red, 24, 1.0).isNull());
  ASSERT_TRUE(spinUntil([&] { return !loader.logo(red, 24, 1.0).isNull(); }));
  const QPixmap got = loader.logo(red, 24, 1.0);
  EXPECT_EQ(got.size(), QSize(24, 24));
  EXPECT_EQ(got.toImage().pixelColor(12, 12).rgb(), QColor(Qt::red).rgb());
  EXPECT_EQ(server.hits.load(), 1) << "asked twice while on its way, fetched once";
  EXPECT_TRUE(loader.logo(red, 24, 2.0).isNull()) << "another size is another picture";
  ASSERT_TRUE(spinUntil([&] { return !loader.logo(red, 24, 2.0).isNull(); }));
  EXPECT_EQ(loader.logo(red, 24, 2.0).size(), QSize(48, 48));
  EXPECT_EQ(server.hits.load(), 1) << "the second size comes from the disk";

  for (const std::string& bad : {server.url("/wide.png"), server.url("/page"), std::string("http://127.0.0.1:1/x.png")}) {
    EXPECT_TRUE(loader.logo(bad, 24, 1.0).isNull());
    ASSERT_TRUE(spinUntil([&] { return loader.failed(bad); }, 15000)) << bad;
    EXPECT_TRUE(loader.logo(bad, 24, 1.0).isNull());
  }
  EXPECT_GT(arrived, 0);
}

TEST(LogoLoader, OnlyTheNewestRequestsWaitAndDecodingRefusesGiantPictures) {
  test::TempDir dir("logo-loader");
  {
    LogoLoader loader(dir.file("logos"), LogoCache::Limits{});
    // Addresses nobody answers quickly: the workers are busy, the rest waits.
    for (int i = 0; i < 500; ++i) loader.logo("http://10.255.255.1:9/" + std::to_string(i) + ".png", 24, 1.0);
    EXPECT_LE(loader.waiting(), LogoLoader::kQueueCap);
  }  // and its end does not wait for those downloads

  EXPECT_TRUE(LogoLoader::decode(pngOf({5000, 10}, Qt::blue), 24).isNull());
  EXPECT_TRUE(LogoLoader::decode("not a picture", 24).isNull());
  EXPECT_TRUE(LogoLoader::decode("", 24).isNull());
  EXPECT_EQ(LogoLoader::decode(pngOf({200, 100}, Qt::green), 40).size(), QSize(40, 20)) << "its shape is kept";
  EXPECT_EQ(LogoLoader::decode(pngOf({16, 16}, Qt::green), 40).size(), QSize(16, 16)) << "a small one is not blown up";
}

// The real window: dragging its splitter widens the panel, the width is
// kept in the settings and the next window opens with it.
class PanelInWindow : public ::testing::Test {
 protected:
  TembraPlayerWnd& open(int width, int height) {
    kit.window.reset();
    TembraPlayerWnd& w = kit.make(&actions);
    EXPECT_TRUE(w.Create());
    w.resize(width, height);
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    return w;
  }
  int left(TembraPlayerWnd& w, const char* name) { return w.findControl(QString::fromLatin1(name))->position().left(); }

  test::WindowUnderTest kit;
  test::RecordingActions actions;
};

TEST_F(PanelInWindow, DraggingTheSplitterWidensThePanelAndTheNextWindowKeepsIt) {
  TembraPlayerWnd& w = open(1400, 800);
  const int automatic = PanelSizing::forWindow(1400, 0).panel;
  EXPECT_EQ(w.state().panelWidth, automatic);
  SkinControl* splitter = w.findControl(QStringLiteral("splittertop"));
  ASSERT_NE(splitter, nullptr);
  const QPoint grab(3, 200);
  ASSERT_EQ(w.childAt(splitter->mapTo(&w, grab)), splitter);
  QTest::mousePress(splitter, Qt::LeftButton, {}, grab);
  QTest::mouseMove(splitter, grab - QPoint(150, 0));
  QTest::mouseRelease(splitter, Qt::LeftButton, {}, grab - QPoint(150, 0));
  EXPECT_EQ(w.state().panelWidth, automatic + 150);
  EXPECT_EQ(left(w, "infolayout"), 1400 - (automatic + 150) - 3 - 7 + 6) << "the panel moved with the splitter";
  EXPECT_EQ(w.state().listWidth, PanelSizing::listFor(automatic + 150));
  EXPECT_EQ(w.findControl(QStringLiteral("channellist"))->position().width(), w.state().listWidth);
  EXPECT_EQ(PanelSettings(kit.dir.file("window.ini")).width(), automatic + 150);

  TembraPlayerWnd& next = open(1400, 800);
  EXPECT_EQ(next.state().panelWidth, automatic + 150);
  // At the skin's own size the skin's layout stands, whatever was dragged.
  next.resize(936, 529);
  EXPECT_EQ(next.state().panelWidth, 341);
  EXPECT_EQ(left(next, "infolayout"), 591);
  EXPECT_EQ(next.findControl(QStringLiteral("channellist"))->position().width(), 100);
}

}  // namespace
}  // namespace tembra
