#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>

namespace tembra {

// Sign-in: checks the client's ack value and issues session ids.
//
// An id is UUID-shaped: 64 bits that differ per session followed by a 64-bit
// tag keyed with the seed. Issued ids are remembered; an id whose tag checks
// out is accepted too, because a client never signs in again once it holds
// a session, and a restarted demo service must not strand it.
class SessionBook {
 public:
  explicit SessionBook(uint64_t seed);

  // 28 lower-case hex digits: r as 8 digits, "0001", r + 1 as 16 digits.
  static bool IsValidAck(std::string_view ack);

  std::string Issue();
  bool IsKnown(std::string_view id) const;

 private:
  uint64_t tag(uint64_t body) const;

  uint64_t seed_;
  uint64_t nonce_;
  mutable std::mutex lock_;  // guards issued_ and counter_
  std::unordered_set<std::string> issued_;
  uint64_t counter_ = 0;
};

}  // namespace tembra
