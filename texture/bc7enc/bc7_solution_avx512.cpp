// The selector evaluation built for AVX-512 (only this file), for unit channel weights (others take
// the baseline kernel). All 16 pixels sit in one register of 32-bit lanes:
//   projection: the baseline's float steps per pixel, in the same order (no fused multiply-add),
//     so every pixel gets the baseline's neighbouring entries s - 1 and s;
//   palette: (64 * lo + 32 + w * (hi - lo)) >> 6 per entry, one lane per entry (up to 16), looked
//     up by the selector with one lane permutation;
//   distances: exact integers (|difference| <= 255, squared through _mm512_madd_epi16).
// Pixels and weights past the cell's counts are read with masked loads (nothing beyond them is
// touched). The whole error is summed without the baseline's early exit, which decides the same
// way (see bc7_solution_avx2.cpp); byte-equal to the baseline build.
// GCC 12 warns inside its own AVX-512 header, where intrinsics start from an undefined register
// (GCC bug 105593): silenced for the header's lines only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "texture/bc7enc/bc7_kernels.h"

uint64_t bc7_evaluate_selectors_avx512(const uint32_t lo[4], const uint32_t hi[4],
                                       const Bc7CellParams& cell, uint64_t best_err,
                                       uint8_t selectors[16]) {
  const uint32_t comps = cell.m_has_alpha ? 4 : 3;
  for (uint32_t c = 0; c < comps; ++c)
    if (cell.m_weights[c] != 1) return bc7_evaluate_selectors(lo, hi, cell, best_err, selectors);
  const uint32_t n = cell.m_num_selector_weights;
  const auto pixel_lanes = static_cast<__mmask16>((1u << cell.m_num_pixels) - 1);

  const __m512i weights =
      _mm512_maskz_loadu_epi32(static_cast<__mmask16>((1u << n) - 1), cell.m_selector_weights);
  __m512i palette[4];
  float d[4], lo_f[4], len2 = 0;
  for (uint32_t c = 0; c < comps; ++c) {
    const __m512i base = _mm512_set1_epi32(static_cast<int32_t>(64 * lo[c] + 32));
    const __m512i span = _mm512_set1_epi32(
        static_cast<int32_t>((static_cast<int32_t>(hi[c]) - static_cast<int32_t>(lo[c])) & 0xFFFF));
    palette[c] = _mm512_srai_epi32(_mm512_add_epi32(base, _mm512_madd_epi16(weights, span)), 6);
    lo_f[c] = static_cast<float>(lo[c]);
    d[c] = static_cast<float>(hi[c]) - lo_f[c];
    len2 += d[c] * d[c];
  }
  const float f = static_cast<float>(n) / (len2 + 0.00000125f);

  const __m512i px = _mm512_maskz_loadu_epi32(pixel_lanes, cell.m_pixels);
  const __m512i byte_mask = _mm512_set1_epi32(255);
  __m512i channel[4];
  __m512 dot = _mm512_setzero_ps();
  for (uint32_t c = 0; c < comps; ++c) {
    channel[c] = _mm512_and_si512(_mm512_srli_epi32(px, static_cast<int>(8 * c)), byte_mask);
    const __m512 t =
        _mm512_mul_ps(_mm512_sub_ps(_mm512_cvtepi32_ps(channel[c]), _mm512_set1_ps(lo_f[c])),
                      _mm512_set1_ps(d[c]));
    dot = _mm512_add_ps(dot, t);
  }
  const __m512i one = _mm512_set1_epi32(1);
  __m512i s = _mm512_cvttps_epi32(
      _mm512_add_ps(_mm512_mul_ps(dot, _mm512_set1_ps(f)), _mm512_set1_ps(0.5f)));
  s = _mm512_min_epi32(_mm512_max_epi32(s, one), _mm512_set1_epi32(static_cast<int32_t>(n) - 1));
  const __m512i below = _mm512_sub_epi32(s, one);

  __m512i err_below = _mm512_setzero_si512(), err_at = _mm512_setzero_si512();
  for (uint32_t c = 0; c < comps; ++c) {
    const __m512i diff_below =
        _mm512_abs_epi32(_mm512_sub_epi32(channel[c], _mm512_permutexvar_epi32(below, palette[c])));
    const __m512i diff_at =
        _mm512_abs_epi32(_mm512_sub_epi32(channel[c], _mm512_permutexvar_epi32(s, palette[c])));
    err_below = _mm512_add_epi32(err_below, _mm512_madd_epi16(diff_below, diff_below));
    err_at = _mm512_add_epi32(err_at, _mm512_madd_epi16(diff_at, diff_at));
  }
  // s - 1 only when strictly nearer. All 16 selectors are written; those past the pixel count are
  // scratch.
  const __mmask16 take_below = _mm512_cmpgt_epi32_mask(err_at, err_below);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(selectors),
                   _mm512_cvtepi32_epi8(_mm512_mask_sub_epi32(s, take_below, s, one)));
  return static_cast<uint32_t>(
      _mm512_reduce_add_epi32(_mm512_maskz_min_epi32(pixel_lanes, err_below, err_at)));
}
