#pragma once
#include <cstdint>
#include <string>

namespace tembra {

// The acknowledgement value of a sign-in request: r as 8 hexadecimal
// digits, "0001", and r + 1 as 16 digits, all lower case (28 characters).
class SignInAck {
 public:
  // A fresh r in 0..254 from a generator seeded with the millisecond clock.
  static uint32_t Draw();
  static std::u16string Format(uint32_t r);
};

}  // namespace tembra
