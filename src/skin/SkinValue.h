#pragma once
// Typed attribute values of a layout file. Plain data: the layout model is
// used by tools and tests without a display.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/PixelRect.h"

namespace tembra {

// As a position the right and bottom edges are exclusive; as insets each
// field is a distance from that side.
using SkinRect = PixelRect;

using SkinSize = PixelSize;

// What an attribute holds; each attribute of each control type has one kind.
enum class SkinAttrKind { Text, Int, Bool, Rect, Size, Color, Image, Align };

// Text alignment bits of an Align value.
enum SkinAlign : uint32_t {
  kAlignLeft = 1,
  kAlignHCenter = 2,
  kAlignRight = 4,
  kAlignTop = 8,
  kAlignVCenter = 16,
  kAlignBottom = 32,
};

struct SkinValue {
  SkinAttrKind kind = SkinAttrKind::Text;
  std::u16string text;  // Text and Image
  int number = 0;       // Int, Bool (0 / 1), Color (0xAARRGGBB as bits), Align bits
  SkinRect rect;        // Rect
  SkinSize size;        // Size
};

// Parses one attribute value of the given kind; nullopt when it is not one.
// Numbers are limited to +-100000 so that no layout value overflows a
// pixel computation. Image names must be plain file names of the skin
// folder (no folders, no ".."), so a layout cannot reach outside it.
std::optional<SkinValue> parseSkinValue(SkinAttrKind kind, std::u16string_view text);

// "#RRGGBB" or "#AARRGGBB" as 0xAARRGGBB (alpha 0xFF when not given).
std::optional<uint32_t> parseSkinColor(std::u16string_view text);

// Human words for problem reports.
const char* skinAttrKindName(SkinAttrKind kind);

}  // namespace tembra
