#include "splash/GifFrames.h"

namespace tembra {
namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kControlLabel = 0xF9;
constexpr size_t kHeaderBytes = 13;
constexpr size_t kImageDescriptorBytes = 10;

size_t colourTableBytes(uint8_t packed) {
  return (packed & 0x80) ? size_t{3} << ((packed & 0x07) + 1) : 0;
}

}  // namespace

std::chrono::milliseconds GifFrames::frameWait(uint32_t delay) {
  if (delay < 5) {
    return std::chrono::milliseconds(100);
  }
  return std::chrono::milliseconds(int64_t{delay} * 10);
}

bool GifFrames::isGif(std::span<const uint8_t> data) {
  return data.size() >= 3 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F';
}

GifFrames::GifFrames(std::span<const uint8_t> data) : data_(data) {
  if (!isGif(data) || data.size() < kHeaderBytes) {
    return;
  }
  screen_.width = word(6);
  screen_.height = word(8);
  const uint8_t packed = data[10];
  screen_.backgroundIndex = data[11];
  screen_.globalTableBytes = colourTableBytes(packed);
  if (kHeaderBytes + screen_.globalTableBytes > data.size()) {
    return;
  }
  if (screen_.globalTableBytes > 0 && size_t{screen_.backgroundIndex} * 3 < screen_.globalTableBytes) {
    const size_t entry = kHeaderBytes + size_t{screen_.backgroundIndex} * 3;
    screen_.backgroundColour = (uint32_t{data[entry]} << 16) | (uint32_t{data[entry + 1]} << 8) | data[entry + 2];
  }
  screen_.firstBlock = kHeaderBytes + screen_.globalTableBytes;
  offset_ = screen_.firstBlock;
  valid_ = true;
}

uint16_t GifFrames::word(size_t offset) const {
  return static_cast<uint16_t>(data_[offset] | (data_[offset + 1] << 8));
}

std::optional<size_t> GifFrames::subBlocksAt(size_t offset) const {
  size_t pos = offset;
  while (pos < data_.size()) {
    const size_t length = data_[pos];
    ++pos;
    if (length == 0) {
      return pos - offset;
    }
    pos += length;
  }
  return std::nullopt;
}

// Every extension is its introducer, its label and a run of sub-blocks, so
// one whose label is unknown (or a control extension of the wrong size) is
// stepped over rather than ending the walk; only a byte that starts no block
// at all does that.
std::optional<GifFrames::Block> GifFrames::blockAt(size_t offset) const {
  if (offset >= data_.size()) {
    return std::nullopt;
  }
  switch (data_[offset]) {
    case kTrailer:
      return Block{Kind::Trailer, 1};
    case kExtensionIntroducer: {
      if (offset + 1 >= data_.size()) {
        return std::nullopt;
      }
      const auto run = subBlocksAt(offset + 2);
      if (!run) {
        return std::nullopt;
      }
      const bool control = data_[offset + 1] == kControlLabel && data_[offset + 2] >= 4;
      return Block{control ? Kind::Control : Kind::Extension, 2 + *run};
    }
    case kImageSeparator: {
      if (offset + kImageDescriptorBytes > data_.size()) {
        return std::nullopt;
      }
      const size_t table = colourTableBytes(data_[offset + 9]);
      const size_t codeSize = offset + kImageDescriptorBytes + table;
      if (codeSize >= data_.size()) {
        return std::nullopt;
      }
      const auto run = subBlocksAt(codeSize + 1);
      if (!run) {
        return std::nullopt;
      }
      return Block{Kind::Image, kImageDescriptorBytes + table + 1 + *run};
    }
    default:
      return std::nullopt;
  }
}

size_t GifFrames::count() const {
  if (!valid_) {
    return 0;
  }
  size_t frames = 0;
  size_t pos = screen_.firstBlock;
  for (auto block = blockAt(pos); block && block->kind != Kind::Trailer; block = blockAt(pos)) {
    if (block->kind == Kind::Image) {
      ++frames;
    }
    pos += block->length;
  }
  return frames;
}

// A frame runs from its graphic control extension (or its image descriptor)
// to the end of its image data; extensions before the control extension
// belong to no frame, those between it and the image go with the frame.
std::optional<GifFrame> GifFrames::next() {
  if (!valid_) {
    return std::nullopt;
  }
  GifFrame frame;
  frame.delay = kDefaultDelay;
  std::optional<size_t> start;
  for (auto block = blockAt(offset_); block && block->kind != Kind::Trailer; block = blockAt(offset_)) {
    const size_t at = offset_;
    offset_ += block->length;
    switch (block->kind) {
      case Kind::Extension:
        break;
      case Kind::Control:
        if (!start) {
          start = at;
        }
        frame.hasControl = true;
        frame.disposal = (data_[at + 3] >> 2) & 0x07;
        frame.delay = word(at + 4);
        break;
      case Kind::Image: {
        if (!start) {
          start = at;
        }
        frame.left = word(at + 1);
        frame.top = word(at + 3);
        frame.width = word(at + 5);
        frame.height = word(at + 7);
        frame.gif.reserve(screen_.firstBlock + (offset_ - *start) + 1);
        frame.gif.assign(data_.begin(), data_.begin() + screen_.firstBlock);
        frame.gif.insert(frame.gif.end(), data_.begin() + *start, data_.begin() + offset_);
        frame.gif.push_back(kTrailer);
        return frame;
      }
      case Kind::Trailer:
        break;
    }
  }
  return std::nullopt;
}

}  // namespace tembra
