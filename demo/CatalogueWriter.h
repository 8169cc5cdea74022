#pragma once
#include <string>

#include "DemoData.h"

namespace tembra {

// The catalogue reply of /tv.action: <channels> with one <group> per group
// and, per channel, name, id, status, vip and the enciphered stream address.
class CatalogueWriter {
 public:
  // streamBase: the address the channel id is appended to, e.g.
  // "http://127.0.0.1:8090/stream/".
  static std::string Write(const DemoData& data, const std::string& streamBase);
  static std::string Empty();
};

}  // namespace tembra
