// The screen-saver hold against a session bus of the test's own, with a
// stand-in desktop service that records the calls.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTimer>
#include <cstdio>

#include "player/PlayerTestApp.h"
#include "player/ScreenSaverInhibitor.h"

namespace tembra {
namespace {

// Answers Inhibit with cookie 7, at once or, with holdAnswers, only when
// the test releases the answers.
class FakeScreenSaver : public QDBusVirtualObject {
 public:
  QStringList calls;
  bool holdAnswers = false;
  QList<QPair<QDBusMessage, QDBusConnection>> held;

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    calls << message.member() + ":" +
                 (message.arguments().isEmpty() ? QString() : message.arguments().last().toString());
    if (message.member() != "Inhibit") return true;
    if (holdAnswers) {
      held.append({message, connection});
    } else {
      connection.send(message.createReply(QVariant::fromValue(uint32_t(7))));
    }
    return true;
  }
  void answerHeld() {
    for (auto& [message, connection] : held) connection.send(message.createReply(QVariant::fromValue(uint32_t(7))));
    held.clear();
  }
};

struct PrivateBus {
  pid_t pid = -1;
  QString address;
  PrivateBus() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid = fork();
    if (pid == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--print-address=1", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string line;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') line += c;
    close(fds[0]);
    address = QString::fromStdString(line);
  }
  ~PrivateBus() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
};

struct Desktop {
  PrivateBus bus;
  QDBusConnection desktop{QDBusConnection::connectToBus(bus.address, "desktop")};
  QDBusConnection client{QDBusConnection::connectToBus(bus.address, "client")};
  FakeScreenSaver saver;
  bool offer() {
    return desktop.registerVirtualObject(ScreenSaverInhibitor::kPath, &saver) &&
           desktop.registerService(ScreenSaverInhibitor::kService);
  }
  ~Desktop() {
    desktop.unregisterObject(ScreenSaverInhibitor::kPath);
    QDBusConnection::disconnectFromBus("desktop");
    QDBusConnection::disconnectFromBus("client");
  }
};

bool haveBus() { return std::system("command -v dbus-daemon >/dev/null 2>&1") == 0; }

// Everything below runs on the thread whose event loop also carries the
// desktop's answers: a call that waited for them would never return.
TEST(ScreenSaverInhibitor, HoldsAndReleasesThroughTheDesktopServiceWithItsCookie) {
  test::PlayerTestApp();
  if (!haveBus()) GTEST_SKIP() << "dbus-daemon is missing";
  Desktop d;
  ASSERT_FALSE(d.bus.address.isEmpty());
  ASSERT_TRUE(d.desktop.isConnected() && d.client.isConnected());
  ASSERT_TRUE(d.offer());
  {
    ScreenSaverInhibitor hold(d.client);
    hold.setInhibited(true);
    hold.setInhibited(true);
    EXPECT_TRUE(hold.pending());
    ASSERT_TRUE(test::WaitFor([&] { return hold.inhibited(); }, 5000));
    hold.setInhibited(false);
    hold.setInhibited(false);
    EXPECT_FALSE(hold.inhibited());
    hold.setInhibited(true);
    ASSERT_TRUE(test::WaitFor([&] { return hold.inhibited(); }, 5000));
  }  // destroyed while holding: released
  ASSERT_TRUE(test::WaitFor([&] { return d.saver.calls.size() >= 4; }, 5000)) << d.saver.calls.join(",").toStdString();
  test::Spin(100);
  EXPECT_EQ(d.saver.calls, (QStringList{"Inhibit:Playing live TV", "UnInhibit:7", "Inhibit:Playing live TV",
                                        "UnInhibit:7"}))
      << d.saver.calls.join(",").toStdString();
}

TEST(ScreenSaverInhibitor, WithoutADesktopServiceNothingIsHeldAndItIsNotAskedAgainUntilAPlayEnds) {
  test::PlayerTestApp();
  if (!haveBus()) GTEST_SKIP() << "dbus-daemon is missing";
  Desktop d;
  ASSERT_TRUE(d.client.isConnected());
  ScreenSaverInhibitor none(d.client);
  none.setInhibited(true);
  ASSERT_TRUE(test::WaitFor([&] { return !none.pending(); }, 5000));
  EXPECT_FALSE(none.inhibited());
  none.setInhibited(true);
  EXPECT_FALSE(none.pending()) << "a refusal is not asked again for the same play";

  // A desktop that appears later is asked at the next play.
  ASSERT_TRUE(d.offer());
  none.setInhibited(false);
  none.setInhibited(true);
  ASSERT_TRUE(test::WaitFor([&] { return none.inhibited(); }, 5000));
  EXPECT_EQ(d.saver.calls, QStringList{"Inhibit:Playing live TV"});
}

TEST(ScreenSaverInhibitor, ASlowDesktopNeitherStallsTheThreadNorKeepsAHoldThatWasLetGo) {
  test::PlayerTestApp();
  if (!haveBus()) GTEST_SKIP() << "dbus-daemon is missing";
  Desktop d;
  ASSERT_TRUE(d.offer());
  d.saver.holdAnswers = true;
  int ticks = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
  tick.start(10);
  {
    ScreenSaverInhibitor late(d.client);
    late.setInhibited(true);
    ASSERT_TRUE(test::WaitFor([&] { return d.saver.held.size() == 1 && ticks >= 20; }, 5000))
        << "the thread runs on while the desktop has not answered";
    EXPECT_TRUE(late.pending());
    EXPECT_FALSE(late.inhibited());
    late.setInhibited(false);  // the play ended before the desktop answered
    d.saver.answerHeld();
    ASSERT_TRUE(test::WaitFor([&] { return d.saver.calls.size() == 2; }, 5000)) << d.saver.calls.join(",").toStdString();
    EXPECT_EQ(d.saver.calls.last(), "UnInhibit:7") << "the late hold is given straight back";
    EXPECT_FALSE(late.inhibited());
    EXPECT_FALSE(late.pending());

    late.setInhibited(true);
    ASSERT_TRUE(test::WaitFor([&] { return d.saver.held.size() == 1; }, 5000));
  }  // destroyed with the answer still out
  d.saver.answerHeld();
  ASSERT_TRUE(test::WaitFor([&] { return d.saver.calls.size() == 4; }, 5000)) << d.saver.calls.join(",").toStdString();
  EXPECT_EQ(d.saver.calls.last(), "UnInhibit:7");
}

}  // namespace
}  // namespace tembra
