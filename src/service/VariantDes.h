#pragma once
#include <array>
#include <cstdint>

namespace tembra {

// The DES block function behind the channel address cipher. It keeps the
// published tables (IP, IP^-1, E, P, S1-S8, PC-1, PC-2, shifts) but differs
// from the standard in three places: bit n of a block or key is bit
// (n-1) mod 8 of byte (n-1) div 8 counted from the least significant end,
// an S-box value enters the round output least significant bit first, and
// the halves are not exchanged after the last round.
//
// It works on arrays holding one bit per element, exactly as the tables are
// written; it runs once per channel switch on a few blocks, so clarity wins
// over speed. Numbering::Standard switches the three places back, which lets
// the tests prove the tables against an independent DES.
class VariantDes {
 public:
  enum class Numbering { Variant, Standard };

  using Subkey = std::array<uint8_t, 48>;
  using Schedule = std::array<Subkey, 16>;

  static Schedule MakeSchedule(const uint8_t key8[8], Numbering numbering = Numbering::Variant);
  static void Encrypt(const Schedule& schedule, const uint8_t in[8], uint8_t out[8],
                      Numbering numbering = Numbering::Variant);
  static void Decrypt(const Schedule& schedule, const uint8_t in[8], uint8_t out[8],
                      Numbering numbering = Numbering::Variant);
};

}  // namespace tembra
