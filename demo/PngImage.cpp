#include "PngImage.h"

#include <zlib.h>

#include <vector>

namespace tembra {

namespace {

void put32(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

void chunk(std::string& out, const char* type, const std::string& data) {
  put32(out, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  out += body;
  put32(out, static_cast<uint32_t>(
                 crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

}  // namespace

std::string PngImage::Make(uint32_t width, uint32_t height, uint32_t rgb) {
  std::vector<unsigned char> raw;
  raw.reserve((width * 3 + 1) * height);
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    for (uint32_t x = 0; x < width; ++x) {
      bool band = y >= height / 3 && y < 2 * height / 3;
      if (band) {
        raw.push_back(static_cast<unsigned char>(rgb >> 16));
        raw.push_back(static_cast<unsigned char>(rgb >> 8));
        raw.push_back(static_cast<unsigned char>(rgb));
      } else {
        raw.push_back(static_cast<unsigned char>(x * 255 / (width ? width : 1)));
        raw.push_back(static_cast<unsigned char>(y * 255 / (height ? height : 1)));
        raw.push_back(static_cast<unsigned char>(128));
      }
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, raw.data(),
            static_cast<uLong>(raw.size()), 9);
  packed.resize(packedSize);

  std::string header;
  put32(header, width);
  put32(header, height);
  header += '\x08';  // bit depth
  header += '\x02';  // colour type: RGB
  header += std::string(3, '\0');  // compression, filter, interlace

  std::string png = "\x89PNG\r\n\x1a\n";
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", packed);
  chunk(png, "IEND", {});
  return png;
}

}  // namespace tembra
