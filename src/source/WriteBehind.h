#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

namespace tembra {

// Writes a small file's newest text on a thread of its own, so a slow disk
// (the atomic replace waits for the data to reach it) never holds the
// caller's thread. A text not yet written when a newer one comes is
// dropped; the end writes what is still pending before it returns.
//
//   WriteBehind writer([path](const std::string& text) { return write(path, text); });
//   writer.submit(text);   // returns at once
class WriteBehind {
 public:
  using Write = std::function<bool(const std::string& text)>;

  explicit WriteBehind(Write write);
  ~WriteBehind();
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  void submit(std::string text);
  // Returns once everything submitted so far is written.
  void flush();
  // How many writes ran (and how many of them failed).
  int writes() const;
  int failures() const;

 private:
  void run(std::stop_token stop);

  Write write_;
  mutable std::mutex mutex_;  // guards pending_, busy_, writes_, failures_
  std::condition_variable_any wake_;
  std::condition_variable_any idle_;
  std::optional<std::string> pending_;
  bool busy_ = false;
  int writes_ = 0;
  int failures_ = 0;
  std::jthread thread_;  // last: started once everything above is made
};

}  // namespace tembra
