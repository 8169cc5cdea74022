#pragma once
// Writes GIF files block by block, so tests can put any block where they
// like, and remembers where each block ends. Image data is LZW without
// compression (a clear code before the table would grow), which every
// decoder reads.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tembra::test {

class GifBuilder {
 public:
  // colours are 0xRRGGBB; the table is padded to a power of two (at least 2).
  GifBuilder(uint16_t width, uint16_t height, std::vector<uint32_t> globalTable, uint8_t backgroundIndex = 0,
             const std::string& version = "89a") {
    for (char c : "GIF" + version) bytes_.push_back(static_cast<uint8_t>(c));
    word(width);
    word(height);
    const int bits = tableBits(globalTable);
    bytes_.push_back(globalTable.empty() ? 0x00 : static_cast<uint8_t>(0x80 | 0x70 | (bits - 1)));
    bytes_.push_back(backgroundIndex);
    bytes_.push_back(0);
    table(globalTable, bits);
  }

  GifBuilder& control(uint16_t delay, uint8_t disposal, int transparent = -1) {
    start();
    bytes_.insert(bytes_.end(), {0x21, 0xF9, 0x04});
    bytes_.push_back(static_cast<uint8_t>((disposal & 7) << 2 | (transparent >= 0 ? 1 : 0)));
    word(delay);
    bytes_.push_back(static_cast<uint8_t>(transparent >= 0 ? transparent : 0));
    bytes_.push_back(0);
    return end();
  }

  // pixels holds width x height colour indices, or is empty for all fill.
  GifBuilder& image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t fill,
                    std::vector<uint8_t> pixels = {}, std::vector<uint32_t> localTable = {}) {
    start();
    bytes_.push_back(0x2C);
    word(left);
    word(top);
    word(width);
    word(height);
    const int bits = tableBits(localTable);
    bytes_.push_back(localTable.empty() ? 0x00 : static_cast<uint8_t>(0x80 | (bits - 1)));
    table(localTable, bits);
    if (pixels.empty()) {
      pixels.assign(size_t{width} * height, fill);
    }
    lzw(pixels);
    return end();
  }

  GifBuilder& looping() {
    start();
    bytes_.insert(bytes_.end(), {0x21, 0xFF, 0x0B});
    for (char c : std::string("NETSCAPE2.0")) bytes_.push_back(static_cast<uint8_t>(c));
    bytes_.insert(bytes_.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
    return end();
  }

  GifBuilder& comment(const std::string& text) {
    start();
    bytes_.insert(bytes_.end(), {0x21, 0xFE});
    subBlocks(std::vector<uint8_t>(text.begin(), text.end()));
    return end();
  }

  // An extension with a label nobody defines, holding length bytes.
  GifBuilder& unknownExtension(uint8_t label, size_t length) {
    start();
    bytes_.insert(bytes_.end(), {0x21, label});
    subBlocks(std::vector<uint8_t>(length, 0x55));
    return end();
  }

  GifBuilder& raw(const std::vector<uint8_t>& bytes) {
    start();
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return end();
  }

  GifBuilder& trailer() {
    start();
    bytes_.push_back(0x3B);
    return end();
  }

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::string text() const { return std::string(bytes_.begin(), bytes_.end()); }
  // Start and end offsets of every block added, in order.
  const std::vector<std::pair<size_t, size_t>>& blocks() const { return blocks_; }

 private:
  static int tableBits(const std::vector<uint32_t>& colours) {
    int bits = 1;
    while ((size_t{1} << bits) < colours.size()) ++bits;
    return bits;
  }
  void table(const std::vector<uint32_t>& colours, int bits) {
    if (colours.empty()) return;
    for (size_t i = 0; i < (size_t{1} << bits); ++i) {
      const uint32_t c = i < colours.size() ? colours[i] : 0;
      bytes_.push_back(static_cast<uint8_t>(c >> 16));
      bytes_.push_back(static_cast<uint8_t>(c >> 8));
      bytes_.push_back(static_cast<uint8_t>(c));
    }
  }
  void word(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void subBlocks(const std::vector<uint8_t>& data) {
    for (size_t at = 0; at < data.size(); at += 255) {
      const size_t n = std::min<size_t>(255, data.size() - at);
      bytes_.push_back(static_cast<uint8_t>(n));
      bytes_.insert(bytes_.end(), data.begin() + at, data.begin() + at + n);
    }
    bytes_.push_back(0);
  }
  // Code size 8, nine-bit codes: a clear code every 254 literals keeps the
  // decoder's table from reaching 512 entries, so the width never changes.
  void lzw(const std::vector<uint8_t>& pixels) {
    constexpr uint32_t kClear = 256, kEnd = 257;
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int nbits = 0;
    auto put = [&](uint32_t code) {
      acc |= code << nbits;
      nbits += 9;
      while (nbits >= 8) {
        out.push_back(static_cast<uint8_t>(acc));
        acc >>= 8;
        nbits -= 8;
      }
    };
    for (size_t i = 0; i < pixels.size(); ++i) {
      if (i % 254 == 0) put(kClear);
      put(pixels[i]);
    }
    put(kEnd);
    if (nbits > 0) out.push_back(static_cast<uint8_t>(acc));
    bytes_.push_back(8);
    subBlocks(out);
  }
  void start() { mark_ = bytes_.size(); }
  GifBuilder& end() {
    blocks_.emplace_back(mark_, bytes_.size());
    return *this;
  }

  std::vector<uint8_t> bytes_;
  std::vector<std::pair<size_t, size_t>> blocks_;
  size_t mark_ = 0;
};

}  // namespace tembra::test
