#pragma once
// The standard AES key wrap as libcrypto does it, to compare ours against.
#include <openssl/evp.h>

#include <cstdint>
#include <vector>

namespace tembra::test {

// Wrapped bytes, or empty when libcrypto refuses the input.
inline std::vector<uint8_t> libcryptoWrap(const uint8_t* key, const std::vector<uint8_t>& plain) {
  std::vector<uint8_t> out(plain.size() + 16);
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_CIPHER_CTX_set_flags(ctx, EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
  int len = 0;
  int fin = 0;
  bool ok = EVP_EncryptInit_ex(ctx, EVP_aes_128_wrap(), nullptr, key, nullptr) == 1 &&
            EVP_EncryptUpdate(ctx, out.data(), &len, plain.data(), static_cast<int>(plain.size())) == 1 &&
            EVP_EncryptFinal_ex(ctx, out.data() + len, &fin) == 1;
  EVP_CIPHER_CTX_free(ctx);
  if (!ok) return {};
  out.resize(static_cast<size_t>(len + fin));
  return out;
}

}  // namespace tembra::test
