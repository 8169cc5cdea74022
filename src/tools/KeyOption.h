#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tembra::tools {

// Takes "--key HEX32" out of args, wherever it stands. Returns false (with a
// message on stderr) when the option is given without a value or the value
// is not exactly 32 hexadecimal digits. key stays empty without the option.
bool takeKeyOption(std::vector<std::string>& args, std::optional<std::array<uint8_t, 16>>& key);

}  // namespace tembra::tools
