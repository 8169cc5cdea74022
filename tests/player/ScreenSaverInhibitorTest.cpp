// The screen-saver hold against a session bus of the test's own, with a
// stand-in desktop service that records the calls.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <cstdio>
#include <thread>

#include "player/PlayerTestApp.h"
#include "player/ScreenSaverInhibitor.h"

namespace tembra {
namespace {

class FakeScreenSaver : public QDBusVirtualObject {
 public:
  QStringList calls;
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    calls << message.member() + ":" +
                 (message.arguments().isEmpty() ? QString() : message.arguments().last().toString());
    if (message.member() == "Inhibit") connection.send(message.createReply(QVariant::fromValue(uint32_t(0))));
    return true;
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

TEST(ScreenSaverInhibitor, HoldsAndReleasesThroughTheDesktopServiceOnce) {
  test::PlayerTestApp();
  if (std::system("command -v dbus-daemon >/dev/null 2>&1") != 0) GTEST_SKIP() << "dbus-daemon is missing";
  PrivateBus bus;
  ASSERT_FALSE(bus.address.isEmpty());
  {
    QDBusConnection desktop = QDBusConnection::connectToBus(bus.address, "desktop");
    QDBusConnection client = QDBusConnection::connectToBus(bus.address, "client");
    ASSERT_TRUE(desktop.isConnected() && client.isConnected());

    {
      // No desktop service yet: nothing held, nothing stalls.
      ScreenSaverInhibitor none(client);
      none.setInhibited(true);
      EXPECT_FALSE(none.inhibited());
    }

    FakeScreenSaver saver;
    ASSERT_TRUE(desktop.registerVirtualObject(ScreenSaverInhibitor::kPath, &saver));
    ASSERT_TRUE(desktop.registerService(ScreenSaverInhibitor::kService));
    {
      ScreenSaverInhibitor hold(client);
      // The desktop answers on this thread's event loop: call from a worker.
      bool done = false;
      std::thread t([&] {
        hold.setInhibited(true);
        hold.setInhibited(true);
        done = true;
      });
      ASSERT_TRUE(test::WaitFor([&] { return done; }, 5000));
      t.join();
      EXPECT_TRUE(hold.inhibited()) << "a cookie of 0 is still a hold";
      hold.setInhibited(false);
      hold.setInhibited(false);
      EXPECT_FALSE(hold.inhibited());
      done = false;
      std::thread again([&] {
        hold.setInhibited(true);
        done = true;
      });
      ASSERT_TRUE(test::WaitFor([&] { return done; }, 5000));
      again.join();
      EXPECT_TRUE(hold.inhibited());
    }  // destroyed while holding: released
    ASSERT_TRUE(test::WaitFor([&] { return saver.calls.size() >= 4; }, 5000)) << saver.calls.join(",").toStdString();
    EXPECT_EQ(saver.calls, (QStringList{"Inhibit:Playing live TV", "UnInhibit:0", "Inhibit:Playing live TV",
                                        "UnInhibit:0"}))
        << saver.calls.join(",").toStdString();
  }
  QDBusConnection::disconnectFromBus("desktop");
  QDBusConnection::disconnectFromBus("client");
}

}  // namespace
}  // namespace tembra
