#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// Standard alphabet, padded to whole quads.
std::string base64Encode(std::string_view bytes);
// Strict: whole quads, '=' only as the last one or two characters of the
// last quad; anything else is nullopt.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace tembra
