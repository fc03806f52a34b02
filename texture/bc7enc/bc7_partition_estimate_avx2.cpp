// The partition estimator built with -mavx2 (only this file): the scan, pre-filter and weighted
// path of bc7_partition_scan.h, with the unit-weight subset estimate in 256-bit registers. All
// arithmetic is exact integer arithmetic on the same values as the baseline estimator (only the
// order in which the per-pixel errors are added differs), so every block gets the same
// partition.
//   Lanes: the 16 pixels as 16-bit lanes, one register per channel. The projection
//   pixel . v (up to 3 * 255 * 255) needs 32 bits: _mm256_madd_epi16 on channel pairs gives it
//   for pixels 0-3, 8-11 in one register and 4-7, 12-15 in the other; the selector weights are
//   packed back to 16-bit lanes in pixel order.
#include <immintrin.h>

#include "texture/bc7enc/bc7_partition_estimate.h"
#include "texture/bc7enc/bc7_partition_scan.h"
#include "texture/bc7enc/lanes_avx2.h"

namespace {

// Smallest of 16 unsigned 16-bit lanes.
inline int32_t lane_min_u16(__m256i v) {
  const __m128i m = _mm_min_epu16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  return _mm_cvtsi128_si32(_mm_minpos_epu16(m)) & 0xFFFF;
}

// Largest of 16 unsigned 16-bit lanes.
inline int32_t lane_max_u16(__m256i v) {
  return 0xFFFF - lane_min_u16(_mm256_xor_si256(v, _mm256_set1_epi16(-1)));
}

struct BlockRegs {
  __m256i c[4];  // R, G, B, A of the 16 pixels, 16-bit lanes
};

// estimate_subset_all of the header for the pixels whose lane of `in` is all ones.
template <uint32_t kMode>
uint32_t estimate_subset_avx2(const BlockRegs& block, __m256i in) {
  constexpr uint32_t comps = kMode == 7 ? 4 : 3;
  constexpr uint32_t num_entries = kMode == 7 ? 4 : 8;
  constexpr const uint32_t* entry_weights = kMode == 7 ? g_bc7_weights2 : g_bc7_weights3;

  const __m256i out255 = _mm256_andnot_si256(in, _mm256_set1_epi16(255));
  int32_t low[4] = {255, 255, 255, 255}, high[4] = {0, 0, 0, 0};
  for (uint32_t c = 0; c < comps; ++c) {
    low[c] = lane_min_u16(_mm256_or_si256(block.c[c], out255));
    high[c] = lane_max_u16(_mm256_and_si256(block.c[c], in));
  }

  int32_t v[4] = {0, 0, 0, 0};
  for (uint32_t c = 0; c < comps; ++c) v[c] = high[c] - low[c];
  // Palette entries along v, one entry per 32-bit lane: entry = low + ((w * v + 32) >> 6) per
  // channel (w * v and entry * v through madd: every factor sits in the low 16 bits of its lane),
  // dot = sum of entry * v. Midpoints between neighbours, less one for the compare below.
  const __m256i weights = _mm256_setr_epi32(
      static_cast<int32_t>(entry_weights[0]), static_cast<int32_t>(entry_weights[1]),
      static_cast<int32_t>(entry_weights[2]), static_cast<int32_t>(entry_weights[3]),
      static_cast<int32_t>(entry_weights[num_entries > 4 ? 4 : 3]),
      static_cast<int32_t>(entry_weights[num_entries > 5 ? 5 : 3]),
      static_cast<int32_t>(entry_weights[num_entries > 6 ? 6 : 3]),
      static_cast<int32_t>(entry_weights[num_entries > 7 ? 7 : 3]));
  __m256i dots = _mm256_setzero_si256();
  for (uint32_t c = 0; c < comps; ++c) {
    const __m256i vc = _mm256_set1_epi32(v[c]);
    const __m256i entry = _mm256_add_epi32(
        _mm256_set1_epi32(low[c]),
        _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(weights, vc), _mm256_set1_epi32(32)),
                          6));
    dots = _mm256_add_epi32(dots, _mm256_madd_epi16(entry, vc));
  }
  const __m256i next = _mm256_permutevar8x32_epi32(dots, _mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 7));
  alignas(32) int32_t below_midpoint[8];
  _mm256_store_si256(
      reinterpret_cast<__m256i*>(below_midpoint),
      _mm256_sub_epi32(_mm256_srai_epi32(
                           _mm256_add_epi32(_mm256_add_epi32(dots, next), _mm256_set1_epi32(1)), 1),
                       _mm256_set1_epi32(1)));

  // Projections on v, 32-bit: (R, G) and (B, A) pairs through madd.
  const __m256i v01 = _mm256_set1_epi32((v[1] << 16) | v[0]);
  const __m256i v23 = _mm256_set1_epi32((v[3] << 16) | v[2]);
  const __m256i d_lo =
      _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(block.c[0], block.c[1]), v01),
                       _mm256_madd_epi16(_mm256_unpacklo_epi16(block.c[2], block.c[3]), v23));
  const __m256i d_hi =
      _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(block.c[0], block.c[1]), v01),
                       _mm256_madd_epi16(_mm256_unpackhi_epi16(block.c[2], block.c[3]), v23));

  // Selector weight: the sum of the weight steps whose midpoint the projection reaches.
  __m256i w_lo = _mm256_setzero_si256(), w_hi = _mm256_setzero_si256();
  for (uint32_t e = 0; e + 1 < num_entries; ++e) {
    const __m256i below = _mm256_set1_epi32(below_midpoint[e]);
    const __m256i step =
        _mm256_set1_epi32(static_cast<int32_t>(entry_weights[e + 1] - entry_weights[e]));
    w_lo = _mm256_add_epi32(w_lo, _mm256_and_si256(_mm256_cmpgt_epi32(d_lo, below), step));
    w_hi = _mm256_add_epi32(w_hi, _mm256_and_si256(_mm256_cmpgt_epi32(d_hi, below), step));
  }
  const __m256i w = _mm256_packs_epi32(w_lo, w_hi);  // pixel order again, weights 0..64

  // Entry = low + ((w * v + 32) >> 6) per channel; squared differences of the subset's pixels.
  __m256i err = _mm256_setzero_si256();
  for (uint32_t c = 0; c < comps; ++c) {
    const __m256i scaled = _mm256_srai_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(w, _mm256_set1_epi16(static_cast<int16_t>(v[c]))),
                         _mm256_set1_epi16(32)),
        6);
    const __m256i entry = _mm256_add_epi16(scaled, _mm256_set1_epi16(static_cast<int16_t>(low[c])));
    const __m256i diff = _mm256_and_si256(_mm256_sub_epi16(block.c[c], entry), in);
    err = _mm256_add_epi32(err, _mm256_madd_epi16(diff, diff));
  }
  return lane_sum_u32(err);
}

struct Avx2UnitScan {
  template <uint32_t kMode>
  static uint32_t scan(const Bc7Color* pixels, const Bc7BlockParams& block,
                       uint32_t total_partitions) {
    alignas(32) int16_t planes[4][16];
    for (uint32_t i = 0; i < 16; ++i)
      for (uint32_t c = 0; c < 4; ++c) planes[c][i] = static_cast<int16_t>(pixels[i].m_c[c]);
    BlockRegs regs;
    for (uint32_t c = 0; c < 4; ++c)
      regs.c[c] = _mm256_load_si256(reinterpret_cast<const __m256i*>(planes[c]));
    if constexpr (kMode == 1) regs.c[3] = _mm256_setzero_si256();

    return scan_partitions(block, total_partitions, [&](uint32_t q, uint64_t best_err) {
      const __m256i in1 =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kPartitionLaneMasks.in1[q]));
      const __m256i in0 = _mm256_xor_si256(in1, _mm256_set1_epi16(-1));
      uint64_t err = estimate_subset_avx2<kMode>(regs, in0);
      if (err < best_err) err += estimate_subset_avx2<kMode>(regs, in1);
      return err;
    });
  }
};

}  // namespace

uint32_t bc7_estimate_partition_avx2(const Bc7Color* pixels, const Bc7BlockParams& block,
                                     const uint32_t weights[4], uint32_t mode) {
  return estimate_partition_impl<Avx2UnitScan>(pixels, block, weights, mode);
}
