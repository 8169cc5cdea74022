#include "skin/SkinLayout.h"

#include <algorithm>
#include <map>
#include <set>

#include "platform/Utf.h"
#include "skin/SkinLayoutParser.h"

namespace tembra {

namespace {

void collectImages(const SkinNode& node, std::vector<std::u16string>& out) {
  for (const auto& [name, value] : node.attributes) {
    if (value.kind == SkinAttrKind::Image && std::find(out.begin(), out.end(), value.text) == out.end()) {
      out.push_back(value.text);
    }
  }
  for (const SkinNode& c : node.children) collectImages(c, out);
}

void collectNames(const SkinNode& node, std::map<std::u16string, const SkinNode*>& seen,
                  std::vector<SkinProblem>& problems) {
  const std::u16string name = node.name();
  if (!name.empty()) {
    auto [it, fresh] = seen.emplace(name, &node);
    if (!fresh) {
      problems.push_back({node.file, node.offset, 0, 0,
                          "control name '" + toUtf8(name) + "' is used twice (the first one is found by name)"});
    }
  }
  for (const SkinNode& c : node.children) collectNames(c, seen, problems);
}

}  // namespace

SkinLayout SkinLayout::loadFile(const std::string& folder, const std::string& fileName) {
  SkinLayout layout;
  SkinLayoutParser(layout, folder).parseFile(fileName);
  std::map<std::u16string, const SkinNode*> seen;
  collectNames(layout.root_, seen, layout.problems_);
  return layout;
}

SkinLayout SkinLayout::parse(std::u16string_view text, const std::string& fileName, const std::string& folder) {
  SkinLayout layout;
  SkinLayoutParser(layout, folder).parseText(text, fileName);
  std::map<std::u16string, const SkinNode*> seen;
  collectNames(layout.root_, seen, layout.problems_);
  return layout;
}

std::vector<std::u16string> SkinLayout::images() const {
  std::vector<std::u16string> out;
  collectImages(root_, out);
  return out;
}

}  // namespace tembra
