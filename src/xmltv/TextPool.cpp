#include "xmltv/TextPool.h"

#include <cstring>

namespace tembra {

namespace {

constexpr size_t kSharedMaxLength = 64;

}  // namespace

TextPool::TextPool() = default;
TextPool::TextPool(TextPool&&) noexcept = default;
TextPool& TextPool::operator=(TextPool&&) noexcept = default;
TextPool::~TextPool() = default;

// Layout: a length of 1 to 3 bytes (7 bits each, high bit = more) and the
// bytes. Reference 0 is never a text's: the first chunk starts with one
// unused byte.
uint32_t TextPool::add(std::string_view text) {
  if (text.empty() || text.size() > kMaxText) return 0;
  const size_t need = text.size() + 3;
  if (used_ + need > kChunkBytes) {
    if (chunks_.size() >= kMaxChunks) {
      full_ = true;
      return 0;
    }
    chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunkBytes));
    used_ = chunks_.size() == 1 ? 1 : 0;
  }
  char* base = chunks_.back().get();
  const uint32_t ref = static_cast<uint32_t>((chunks_.size() - 1) * kChunkBytes + used_);
  size_t n = text.size();
  char* p = base + used_;
  while (n >= 0x80) {
    *p++ = static_cast<char>(0x80 | (n & 0x7F));
    n >>= 7;
  }
  *p++ = static_cast<char>(n);
  std::memcpy(p, text.data(), text.size());
  used_ = static_cast<size_t>(p - base) + text.size();
  return ref;
}

uint32_t TextPool::addShared(std::string_view text) {
  if (text.size() > kSharedMaxLength) return add(text);
  if (auto it = shared_.find(text); it != shared_.end()) return it->second;
  const uint32_t ref = add(text);
  if (ref != 0) shared_.emplace(get(ref), ref);
  return ref;
}

std::string_view TextPool::get(uint32_t ref) const {
  if (ref == 0) return {};
  const char* p = chunks_[ref / kChunkBytes].get() + ref % kChunkBytes;
  size_t n = 0;
  for (int shift = 0;; shift += 7) {
    const auto b = static_cast<unsigned char>(*p++);
    n |= static_cast<size_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) break;
  }
  return std::string_view(p, n);
}

size_t TextPool::memoryBytes() const {
  return chunks_.size() * kChunkBytes + shared_.size() * (sizeof(std::string_view) + sizeof(uint32_t) + 16) +
         shared_.bucket_count() * sizeof(void*);
}

}  // namespace tembra
