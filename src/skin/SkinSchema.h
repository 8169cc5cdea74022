#pragma once
// The control types a layout file may use and the attributes each takes.
// One table, so the parser, the checker and the builder agree.
#include <optional>
#include <string_view>
#include <vector>

#include "skin/SkinValue.h"

namespace tembra {

enum class SkinControlKind {
  Window,
  Container,
  VerticalLayout,
  HorizontalLayout,
  TabLayout,
  Button,
  Option,
  Text,
  Label,
  Edit,
  Progress,
  Slider,
  List,
  Combo,
  VideoSlot,
  WebBrowser,
};

struct SkinControlType {
  SkinControlKind kind;
  std::u16string_view tag;        // element name in the layout file
  std::u16string_view className;  // what the hit test asks ("ButtonUI", ...)
  bool container;                 // may hold child controls
};

class SkinSchema {
 public:
  // The type of an element name, or null for an unknown control type.
  static const SkinControlType* find(std::u16string_view tag);
  static const SkinControlType& type(SkinControlKind kind);
  static const std::vector<SkinControlType>& types();
  // The kind of an attribute of a control type, or nullopt when that type
  // has no such attribute.
  static std::optional<SkinAttrKind> attribute(SkinControlKind kind, std::u16string_view name);
  // Attributes of the <Font> element under <Window>.
  static std::optional<SkinAttrKind> fontAttribute(std::u16string_view name);
};

}  // namespace tembra
