// The selector evaluation built with -mavx2 (only this file), for unit channel weights (the only
// weights this system uses; others take the baseline kernel). Eight pixels per 256-bit register:
//   projection: the baseline's float steps per pixel, in the same order (no fused multiply-add:
//     the project builds with -ffp-contract=off and this file without -mfma), so every pixel
//     gets the baseline's neighbouring entries s - 1 and s;
//   palette: (64 * lo + 32 + w * (hi - lo)) >> 6 per entry, in lanes;
//   palette look-up: the entries of each channel as 32-bit lanes, picked by the selector with a
//     lane permutation (two tables and a blend for 16 entries);
//   distances: exact integers (|difference| <= 255, squared through _mm256_madd_epi16).
// The whole error is summed without the baseline's early exit; the baseline stops only once its
// partial sum reaches the best error, and then the full sum is not below it either, so the
// solution kept is the same.
#include <immintrin.h>

#include <cstring>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/lanes_avx2.h"

namespace {

// table[idx] for eight 32-bit indices below `entries` (4, 8 or 16).
inline __m256i look_up(const int32_t* table, __m256i idx, uint32_t entries) {
  const __m256i low8 =
      _mm256_permutevar8x32_epi32(_mm256_load_si256(reinterpret_cast<const __m256i*>(table)), idx);
  if (entries <= 8) return low8;
  const __m256i high8 = _mm256_permutevar8x32_epi32(
      _mm256_load_si256(reinterpret_cast<const __m256i*>(table + 8)), idx);
  return _mm256_blendv_epi8(low8, high8, _mm256_cmpgt_epi32(idx, _mm256_set1_epi32(7)));
}

}  // namespace

uint64_t bc7_evaluate_selectors_avx2(const uint32_t lo[4], const uint32_t hi[4],
                                     const Bc7CellParams& cell, uint64_t best_err,
                                     uint8_t selectors[16]) {
  const uint32_t comps = cell.m_has_alpha ? 4 : 3;
  for (uint32_t c = 0; c < comps; ++c)
    if (cell.m_weights[c] != 1) return bc7_evaluate_selectors(lo, hi, cell, best_err, selectors);
  const uint32_t n = cell.m_num_selector_weights;
  const uint32_t num_pixels = cell.m_num_pixels;

  // Palette: ((64 - w) * lo + w * hi + 32) >> 6 == (64 * lo + 32 + w * (hi - lo)) >> 6, the
  // same integer, with w * (hi - lo) through madd (w and the signed difference in the low 16 bits
  // of their lanes). Lanes past N repeat earlier weights and are never looked up.
  __m256i weights[2];
  if (n == 16) {
    weights[0] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cell.m_selector_weights));
    weights[1] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cell.m_selector_weights + 8));
  } else if (n == 8) {
    weights[0] = weights[1] =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cell.m_selector_weights));
  } else {
    weights[0] = weights[1] = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(cell.m_selector_weights)));
  }
  alignas(32) int32_t palette[4][16];
  for (uint32_t c = 0; c < comps; ++c) {
    const __m256i base = _mm256_set1_epi32(static_cast<int32_t>(64 * lo[c] + 32));
    const __m256i span = _mm256_set1_epi32(
        static_cast<int32_t>((static_cast<int32_t>(hi[c]) - static_cast<int32_t>(lo[c])) & 0xFFFF));
    for (uint32_t h = 0; h < 2; ++h)
      _mm256_store_si256(
          reinterpret_cast<__m256i*>(palette[c] + 8 * h),
          _mm256_srai_epi32(_mm256_add_epi32(base, _mm256_madd_epi16(weights[h], span)), 6));
  }

  float d[4], lo_f[4], len2 = 0;
  for (uint32_t c = 0; c < comps; ++c) {
    lo_f[c] = static_cast<float>(lo[c]);
    d[c] = static_cast<float>(hi[c]) - lo_f[c];
    len2 += d[c] * d[c];
  }
  const float f = static_cast<float>(n) / (len2 + 0.00000125f);
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i top = _mm256_set1_epi32(static_cast<int32_t>(n) - 1);
  const __m256i byte_mask = _mm256_set1_epi32(255);

  alignas(32) uint32_t copy[16] = {};
  const uint32_t* pixels = copy;
  if (num_pixels == 16)
    pixels = reinterpret_cast<const uint32_t*>(cell.m_pixels);  // whole block: read in place
  else
    std::memcpy(copy, cell.m_pixels, size_t{num_pixels} * 4);
  __m256i chosen[2];
  __m256i total = _mm256_setzero_si256();
  for (uint32_t half = 0; half < 2; ++half) {
    const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + 8 * half));
    __m256i channel[4];
    __m256 dot = _mm256_setzero_ps();
    for (uint32_t c = 0; c < comps; ++c) {
      channel[c] = _mm256_and_si256(_mm256_srli_epi32(px, static_cast<int>(8 * c)), byte_mask);
      const __m256 t =
          _mm256_mul_ps(_mm256_sub_ps(_mm256_cvtepi32_ps(channel[c]), _mm256_set1_ps(lo_f[c])),
                        _mm256_set1_ps(d[c]));
      dot = _mm256_add_ps(dot, t);
    }
    __m256i s = _mm256_cvttps_epi32(
        _mm256_add_ps(_mm256_mul_ps(dot, _mm256_set1_ps(f)), _mm256_set1_ps(0.5f)));
    s = _mm256_min_epi32(_mm256_max_epi32(s, one), top);
    const __m256i below = _mm256_sub_epi32(s, one);

    __m256i err_below = _mm256_setzero_si256(), err_at = _mm256_setzero_si256();
    for (uint32_t c = 0; c < comps; ++c) {
      const __m256i diff_below =
          _mm256_abs_epi32(_mm256_sub_epi32(channel[c], look_up(palette[c], below, n)));
      const __m256i diff_at =
          _mm256_abs_epi32(_mm256_sub_epi32(channel[c], look_up(palette[c], s, n)));
      err_below = _mm256_add_epi32(err_below, _mm256_madd_epi16(diff_below, diff_below));
      err_at = _mm256_add_epi32(err_at, _mm256_madd_epi16(diff_at, diff_at));
    }
    // s - 1 only when strictly nearer.
    const __m256i take_below = _mm256_cmpgt_epi32(err_at, err_below);
    chosen[half] = _mm256_add_epi32(s, take_below);
    const __m256i lane = _mm256_add_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7),
                                          _mm256_set1_epi32(static_cast<int32_t>(8 * half)));
    const __m256i valid =
        _mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int32_t>(num_pixels)), lane);
    total = _mm256_add_epi32(total, _mm256_and_si256(_mm256_min_epi32(err_below, err_at), valid));
  }
  // 32-bit selectors to bytes in pixel order (packs interleave the 128-bit halves; the permute
  // puts them back). All 16 are written; those past the pixel count are scratch.
  const __m256i words = _mm256_permute4x64_epi64(_mm256_packs_epi32(chosen[0], chosen[1]), 0xD8);
  _mm_storeu_si128(
      reinterpret_cast<__m128i*>(selectors),
      _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1)));
  return lane_sum_u32(total);
}
