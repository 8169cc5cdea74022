// An arbitrary sources file: the list loaded from it has unique, non-empty
// ids, and saving and loading it again gives the same list (for files
// without zero bytes or carriage returns: a saved value cannot hold them).
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "source/SourceList.h"

using tembra::SourceList;
using tembra::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tembra::fuzz::Scratch scratch("sources-fuzz");
  const std::string path = scratch.write("sources.ini", tembra::fuzz::Bytes(data, size));
  SourceList list(path);
  if (!list.load()) return 0;
  std::set<std::string> ids;
  for (const auto& source : list.sources()) {
    Check(!source.id.empty());
    Check(ids.insert(source.id).second);
    Check(list.find(source.id) != nullptr);
  }
  const std::string_view bytes = tembra::fuzz::Bytes(data, size);
  if (bytes.find('\0') != std::string_view::npos || bytes.find('\r') != std::string_view::npos) return 0;
  if (!list.save()) return 0;
  SourceList again(path);
  Check(again.load());
  Check(again.sources() == list.sources());
  Check(again.lastUsed() == list.lastUsed());
  return 0;
}
