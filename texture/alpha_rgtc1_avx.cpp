// AVX builds of the single-channel kernels: alpha_range, encode_alpha_block (16 values in two
// rows of eight 16-bit lanes) and the alpha fetch of the host's 8-bit and 16-bit ARGB. Integer
// arithmetic throughout, so the results are the generic kernels'. Only this file is compiled with
// -mavx.
#include "texture/alpha_rgtc1_avx.h"

#include <immintrin.h>

#include "texture/block_rows_avx.h"

namespace {

// Squared differences are at most 255^2 = 65025: exact in an unsigned 16-bit lane. Unsigned order
// is signed order after flipping the top bit.
inline __m128i flip(__m128i v) {
  return _mm_xor_si128(v, _mm_set1_epi16(static_cast<int16_t>(0x8000)));
}

// Sum of eight unsigned 16-bit lanes.
inline uint32_t sum_u16(__m128i v) {
  const __m128i zero = _mm_setzero_si128();
  __m128i s = _mm_add_epi32(_mm_unpacklo_epi16(v, zero), _mm_unpackhi_epi16(v, zero));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4E));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0xB1));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(s));
}

template <PixelFormat F>
void fetch_alpha(const uint8_t* const planes[4], const size_t strides[4], uint8_t out[16],
                 uint8_t* min, uint8_t* max) {
  __m128i rows[4];
  load_argb_block<F>(planes, strides, rows);
  // Byte 0 of every pixel: A0..A3 of each row into the row's first four bytes.
  const __m128i alpha = _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i a01 =
      _mm_unpacklo_epi32(_mm_shuffle_epi8(rows[0], alpha), _mm_shuffle_epi8(rows[1], alpha));
  const __m128i a23 =
      _mm_unpacklo_epi32(_mm_shuffle_epi8(rows[2], alpha), _mm_shuffle_epi8(rows[3], alpha));
  const __m128i values = _mm_unpacklo_epi64(a01, a23);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), values);
  byte_min_max(values, min, max);
}

}  // namespace

void alpha_range_avx(const uint8_t values[16], uint8_t* low, uint8_t* high) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values));
  const __m128i ones = _mm_set1_epi8(-1);
  // 0 counts as 255 for the minimum, 255 as 0 for the maximum.
  const __m128i for_low = _mm_or_si128(v, _mm_cmpeq_epi8(v, _mm_setzero_si128()));
  const __m128i for_high = _mm_andnot_si128(_mm_cmpeq_epi8(v, ones), v);
  uint8_t unused;
  byte_min_max(for_low, low, &unused);
  byte_min_max(for_high, &unused, high);
}

void encode_alpha_block_avx(const uint8_t values[16], const uint8_t palette[8], uint8_t indices[16],
                            uint32_t* error) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values));
  const __m128i v[2] = {_mm_cvtepu8_epi16(bytes), _mm_cvtepu8_epi16(_mm_srli_si128(bytes, 8))};
  __m128i best[2] = {_mm_set1_epi16(0x7FFF), _mm_set1_epi16(0x7FFF)};  // flipped 0xFFFF
  __m128i index[2] = {_mm_setzero_si128(), _mm_setzero_si128()};
  for (int j = 0; j < 8; ++j) {
    const __m128i p = _mm_set1_epi16(palette[j]);
    const __m128i jv = _mm_set1_epi16(static_cast<int16_t>(j));
    for (int h = 0; h < 2; ++h) {
      const __m128i d = _mm_sub_epi16(v[h], p);
      const __m128i e = flip(_mm_mullo_epi16(d, d));
      // Strictly smaller only: the lowest index keeps a tie.
      const __m128i better = _mm_cmpgt_epi16(best[h], e);
      best[h] = _mm_blendv_epi8(best[h], e, better);
      index[h] = _mm_blendv_epi8(index[h], jv, better);
    }
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(indices), _mm_packus_epi16(index[0], index[1]));
  *error = sum_u16(flip(best[0])) + sum_u16(flip(best[1]));
}

void fetch_alpha_argb8_avx(const uint8_t* const planes[4], const size_t strides[4], uint8_t out[16],
                           uint8_t* min, uint8_t* max) {
  fetch_alpha<ARGB_8>(planes, strides, out, min, max);
}
void fetch_alpha_argb16_host_avx(const uint8_t* const planes[4], const size_t strides[4],
                                 uint8_t out[16], uint8_t* min, uint8_t* max) {
  fetch_alpha<ARGB_16_HOST>(planes, strides, out, min, max);
}
