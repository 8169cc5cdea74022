#pragma once
// A window that records every message posted or sent to it, in order, and
// what onSend read during each send (while what the message points at is
// still valid). Safe to call from any thread.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageTarget.h"

namespace tembra::test {

class RecordingWindow : public MessageTarget {
 public:
  struct Message {
    uint32_t id;
    uintptr_t wParam;
    intptr_t lParam;
    bool sent;         // sent, not posted
    std::string seen;  // what onSend returned
  };

  std::function<std::string(uint32_t id, uintptr_t wParam, intptr_t lParam)> onSend;
  std::atomic<bool> alive_{true};

  void post(uint32_t id, uintptr_t wParam, intptr_t lParam) override { add({id, wParam, lParam, false, {}}); }
  intptr_t send(uint32_t id, uintptr_t wParam, intptr_t lParam) override {
    add({id, wParam, lParam, true, onSend ? onSend(id, wParam, lParam) : std::string()});
    return 0;
  }
  bool alive() const override { return alive_; }

  // True once at least count messages arrived within limit.
  bool WaitFor(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    std::unique_lock l(lock_);
    return cv_.wait_for(l, limit, [&] { return messages_.size() >= count; });
  }
  std::vector<Message> messages() const { return select([](const Message&) { return true; }); }
  std::vector<Message> sent() const { return select([](const Message& m) { return m.sent; }); }
  std::vector<Message> posted() const { return select([](const Message& m) { return !m.sent; }); }

 private:
  void add(Message m) {
    std::lock_guard g(lock_);
    messages_.push_back(std::move(m));
    cv_.notify_all();
  }
  template <typename Keep>
  std::vector<Message> select(Keep keep) const {
    std::lock_guard g(lock_);
    std::vector<Message> out;
    for (const Message& m : messages_)
      if (keep(m)) out.push_back(m);
    return out;
  }

  mutable std::mutex lock_;
  std::condition_variable cv_;
  std::vector<Message> messages_;  // guarded by lock_
};

}  // namespace tembra::test
