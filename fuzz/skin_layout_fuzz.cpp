// An arbitrary layout file through the layout model parser (no Qt): every
// problem points into the text, and an accepted layout stays within the
// nesting limit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "platform/Utf.h"
#include "skin/SkinLayout.h"

using tembra::SkinLayout;
using tembra::SkinNode;
using tembra::fuzz::Check;

namespace {

int Depth(const SkinNode& node) {
  int deepest = 0;
  for (const auto& child : node.children) deepest = std::max(deepest, Depth(child));
  return deepest + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tembra::fuzz::Scratch scratch("skin-fuzz");
  const std::u16string text = tembra::fromUtf8(tembra::fuzz::Bytes(data, size));
  // Includes are looked up in the scratch folder, where this very input
  // waits as Sub.xml: an input may include itself.
  scratch.write("Sub.xml", tembra::fuzz::Bytes(data, size));
  const SkinLayout layout = SkinLayout::parse(text, "Main.xml", scratch.path());
  for (const auto& problem : layout.problems()) {
    if (problem.file == "Main.xml") Check(problem.offset <= text.size());
    Check(!problem.message.empty());
  }
  Check(Depth(layout.root()) <= SkinLayout::kMaxDepth * (SkinLayout::kMaxIncludeDepth + 1) + 1);
  (void)layout.images();
  return 0;
}
