// AVX2 builds of the DXT1 Fast/Normal kernels estimate_endpoints and match_indices. The 16 pixels
// sit in 16-bit lanes; every sum and product is an exact integer (16-bit differences, products
// summed pairwise into 32 bits by _mm256_madd_epi16), so the integer results are the generic
// kernel's whatever the summation order, and the float steps (covariance scaling, power
// iteration, axis) are the generic kernel's scalar code, operation for operation. The bytes are
// the generic kernel's. Only this file is compiled with -mavx2.
#include "texture/dxt1_avx2.h"

#include <immintrin.h>

#include "texture/bc7enc/lanes_avx2.h"
#include "texture/block_rows_avx.h"
#include "texture/dxt1.h"
#include "texture/dxt1_endpoint_steps.h"

namespace {

inline int32_t byte_sum(__m128i v) {
  const __m128i s = _mm_sad_epu8(v, _mm_setzero_si128());
  return _mm_cvtsi128_si32(s) + _mm_extract_epi16(s, 4);
}

// r x wr + g x wg + b x wb per pixel, as 32-bit values: pixels 0..7 in `lo`, 8..15 in `hi`.
// REQUIRES |w| < 2^15.
inline void dot_pixels(__m128i r, __m128i g, __m128i b, int32_t wr, int32_t wg, int32_t wb,
                       __m256i* lo, __m256i* hi) {
  const __m256i wrg = _mm256_set1_epi32(static_cast<int32_t>(
      (static_cast<uint32_t>(wg) << 16) | (static_cast<uint32_t>(wr) & 0xFFFFu)));
  const __m256i wb0 = _mm256_set1_epi32(wb & 0xFFFF);
  const __m128i zero = _mm_setzero_si128();
  // (r, g) and (b, 0) pairs widened to 16 bits; madd gives r wr + g wg and b wb per pixel.
  const __m256i rg_lo = _mm256_cvtepu8_epi16(_mm_unpacklo_epi8(r, g));
  const __m256i rg_hi = _mm256_cvtepu8_epi16(_mm_unpackhi_epi8(r, g));
  const __m256i b_lo = _mm256_cvtepu8_epi16(_mm_unpacklo_epi8(b, zero));
  const __m256i b_hi = _mm256_cvtepu8_epi16(_mm_unpackhi_epi8(b, zero));
  *lo = _mm256_add_epi32(_mm256_madd_epi16(rg_lo, wrg), _mm256_madd_epi16(b_lo, wb0));
  *hi = _mm256_add_epi32(_mm256_madd_epi16(rg_hi, wrg), _mm256_madd_epi16(b_hi, wb0));
}

// Index of the first lane holding `value` among pixels 0..15 (lo: 0..7, hi: 8..15).
inline int first_lane(__m256i lo, __m256i hi, int32_t value) {
  const __m256i v = _mm256_set1_epi32(value);
  const uint32_t m =
      static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(lo, v)))) |
      (static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(hi, v))))
       << 8);
  return __builtin_ctz(m);
}

inline int32_t lane_min(__m256i lo, __m256i hi) {
  __m256i m = _mm256_min_epi32(lo, hi);
  __m128i s = _mm_min_epi32(_mm256_castsi256_si128(m), _mm256_extracti128_si256(m, 1));
  s = _mm_min_epi32(s, _mm_shuffle_epi32(s, 0x4E));
  s = _mm_min_epi32(s, _mm_shuffle_epi32(s, 0xB1));
  return _mm_cvtsi128_si32(s);
}

inline int32_t lane_max(__m256i lo, __m256i hi) {
  __m256i m = _mm256_max_epi32(lo, hi);
  __m128i s = _mm_max_epi32(_mm256_castsi256_si128(m), _mm256_extracti128_si256(m, 1));
  s = _mm_max_epi32(s, _mm_shuffle_epi32(s, 0x4E));
  s = _mm_max_epi32(s, _mm_shuffle_epi32(s, 0xB1));
  return _mm_cvtsi128_si32(s);
}

}  // namespace

void dxt1_estimate_endpoints_avx2(Dxt1WorkArea* work, uint16_t* c0, uint16_t* c1) {
  const __m128i r = _mm_load_si128(reinterpret_cast<const __m128i*>(work->r));
  const __m128i g = _mm_load_si128(reinterpret_cast<const __m128i*>(work->g));
  const __m128i b = _mm_load_si128(reinterpret_cast<const __m128i*>(work->b));
  uint8_t lo8[3], hi8[3];
  byte_min_max(r, &lo8[0], &hi8[0]);
  byte_min_max(g, &lo8[1], &hi8[1]);
  byte_min_max(b, &lo8[2], &hi8[2]);
  const int32_t mn[3] = {lo8[0], lo8[1], lo8[2]}, mx[3] = {hi8[0], hi8[1], hi8[2]};
  work->sum[0] = byte_sum(r), work->sum[1] = byte_sum(g), work->sum[2] = byte_sum(b);
  for (int c = 0; c < 3; ++c) work->mean[c] = (work->sum[c] + 8) >> 4;

  // Differences from the means in 16-bit lanes; each madd sums two exact products.
  const __m256i dr = _mm256_sub_epi16(_mm256_cvtepu8_epi16(r),
                                      _mm256_set1_epi16(static_cast<int16_t>(work->mean[0])));
  const __m256i dg = _mm256_sub_epi16(_mm256_cvtepu8_epi16(g),
                                      _mm256_set1_epi16(static_cast<int16_t>(work->mean[1])));
  const __m256i db = _mm256_sub_epi16(_mm256_cvtepu8_epi16(b),
                                      _mm256_set1_epi16(static_cast<int16_t>(work->mean[2])));
  const int32_t cov[6] = {lane_sum(_mm256_madd_epi16(dr, dr)), lane_sum(_mm256_madd_epi16(dr, dg)),
                          lane_sum(_mm256_madd_epi16(dr, db)), lane_sum(_mm256_madd_epi16(dg, dg)),
                          lane_sum(_mm256_madd_epi16(dg, db)), lane_sum(_mm256_madd_epi16(db, db))};
  int32_t w[3];
  dxt1_axis_weights(cov, mn, mx, w);
  const int32_t ar = w[0], ag = w[1], ab = w[2];

  // The generic scan keeps the first pixel of smallest and the first of largest projection.
  __m256i lo, hi;
  dot_pixels(r, g, b, ar, ag, ab, &lo, &hi);
  const int lo_i = first_lane(lo, hi, lane_min(lo, hi));
  const int hi_i = first_lane(lo, hi, lane_max(lo, hi));
  *c0 = pack565(dxt_q5(work->r[hi_i]), dxt_q6(work->g[hi_i]), dxt_q5(work->b[hi_i]));
  *c1 = pack565(dxt_q5(work->r[lo_i]), dxt_q6(work->g[lo_i]), dxt_q5(work->b[lo_i]));
}

uint32_t dxt1_match_indices_avx2(const Dxt1WorkArea* work, uint16_t c0, uint16_t c1,
                                 const uint8_t expand[96]) {
  int32_t d[3], sp[4];
  dxt1_palette_projections(c0, c1, expand, d, sp);
  const int32_t s0 = sp[0], s1 = sp[1], s2 = sp[2], s3 = sp[3];
  // x >= t is x > t - 1 (no overflow: |t| stays far below 2^31).
  const __m256i a = _mm256_set1_epi32(((s2 + s0) >> 1) - 1);
  const __m256i bt = _mm256_set1_epi32(((s3 + s2) >> 1) - 1);
  const __m256i ct = _mm256_set1_epi32(((s3 + s1) >> 1) - 1);

  __m256i x[2];
  dot_pixels(_mm_load_si128(reinterpret_cast<const __m128i*>(work->r)),
             _mm_load_si128(reinterpret_cast<const __m128i*>(work->g)),
             _mm_load_si128(reinterpret_cast<const __m128i*>(work->b)), d[0], d[1], d[2], &x[0],
             &x[1]);
  // Index 0 if x >= a, else 2 if x >= b, else 3 if x >= c, else 1; pixel i shifted to bits 2i.
  const __m256i shift[2] = {_mm256_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14),
                            _mm256_setr_epi32(16, 18, 20, 22, 24, 26, 28, 30)};
  __m256i word = _mm256_setzero_si256();
  for (int h = 0; h < 2; ++h) {
    __m256i idx = _mm256_set1_epi32(1);
    idx = _mm256_blendv_epi8(idx, _mm256_set1_epi32(3), _mm256_cmpgt_epi32(x[h], ct));
    idx = _mm256_blendv_epi8(idx, _mm256_set1_epi32(2), _mm256_cmpgt_epi32(x[h], bt));
    idx = _mm256_andnot_si256(_mm256_cmpgt_epi32(x[h], a), idx);
    word = _mm256_or_si256(word, _mm256_sllv_epi32(idx, shift[h]));
  }
  __m128i w = _mm_or_si128(_mm256_castsi256_si128(word), _mm256_extracti128_si256(word, 1));
  w = _mm_or_si128(w, _mm_shuffle_epi32(w, 0x4E));
  w = _mm_or_si128(w, _mm_shuffle_epi32(w, 0xB1));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(w));
}
