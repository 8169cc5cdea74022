#include "mainwnd/SingleInstance.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "mainwnd/QtTestApp.h"

namespace tembra {
namespace {

using test::spinUntil;
using test::TempDir;
using Outcome = SingleInstance::Outcome;

// Runs establish() of a later copy on its own thread, as a second process
// would, while this thread serves the first copy's socket.
Outcome establishElsewhere(SingleInstance& later, int graceMs, int* elapsedMs = nullptr) {
  std::atomic<bool> done{false};
  Outcome outcome = Outcome::Failed;
  QElapsedTimer clock;
  clock.start();
  std::thread t([&] {
    outcome = later.establish(graceMs);
    done = true;
  });
  spinUntil([&] { return done.load(); }, graceMs + 10000);
  t.join();
  if (elapsedMs) *elapsedMs = static_cast<int>(clock.elapsed());
  return outcome;
}

TEST(SingleInstance, RuntimeDirectoryPrefersXdgAndFallsBackToAPrivateFolder) {
  TempDir xdg("tembra-xdg"), root("tembra-root");
  const unsigned uid = ::getuid();
  EXPECT_EQ(SingleInstance::runtimeDirectory(xdg.path().c_str(), root.path(), uid), xdg.path());

  const std::string fallback = root.path() + "/tembra-" + std::to_string(uid);
  for (const char* xdgValue : {static_cast<const char*>(nullptr), "", "relative/dir",
                               "/nonexistent/runtime"}) {
    EXPECT_EQ(SingleInstance::runtimeDirectory(xdgValue, root.path(), uid), fallback)
        << (xdgValue ? xdgValue : "(unset)");
  }
  struct stat st {};
  ASSERT_EQ(::stat(fallback.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(SingleInstance, ForeignOrOpenFallbackFolderIsRefused) {
  TempDir root("tembra-root");
  const unsigned uid = ::getuid();
  const std::string fallback = root.path() + "/tembra-" + std::to_string(uid);

  ASSERT_EQ(::mkdir(fallback.c_str(), 0755), 0);
  ::chmod(fallback.c_str(), 0755);
  EXPECT_EQ(SingleInstance::runtimeDirectory(nullptr, root.path(), uid), "");
  ::rmdir(fallback.c_str());

  TempDir elsewhere("tembra-elsewhere");
  ::chmod(elsewhere.path().c_str(), 0700);
  ASSERT_EQ(::symlink(elsewhere.path().c_str(), fallback.c_str()), 0);
  EXPECT_EQ(SingleInstance::runtimeDirectory(nullptr, root.path(), uid), "");
  ::unlink(fallback.c_str());

  // a folder of the right shape but another owner
  ASSERT_EQ(::mkdir(fallback.c_str(), 0700), 0);
  EXPECT_EQ(SingleInstance::runtimeDirectory(nullptr, root.path(), uid + 1), "");
  EXPECT_EQ(SingleInstance::runtimeDirectory(nullptr, root.path(), uid), fallback);
}

TEST(SingleInstance, FirstCopyTakesTheLockALaterOneWithoutAnswerGivesUp) {
  TempDir dir("tembra-run");
  SingleInstance first(dir.path());
  EXPECT_EQ(first.establish(0), Outcome::Primary);
  EXPECT_TRUE(std::filesystem::exists(first.lockPath()));

  SingleInstance later(dir.path());
  int elapsed = 0;
  EXPECT_EQ(establishElsewhere(later, 400, &elapsed), Outcome::NoAnswer);
  EXPECT_GE(elapsed, 350) << "the later copy gives the first its grace period";
  EXPECT_LT(elapsed, 5000);
}

TEST(SingleInstance, LaterCopyAsksTheFirstToActivateItsWindow) {
  TempDir dir("tembra-run");
  SingleInstance first(dir.path());
  ASSERT_EQ(first.establish(0), Outcome::Primary);
  int activations = 0;
  ASSERT_TRUE(first.listen([&] { ++activations; }));
  EXPECT_TRUE(first.listening());

  SingleInstance later(dir.path());
  EXPECT_EQ(establishElsewhere(later, 3000), Outcome::HandedOver);
  EXPECT_EQ(activations, 1);
  SingleInstance third(dir.path());
  EXPECT_EQ(establishElsewhere(third, 3000), Outcome::HandedOver);
  EXPECT_EQ(activations, 2);

  first.stopListening();
  EXPECT_FALSE(first.listening());
  SingleInstance fourth(dir.path());
  EXPECT_EQ(establishElsewhere(fourth, 200), Outcome::NoAnswer);
  EXPECT_EQ(activations, 2);
}

TEST(SingleInstance, LockIsFreedWhenTheFirstCopyEnds) {
  TempDir dir("tembra-run");
  auto first = std::make_unique<SingleInstance>(dir.path());
  ASSERT_EQ(first->establish(0), Outcome::Primary);
  first.reset();
  SingleInstance next(dir.path());
  EXPECT_EQ(next.establish(0), Outcome::Primary);
}

// A copy that is closing no longer answers; a later one started meanwhile
// takes over as soon as the lock is free instead of giving up.
TEST(SingleInstance, LaterCopyTakesOverWhenTheLockFreesDuringItsGrace) {
  TempDir dir("tembra-run");
  auto first = std::make_unique<SingleInstance>(dir.path());
  ASSERT_EQ(first->establish(0), Outcome::Primary);
  SingleInstance later(dir.path());
  std::atomic<bool> done{false};
  Outcome outcome = Outcome::Failed;
  std::thread t([&] {
    outcome = later.establish(5000);
    done = true;
  });
  QThread::msleep(300);
  EXPECT_FALSE(done.load());
  first.reset();
  QElapsedTimer clock;
  clock.start();
  spinUntil([&] { return done.load(); }, 8000);
  t.join();
  EXPECT_EQ(outcome, Outcome::Primary);
  EXPECT_LT(clock.elapsed(), 2500);
}

TEST(SingleInstance, StaleSocketFileOfADeadCopyIsReplaced) {
  TempDir dir("tembra-run");
  SingleInstance first(dir.path());
  ASSERT_EQ(first.establish(0), Outcome::Primary);
  { std::ofstream(first.socketPath()) << "left over"; }
  int activations = 0;
  ASSERT_TRUE(first.listen([&] { ++activations; }));
  SingleInstance later(dir.path());
  EXPECT_EQ(establishElsewhere(later, 2000), Outcome::HandedOver);
  EXPECT_EQ(activations, 1);
}

TEST(SingleInstance, OnlyTheLockHolderServesTheSocket) {
  TempDir dir("tembra-run");
  SingleInstance first(dir.path());
  ASSERT_EQ(first.establish(0), Outcome::Primary);
  SingleInstance later(dir.path());
  EXPECT_FALSE(later.listen([] {}));
}

TEST(SingleInstance, StrangeClientsNeverActivateTheWindow) {
  TempDir dir("tembra-run");
  SingleInstance first(dir.path());
  ASSERT_EQ(first.establish(0), Outcome::Primary);
  int activations = 0;
  ASSERT_TRUE(first.listen([&] { ++activations; }));

  auto exchange = [&](const QByteArray& request) {
    QByteArray answer;
    std::atomic<bool> done{false};
    std::thread t([&] {
      QLocalSocket s;
      s.connectToServer(QString::fromStdString(first.socketPath()));
      if (s.waitForConnected(2000)) {
        s.write(request);
        s.waitForBytesWritten(2000);
        while (s.waitForReadyRead(1000)) answer += s.readAll();
      }
      done = true;
    });
    spinUntil([&] { return done.load(); }, 10000);
    t.join();
    return answer;
  };
  EXPECT_EQ(exchange("hello\n"), QByteArray());
  EXPECT_EQ(exchange(QByteArray(200, 'a')), QByteArray());
  EXPECT_EQ(exchange("activate"), QByteArray()) << "no line end: no request";
  EXPECT_EQ(activations, 0);
  EXPECT_EQ(exchange("activate\n"), QByteArray("activated\n"));
  EXPECT_EQ(activations, 1);
}

TEST(SingleInstance, NoUsableLockFails) {
  SingleInstance none("");
  EXPECT_EQ(none.establish(0), Outcome::Failed);
  SingleInstance missing("/nonexistent/tembra-runtime");
  EXPECT_EQ(missing.establish(0), Outcome::Failed);

  TempDir dir("tembra-run"), target("tembra-target");
  // A link planted where the lock belongs is not followed.
  ASSERT_EQ(::symlink(target.file("lock").c_str(), dir.file("Quorvi").c_str()), 0);
  SingleInstance planted(dir.path());
  EXPECT_EQ(planted.establish(0), Outcome::Failed);
  EXPECT_FALSE(std::filesystem::exists(target.file("lock")));
}

}  // namespace
}  // namespace tembra
