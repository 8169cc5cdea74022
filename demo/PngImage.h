#pragma once
#include <cstdint>
#include <string>

namespace tembra {

// A small true-colour PNG made in code (a diagonal gradient with a band of
// the given colour), so that the ad packages carry a real image without
// shipping binary files.
class PngImage {
 public:
  static std::string Make(uint32_t width, uint32_t height, uint32_t rgb);
};

}  // namespace tembra
