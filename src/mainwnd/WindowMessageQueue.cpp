#include "mainwnd/WindowMessageQueue.h"

#include <QThread>

namespace tembra {

WindowMessageQueue::WindowMessageQueue(WindowMessageHandler& handler, QObject* parent)
    : QObject(parent), handler_(handler) {}

WindowMessageQueue::~WindowMessageQueue() { beginClosing(); }

bool WindowMessageQueue::onGuiThread() const { return QThread::currentThread() == thread(); }

void WindowMessageQueue::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  enqueue({message, wParam, lParam, nullptr});
}

intptr_t WindowMessageQueue::send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (onGuiThread()) {
    if (closing()) return 0;
    return handler_.handleMessage(message, wParam, lParam);
  }
  auto reply = std::make_shared<Reply>();
  {
    std::lock_guard g(mutex_);
    if (closing_) return 0;
    queue_.push_back({message, wParam, lParam, reply});
  }
  scheduleDrain();
  std::unique_lock lock(mutex_);
  replied_.wait(lock, [&] { return reply->done; });
  return reply->result;
}

bool WindowMessageQueue::alive() const { return !closing(); }

bool WindowMessageQueue::closing() const {
  std::lock_guard g(mutex_);
  return closing_;
}

void WindowMessageQueue::enqueue(Entry entry) {
  {
    std::lock_guard g(mutex_);
    if (closing_) return;
    queue_.push_back(std::move(entry));
  }
  scheduleDrain();
}

void WindowMessageQueue::scheduleDrain() {
  QMetaObject::invokeMethod(this, &WindowMessageQueue::drain, Qt::QueuedConnection);
}

void WindowMessageQueue::hold() {
  std::lock_guard g(mutex_);
  holding_ = true;
}

void WindowMessageQueue::release() {
  {
    std::lock_guard g(mutex_);
    if (!holding_) return;
    holding_ = false;
  }
  scheduleDrain();
}

void WindowMessageQueue::beginClosing() {
  std::deque<Entry> dropped;
  {
    std::lock_guard g(mutex_);
    closing_ = true;
    dropped.swap(queue_);
    for (auto& entry : dropped)
      if (entry.reply) entry.reply->done = true;
  }
  replied_.notify_all();
}

void WindowMessageQueue::complete(Entry& entry, intptr_t result) {
  if (!entry.reply) return;
  {
    std::lock_guard g(mutex_);
    entry.reply->result = result;
    entry.reply->done = true;
  }
  replied_.notify_all();
}

// Delivers what was queued when it started, one message at a time. A
// handler that runs a nested event loop (a modal dialog) lets a nested
// drain take the next messages once a new one arrives (Qt holds back the
// events posted before the nested loop until then); the order still holds.
void WindowMessageQueue::drain() {
  size_t budget;
  {
    std::lock_guard g(mutex_);
    budget = queue_.size();
  }
  while (budget-- > 0) {
    Entry entry;
    {
      std::lock_guard g(mutex_);
      if (holding_ || closing_ || queue_.empty()) return;
      entry = std::move(queue_.front());
      queue_.pop_front();
    }
    intptr_t result = 0;
    try {
      result = handler_.handleMessage(entry.message, entry.wParam, entry.lParam);
    } catch (...) {
      complete(entry, 0);
      throw;
    }
    complete(entry, result);
  }
}

}  // namespace tembra
