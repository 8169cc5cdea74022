#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tembra {

// The service's notice datagrams. The client asks with
// "^001|1#<version>|cn$" and a zero byte; the server answers once with
// "^" status "|" field "|" notice "|" forced "$" in UTF-8.
struct NoticeAnswer {
  enum class Kind {
    Nothing,    // status "0": nothing to do
    Notice,     // show `text` to the user
    Forced,     // upgrade at once
    Malformed,  // not in the answer's form; ask again
  };

  Kind kind = Kind::Malformed;
  std::u16string text;  // the notice, '#' turned into line feeds (Notice only)

  // An answer datagram is read up to its first zero byte and at most this
  // many characters; a longer one is cut (and so lacks its end mark).
  static constexpr size_t kMaxChars = 1024;
  static constexpr size_t kDatagramBytes = 2050;

  // The query bytes, terminating zero included.
  static std::string Query(std::u16string_view version);
  // Parses received bytes: up to the first zero, UTF-8, at most kMaxChars.
  static NoticeAnswer FromDatagram(std::string_view bytes);
  static NoticeAnswer Parse(std::u16string_view text);
};

}  // namespace tembra
