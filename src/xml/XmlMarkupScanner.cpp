#include "xml/XmlMarkupScanner.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tembra {

void XmlMarkupScanner::Load(uint32_t base) {
  base_ = base;
  uint64_t lt = 0;
  uint64_t stop = 0;
  const char16_t* p = t_ + base;
#if defined(__SSE2__)
  if (n_ - base >= 64) {
    const __m128i cLt = _mm_set1_epi16('<');
    const __m128i cGt = _mm_set1_epi16('>');
    const __m128i cDq = _mm_set1_epi16('"');
    const __m128i cSq = _mm_set1_epi16('\'');
    for (int i = 0; i < 4; ++i) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i + 8));
      const __m128i la = _mm_cmpeq_epi16(a, cLt);
      const __m128i lb = _mm_cmpeq_epi16(b, cLt);
      const __m128i sa =
          _mm_or_si128(_mm_cmpeq_epi16(a, cGt), _mm_or_si128(_mm_cmpeq_epi16(a, cDq), _mm_cmpeq_epi16(a, cSq)));
      const __m128i sb =
          _mm_or_si128(_mm_cmpeq_epi16(b, cGt), _mm_or_si128(_mm_cmpeq_epi16(b, cDq), _mm_cmpeq_epi16(b, cSq)));
      lt |= uint64_t(static_cast<uint16_t>(_mm_movemask_epi8(_mm_packs_epi16(la, lb)))) << (16 * i);
      stop |= uint64_t(static_cast<uint16_t>(_mm_movemask_epi8(_mm_packs_epi16(sa, sb)))) << (16 * i);
    }
    lt_ = lt;
    stop_ = stop;
    return;
  }
#endif
  const uint32_t count = n_ - base < 64 ? n_ - base : 64;
  for (uint32_t i = 0; i < count; ++i) {
    const char16_t c = p[i];
    if (c == u'<') lt |= uint64_t(1) << i;
    if (c == u'>' || c == u'"' || c == u'\'') stop |= uint64_t(1) << i;
  }
  lt_ = lt;
  stop_ = stop;
}

}  // namespace tembra
