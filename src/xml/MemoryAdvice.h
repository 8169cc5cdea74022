#pragma once
#include <cstddef>

namespace tembra {

// Hints for the large buffers of file loading.
class MemoryAdvice {
 public:
  // Asks the kernel to back [p, p + bytes) with huge pages before it is
  // first written. Filling a fresh buffer of tens of megabytes otherwise
  // costs one page fault per 4 KiB, which takes longer than the decoding
  // itself on the machines we run on. Small buffers are left alone; the
  // hint is only a hint and failure is harmless.
  static void PreferHugePages(void* p, size_t bytes);
};

}  // namespace tembra
