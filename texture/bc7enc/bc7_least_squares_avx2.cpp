// The least-squares sums built with -mavx2 (only this file): the 16 pixels in two registers of
// eight 32-bit lanes, the selector weights looked up by lane permutation. Every sum is an exact
// integer, so the order of addition does not matter: the sums are the baseline's.
#include <immintrin.h>

#include <cstring>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/lanes_avx2.h"

void bc7_least_squares_sums_avx2(const Bc7CellParams& cell, const uint8_t* selectors,
                                 Bc7LeastSquaresSums& sums) {
  const uint32_t num_pixels = cell.m_num_pixels;
  // Lanes past the cell's pixels hold 0 as pixel and as weight: they add nothing.
  alignas(32) uint32_t pixel_copy[16] = {};
  alignas(32) int32_t weight_copy[16] = {};
  const uint32_t* pixels = pixel_copy;
  const int32_t* weights = weight_copy;
  if (num_pixels == 16) {
    // Whole block: pixels read in place, weights looked up from the 16 selectors (below N) by
    // lane permutation.
    pixels = reinterpret_cast<const uint32_t*>(cell.m_pixels);
    const uint32_t n = cell.m_num_selector_weights;
    const uint32_t* w = cell.m_selector_weights;
    __m256i table[2];
    if (n == 16) {
      table[0] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w));
      table[1] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + 8));
    } else if (n == 8) {
      table[0] = table[1] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w));
    } else {
      table[0] = table[1] =
          _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w)));
    }
    const __m128i sel = _mm_loadu_si128(reinterpret_cast<const __m128i*>(selectors));
    for (uint32_t h = 0; h < 2; ++h) {
      const __m256i idx = _mm256_cvtepu8_epi32(h == 0 ? sel : _mm_srli_si128(sel, 8));
      const __m256i low8 = _mm256_permutevar8x32_epi32(table[0], idx);
      const __m256i high8 = _mm256_permutevar8x32_epi32(table[1], idx);
      _mm256_store_si256(
          reinterpret_cast<__m256i*>(weight_copy + 8 * h),
          _mm256_blendv_epi8(low8, high8, _mm256_cmpgt_epi32(idx, _mm256_set1_epi32(7))));
    }
  } else {
    std::memcpy(pixel_copy, cell.m_pixels, size_t{num_pixels} * 4);
    for (uint32_t i = 0; i < num_pixels; ++i)
      weight_copy[i] = static_cast<int32_t>(cell.m_selector_weights[selectors[i]]);
  }

  const __m256i byte_mask = _mm256_set1_epi32(255);
  __m256i kk = _mm256_setzero_si256(), k_sum = _mm256_setzero_si256();
  __m256i q[4], t[4];
  for (uint32_t c = 0; c < 4; ++c) q[c] = t[c] = _mm256_setzero_si256();
  for (uint32_t half = 0; half < 2; ++half) {
    const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + 8 * half));
    const __m256i k = _mm256_load_si256(reinterpret_cast<const __m256i*>(weights + 8 * half));
    // k <= 64 and v <= 255 sit in the low 16 bits of their lanes with the high 16 bits 0, so
    // madd gives the 32-bit products.
    kk = _mm256_add_epi32(kk, _mm256_madd_epi16(k, k));
    k_sum = _mm256_add_epi32(k_sum, k);
    for (uint32_t c = 0; c < 4; ++c) {
      const __m256i v = _mm256_and_si256(_mm256_srli_epi32(px, static_cast<int>(8 * c)), byte_mask);
      q[c] = _mm256_add_epi32(q[c], _mm256_madd_epi16(k, v));
      t[c] = _mm256_add_epi32(t[c], v);
    }
  }
  sums.kk = lane_sum_u32(kk);
  sums.k = lane_sum_u32(k_sum);
  for (uint32_t c = 0; c < 4; ++c) {
    sums.q[c] = lane_sum_u32(q[c]);
    sums.t[c] = lane_sum_u32(t[c]);
  }
}
