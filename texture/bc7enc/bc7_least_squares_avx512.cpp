// The least-squares sums and fit built for AVX-512 (only this file). The block's bytes are
// regrouped one channel per 128-bit lane (pixels 0-15 in order) and multiplied byte by byte with
// the selector weights (k <= 64, looked up from a 16-byte table by pshufb) through
// _mm512_maddubs_epi16: each 16-bit result is the sum of two products, at most 2 * 64 * 255, so
// nothing saturates. Pixels and selectors past the cell's count are read with masked loads as 0 and
// get weight 0. Every sum is an exact integer, so the order of addition does not matter: the sums
// are the baseline's. GCC 12 warns inside its own AVX-512 header, where intrinsics start from an
// undefined register (GCC bug 105593): silenced for the header's lines only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "texture/bc7enc/bc7_kernels.h"

namespace {

// The sums of the fit: q[0..3] and t[0..3] in lanes 0-3 of `q` and `t`, and kk, k.
struct Sums {
  __m128i q, t;
  uint32_t kk, k;
};

inline Sums least_squares_sums(const Bc7CellParams& cell, const uint8_t* selectors) {
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

  // Lane 0: k * k, lane 4: k, each summed over the 16 pixels.
  const __m512i kk =
      _mm512_madd_epi16(_mm512_maddubs_epi16(k4, _mm512_mask_blend_epi64(0xFC, k4, ones8)), ones16);
  __m512i s = _mm512_add_epi32(kk, _mm512_shuffle_epi32(kk, _MM_PERM_BADC));
  s = _mm512_add_epi32(s, _mm512_shuffle_epi32(s, _MM_PERM_CDAB));
  return Sums{_mm512_castsi512_si128(qt), _mm512_extracti32x4_epi32(qt, 1),
              static_cast<uint32_t>(_mm_cvtsi128_si32(_mm512_castsi512_si128(s))),
              static_cast<uint32_t>(_mm_cvtsi128_si32(_mm512_extracti32x4_epi32(s, 1)))};
}

}  // namespace

void bc7_least_squares_sums_avx512(const Bc7CellParams& cell, const uint8_t* selectors,
                                   Bc7LeastSquaresSums& sums) {
  const Sums s = least_squares_sums(cell, selectors);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(sums.q), s.q);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(sums.t), s.t);
  sums.kk = s.kk;
  sums.k = s.k;
}

// The normal equations are the baseline's: the matrix in scalar floats, then the four components
// in the lanes of one register with the same operations in the same order.
void bc7_least_squares_avx512(const Bc7CellParams& cell, const uint8_t* selectors, Bc7Vec4& low,
                              Bc7Vec4& high) {
  const Sums s = least_squares_sums(cell, selectors);
  const float z00 = static_cast<float>(s.kk) / 4096.0f;
  const float z10 = static_cast<float>(64 * s.k - s.kk) / 4096.0f;
  const float z11 = static_cast<float>(4096 * cell.m_num_pixels - 128 * s.k + s.kk) / 4096.0f;
  const float det = z00 * z11 - z10 * z10;
  const float inv = det != 0.0f ? 1.0f / det : 0.0f;

  const __m128 q = _mm_div_ps(_mm_cvtepi32_ps(s.q), _mm_set1_ps(64.0f));
  const __m128 t_q = _mm_sub_ps(_mm_cvtepi32_ps(s.t), q);
  const __m128 v00 = _mm_set1_ps(z00), v10 = _mm_set1_ps(z10), v11 = _mm_set1_ps(z11);
  const __m128 vinv = _mm_set1_ps(inv);
  __m128 lo = _mm_mul_ps(_mm_sub_ps(_mm_mul_ps(v00, t_q), _mm_mul_ps(v10, q)), vinv);
  __m128 hi = _mm_mul_ps(_mm_sub_ps(_mm_mul_ps(v11, q), _mm_mul_ps(v10, t_q)), vinv);
  const uint32_t comps = cell.m_has_alpha ? 4 : 3;
  if (!cell.m_has_alpha) {
    lo = _mm_mask_blend_ps(0x8, lo, _mm_set1_ps(255.0f));
    hi = _mm_mask_blend_ps(0x8, hi, _mm_set1_ps(255.0f));
  }
  _mm_storeu_ps(low.m_c, lo);
  _mm_storeu_ps(high.m_c, hi);

  // A fit outside 0..255 for a component all pixels share takes that value (rare).
  const auto outside =
      static_cast<uint32_t>((_mm_cmp_ps_mask(lo, _mm_setzero_ps(), _CMP_LT_OQ) |
                             _mm_cmp_ps_mask(hi, _mm_set1_ps(255.0f), _CMP_GT_OQ)) &
                            ((1u << comps) - 1));
  for (uint32_t c = 0; outside != 0 && c < comps; ++c) {
    if (((outside >> c) & 1u) == 0) continue;
    uint8_t min = 255, max = 0;
    for (uint32_t i = 0; i < cell.m_num_pixels; ++i) {
      const uint8_t v = cell.m_pixels[i].m_c[c];
      min = v < min ? v : min;
      max = v > max ? v : max;
    }
    if (min == max) low.m_c[c] = high.m_c[c] = min;
  }
}
