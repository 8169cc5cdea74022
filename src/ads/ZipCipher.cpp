#include "ads/ZipCipher.h"

#include <zlib.h>

namespace tembra {

namespace {

// One step of the CRC-32 the cipher is built on (zlib's table).
uint32_t crcStep(uint32_t crc, uint8_t byte) {
  static const z_crc_t* table = get_crc_table();
  return table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

}  // namespace

ZipCipher::ZipCipher(std::string_view password) {
  for (char c : password) update(static_cast<uint8_t>(c));
}

void ZipCipher::update(uint8_t plain) {
  key0_ = crcStep(key0_, plain);
  key1_ = (key1_ + (key0_ & 0xFF)) * 134775813u + 1;
  key2_ = crcStep(key2_, static_cast<uint8_t>(key1_ >> 24));
}

uint8_t ZipCipher::streamByte() const {
  const uint32_t temp = (key2_ | 2) & 0xFFFF;
  return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
}

void ZipCipher::Decrypt(uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t plain = data[i] ^ streamByte();
    update(plain);
    data[i] = plain;
  }
}

uint8_t ZipCipher::DecryptHeader(uint8_t* header) {
  Decrypt(header, kHeaderBytes);
  return header[kHeaderBytes - 1];
}

}  // namespace tembra
