// AVX2 build of alpha_palette_error: the 16 targets in one row of sixteen 16-bit lanes, otherwise
// the generic steps (nearest distance per target, squared and summed in 32 bits), so the sums
// are equal. Only this file is compiled with -mavx2.
#include <immintrin.h>

#include "texture/alpha_best.h"

uint32_t alpha_palette_error_avx2(const AlphaTargets& t, const uint8_t palette[8]) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t.value));
  __m256i nearest = _mm256_set1_epi16(0x7FFF);
  for (int k = 0; k < 8; ++k) {
    const __m256i p = _mm256_set1_epi16(static_cast<int16_t>(palette[k] * t.scale));
    nearest = _mm256_min_epi16(nearest, _mm256_abs_epi16(_mm256_sub_epi16(v, p)));
  }
  const __m256i squares = _mm256_madd_epi16(nearest, nearest);
  __m128i sum =
      _mm_add_epi32(_mm256_castsi256_si128(squares), _mm256_extracti128_si256(squares, 1));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4E));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xB1));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(sum));
}
