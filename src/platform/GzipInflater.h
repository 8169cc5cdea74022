#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tembra {

// Inflates a gzip stream given in pieces of any size, handing the output
// on in pieces as it comes. Several gzip members one after the other read
// as one stream, as gzip itself reads them; bytes after the last member
// that start no new member are ignored.
class GzipInflater {
 public:
  using Sink = std::function<bool(std::string_view)>;

  static bool isGzipMagic(std::string_view head) {
    return head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0x1F &&
           static_cast<unsigned char>(head[1]) == 0x8B;
  }

  explicit GzipInflater(Sink sink);
  ~GzipInflater();
  GzipInflater(const GzipInflater&) = delete;
  GzipInflater& operator=(const GzipInflater&) = delete;

  // False when the data does not inflate (error() says why) or the sink
  // returned false.
  bool feed(std::string_view piece);
  // The input is complete; cutOff() tells whether it ended inside a member.
  void finish();

  bool failed() const { return failed_; }
  bool cutOff() const { return cutOff_; }
  const std::string& error() const { return error_; }

 private:
  bool drain(bool& ended);

  struct State;
  std::unique_ptr<State> z_;
  Sink sink_;
  std::unique_ptr<char[]> out_;
  bool inMember_ = false;   // between a member's first byte and its end
  bool afterEnd_ = false;   // a member ended; what follows may start another
  bool trailing_ = false;   // bytes after the last member that are no member: skipped
  std::string held_;        // the first byte of what may be a further member
  bool failed_ = false;
  bool cutOff_ = false;
  std::string error_;
};

}  // namespace tembra
