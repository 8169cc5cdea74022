#pragma once
// The block structure of GIF files, read without decoding any pixels: the
// logical screen, the count of images and each image cut out as a GIF file
// of its own, with its place, delay and disposal. The picture control hands
// those single-image files to the image loader, one per frame.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tembra {

// The logical screen descriptor of a GIF.
struct GifScreen {
  uint16_t width = 0;
  uint16_t height = 0;
  // Bytes of the global colour table (3 x 2^(n + 1)), 0 when there is none.
  size_t globalTableBytes = 0;
  uint8_t backgroundIndex = 0;
  // The global table's entry at backgroundIndex as 0xRRGGBB; white without a
  // global table.
  uint32_t backgroundColour = 0xFFFFFF;
  // Offset of the first block after the header and the global table.
  size_t firstBlock = 0;
};

// One image of a GIF.
struct GifFrame {
  // Header and global colour table of the source, the frame's blocks (from
  // its graphic control extension, or its image descriptor when it has none,
  // to the end of its image data) and the trailer.
  std::vector<uint8_t> gif;
  uint16_t left = 0;
  uint16_t top = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  // Hundredths of a second.
  uint32_t delay = 0;
  // 2 restores the frame's rectangle to the background, 3 restores what was
  // under it; other values leave the frame in place.
  uint32_t disposal = 0;
  // False when no graphic control extension came before the image.
  bool hasControl = false;
};

// Walks the blocks of one GIF held in memory. The data must outlive the
// walker. Nothing here trusts the file: a block that would reach past the end
// of the data, or a byte that starts no known block, ends the walk, and every
// frame read before it stays usable (so a truncated file plays what it has).
class GifFrames {
 public:
  // The delay given to an image without a graphic control extension: 100 ms,
  // the same as the shortest delay the animation honours.
  static constexpr uint32_t kDefaultDelay = 10;

  // Time a frame stays up: delays below 5 hundredths become 100 ms.
  static std::chrono::milliseconds frameWait(uint32_t delay);

  // True when the data starts with "GIF"; the version bytes are not examined.
  static bool isGif(std::span<const uint8_t> data);

  // False (and nothing else usable) when the data is not a GIF or its header
  // or global colour table is cut short.
  explicit GifFrames(std::span<const uint8_t> data);

  bool valid() const { return valid_; }
  const GifScreen& screen() const { return screen_; }

  // Number of images the walk reaches, which is the number of frames next()
  // yields from the start. Does not move the read position.
  size_t count() const;

  // The next image, or nullopt at the trailer, an unknown block or the end.
  std::optional<GifFrame> next();

  // Back to the first block.
  void rewind() { offset_ = screen_.firstBlock; }

 private:
  enum class Kind { Control, Extension, Image, Trailer };
  struct Block {
    Kind kind;
    size_t length;
  };
  // The block at offset, or nullopt when it is unknown or cut short.
  std::optional<Block> blockAt(size_t offset) const;
  // Length of a run of data sub-blocks at offset, with its final zero.
  std::optional<size_t> subBlocksAt(size_t offset) const;
  uint16_t word(size_t offset) const;

  std::span<const uint8_t> data_;
  GifScreen screen_;
  bool valid_ = false;
  size_t offset_ = 0;
};

}  // namespace tembra
