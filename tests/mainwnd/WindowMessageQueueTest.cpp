#include "mainwnd/WindowMessageQueue.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "mainwnd/QtTestApp.h"

namespace tembra {
namespace {

using test::spinFor;
using test::spinUntil;

struct Delivered {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  bool onGui;
};

// Records every message on the GUI thread and answers wParam * 2; an
// optional hook runs inside the handler.
class Recorder : public WindowMessageHandler {
 public:
  intptr_t handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    {
      std::lock_guard g(mutex);
      got.push_back({message, wParam, lParam, QThread::currentThread() == qApp->thread()});
    }
    if (hook) hook(message);
    return static_cast<intptr_t>(wParam * 2);
  }
  size_t count() {
    std::lock_guard g(mutex);
    return got.size();
  }
  std::vector<Delivered> snapshot() {
    std::lock_guard g(mutex);
    return got;
  }

  std::function<void(uint32_t)> hook;
  std::mutex mutex;
  std::vector<Delivered> got;  // guarded by mutex
};

TEST(WindowMessageQueue, PostsFromWorkersArriveOnTheGuiThreadInOrder) {
  Recorder handler;
  WindowMessageQueue queue(handler);
  MessageTarget& target = queue;
  std::thread a([&] {
    for (uintptr_t i = 0; i < 500; ++i) target.post(WM_GUIDE_NOWPLAYING, i, 1);
  });
  std::thread b([&] {
    for (uintptr_t i = 0; i < 500; ++i) target.post(WM_CATALOGUE_LOADED, i, 2);
  });
  a.join();
  b.join();
  EXPECT_EQ(handler.count(), 0u) << "a post must not run on the worker";
  ASSERT_TRUE(spinUntil([&] { return handler.count() == 1000; }));
  uintptr_t nextA = 0, nextB = 0;
  for (const Delivered& d : handler.snapshot()) {
    EXPECT_TRUE(d.onGui);
    if (d.message == WM_GUIDE_NOWPLAYING) {
      EXPECT_EQ(d.wParam, nextA++);
      EXPECT_EQ(d.lParam, 1);
    } else {
      EXPECT_EQ(d.message, WM_CATALOGUE_LOADED);
      EXPECT_EQ(d.wParam, nextB++);
      EXPECT_EQ(d.lParam, 2);
    }
  }
  EXPECT_EQ(nextA, 500u);
  EXPECT_EQ(nextB, 500u);
}

TEST(WindowMessageQueue, SendBlocksTheWorkerUntilHandled) {
  Recorder handler;
  std::atomic<bool> handlerDone{false};
  handler.hook = [&](uint32_t) {
    QThread::msleep(50);
    handlerDone = true;
  };
  WindowMessageQueue queue(handler);
  std::atomic<intptr_t> result{-1};
  std::atomic<bool> sawHandlerDone{false};
  std::thread worker([&] {
    result = queue.send(WM_AD_UPDATED, 21, 0);
    sawHandlerDone = handlerDone.load();
  });
  ASSERT_TRUE(spinUntil([&] { return result.load() != -1; }));
  worker.join();
  EXPECT_EQ(result.load(), 42);
  EXPECT_TRUE(sawHandlerDone.load());
  ASSERT_EQ(handler.count(), 1u);
  EXPECT_TRUE(handler.snapshot()[0].onGui);
}

TEST(WindowMessageQueue, ManyConcurrentSendersEachGetTheirOwnAnswer) {
  Recorder handler;
  WindowMessageQueue queue(handler);
  std::atomic<int> wrong{0}, finished{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&, t] {
      for (uintptr_t i = 0; i < 100; ++i) {
        const uintptr_t w = t * 1000 + i;
        if (queue.send(WM_UDP_NOTICE, w, 0) != static_cast<intptr_t>(w * 2)) ++wrong;
      }
      ++finished;
    });
  ASSERT_TRUE(spinUntil([&] { return finished.load() == 4; }, 20000));
  for (auto& w : workers) w.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(handler.count(), 400u);
}

TEST(WindowMessageQueue, SendOnTheGuiThreadRunsAtOnceEvenWhileHeld) {
  Recorder handler;
  WindowMessageQueue queue(handler);
  queue.hold();
  EXPECT_EQ(queue.send(WM_BALLOON_CLICKED, 5, 0), 10);
  EXPECT_EQ(handler.count(), 1u);
  queue.release();
}

TEST(WindowMessageQueue, HeldMessagesWaitAndArriveInOrderAfterRelease) {
  Recorder handler;
  WindowMessageQueue queue(handler);
  queue.hold();
  queue.post(WM_CATALOGUE_LOADED, 1, 0);
  std::atomic<intptr_t> sent{-1};
  std::thread sender([&] { sent = queue.send(WM_UDP_NOTICE, 2, 0); });
  // the send is queued behind the post before the next post
  QThread::msleep(100);
  std::thread poster([&] { queue.post(WM_AD_UPDATED, 3, 0); });
  poster.join();
  spinFor(200);
  EXPECT_EQ(handler.count(), 0u);
  EXPECT_EQ(sent.load(), -1) << "the sender must keep waiting while the window is busy";

  queue.release();
  ASSERT_TRUE(spinUntil([&] { return handler.count() == 3 && sent.load() != -1; }));
  sender.join();
  EXPECT_EQ(sent.load(), 4);
  const auto got = handler.snapshot();
  EXPECT_EQ(got[0].wParam, 1u);
  EXPECT_EQ(got[1].wParam, 2u);
  EXPECT_EQ(got[2].wParam, 3u);
  queue.post(WM_CMD_ABOUT, 4, 0);
  ASSERT_TRUE(spinUntil([&] { return handler.count() == 4; }));
}

TEST(WindowMessageQueue, ClosingReleasesBlockedSendersAndDropsTheRest) {
  Recorder handler;
  WindowMessageQueue queue(handler);
  EXPECT_TRUE(queue.alive());
  queue.hold();  // the window is busy, so the sends below stay queued
  queue.post(WM_CATALOGUE_LOADED, 1, 0);
  std::atomic<int> returned{0};
  std::atomic<intptr_t> results{0};
  std::vector<std::thread> senders;
  for (int i = 0; i < 3; ++i)
    senders.emplace_back([&] {
      results += queue.send(WM_UDP_NOTICE, 7, 0);
      ++returned;
    });
  QThread::msleep(100);
  EXPECT_EQ(returned.load(), 0);

  queue.beginClosing();
  for (auto& s : senders) s.join();  // would hang if closing left them waiting
  EXPECT_EQ(returned.load(), 3);
  EXPECT_EQ(results.load(), 0);
  EXPECT_FALSE(queue.alive());

  queue.post(WM_AD_UPDATED, 2, 0);
  EXPECT_EQ(queue.send(WM_AD_UPDATED, 3, 0), 0);
  std::thread late([&] { EXPECT_EQ(queue.send(WM_AD_UPDATED, 4, 0), 0); });
  late.join();
  queue.release();
  spinFor(100);
  EXPECT_EQ(handler.count(), 0u);
}

// The close sequence may start inside a handler (a dialog's result closes
// the window); the sender of that very message still gets its answer, and
// only after the handler returned.
TEST(WindowMessageQueue, SendWhoseHandlerStartsTheCloseStillCompletes) {
  Recorder handler;
  WindowMessageQueue queue(handler);
  std::atomic<intptr_t> result{-1};
  std::atomic<bool> senderWaitedThroughHandler{false};
  handler.hook = [&](uint32_t) {
    queue.beginClosing();
    QThread::msleep(50);
    senderWaitedThroughHandler = result.load() == -1;
  };
  std::thread worker([&] { result = queue.send(WM_UDP_NOTICE, 8, 1); });
  ASSERT_TRUE(spinUntil([&] { return result.load() != -1; }));
  worker.join();
  EXPECT_EQ(result.load(), 16);
  EXPECT_TRUE(senderWaitedThroughHandler.load());
  EXPECT_FALSE(queue.alive());
}

// A handler that runs a nested loop (a modal dialog) gets the messages that
// arrive meanwhile, behind those already queued, as a modal loop on the
// window thread would.
TEST(WindowMessageQueue, NestedLoopInAHandlerKeepsTheOrder) {
  Recorder handler;
  WindowMessageQueue queue(handler);
  std::vector<int> trace;
  handler.hook = [&](uint32_t message) {
    trace.push_back(static_cast<int>(message));
    if (message == WM_CMD_ABOUT) {
      std::thread worker([&] { queue.post(WM_CMD_HOMEPAGE, 0, 0); });
      worker.join();
      QEventLoop modal;
      QTimer::singleShot(100, &modal, &QEventLoop::quit);
      modal.exec();
      trace.push_back(-1);
    }
  };
  queue.post(WM_CMD_ABOUT, 0, 0);
  queue.post(WM_CMD_RESTORE, 0, 0);
  ASSERT_TRUE(spinUntil([&] { return trace.size() == 4; }));
  EXPECT_EQ(trace, (std::vector<int>{static_cast<int>(WM_CMD_ABOUT), static_cast<int>(WM_CMD_RESTORE),
                                     static_cast<int>(WM_CMD_HOMEPAGE), -1}));
}

}  // namespace
}  // namespace tembra
