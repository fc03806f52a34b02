// refine_endpoints for the AVX2-with-FMA level. The per-pixel weights and packed weight products
// come from the index word in 32-bit lanes (variable shifts and a lane permute instead of the
// generic kernel's per-pixel table reads); the sums are exact integers, and the float step is
// the generic kernel's scalar code, so the endpoints are the generic kernel's.
#include "texture/dxt1_avx2_fma.h"

#include <immintrin.h>

#include "texture/bc7enc/lanes_avx2.h"
#include "texture/dxt1_endpoint_steps.h"

void dxt1_refine_endpoints_avx2_fma(const Dxt1WorkArea* work, uint16_t* c0, uint16_t* c1,
                                    uint32_t indices) {
  // Weight of colour 0 per index: 3, 0, 2, 1; packed products w w, (3-w)(3-w), w (3-w) in bits
  // 16-23, 8-15 and 0-7 (16 pixels never carry out of a byte).
  const __m256i products = _mm256_setr_epi32(0x090000, 0x000900, 0x040102, 0x010402, 0, 0, 0, 0);
  const __m256i word = _mm256_set1_epi32(static_cast<int32_t>(indices));
  const __m256i three = _mm256_set1_epi32(3);
  const __m256i shifts[2] = {_mm256_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14),
                             _mm256_setr_epi32(16, 18, 20, 22, 24, 26, 28, 30)};
  const uint8_t* planes[3] = {work->r, work->g, work->b};
  __m256i packed = _mm256_setzero_si256();
  __m256i a_sum[3] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
  for (int h = 0; h < 2; ++h) {
    const __m256i idx = _mm256_and_si256(_mm256_srlv_epi32(word, shifts[h]), three);
    const __m256i w =
        _mm256_and_si256(_mm256_srlv_epi32(_mm256_set1_epi32(0x1203), _mm256_slli_epi32(idx, 2)),
                         _mm256_set1_epi32(0xF));
    packed = _mm256_add_epi32(packed, _mm256_permutevar8x32_epi32(products, idx));
    for (int c = 0; c < 3; ++c) {
      const __m256i v = _mm256_cvtepu8_epi32(
          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(planes[c] + 8 * h)));
      // Both factors fit 16 bits with a zero upper half: madd gives w x v per lane.
      a_sum[c] = _mm256_add_epi32(a_sum[c], _mm256_madd_epi16(w, v));
    }
  }
  const uint32_t sum = static_cast<uint32_t>(lane_sum(packed));
  const int32_t a[3] = {lane_sum(a_sum[0]), lane_sum(a_sum[1]), lane_sum(a_sum[2])};

  dxt1_solve_endpoints(sum, a, work->sum, c0, c1);
}
