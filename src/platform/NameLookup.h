#pragma once
#include <netinet/in.h>

#include <optional>
#include <string>

namespace tembra {

// One IPv4 host-name lookup: the first address and the official name.
struct HostAddress {
  in_addr address{};         // network byte order
  std::string dotted;        // "a.b.c.d"
  std::string officialName;  // canonical name, or the name asked for
};

class NameLookup {
 public:
  // Names are UTF-8 (this platform's code page). nullopt when the name does
  // not resolve to an IPv4 address, is empty, or holds a NUL byte.
  static std::optional<HostAddress> Resolve(const std::string& name);
  // Dotted text of an address in network byte order.
  static std::string Dotted(in_addr address);
};

}  // namespace tembra
