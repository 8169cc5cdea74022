#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tembra {

// Host and port of a service base URL ("http://host:port/path"). Scheme,
// user information and path are not used; a URL without a port takes the
// default port of its scheme (443 for https, 80 otherwise, also for a URL
// without a scheme). A port that is not a number from 1 to 65535 gives 0,
// which no connection reaches.
struct GuideServiceAddress {
  std::u16string host;
  uint16_t port = 0;

  static GuideServiceAddress Parse(std::u16string_view url);
};

}  // namespace tembra
