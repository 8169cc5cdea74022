#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// The texts of one day list, packed back to back in chunks that never move.
// A text is a 32-bit reference, so a programme costs four words instead of
// four strings. Short texts are kept once: a day's reply repeats its dates,
// start times and many titles thousands of times.
class GuideTextPool {
 public:
  // Chunk size in UTF-16 units; a text longer than a chunk gets a string of
  // its own.
  static constexpr uint32_t kChunkBits = 20;
  static constexpr size_t kChunkUnits = size_t{1} << kChunkBits;
  // The first chunk is small: most pools in a test or a small service's
  // guide need no more.
  static constexpr size_t kFirstChunkUnits = 4096;
  // Texts of at most this many units are looked up before they are added:
  // dates, times and short titles, of which a day has few distinct ones,
  // so that the table stays small enough to be quick.
  static constexpr size_t kMaxShared = 16;

  GuideTextPool() = default;
  GuideTextPool(GuideTextPool&&) noexcept = default;
  GuideTextPool& operator=(GuideTextPool&&) noexcept = default;

  // The reference of text; 0 is the empty text. The views that get()
  // returns stay valid as long as the pool lives, also across add().
  uint32_t add(std::u16string_view text);
  std::u16string_view get(uint32_t ref) const {
    if (ref == 0) return {};
    if (ref & kLongBit) return long_[ref & ~kLongBit];
    const char16_t* p = chunks_[(ref - 1) >> kChunkBits].get() + ((ref - 1) & (kChunkUnits - 1));
    uint32_t length = p[0];
    if (length & 0x8000u) return {p + 2, ((length & 0x7FFFu) << 16) | p[1]};
    return {p + 1, length};
  }

  // Drops the lookup table of shared texts: a finished pool only reads.
  void Seal();
  // Bytes held by the chunks, the long texts and the lookup table.
  size_t memoryBytes() const;

 private:
  static constexpr uint32_t kLongBit = 0x80000000u;
  static constexpr size_t kMaxChunks = size_t{1} << (31 - kChunkBits);

  uint32_t store(std::u16string_view text);
  static uint32_t hash(std::u16string_view text);
  void growTable();

  struct Slot {
    uint32_t hash;
    uint32_t ref;  // 0: free
  };

  std::vector<std::unique_ptr<char16_t[]>> chunks_;
  size_t used_ = 0;      // units taken in the last chunk
  size_t capacity_ = 0;  // units the last chunk has
  size_t chunkUnits_ = 0;  // units of all chunks
  std::vector<std::u16string> long_;
  // Open addressing over the shared texts, with their hashes so that a
  // probe rarely reads the text itself.
  std::vector<Slot> table_;
  size_t tableUsed_ = 0;
};

}  // namespace tembra
