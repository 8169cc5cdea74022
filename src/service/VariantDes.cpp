#include "service/VariantDes.h"

#include <cstddef>

namespace tembra {

namespace {

using Bits64 = std::array<uint8_t, 64>;
using Bits32 = std::array<uint8_t, 32>;

// Tables as published: entries are 1-based bit numbers of the input.
constexpr uint8_t kIp[64] = {
    58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};

constexpr uint8_t kIpInverse[64] = {
    40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
    38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
    36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
    34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9,  49, 17, 57, 25};

constexpr uint8_t kExpansion[48] = {
    32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11,
    12, 13, 12, 13, 14, 15, 16, 17, 16, 17, 18, 19, 20, 21, 20, 21,
    22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};

constexpr uint8_t kPermutation[32] = {
    16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

constexpr uint8_t kPc1[56] = {
    57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
    10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
    14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

constexpr uint8_t kPc2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10,
    23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48,
    44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

constexpr uint8_t kShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

constexpr uint8_t kSBoxes[8][4][16] = {
    {{14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7},
     {0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8},
     {4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0},
     {15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13}},
    {{15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},
     {3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5},
     {0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15},
     {13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9}},
    {{10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8},
     {13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1},
     {13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7},
     {1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12}},
    {{7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},
     {13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9},
     {10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4},
     {3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14}},
    {{2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9},
     {14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6},
     {4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14},
     {11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3}},
    {{12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},
     {10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8},
     {9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6},
     {4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13}},
    {{4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1},
     {13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6},
     {1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2},
     {6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12}},
    {{13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},
     {1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2},
     {7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8},
     {2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11}}};

// Bit n (0-based) of a block lives in byte n / 8; the variant counts within
// the byte from the least significant end, the standard from the most.
int bitInByte(size_t n, VariantDes::Numbering numbering) {
  return numbering == VariantDes::Numbering::Variant ? static_cast<int>(n % 8)
                                                     : 7 - static_cast<int>(n % 8);
}

Bits64 readBits(const uint8_t bytes[8], VariantDes::Numbering numbering) {
  Bits64 bits{};
  for (size_t n = 0; n < 64; ++n) bits[n] = (bytes[n / 8] >> bitInByte(n, numbering)) & 1;
  return bits;
}

void writeBits(const Bits64& bits, uint8_t bytes[8], VariantDes::Numbering numbering) {
  for (size_t i = 0; i < 8; ++i) bytes[i] = 0;
  for (size_t n = 0; n < 64; ++n)
    bytes[n / 8] = static_cast<uint8_t>(bytes[n / 8] | (bits[n] << bitInByte(n, numbering)));
}

template <size_t N, size_t M>
std::array<uint8_t, N> permute(const uint8_t* in, const uint8_t (&table)[M]) {
  static_assert(N == M);
  std::array<uint8_t, N> out{};
  for (size_t i = 0; i < N; ++i) out[i] = in[table[i] - 1];
  return out;
}

Bits32 roundFunction(const Bits32& r, const VariantDes::Subkey& k, VariantDes::Numbering numbering) {
  auto x = permute<48>(r.data(), kExpansion);
  for (size_t i = 0; i < 48; ++i) x[i] ^= k[i];
  Bits32 s{};
  for (size_t j = 0; j < 8; ++j) {
    const uint8_t* b = &x[6 * j];
    const int row = 2 * b[0] + b[5];
    const int column = 8 * b[1] + 4 * b[2] + 2 * b[3] + b[4];
    const uint8_t v = kSBoxes[j][row][column];
    for (size_t t = 0; t < 4; ++t) {
      const int shift = numbering == VariantDes::Numbering::Variant ? static_cast<int>(t) : 3 - static_cast<int>(t);
      s[4 * j + t] = (v >> shift) & 1;
    }
  }
  return permute<32>(s.data(), kPermutation);
}

void split(const Bits64& block, Bits32& left, Bits32& right) {
  for (size_t i = 0; i < 32; ++i) {
    left[i] = block[i];
    right[i] = block[32 + i];
  }
}

Bits64 join(const Bits32& first, const Bits32& second) {
  Bits64 block{};
  for (size_t i = 0; i < 32; ++i) {
    block[i] = first[i];
    block[32 + i] = second[i];
  }
  return block;
}

}  // namespace

VariantDes::Schedule VariantDes::MakeSchedule(const uint8_t key8[8], Numbering numbering) {
  const Bits64 keyBits = readBits(key8, numbering);
  const auto cd = permute<56>(keyBits.data(), kPc1);
  std::array<uint8_t, 28> c{}, d{};
  for (size_t i = 0; i < 28; ++i) {
    c[i] = cd[i];
    d[i] = cd[28 + i];
  }
  Schedule schedule{};
  for (size_t round = 0; round < 16; ++round) {
    std::array<uint8_t, 28> nc{}, nd{};
    for (size_t i = 0; i < 28; ++i) {
      nc[i] = c[(i + kShifts[round]) % 28];
      nd[i] = d[(i + kShifts[round]) % 28];
    }
    c = nc;
    d = nd;
    std::array<uint8_t, 56> joined{};
    for (size_t i = 0; i < 28; ++i) {
      joined[i] = c[i];
      joined[28 + i] = d[i];
    }
    schedule[round] = permute<48>(joined.data(), kPc2);
  }
  return schedule;
}

void VariantDes::Encrypt(const Schedule& schedule, const uint8_t in[8], uint8_t out[8], Numbering numbering) {
  const Bits64 bits = readBits(in, numbering);
  const Bits64 permuted = permute<64>(bits.data(), kIp);
  Bits32 left{}, right{};
  split(permuted, left, right);
  for (size_t round = 0; round < 16; ++round) {
    const Bits32 f = roundFunction(right, schedule[round], numbering);
    Bits32 next{};
    for (size_t i = 0; i < 32; ++i) next[i] = left[i] ^ f[i];
    left = right;
    right = next;
  }
  const Bits64 preoutput = numbering == Numbering::Variant ? join(left, right) : join(right, left);
  writeBits(permute<64>(preoutput.data(), kIpInverse), out, numbering);
}

// The variant ends without the exchange, so decryption runs the rounds
// backwards on the left half (L15 = R16 xor f(L16, K16), R15 = L16). The
// standard form is the usual encryption with the subkeys reversed.
void VariantDes::Decrypt(const Schedule& schedule, const uint8_t in[8], uint8_t out[8], Numbering numbering) {
  const Bits64 bits = readBits(in, numbering);
  const Bits64 permuted = permute<64>(bits.data(), kIp);
  Bits32 left{}, right{};
  split(permuted, left, right);
  for (size_t step = 0; step < 16; ++step) {
    const size_t round = 15 - step;
    if (numbering == Numbering::Variant) {
      const Bits32 f = roundFunction(left, schedule[round], numbering);
      Bits32 previousLeft{};
      for (size_t i = 0; i < 32; ++i) previousLeft[i] = right[i] ^ f[i];
      right = left;
      left = previousLeft;
    } else {
      const Bits32 f = roundFunction(right, schedule[round], numbering);
      Bits32 next{};
      for (size_t i = 0; i < 32; ++i) next[i] = left[i] ^ f[i];
      left = right;
      right = next;
    }
  }
  const Bits64 preoutput = numbering == Numbering::Variant ? join(left, right) : join(right, left);
  writeBits(permute<64>(preoutput.data(), kIpInverse), out, numbering);
}

}  // namespace tembra
