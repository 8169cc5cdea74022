#include "service/SignInAck.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <random>

#include "platform/Utf.h"

namespace tembra {

uint32_t SignInAck::Draw() {
  auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(ticks.count()));
  return static_cast<uint32_t>(generator() % 255);
}

std::u16string SignInAck::Format(uint32_t r) {
  char text[32];
  std::snprintf(text, sizeof text, "%08" PRIx32 "0001%016" PRIx64, r,
                static_cast<uint64_t>(r) + 1);
  return asciiToUtf16(text);
}

}  // namespace tembra
