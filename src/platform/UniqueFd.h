#pragma once
#include <string_view>

namespace tembra {

// Owns one file descriptor and closes it when it goes out of scope.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  explicit operator bool() const { return valid(); }
  // Gives up ownership without closing.
  int release();
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// Writes all of data, going on after short writes and EINTR; false on the
// first failure (what was written by then stays written).
bool writeAll(int fd, std::string_view data);

}  // namespace tembra
