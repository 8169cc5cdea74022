#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// Upper-case hexadecimal, two digits per byte, no separators.
std::string toHexUpper(const uint8_t* data, size_t size);
// Strict: whole pairs of [0-9A-Fa-f] only, otherwise nullopt.
std::optional<std::vector<uint8_t>> parseHex(std::string_view digits);

}  // namespace tembra
