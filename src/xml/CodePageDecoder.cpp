#include "xml/CodePageDecoder.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>

#include "xml/MemoryAdvice.h"

namespace tembra {

namespace {

const char* utf16Native() { return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE"; }

iconv_t handle(void* cd) { return static_cast<iconv_t>(cd); }

const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

}  // namespace

CodePageDecoder::CodePageDecoder(const char* iconvName) : cd_(iconv_open(utf16Native(), iconvName)) {
  if (ok()) singleByte_ = buildSingleByteTable();
}

CodePageDecoder::~CodePageDecoder() {
  if (ok()) iconv_close(handle(cd_));
}

bool CodePageDecoder::ok() const { return handle(cd_) != kNone; }

std::u16string CodePageDecoder::Decode(std::string_view bytes) {
  if (!ok()) return {};
  return singleByte_ ? decodeWithTable(bytes) : decodeWithIconv(bytes);
}

// Most code pages map each byte to one character on its own. Asking iconv
// for each byte once gives a table that converts a file many times faster
// than iconv itself. A code page where some byte starts a longer sequence,
// shifts state or is held back to combine with the next one is left to
// iconv.
bool CodePageDecoder::buildSingleByteTable() {
  for (unsigned b = 0; b < 256; ++b) {
    iconv(handle(cd_), nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(b);
    char* inPtr = &in;
    size_t inLeft = 1;
    char16_t out[4];
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    size_t rc = iconv(handle(cd_), &inPtr, &inLeft, &outPtr, &outLeft);
    const size_t units = (sizeof out - outLeft) / sizeof(char16_t);
    if (rc == static_cast<size_t>(-1)) {
      if (errno != EILSEQ) return false;
      table_[b] = 0xFFFD;
      continue;
    }
    if (units != 1) return false;
    table_[b] = out[0];
  }
  iconv(handle(cd_), nullptr, nullptr, nullptr, nullptr);
  return true;
}

std::u16string CodePageDecoder::decodeWithTable(std::string_view bytes) const {
  std::u16string out;
  out.reserve(bytes.size());
  MemoryAdvice::PreferHugePages(out.data(), bytes.size() * sizeof(char16_t));
  constexpr size_t kChunk = 8 * 1024;
  char16_t buf[kChunk];
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t done = 0; done < bytes.size();) {
    const size_t n = std::min(kChunk, bytes.size() - done);
    for (size_t i = 0; i < n; ++i) buf[i] = table_[p[done + i]];
    out.append(buf, n);
    done += n;
  }
  return out;
}

std::u16string CodePageDecoder::decodeWithIconv(std::string_view bytes) {
  iconv_t cd = handle(cd_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::u16string out;
  out.reserve(bytes.size() + 16);
  MemoryAdvice::PreferHugePages(out.data(), out.capacity() * sizeof(char16_t));
  out.resize(bytes.size() + 16);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  size_t used = 0;
  bool flushed = false;
  while (!flushed) {
    char* dst = reinterpret_cast<char*>(out.data() + used);
    size_t dstLeft = (out.size() - used) * sizeof(char16_t);
    const size_t before = dstLeft;
    // With the input used up, one more call writes out any pending state.
    const bool flushing = inLeft == 0;
    size_t rc = flushing ? iconv(cd, nullptr, nullptr, &dst, &dstLeft) : iconv(cd, &in, &inLeft, &dst, &dstLeft);
    used += (before - dstLeft) / sizeof(char16_t);
    if (rc != static_cast<size_t>(-1)) {
      flushed = flushing;
      continue;
    }
    if (errno == E2BIG) {
      out.resize(out.size() + out.size() / 2 + 16);
    } else if ((errno == EILSEQ || errno == EINVAL) && inLeft > 0) {
      if (used == out.size()) out.resize(out.size() + 16);
      out[used++] = 0xFFFD;
      ++in;
      --inLeft;
    } else {
      break;  // nothing else is expected of iconv; keep what was converted
    }
  }
  out.resize(used);
  return out;
}

}  // namespace tembra
