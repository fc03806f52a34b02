// The least-squares sums built for AVX-512 (only this file). The block's bytes are regrouped one
// channel per 128-bit lane (pixels 0-15 in order) and multiplied byte by byte with the selector
// weights (k <= 64, looked up from a 16-byte table by pshufb) through _mm512_maddubs_epi16: each
// 16-bit result is the sum of two products, at most 2 * 64 * 255, so nothing saturates. Pixels
// and selectors past the cell's count are read with masked loads as 0 and get weight 0. Every sum
// is an exact integer, so the order of addition does not matter: the sums are the baseline's.
// GCC 12 warns inside its own AVX-512 header, where intrinsics start from an undefined register
// (GCC bug 105593): silenced for the header's lines only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "texture/bc7enc/bc7_kernels.h"

void bc7_least_squares_sums_avx512(const Bc7CellParams& cell, const uint8_t* selectors,
                                   Bc7LeastSquaresSums& sums) {
  const auto lanes = static_cast<__mmask16>((1u << cell.m_num_pixels) - 1);
  const auto entries = static_cast<__mmask16>((1u << cell.m_num_selector_weights) - 1);
  const __m128i table =
      _mm512_cvtepi32_epi8(_mm512_maskz_loadu_epi32(entries, cell.m_selector_weights));
  const __m128i k = _mm_maskz_shuffle_epi8(lanes, table, _mm_maskz_loadu_epi8(lanes, selectors));
  const __m512i k4 = _mm512_broadcast_i32x4(k);

  // R, G, B, A of pixels 0-15 in the four 128-bit lanes: bytes grouped by channel within each
  // lane (four pixels), then the 32-bit groups gathered across lanes.
  const __m512i by_channel = _mm512_set4_epi32(0x0F0B0703, 0x0E0A0602, 0x0D090501, 0x0C080400);
  const __m512i gather = _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  const __m512i planes = _mm512_permutexvar_epi32(
      gather, _mm512_shuffle_epi8(_mm512_maskz_loadu_epi32(lanes, cell.m_pixels), by_channel));

  // Sums of four pixels per 32-bit lane, one channel per 128-bit lane.
  const __m512i ones8 = _mm512_set1_epi8(1), ones16 = _mm512_set1_epi16(1);
  const __m512i q = _mm512_madd_epi16(_mm512_maddubs_epi16(planes, k4), ones16);
  const __m512i t = _mm512_madd_epi16(_mm512_maddubs_epi16(planes, ones8), ones16);
  // Lanes 0-7: q[0..3], t[0..3] each as two partial sums, then the partials added.
  const __m512i halves = _mm512_add_epi32(
      _mm512_permutex2var_epi32(
          q, _mm512_setr_epi32(0, 1, 4, 5, 8, 9, 12, 13, 16, 17, 20, 21, 24, 25, 28, 29), t),
      _mm512_permutex2var_epi32(
          q, _mm512_setr_epi32(2, 3, 6, 7, 10, 11, 14, 15, 18, 19, 22, 23, 26, 27, 30, 31), t));
  const __m512i pairs = _mm512_add_epi32(halves, _mm512_shuffle_epi32(halves, _MM_PERM_CDAB));
  const __m512i qt = _mm512_permutexvar_epi32(
      _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 0, 0, 0, 0, 0, 0, 0, 0), pairs);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(sums.q), _mm512_castsi512_si128(qt));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(sums.t), _mm512_extracti32x4_epi32(qt, 1));

  // Lane 0: k * k, lane 1: k, each summed over the 16 pixels.
  const __m512i kk =
      _mm512_madd_epi16(_mm512_maddubs_epi16(k4, _mm512_mask_blend_epi64(0xFC, k4, ones8)), ones16);
  __m512i s = _mm512_add_epi32(kk, _mm512_shuffle_epi32(kk, _MM_PERM_BADC));
  s = _mm512_add_epi32(s, _mm512_shuffle_epi32(s, _MM_PERM_CDAB));
  sums.kk = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm512_castsi512_si128(s)));
  sums.k = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm512_extracti32x4_epi32(s, 1)));
}
