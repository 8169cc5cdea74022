#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/ContentFetch.h"
#include "playlist/Playlist.h"
#include "xtream/XtreamAccount.h"
#include "xtream/XtreamReply.h"

namespace tembra {

// One load of an account's live line-up: the account check, then its
// categories and streams. Blocking, bounded (connect, silence and a size
// cap per reply) and cancellable.
class XtreamClient {
 public:
  struct Options {
    FetchLimits limits{std::chrono::seconds(10), std::chrono::seconds(20), 0};  // maxBytes: each reply's own cap
    std::string userAgent;
    std::function<int64_t()> now;  // UTC seconds; empty: the machine's clock
  };

  struct Result {
    std::string problem;  // in words for the viewer; empty on success
    bool refused = false;  // the account itself was turned down (refused, expired, disabled)
    XtreamUserInfo user;
    // The replies as they came, for a cache of the last good line-up.
    std::string categoriesReply, streamsReply;
    Playlist playlist;
    bool ok() const { return problem.empty(); }
  };

  XtreamClient(XtreamAccount account, Options options);

  Result load(std::stop_token stop) const;

  // The line-up made from cached replies; nothing when they do not read.
  static std::optional<Playlist> fromReplies(const XtreamAccount& account, const std::vector<std::string>& formats,
                                             std::string_view categoriesReply, std::string_view streamsReply);
  // Why an account that answered cannot be used, in words; empty when it can.
  static std::string accountProblem(const XtreamUserInfo& user, int64_t now);

 private:
  // One reply, or the problem in words.
  bool fetch(std::string_view action, size_t cap, std::stop_token stop, std::string& body, Result& result) const;

  XtreamAccount account_;
  Options options_;
};

}  // namespace tembra
