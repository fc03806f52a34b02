// The partition estimator built for AVX-512 (only this file): the scan, pre-filter and weighted
// path of bc7_partition_scan.h, with both subsets of a unit-weight partition estimated at once.
// Exact integer arithmetic on the same values as the baseline estimator (only the order of the
// additions differs), so every block gets the same partition.
//   Endpoints: the block's 64 bytes with the other subset's bytes forced to 255 (for the minimum)
//     or, complemented, to 255 (for the maximum); four such registers reduce together to the low
//     and high colours of both subsets, all four channels at once.
//   Palette: one 32-bit lane per subset and entry (lane 8 * subset + entry), the channels as
//     16-bit pairs (R, B) and (G, A); entry = low + ((w * v + 32) >> 6) with v = high - low, the
//     rule of the baseline's palette.
//   Pixels: each pixel is measured against its own subset's palette only: the projection on its
//     subset's v, its entry from the midpoints by binary search (the midpoints never decrease,
//     so the search finds the baseline's count of midpoints at or below the projection), then
//     the squared distance to that entry. The sum over all 16 pixels is the two subsets' total.
// GCC 12 warns inside its own AVX-512 header, where intrinsics start from an undefined register
// (GCC bug 105593): silenced for the header's lines only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "texture/bc7enc/bc7_partition_estimate.h"
#include "texture/bc7enc/bc7_partition_scan.h"

namespace {

// Bytes of the pixels of subset 1 in each partition (four mask bits per pixel).
struct PartitionByteMasks {
  uint64_t in1[64];
};

constexpr PartitionByteMasks make_partition_byte_masks() {
  PartitionByteMasks masks{};
  for (uint32_t p = 0; p < 64; ++p)
    for (uint32_t i = 0; i < 16; ++i)
      if ((g_bc7_partition2_masks[p] >> i) & 1u) masks.in1[p] |= uint64_t{0xF} << (4 * i);
  return masks;
}

constexpr PartitionByteMasks kPartitionByteMasks = make_partition_byte_masks();

struct BlockRegs {
  __m512i bytes;     // the 16 pixels, R G B A bytes (alpha 0 for mode 1)
  __m512i inverted;  // 255 - bytes
  __m512i rb;        // R and B of each pixel as 16-bit halves of its lane
  __m512i ga;        // G and A likewise
};

// Lane 8 * subset + entry: the entry's weight in both 16-bit halves (0 past the mode's entries).
template <uint32_t kMode>
struct EntryWeights {
  alignas(64) int32_t lanes[16];
};

template <uint32_t kMode>
constexpr EntryWeights<kMode> make_entry_weights() {
  constexpr const uint32_t* weights = kMode == 7 ? g_bc7_weights2 : g_bc7_weights3;
  constexpr uint32_t num_entries = kMode == 7 ? 4 : 8;
  EntryWeights<kMode> table{};
  for (uint32_t lane = 0; lane < 16; ++lane) {
    const uint32_t e = lane % 8;
    const int32_t w = e < num_entries ? static_cast<int32_t>(weights[e]) : 0;
    table.lanes[lane] = w | (w << 16);
  }
  return table;
}

template <uint32_t kMode>
constexpr EntryWeights<kMode> kEntryWeights = make_entry_weights<kMode>();

inline __m512i pairs_rb(__m512i v) {
  return _mm512_and_si512(v, _mm512_set1_epi32(0x00FF00FF));
}

inline __m512i pairs_ga(__m512i v) {
  return _mm512_and_si512(_mm512_srli_epi32(v, 8), _mm512_set1_epi32(0x00FF00FF));
}

// Smallest of the 16 lanes' bytes, position by position, of a, b, c and d: the result's 128-bit
// lane k holds (in each 32-bit lane) the minimum of the k-th argument.
inline __m512i min4_u8(__m512i a, __m512i b, __m512i c, __m512i d) {
  const __m512i ab =
      _mm512_min_epu8(_mm512_shuffle_i64x2(a, b, 0x44), _mm512_shuffle_i64x2(a, b, 0xEE));
  const __m512i cd =
      _mm512_min_epu8(_mm512_shuffle_i64x2(c, d, 0x44), _mm512_shuffle_i64x2(c, d, 0xEE));
  __m512i m =
      _mm512_min_epu8(_mm512_shuffle_i64x2(ab, cd, 0x88), _mm512_shuffle_i64x2(ab, cd, 0xDD));
  m = _mm512_min_epu8(m, _mm512_shuffle_epi32(m, _MM_PERM_BADC));
  return _mm512_min_epu8(m, _mm512_shuffle_epi32(m, _MM_PERM_CDAB));
}

// Estimated error of partition q: both subsets of the unit-weight estimate summed.
template <uint32_t kMode>
uint32_t estimate_partition_avx512(const BlockRegs& block, uint32_t q) {
  constexpr uint32_t num_entries = kMode == 7 ? 4 : 8;
  const __mmask64 in1 = kPartitionByteMasks.in1[q];
  const __mmask16 pixels1 = g_bc7_partition2_masks[q];
  const __m512i all = _mm512_set1_epi32(-1);

  // Lanes 0-3: low colour of subset 0, 4-7: subset 1; 8-11, 12-15: complemented high colours.
  const __m512i ends = min4_u8(_mm512_mask_blend_epi8(in1, block.bytes, all),
                               _mm512_mask_blend_epi8(in1, all, block.bytes),
                               _mm512_mask_blend_epi8(in1, block.inverted, all),
                               _mm512_mask_blend_epi8(in1, all, block.inverted));
  // Per entry lane (8 * subset + entry): the subset's low colour and span v = high - low.
  const __m512i low = _mm512_shuffle_i64x2(ends, ends, 0x50);
  const __m512i high = _mm512_xor_si512(_mm512_shuffle_i64x2(ends, ends, 0xFA), all);
  const __m512i v = _mm512_sub_epi8(high, low);
  const __m512i v_rb = pairs_rb(v), v_ga = pairs_ga(v);

  // Entries as 16-bit channel pairs (w * v + 32 <= 64 * 255 + 32 fits), their dot with v, the
  // midpoints between neighbours (the last lane of each subset has none and is never read).
  const __m512i weights2 = _mm512_load_si512(kEntryWeights<kMode>.lanes);
  const __m512i c32 = _mm512_set1_epi16(32);
  const __m512i e_rb = _mm512_add_epi16(
      pairs_rb(low),
      _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(weights2, v_rb), c32), 6));
  const __m512i e_ga = _mm512_add_epi16(
      pairs_ga(low),
      _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(weights2, v_ga), c32), 6));
  const __m512i dots =
      _mm512_add_epi32(_mm512_madd_epi16(e_rb, v_rb), _mm512_madd_epi16(e_ga, v_ga));
  const __m512i midpoints =
      _mm512_srai_epi32(_mm512_add_epi32(_mm512_add_epi32(dots, _mm512_alignr_epi32(dots, dots, 1)),
                                         _mm512_set1_epi32(1)),
                        1);
  const __m512i palette = _mm512_or_si512(e_rb, _mm512_slli_epi32(e_ga, 8));  // R G B A bytes

  // Each pixel against its subset: v of its subset, projection, entry, distance.
  const __m512i first = _mm512_maskz_mov_epi32(pixels1, _mm512_set1_epi32(8));
  const __m512i pv = _mm512_permutexvar_epi32(first, v);
  const __m512i d = _mm512_add_epi32(_mm512_madd_epi16(block.rb, pairs_rb(pv)),
                                     _mm512_madd_epi16(block.ga, pairs_ga(pv)));
  __m512i entry = first;
  for (uint32_t step = num_entries / 2; step > 0; step >>= 1) {
    const __m512i mid = _mm512_permutexvar_epi32(
        _mm512_add_epi32(entry, _mm512_set1_epi32(static_cast<int32_t>(step - 1))), midpoints);
    entry = _mm512_mask_add_epi32(entry, _mm512_cmpge_epi32_mask(d, mid), entry,
                                  _mm512_set1_epi32(static_cast<int32_t>(step)));
  }
  const __m512i pe = _mm512_permutexvar_epi32(entry, palette);
  const __m512i diff_rb = _mm512_sub_epi16(block.rb, pairs_rb(pe));
  const __m512i diff_ga = _mm512_sub_epi16(block.ga, pairs_ga(pe));
  return static_cast<uint32_t>(_mm512_reduce_add_epi32(
      _mm512_add_epi32(_mm512_madd_epi16(diff_rb, diff_rb), _mm512_madd_epi16(diff_ga, diff_ga))));
}

// The block's registers (mode 1 leaves alpha out).
template <uint32_t kMode>
BlockRegs load_block(const Bc7Color* pixels) {
  BlockRegs regs;
  regs.bytes = _mm512_loadu_si512(pixels);
  if constexpr (kMode == 1)
    regs.bytes = _mm512_and_si512(regs.bytes, _mm512_set1_epi32(0x00FFFFFF));
  regs.inverted = _mm512_xor_si512(regs.bytes, _mm512_set1_epi32(-1));
  regs.rb = pairs_rb(regs.bytes);
  regs.ga = pairs_ga(regs.bytes);
  return regs;
}

struct Avx512UnitScan {
  template <uint32_t kMode>
  static uint32_t scan(const Bc7Color* pixels, const Bc7BlockParams& block,
                       uint32_t total_partitions) {
    const BlockRegs regs = load_block<kMode>(pixels);

    return scan_partitions(block, total_partitions, [&](uint32_t q, uint64_t) {
      return uint64_t{estimate_partition_avx512<kMode>(regs, q)};
    });
  }
};

// Scan positions before the pre-filter: every scan visits them (unless a partition reaches 0).
constexpr uint32_t kHeadPositions = 14;

// The unit-weight scan of one block whose first `heads` estimates are given (in scan order).
struct Avx512ScanAfterHeads {
  const uint32_t* head_errors;
  uint32_t heads;

  template <uint32_t kMode>
  uint32_t scan(const Bc7Color* pixels, const Bc7BlockParams& block,
                uint32_t total_partitions) const {
    const BlockRegs regs = load_block<kMode>(pixels);
    // scan_partitions asks for positions 0, 1, ... in order up to the pre-filter's first one.
    uint32_t position = 0;
    return scan_partitions(block, total_partitions, [&](uint32_t q, uint64_t) {
      const uint32_t k = position++;
      return uint64_t{k < heads ? head_errors[k] : estimate_partition_avx512<kMode>(regs, q)};
    });
  }
};

// The estimates of scan positions 0 .. heads - 1 for up to sixteen blocks, lane b for block b,
// with the arithmetic of the baseline estimator on exact integers. Channels travel in 16-bit
// pairs (R, G) and (B, A) of each 32-bit lane (A 0 in mode 1): minimum, maximum, span and
// entries per half (w * v + 32 <= 64 * 255 + 32), projections and squared distances summed
// over a pair by _mm512_madd_epi16 (|values| <= 255). Entries are picked as the last one whose
// midpoint the projection reaches (the midpoints never decrease).
template <uint32_t kMode>
void estimate_heads(const Bc7Color* const* blocks, uint32_t count, uint32_t heads,
                    uint32_t errors[kHeadPositions][16]) {
  constexpr uint32_t num_entries = kMode == 7 ? 4 : 8;
  constexpr const uint32_t* weights = kMode == 7 ? g_bc7_weights2 : g_bc7_weights3;
  alignas(64) uint32_t words[16][16];  // [pixel][block]
  for (uint32_t b = 0; b < 16; ++b)
    for (uint32_t i = 0; i < 16; ++i) {
      uint32_t v = 0;
      if (b < count) __builtin_memcpy(&v, blocks[b][i].m_c, 4);
      words[i][b] = kMode == 7 ? v : v & 0x00FFFFFFu;
    }
  __m512i px[16][2];  // (R, G) and (B, A) pairs
  const __m512i low_bytes = _mm512_set1_epi32(0x00FF00FF);
  for (uint32_t i = 0; i < 16; ++i) {
    const __m512i w = _mm512_load_si512(words[i]);
    const __m512i rb = _mm512_and_si512(w, low_bytes);
    const __m512i ga = _mm512_and_si512(_mm512_srli_epi32(w, 8), low_bytes);
    // (R, G) = low halves of rb and ga; (B, A) = their high halves.
    px[i][0] =
        _mm512_or_si512(_mm512_and_si512(rb, _mm512_set1_epi32(0xFFFF)), _mm512_slli_epi32(ga, 16));
    px[i][1] = _mm512_or_si512(_mm512_srli_epi32(rb, 16),
                               _mm512_andnot_si512(_mm512_set1_epi32(0xFFFF), ga));
  }

  for (uint32_t k = 0; k < heads; ++k) {
    const uint32_t mask = g_bc7_partition2_masks[g_bc7_partition_scan_order[k]];
    __m512i lo[2][2], hi[2][2];
    for (uint32_t s = 0; s < 2; ++s)
      for (uint32_t h = 0; h < 2; ++h) {
        lo[s][h] = low_bytes;
        hi[s][h] = _mm512_setzero_si512();
      }
    for (uint32_t i = 0; i < 16; ++i) {
      const uint32_t s = (mask >> i) & 1u;
      for (uint32_t h = 0; h < 2; ++h) {
        lo[s][h] = _mm512_min_epu16(lo[s][h], px[i][h]);
        hi[s][h] = _mm512_max_epu16(hi[s][h], px[i][h]);
      }
    }
    __m512i v[2][2], entry[2][num_entries][2], midpoint[2][num_entries - 1];
    for (uint32_t s = 0; s < 2; ++s) {
      __m512i dot[num_entries];
      for (uint32_t h = 0; h < 2; ++h) v[s][h] = _mm512_sub_epi16(hi[s][h], lo[s][h]);
      for (uint32_t e = 0; e < num_entries; ++e) {
        const __m512i w = _mm512_set1_epi16(static_cast<int16_t>(weights[e]));
        for (uint32_t h = 0; h < 2; ++h)
          entry[s][e][h] = _mm512_add_epi16(
              lo[s][h],
              _mm512_srli_epi16(
                  _mm512_add_epi16(_mm512_mullo_epi16(v[s][h], w), _mm512_set1_epi16(32)), 6));
        dot[e] = _mm512_add_epi32(_mm512_madd_epi16(entry[s][e][0], v[s][0]),
                                  _mm512_madd_epi16(entry[s][e][1], v[s][1]));
      }
      for (uint32_t e = 0; e + 1 < num_entries; ++e)
        midpoint[s][e] = _mm512_srli_epi32(
            _mm512_add_epi32(_mm512_add_epi32(dot[e], dot[e + 1]), _mm512_set1_epi32(1)), 1);
    }
    __m512i total = _mm512_setzero_si512();
    for (uint32_t i = 0; i < 16; ++i) {
      const uint32_t s = (mask >> i) & 1u;
      const __m512i d = _mm512_add_epi32(_mm512_madd_epi16(px[i][0], v[s][0]),
                                         _mm512_madd_epi16(px[i][1], v[s][1]));
      __m512i chosen[2] = {entry[s][0][0], entry[s][0][1]};
      for (uint32_t e = 1; e < num_entries; ++e) {
        const __mmask16 reached = _mm512_cmpge_epi32_mask(d, midpoint[s][e - 1]);
        for (uint32_t h = 0; h < 2; ++h)
          chosen[h] = _mm512_mask_mov_epi32(chosen[h], reached, entry[s][e][h]);
      }
      for (uint32_t h = 0; h < 2; ++h) {
        const __m512i diff = _mm512_sub_epi16(px[i][h], chosen[h]);
        total = _mm512_add_epi32(total, _mm512_madd_epi16(diff, diff));
      }
    }
    _mm512_storeu_si512(errors[k], total);
  }
}

}  // namespace

void bc7_estimate_partitions_avx512(const Bc7Color* const* blocks, uint32_t count,
                                    const Bc7BlockParams& block, uint32_t mode,
                                    uint32_t* partitions) {
  const uint32_t total_partitions = block.m_max_partitions < 64 ? block.m_max_partitions : 64;
  const uint32_t comps = mode == 7 ? 4 : 3;
  bool unit_weights = true;
  for (uint32_t c = 0; c < comps; ++c) unit_weights = unit_weights && block.m_weights[c] == 1;
  for (uint32_t first = 0; first < count; first += 16) {
    const uint32_t n = count - first < 16 ? count - first : 16;
    if (!unit_weights || total_partitions < 2) {
      for (uint32_t b = 0; b < n; ++b)
        partitions[first + b] =
            bc7_estimate_partition_avx512(blocks[first + b], block, block.m_weights, mode);
      continue;
    }
    const uint32_t heads = total_partitions < kHeadPositions ? total_partitions : kHeadPositions;
    alignas(64) uint32_t errors[kHeadPositions][16];
    if (mode == 7)
      estimate_heads<7>(blocks + first, n, heads, errors);
    else
      estimate_heads<1>(blocks + first, n, heads, errors);
    for (uint32_t b = 0; b < n; ++b) {
      uint32_t mine[kHeadPositions];
      for (uint32_t k = 0; k < heads; ++k) mine[k] = errors[k][b];
      const Avx512ScanAfterHeads scan{mine, heads};
      partitions[first + b] = mode == 7 ? scan.scan<7>(blocks[first + b], block, total_partitions)
                                        : scan.scan<1>(blocks[first + b], block, total_partitions);
    }
  }
}

uint32_t bc7_estimate_partition_avx512(const Bc7Color* pixels, const Bc7BlockParams& block,
                                       const uint32_t weights[4], uint32_t mode) {
  return estimate_partition_impl<Avx512UnitScan>(pixels, block, weights, mode);
}

namespace {

template <uint32_t kMode>
void rank_partitions_avx512(const Bc7Color* pixels, uint32_t ranked[], uint32_t count) {
  const BlockRegs regs = load_block<kMode>(pixels);
  uint64_t top[8];
  for (uint32_t k = 0; k < count; ++k) top[k] = UINT64_MAX;
  for (uint32_t q = 0; q < 64; ++q)
    keep_smallest(uint64_t{estimate_partition_avx512<kMode>(regs, q)} << 6 | q, top, count);
  for (uint32_t k = 0; k < count; ++k) ranked[k] = static_cast<uint32_t>(top[k] & 63);
}

}  // namespace

void bc7_rank_partitions_avx512(const Bc7Color* pixels, uint32_t mode, uint32_t ranked[],
                                uint32_t count) {
  if (mode == 7) return rank_partitions_avx512<7>(pixels, ranked, count);
  rank_partitions_avx512<1>(pixels, ranked, count);
}
