// The media-player object on a private session bus, as another program on
// the bus sees it: the name, the properties with their D-Bus types, the
// methods reaching the program, and PropertiesChanged telling only what
// changed.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QProcess>
#include <gtest/gtest.h>

#include <memory>

#include "EventSpin.h"
#include "mpris/MprisMetadata.h"
#include "mpris/MprisService.h"
#include "mpris/MprisServiceTest.h"  // tests/mpris

namespace tembra {
namespace {

QCoreApplication& app() {
  static int argc = 1;
  static char name[] = "mpris_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication instance(argc, argv);
  return instance;
}

using test::spinUntil;

class FakeRemote : public MprisRemote {
 public:
  MprisState now;
  std::vector<std::string> calls;
  MprisState state() override { return now; }
  void raise() override { calls.push_back("raise"); }
  void quit() override { calls.push_back("quit"); }
  void play() override { calls.push_back("play"); }
  void pause() override { calls.push_back("pause"); }
  void playPause() override { calls.push_back("playPause"); }
  void stop() override { calls.push_back("stop"); }
  void next() override { calls.push_back("next"); }
  void previous() override { calls.push_back("previous"); }
  void setVolume(double v) override { calls.push_back("volume " + std::to_string(static_cast<int>(v * 100))); }
};

class MprisServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    daemon_.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (!daemon_.waitForStarted(5000)) GTEST_SKIP() << "dbus-daemon is missing";
    ASSERT_TRUE(spinUntil([&] { return daemon_.canReadLine(); }, 5000));
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    ASSERT_FALSE(address_.isEmpty());
    static int n = 0;
    ++n;
    serviceName_ = QStringLiteral("svc%1").arg(n);
    clientName_ = QStringLiteral("cli%1").arg(n);
    client_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, clientName_));
    ASSERT_TRUE(client_->isConnected());
    remote_.now.canGoNext = true;
    service_ = std::make_unique<MprisService>(remote_, QDBusConnection::connectToBus(address_, serviceName_));
    ASSERT_TRUE(service_->start());
    ASSERT_TRUE(spinUntil([&] { return service_->owned(); }));
    ASSERT_TRUE(client_->connect(QString(), MprisService::kObjectPath, "org.freedesktop.DBus.Properties",
                                 "PropertiesChanged", &spy_, SLOT(changed(QString, QVariantMap, QStringList))));
  }
  void TearDown() override {
    service_.reset();
    client_.reset();
    QDBusConnection::disconnectFromBus(clientName_);
    QDBusConnection::disconnectFromBus(serviceName_);
    daemon_.kill();
    daemon_.waitForFinished(3000);
  }

  // A call from the other program, answered while this thread's loop runs.
  QDBusMessage call(const QString& interface, const QString& method, const QVariantList& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(MprisService::kBusName, MprisService::kObjectPath, interface, method);
    m.setArguments(args);
    QDBusPendingCall pending = client_->asyncCall(m, 5000);
    spinUntil([&] { return pending.isFinished(); });
    return pending.reply();
  }
  QVariant get(const QString& property, const QString& interface = MprisService::kPlayerInterface) {
    const QDBusMessage reply = call("org.freedesktop.DBus.Properties", "Get", {interface, property});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
  }

  QProcess daemon_;
  QString address_, serviceName_, clientName_;
  std::unique_ptr<QDBusConnection> client_;
  FakeRemote remote_;
  std::unique_ptr<MprisService> service_;
  test::ChangeSpy spy_;
};

TEST_F(MprisServiceTest, PropertiesReadTheProgramWithTheirTypes) {
  EXPECT_EQ(get("Identity", MprisService::kRootInterface).toString(), "Tembra Player");
  EXPECT_TRUE(get("CanQuit", MprisService::kRootInterface).toBool());
  EXPECT_TRUE(get("CanRaise", MprisService::kRootInterface).toBool());
  EXPECT_EQ(get("PlaybackStatus").toString(), "Stopped");
  EXPECT_TRUE(get("CanGoNext").toBool());
  EXPECT_FALSE(get("CanGoPrevious").toBool());
  EXPECT_TRUE(get("CanControl").toBool());
  remote_.now.status = "Playing";
  remote_.now.metadata = MprisMetadata::Build({u"9", u"Nine", u"News", u"At nine", ""});
  EXPECT_EQ(get("PlaybackStatus").toString(), "Playing") << "read when asked, not cached";
  // Metadata arrives as a{sv}: a map whose values are variants.
  const QDBusArgument arg = get("Metadata").value<QDBusArgument>();
  EXPECT_EQ(arg.currentSignature(), "a{sv}");
  QVariantMap map;
  arg >> map;
  EXPECT_EQ(map.value("xesam:title").toString(), "Nine");
  EXPECT_EQ(map.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/tembra/channel/c9");
}

TEST_F(MprisServiceTest, MethodsAndTheVolumeReachTheProgram) {
  for (const char* m : {"Play", "Pause", "PlayPause", "Stop", "Next", "Previous"})
    EXPECT_EQ(call(MprisService::kPlayerInterface, m).type(), QDBusMessage::ReplyMessage) << m;
  call(MprisService::kRootInterface, "Raise");
  call(MprisService::kRootInterface, "Quit");
  call("org.freedesktop.DBus.Properties", "Set",
       {QString(MprisService::kPlayerInterface), "Volume", QVariant::fromValue(QDBusVariant(0.5))});
  call("org.freedesktop.DBus.Properties", "Set",
       {QString(MprisService::kPlayerInterface), "Volume", QVariant::fromValue(QDBusVariant(7.0))});
  EXPECT_EQ(remote_.calls, (std::vector<std::string>{"play", "pause", "playPause", "stop", "next", "previous", "raise",
                                                     "quit", "volume 50", "volume 100"}));
}

TEST_F(MprisServiceTest, PropertiesChangedTellsOnlyWhatChanged) {
  service_->changed();
  remote_.now.status = "Playing";
  remote_.now.metadata = MprisMetadata::Build({u"1", u"One", u"", u"", ""});
  service_->changed();
  ASSERT_TRUE(spinUntil([&] { return !spy_.seen.empty(); }));
  spinUntil([] { return false; }, 200);
  ASSERT_EQ(spy_.seen.size(), 1u) << "nothing changed: nothing told";
  EXPECT_EQ(spy_.seen[0].first, MprisService::kPlayerInterface);
  EXPECT_EQ(spy_.seen[0].second, (QStringList{"Metadata", "PlaybackStatus"}));
  remote_.now.volume = 0.25;
  service_->changed();
  ASSERT_TRUE(spinUntil([&] { return spy_.seen.size() == 2; }));
  EXPECT_EQ(spy_.seen[1].second, QStringList{"Volume"});
}

}  // namespace
}  // namespace tembra
