#include "skin/SkinNode.h"

namespace tembra {

std::u16string SkinNode::text(std::u16string_view attr, std::u16string_view fallback) const {
  auto it = attributes.find(attr);
  return it == attributes.end() ? std::u16string(fallback) : it->second.text;
}

int SkinNode::integer(std::u16string_view attr, int fallback) const {
  auto it = attributes.find(attr);
  return it == attributes.end() ? fallback : it->second.number;
}

bool SkinNode::flag(std::u16string_view attr, bool fallback) const {
  auto it = attributes.find(attr);
  return it == attributes.end() ? fallback : it->second.number != 0;
}

SkinRect SkinNode::rect(std::u16string_view attr, SkinRect fallback) const {
  auto it = attributes.find(attr);
  return it == attributes.end() ? fallback : it->second.rect;
}

SkinSize SkinNode::size(std::u16string_view attr, SkinSize fallback) const {
  auto it = attributes.find(attr);
  return it == attributes.end() ? fallback : it->second.size;
}

uint32_t SkinNode::color(std::u16string_view attr, uint32_t fallback) const {
  auto it = attributes.find(attr);
  return it == attributes.end() ? fallback : static_cast<uint32_t>(it->second.number);
}

const SkinNode* SkinNode::find(std::u16string_view name) const {
  auto it = attributes.find(u"name");
  if (it != attributes.end() && it->second.text == name) return this;
  for (const SkinNode& c : children) {
    if (const SkinNode* f = c.find(name)) return f;
  }
  return nullptr;
}

}  // namespace tembra
