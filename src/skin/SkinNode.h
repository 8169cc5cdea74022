#pragma once
// One control of a layout file: its type, its attributes as typed values
// and its children, with the place it came from.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinSchema.h"
#include "skin/SkinValue.h"

namespace tembra {

struct SkinNode {
  SkinControlKind kind = SkinControlKind::Container;
  std::map<std::u16string, SkinValue, std::less<>> attributes;
  std::vector<SkinNode> children;
  std::string file;      // layout file the element is in (includes keep theirs)
  uint32_t offset = 0;   // of its start tag

  const SkinControlType& type() const { return SkinSchema::type(kind); }
  bool has(std::u16string_view attr) const { return attributes.find(attr) != attributes.end(); }
  std::u16string name() const { return text(u"name"); }

  // Typed reads with a default for an absent attribute.
  std::u16string text(std::u16string_view attr, std::u16string_view fallback = {}) const;
  int integer(std::u16string_view attr, int fallback = 0) const;
  bool flag(std::u16string_view attr, bool fallback = false) const;
  SkinRect rect(std::u16string_view attr, SkinRect fallback = {}) const;
  SkinSize size(std::u16string_view attr, SkinSize fallback = {}) const;
  uint32_t color(std::u16string_view attr, uint32_t fallback = 0) const;

  // Depth-first search of this node and its descendants.
  const SkinNode* find(std::u16string_view name) const;
};

}  // namespace tembra
