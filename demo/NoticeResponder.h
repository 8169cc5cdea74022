#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "ShutdownFlag.h"

namespace tembra {

// The service's UDP notice port: answers every query datagram with one
// answer, "^0$" (nothing to do), a notice or a forced upgrade.
class NoticeResponder {
 public:
  enum class Mode { Nothing, Notice, Forced };

  explicit NoticeResponder(ShutdownFlag& shutdown) : shutdown_(shutdown) {}
  ~NoticeResponder();
  NoticeResponder(const NoticeResponder&) = delete;
  NoticeResponder& operator=(const NoticeResponder&) = delete;

  // text: the notice ('#' breaks lines); ignored unless mode is Notice.
  // False (nothing changed) for a notice text that would break the answer
  // form ('|', '^', '$', NUL) or is empty.
  bool SetAnswer(Mode mode, const std::string& text);
  std::string Answer() const;
  uint64_t queries() const { return queries_.load(); }

  // Serves on a bound UDP socket (taken over) on a thread of its own until
  // Stop or the shutdown flag.
  void Start(int fd);
  void Stop();

 private:
  void serve();

  ShutdownFlag& shutdown_;
  mutable std::mutex lock_;  // guards mode_ and text_
  Mode mode_ = Mode::Nothing;
  std::string text_;
  std::atomic<uint64_t> queries_{0};
  std::atomic<bool> stop_{false};
  int fd_ = -1;  // owned by the serving thread once started
  std::thread thread_;
};

}  // namespace tembra
