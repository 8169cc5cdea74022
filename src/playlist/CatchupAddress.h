#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "playlist/PlaylistChannel.h"

namespace tembra {

// The address that plays a past programme of a channel, following the
// channel's catch-up mode (default, append, shift, flussonic, xc). Times are
// UTC seconds; the channel's catch-up correction moves the programme's start
// and end, never the time of the request.
class CatchupAddress {
 public:
  struct Times {
    int64_t start = 0;
    int64_t stop = 0;
    int64_t now = 0;  // the time of the request
  };

  // Nothing when the channel has no catch-up, or its address does not have
  // the shape its mode needs.
  static std::optional<std::string> build(const PlaylistChannel& channel, Times times);
  // Whether build can give an address for the channel at all.
  static bool offered(const PlaylistChannel& channel);

  // The pattern with its specifiers ({utc}, ${start}, {Y}, {duration:60},
  // ...) filled in; unknown ones are left as they are.
  static std::string fill(std::string_view pattern, const Times& times);

 private:
  // An address made of a copied prefix, a template to fill and a copied suffix.
  struct Parts {
    std::string prefix, pattern, suffix;
    std::string filled(const Times& times) const;
  };
  static std::optional<Parts> flussonic(std::string_view url);
  static std::optional<Parts> xc(std::string_view url);
  static Parts shift(std::string_view url);
};

}  // namespace tembra
