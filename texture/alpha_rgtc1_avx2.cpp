// AVX2 build of encode_alpha_block: the 16 values in one row of sixteen 16-bit lanes, otherwise
// the AVX kernel's steps (exact squared differences in unsigned 16-bit lanes, strictly smaller
// wins so the lowest index keeps a tie). Only this file is compiled with -mavx2.
#include <immintrin.h>

#include "texture/alpha_rgtc1_avx.h"

void encode_alpha_block_avx2(const uint8_t values[16], const uint8_t palette[8],
                             uint8_t indices[16], uint32_t* error) {
  const __m256i top = _mm256_set1_epi16(static_cast<int16_t>(0x8000));
  const __m256i v = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(values)));
  __m256i best = _mm256_set1_epi16(0x7FFF);  // 0xFFFF with the top bit flipped
  __m256i index = _mm256_setzero_si256();
  for (int j = 0; j < 8; ++j) {
    const __m256i d = _mm256_sub_epi16(v, _mm256_set1_epi16(palette[j]));
    const __m256i e = _mm256_xor_si256(_mm256_mullo_epi16(d, d), top);
    const __m256i better = _mm256_cmpgt_epi16(best, e);
    best = _mm256_blendv_epi8(best, e, better);
    index = _mm256_blendv_epi8(index, _mm256_set1_epi16(static_cast<int16_t>(j)), better);
  }
  const __m128i packed =
      _mm_packus_epi16(_mm256_castsi256_si128(index), _mm256_extracti128_si256(index, 1));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(indices), packed);
  // Unflip and widen to 32 bits before summing (16 x 65025 needs 20 bits).
  best = _mm256_xor_si256(best, top);
  const __m256i zero = _mm256_setzero_si256();
  __m256i s =
      _mm256_add_epi32(_mm256_unpacklo_epi16(best, zero), _mm256_unpackhi_epi16(best, zero));
  __m128i t = _mm_add_epi32(_mm256_castsi256_si128(s), _mm256_extracti128_si256(s, 1));
  t = _mm_add_epi32(t, _mm_shuffle_epi32(t, 0x4E));
  t = _mm_add_epi32(t, _mm_shuffle_epi32(t, 0xB1));
  *error = static_cast<uint32_t>(_mm_cvtsi128_si32(t));
}
