#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// Upper-case hexadecimal, two digits per byte, no separators.
std::string toHexUpper(const uint8_t* data, size_t size);
// 0-15 for a hexadecimal digit of either case, -1 for anything else.
int hexDigitValue(char c);
// Strict: whole pairs of [0-9A-Fa-f] only, otherwise nullopt.
std::optional<std::vector<uint8_t>> parseHex(std::string_view digits);
// Exactly 32 hexadecimal digits -> a 16-byte key, otherwise nullopt.
std::optional<std::array<uint8_t, 16>> parseKey16(std::string_view hex32);
// "%XX" escapes (either case) to their bytes, everything else as it is;
// nullopt for a '%' not followed by two hexadecimal digits.
std::optional<std::string> percentDecode(std::string_view text);

}  // namespace tembra
