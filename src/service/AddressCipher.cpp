#include "service/AddressCipher.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Hex.h"
#include "platform/Utf.h"
#include "service/VariantDes.h"

namespace tembra {

namespace {

// The address text is read as at most this many code-page bytes, i.e. 64
// enciphered bytes; the plain address is at most 64 bytes as well.
constexpr size_t kMaxAddressDigits = 128;
constexpr size_t kMaxAddressBytes = 64;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// One byte from the digits at pos, read like "%02x": up to two leading hex
// digits; a first character that is no digit gives 0, a second one that is
// no digit leaves the value of the first.
uint8_t readHexPair(std::string_view digits, size_t pos) {
  const int high = hexDigit(digits[pos]);
  if (high < 0) return 0;
  if (pos + 1 >= digits.size()) return static_cast<uint8_t>(high);
  const int low = hexDigit(digits[pos + 1]);
  if (low < 0) return static_cast<uint8_t>(high);
  return static_cast<uint8_t>(high << 4 | low);
}

struct Schedules {
  VariantDes::Schedule k1;
  VariantDes::Schedule k2;
};

Schedules makeSchedules(const AddressCipher::Key& key) {
  return {VariantDes::MakeSchedule(key.data()), VariantDes::MakeSchedule(key.data() + 8)};
}

// Runs op over ceil(length / 8) blocks, zero-filling the last input block.
template <typename BlockOp>
bool forEachBlock(const uint8_t* in, uint8_t* out, size_t length, BlockOp op) {
  if (in == nullptr || out == nullptr || length == 0) return false;
  const size_t blocks = (length + 7) / 8;
  for (size_t b = 0; b < blocks; ++b) {
    uint8_t block[8] = {};
    std::memcpy(block, in + 8 * b, std::min<size_t>(8, length - 8 * b));
    op(block, out + 8 * b);
  }
  return true;
}

}  // namespace

// The service's key. It is assembled when first asked for rather than
// stored as one readable run of bytes; this is the only place it lives.
const AddressCipher::Key& AddressCipher::DefaultKey() {
  static const Key key = [] {
    static constexpr uint8_t kMasked[16] = {0xa5, 0x4d, 0xca, 0x18, 0x25, 0x30, 0xbb, 0x1d,
                                            0x6d, 0x13, 0x2c, 0xde, 0xd6, 0x23, 0x7b, 0x2e};
    Key k{};
    for (size_t i = 0; i < k.size(); ++i) k[i] = static_cast<uint8_t>(kMasked[i] ^ (0x3b + 0x55 * i));
    return k;
  }();
  return key;
}

std::optional<AddressCipher::Key> AddressCipher::ParseKey(std::string_view hex32) { return parseKey16(hex32); }

AddressCipher::AddressCipher() : key_(DefaultKey()) {}

void AddressCipher::SetKey(const Key& key16) { key_ = key16; }

// p = D(K1, E(K2, D(K1, c))), each block on its own.
bool AddressCipher::DecryptBlocks(const uint8_t* in, uint8_t* out, size_t length) const {
  const Schedules s = makeSchedules(key_);
  return forEachBlock(in, out, length, [&s](const uint8_t* block, uint8_t* result) {
    uint8_t a[8], b[8];
    VariantDes::Decrypt(s.k1, block, a);
    VariantDes::Encrypt(s.k2, a, b);
    VariantDes::Decrypt(s.k1, b, result);
  });
}

// c = E(K1, D(K2, E(K1, p))), the inverse of DecryptBlocks.
bool AddressCipher::EncryptBlocks(const uint8_t* in, uint8_t* out, size_t length) const {
  const Schedules s = makeSchedules(key_);
  return forEachBlock(in, out, length, [&s](const uint8_t* block, uint8_t* result) {
    uint8_t a[8], b[8];
    VariantDes::Encrypt(s.k1, block, a);
    VariantDes::Decrypt(s.k2, a, b);
    VariantDes::Encrypt(s.k1, b, result);
  });
}

void AddressCipher::EncryptBlock(const uint8_t key8[8], const uint8_t in[8], uint8_t out[8]) {
  VariantDes::Encrypt(VariantDes::MakeSchedule(key8), in, out);
}

void AddressCipher::DecryptBlock(const uint8_t key8[8], const uint8_t in[8], uint8_t out[8]) {
  VariantDes::Decrypt(VariantDes::MakeSchedule(key8), in, out);
}

std::u16string DecodeChannelAddress(std::u16string_view addressText) {
  return DecodeChannelAddress(addressText, AddressCipher::DefaultKey());
}

// The text is taken as a C string of at most 128 code-page bytes. Every two
// characters give one enciphered byte (a final single digit counts alone);
// the plain address ends at the first zero byte. The output area starts
// zeroed and has room for a terminator, so an address that fills its last
// block completely still ends.
std::u16string DecodeChannelAddress(std::u16string_view addressText, const AddressCipher::Key& key) {
  const size_t nul = addressText.find(u'\0');
  if (nul != std::u16string_view::npos) addressText = addressText.substr(0, nul);
  std::string digits = toUtf8(addressText);
  if (digits.size() > kMaxAddressDigits) digits.resize(kMaxAddressDigits);

  const size_t length = (digits.size() + 1) / 2;
  if (length == 0) return {};
  uint8_t enciphered[kMaxAddressBytes] = {};
  for (size_t i = 0; i < length; ++i) enciphered[i] = readHexPair(digits, 2 * i);

  uint8_t plain[kMaxAddressBytes + 1] = {};
  AddressCipher cipher;
  cipher.SetKey(key);
  cipher.DecryptBlocks(enciphered, plain, length);
  const size_t end = ::strnlen(reinterpret_cast<const char*>(plain), kMaxAddressBytes);
  return fromUtf8(std::string_view(reinterpret_cast<const char*>(plain), end));
}

std::u16string EncodeChannelAddress(std::u16string_view address) {
  return EncodeChannelAddress(address, AddressCipher::DefaultKey());
}

// Addresses over 64 bytes are cut at the last whole character that fits, so
// that what decodes is still valid text.
std::u16string EncodeChannelAddress(std::u16string_view address, const AddressCipher::Key& key) {
  std::string bytes = toUtf8(address);
  if (bytes.size() > kMaxAddressBytes) {
    size_t cut = kMaxAddressBytes;
    while (cut > 0 && (static_cast<uint8_t>(bytes[cut]) & 0xC0) == 0x80) --cut;
    bytes.resize(cut);
  }
  if (bytes.empty()) return {};
  std::vector<uint8_t> out((bytes.size() + 7) / 8 * 8);
  AddressCipher cipher;
  cipher.SetKey(key);
  cipher.EncryptBlocks(reinterpret_cast<const uint8_t*>(bytes.data()), out.data(), bytes.size());
  return asciiToUtf16(toHexUpper(out.data(), out.size()));
}

}  // namespace tembra
