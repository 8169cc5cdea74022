#include "app/Aes128.h"

#include <cstring>

namespace tembra {

namespace {

constexpr uint8_t xtime(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }

constexpr uint8_t gmul(uint8_t a, uint8_t b) {
  uint8_t p = 0;
  while (b) {
    if (b & 1) p ^= a;
    a = xtime(a);
    b >>= 1;
  }
  return p;
}

constexpr uint8_t rotl8(uint8_t x, int s) { return static_cast<uint8_t>((x << s) | (x >> (8 - s))); }

// x^254 = x^-1 in GF(2^8) (0 for 0), by square-and-multiply: few enough
// steps for every compiler's constant-evaluation limit.
constexpr uint8_t gfInverse(uint8_t x) {
  uint8_t result = 1;
  uint8_t base = x;
  for (int e = 254; e != 0; e >>= 1) {
    if (e & 1) result = gmul(result, base);
    base = gmul(base, base);
  }
  return x == 0 ? 0 : result;
}

// The S-box is the multiplicative inverse in GF(2^8) (x^254) followed by the
// affine map; deriving it here avoids transcribing 256 constants by hand.
constexpr std::array<uint8_t, 256> makeSbox() {
  std::array<uint8_t, 256> box{};
  for (int i = 0; i < 256; ++i) {
    uint8_t x = static_cast<uint8_t>(i);
    uint8_t inv = gfInverse(x);
    box[i] = static_cast<uint8_t>(inv ^ rotl8(inv, 1) ^ rotl8(inv, 2) ^ rotl8(inv, 3) ^ rotl8(inv, 4) ^ 0x63);
  }
  return box;
}

constexpr std::array<uint8_t, 256> makeInverse(const std::array<uint8_t, 256>& box) {
  std::array<uint8_t, 256> inv{};
  for (int i = 0; i < 256; ++i) inv[box[i]] = static_cast<uint8_t>(i);
  return inv;
}

constexpr std::array<uint8_t, 256> makeProducts(uint8_t factor) {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = gmul(static_cast<uint8_t>(i), factor);
  return t;
}

constexpr std::array<uint8_t, 256> kSbox = makeSbox();
constexpr std::array<uint8_t, 256> kInvSbox = makeInverse(kSbox);
constexpr std::array<uint8_t, 256> kMul9 = makeProducts(9);
constexpr std::array<uint8_t, 256> kMul11 = makeProducts(11);
constexpr std::array<uint8_t, 256> kMul13 = makeProducts(13);
constexpr std::array<uint8_t, 256> kMul14 = makeProducts(14);

static_assert(kSbox[0x00] == 0x63 && kSbox[0x53] == 0xED && kSbox[0xFF] == 0x16);

uint32_t subWord(uint32_t w) {
  return static_cast<uint32_t>(kSbox[w >> 24]) << 24 | static_cast<uint32_t>(kSbox[(w >> 16) & 0xFF]) << 16 |
         static_cast<uint32_t>(kSbox[(w >> 8) & 0xFF]) << 8 | kSbox[w & 0xFF];
}

// The state is kept as the input bytes: byte r + 4c is row r, column c.
void addRoundKey(uint8_t* s, const uint32_t* w) {
  for (int c = 0; c < 4; ++c) {
    s[4 * c] ^= static_cast<uint8_t>(w[c] >> 24);
    s[4 * c + 1] ^= static_cast<uint8_t>(w[c] >> 16);
    s[4 * c + 2] ^= static_cast<uint8_t>(w[c] >> 8);
    s[4 * c + 3] ^= static_cast<uint8_t>(w[c]);
  }
}

void subBytes(uint8_t* s, const std::array<uint8_t, 256>& box) {
  for (int i = 0; i < 16; ++i) s[i] = box[s[i]];
}

void shiftRows(uint8_t* s) {
  uint8_t t[16];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) t[r + 4 * c] = s[r + 4 * ((c + r) % 4)];
  std::memcpy(s, t, 16);
}

void invShiftRows(uint8_t* s) {
  uint8_t t[16];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) t[r + 4 * ((c + r) % 4)] = s[r + 4 * c];
  std::memcpy(s, t, 16);
}

void mixColumns(uint8_t* s) {
  for (int c = 0; c < 4; ++c) {
    uint8_t* col = s + 4 * c;
    uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
    uint8_t all = a0 ^ a1 ^ a2 ^ a3;
    col[0] = a0 ^ all ^ xtime(a0 ^ a1);
    col[1] = a1 ^ all ^ xtime(a1 ^ a2);
    col[2] = a2 ^ all ^ xtime(a2 ^ a3);
    col[3] = a3 ^ all ^ xtime(a3 ^ a0);
  }
}

void invMixColumns(uint8_t* s) {
  for (int c = 0; c < 4; ++c) {
    uint8_t* col = s + 4 * c;
    uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
    col[0] = kMul14[a0] ^ kMul11[a1] ^ kMul13[a2] ^ kMul9[a3];
    col[1] = kMul9[a0] ^ kMul14[a1] ^ kMul11[a2] ^ kMul13[a3];
    col[2] = kMul13[a0] ^ kMul9[a1] ^ kMul14[a2] ^ kMul11[a3];
    col[3] = kMul11[a0] ^ kMul13[a1] ^ kMul9[a2] ^ kMul14[a3];
  }
}

}  // namespace

Aes128::Aes128(const uint8_t* key) {
  for (int i = 0; i < 4; ++i)
    w_[i] = static_cast<uint32_t>(key[4 * i]) << 24 | static_cast<uint32_t>(key[4 * i + 1]) << 16 |
            static_cast<uint32_t>(key[4 * i + 2]) << 8 | key[4 * i + 3];
  uint8_t rcon = 1;
  for (int i = 4; i < 44; ++i) {
    uint32_t temp = w_[i - 1];
    if (i % 4 == 0) {
      temp = subWord(temp << 8 | temp >> 24) ^ static_cast<uint32_t>(rcon) << 24;
      rcon = xtime(rcon);
    }
    w_[i] = w_[i - 4] ^ temp;
  }
}

Aes128::~Aes128() {
  volatile uint32_t* p = w_.data();
  for (size_t i = 0; i < w_.size(); ++i) p[i] = 0;
}

void Aes128::encryptBlock(const uint8_t* in, uint8_t* out) const {
  uint8_t s[16];
  std::memcpy(s, in, 16);
  addRoundKey(s, &w_[0]);
  for (int round = 1; round < 10; ++round) {
    subBytes(s, kSbox);
    shiftRows(s);
    mixColumns(s);
    addRoundKey(s, &w_[4 * round]);
  }
  subBytes(s, kSbox);
  shiftRows(s);
  addRoundKey(s, &w_[40]);
  std::memcpy(out, s, 16);
}

void Aes128::decryptBlock(const uint8_t* in, uint8_t* out) const {
  uint8_t s[16];
  std::memcpy(s, in, 16);
  addRoundKey(s, &w_[40]);
  for (int round = 9; round >= 1; --round) {
    invShiftRows(s);
    subBytes(s, kInvSbox);
    addRoundKey(s, &w_[4 * round]);
    invMixColumns(s);
  }
  invShiftRows(s);
  subBytes(s, kInvSbox);
  addRoundKey(s, &w_[0]);
  std::memcpy(out, s, 16);
}

}  // namespace tembra
