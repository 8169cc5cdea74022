#include "platform/NameLookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstring>

namespace tembra {

std::optional<HostAddress> NameLookup::Resolve(const std::string& name) {
  // A NUL inside the name would make the resolver look up a shorter name.
  if (name.empty() || name.find('\0') != std::string::npos) return std::nullopt;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* list = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) {
    return std::nullopt;
  }
  std::optional<HostAddress> result;
  for (addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
    if (ai->ai_family != AF_INET || ai->ai_addr == nullptr ||
        ai->ai_addrlen < sizeof(sockaddr_in)) {
      continue;
    }
    HostAddress host;
    host.address = reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr;
    host.dotted = Dotted(host.address);
    // Only the first entry of the list carries the canonical name.
    host.officialName = list->ai_canonname != nullptr ? list->ai_canonname : name;
    result = std::move(host);
    break;
  }
  freeaddrinfo(list);
  return result;
}

std::string NameLookup::Dotted(in_addr address) {
  char text[INET_ADDRSTRLEN] = {};
  if (inet_ntop(AF_INET, &address, text, sizeof text) == nullptr) return {};
  return text;
}

}  // namespace tembra
