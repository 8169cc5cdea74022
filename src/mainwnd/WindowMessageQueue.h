#pragma once
#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "mainwnd/WindowMessageHandler.h"
#include "platform/MessageTarget.h"

namespace tembra {

// The main window's message queue: what workers hold as the window's
// MessageTarget. Lives on the GUI thread and hands every message to one
// WindowMessageHandler there, in arrival order.
//
// - post() queues and returns at once; send() blocks the calling worker
//   until the handler has run and returns its result. A send() made on the
//   GUI thread itself runs the handler at once, as a window's own call to
//   itself does.
// - hold() ... release() brackets the start-up sequence: messages that
//   arrive meanwhile (posted or sent from workers) wait, and are delivered
//   in order once released, as a busy window thread would pick them up
//   afterwards. Sends made during the hold keep their worker waiting.
// - beginClosing() makes post() and send() no-ops from then on and alive()
//   false. Queued messages are dropped and every worker waiting in send()
//   returns 0 at once, so no worker can block the close sequence. A send
//   whose handler is already running finishes first: its sender may own
//   what lParam points to.
//
// The queue must outlive every worker that may still call it; the main
// window (its owner) lives until the process ends.
class WindowMessageQueue : public QObject, public MessageTarget {
  Q_OBJECT

 public:
  explicit WindowMessageQueue(WindowMessageHandler& handler, QObject* parent = nullptr);
  ~WindowMessageQueue() override;

  void post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  intptr_t send(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  bool alive() const override;

  void hold();
  void release();
  void beginClosing();
  bool closing() const;

 private:
  struct Reply {
    bool done = false;
    intptr_t result = 0;
  };
  struct Entry {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    std::shared_ptr<Reply> reply;  // set for a send from a worker
  };

  void enqueue(Entry entry);
  void scheduleDrain();
  void drain();
  // Wakes the sender of entry, if any, with result.
  void complete(Entry& entry, intptr_t result);
  bool onGuiThread() const;

  WindowMessageHandler& handler_;
  mutable std::mutex mutex_;
  std::condition_variable replied_;  // signalled under mutex_ when a Reply is done
  std::deque<Entry> queue_;          // guarded by mutex_
  bool holding_ = false;             // guarded by mutex_
  bool closing_ = false;             // guarded by mutex_
};

}  // namespace tembra
