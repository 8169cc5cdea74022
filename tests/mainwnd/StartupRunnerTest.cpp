#include "mainwnd/StartupRunner.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "mainwnd/QtTestApp.h"

namespace tembra {
namespace {

bool onGui() { return QThread::currentThread() == qApp->thread(); }

TEST(StartupRunner, StepsRunInOrderWithResultsOnTheGuiThread) {
  StartupRunner runner;
  std::vector<std::string> trace;
  std::vector<bool> where;
  runner.addStep<int>(
      [&] {
        where.push_back(onGui());
        return 41;
      },
      [&](int v) {
        where.push_back(onGui());
        trace.push_back("first " + std::to_string(v + 1));
      });
  runner.addGuiStep([&] {
    where.push_back(onGui());
    trace.push_back("gui");
  });
  runner.addStep<std::string>([] { return std::string("catalogue"); },
                              [&](std::string v) { trace.push_back(v); });
  runner.addStep([&] { where.push_back(onGui()); }, [&] { trace.push_back("last"); });
  runner.run();
  EXPECT_EQ(trace, (std::vector<std::string>{"first 42", "gui", "catalogue", "last"}));
  EXPECT_EQ(where, (std::vector<bool>{false, true, true, false}));
  EXPECT_FALSE(runner.running());
}

TEST(StartupRunner, EventLoopKeepsRunningWhileAStepBlocks) {
  StartupRunner runner;
  int ticks = 0;
  QTimer animation;
  QObject::connect(&animation, &QTimer::timeout, [&] { ++ticks; });
  animation.start(20);
  bool runningSeen = false;
  int ticksWhenFirstEnded = -1;
  runner.addStep([] { QThread::msleep(400); }, [&] { ticksWhenFirstEnded = ticks; });
  runner.addStep([] { QThread::msleep(200); }, [&] { runningSeen = runner.running(); });
  runner.run();
  // A frozen loop would give no ticks at all; a live one about 20 and 10.
  EXPECT_GE(ticksWhenFirstEnded, 8);
  EXPECT_GE(ticks - ticksWhenFirstEnded, 4);
  EXPECT_TRUE(runningSeen);
}

TEST(StartupRunner, StepsDoNotOverlap) {
  StartupRunner runner;
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  for (int i = 0; i < 5; ++i)
    runner.addStep([&] {
      if (inside.fetch_add(1) != 0) ++overlaps;
      QThread::msleep(20);
      --inside;
    });
  runner.run();
  EXPECT_EQ(overlaps.load(), 0);
}

TEST(StartupRunner, FailingStepEndsTheSequenceAndIsRethrown) {
  StartupRunner runner;
  std::vector<std::string> trace;
  runner.addStep([&] { trace.push_back("one"); });
  runner.addStep<int>([]() -> int { throw std::runtime_error("sign-in exploded"); },
                      [&](int) { trace.push_back("two's result"); });
  runner.addGuiStep([&] { trace.push_back("three"); });
  EXPECT_THROW(
      {
        try {
          runner.run();
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "sign-in exploded");
          throw;
        }
      },
      std::runtime_error);
  EXPECT_EQ(trace, (std::vector<std::string>{"one"}));
  EXPECT_FALSE(runner.running());

  // the runner can be used again afterwards
  runner.addGuiStep([&] { trace.push_back("again"); });
  runner.run();
  EXPECT_EQ(trace.back(), "again");
}

TEST(StartupRunner, GuiOnlyOrEmptySequencesReturnAtOnce) {
  StartupRunner runner;
  runner.run();
  int n = 0;
  runner.addGuiStep([&] { ++n; });
  runner.addGuiStep([&] { ++n; });
  runner.run();
  EXPECT_EQ(n, 2);
  runner.run();  // the steps were used up
  EXPECT_EQ(n, 2);
}

TEST(StartupRunner, ApplicationExitEndsTheSequenceAfterTheStepUnderWay) {
  StartupRunner runner;
  bool firstDone = false, secondRan = false;
  runner.addStep([] { QThread::msleep(200); }, [&] { firstDone = true; });
  runner.addStep([&] { secondRan = true; });
  QTimer::singleShot(50, [] { QCoreApplication::exit(0); });
  runner.run();
  EXPECT_FALSE(firstDone);
  EXPECT_FALSE(secondRan);
  test::spinFor(50);  // a late result must not reach the finished run
  EXPECT_FALSE(firstDone);
  // Leave the application able to run event loops again: exit() stays in
  // force until the next exec() has ended.
  QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  QCoreApplication::exec();
}

}  // namespace
}  // namespace tembra
