#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tembra {

// The texts of a guide, packed one after the other in large chunks that
// never move: a text is a 32-bit reference (its length is stored in front
// of it), so a programme costs a few words instead of five strings. Short
// texts that repeat (categories, series titles) can be kept once.
class TextPool {
 public:
  static constexpr size_t kChunkBytes = size_t{1} << 20;
  // Texts longer than this are refused by add (the guide loader cuts them
  // before).
  static constexpr size_t kMaxText = 64 * 1024;
  // The pool stops taking texts past this size.
  static constexpr size_t kMaxChunks = 1024;

  TextPool();
  TextPool(TextPool&&) noexcept;
  TextPool& operator=(TextPool&&) noexcept;
  ~TextPool();

  // The reference of a copy of text; 0 stands for the empty text, and is
  // also what a text gets once the pool is full (see full()).
  uint32_t add(std::string_view text);
  // The same, but a text already added through addShared is reused.
  uint32_t addShared(std::string_view text);

  std::string_view get(uint32_t ref) const;

  bool full() const { return full_; }
  // Bytes held by the chunks and the table of shared texts.
  size_t memoryBytes() const;

 private:
  std::vector<std::unique_ptr<char[]>> chunks_;
  size_t used_ = kChunkBytes;  // in the last chunk
  bool full_ = false;
  std::unordered_map<std::string_view, uint32_t> shared_;
};

}  // namespace tembra
