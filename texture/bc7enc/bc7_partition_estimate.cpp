#include "texture/bc7enc/bc7_partition_estimate.h"

#include <algorithm>

#include "texture/bc7enc/bc7_partition_scan.h"

uint32_t bc7_estimate_partition(const Bc7Color* pixels, const Bc7BlockParams& block,
                                const uint32_t weights[4], uint32_t mode) {
  return estimate_partition_impl<GenericUnitScan>(pixels, block, weights, mode);
}

void bc7_estimate_partitions(const Bc7Color* const* blocks, uint32_t count,
                             const Bc7BlockParams& block, uint32_t mode, uint32_t* partitions) {
  for (uint32_t b = 0; b < count; ++b)
    partitions[b] = bc7_estimate_partition(blocks[b], block, block.m_weights, mode);
}

namespace {

// Partitions are visited in the estimator's scan order, so that the second subset's estimate is
// mostly skipped once the first already ranks out.
template <uint32_t kMode>
void rank_partitions(const Bc7Color* pixels, uint32_t ranked[], uint32_t count) {
  BlockPlanes planes;
  for (uint32_t i = 0; i < 16; ++i)
    for (uint32_t c = 0; c < 4; ++c) planes.c[c][i] = static_cast<int16_t>(pixels[i].m_c[c]);
  uint64_t top[8];
  std::fill_n(top, count, UINT64_MAX);
  for (uint32_t k = 0; k < 64; ++k) {
    const uint32_t q = g_bc7_partition_scan_order[k];
    const int16_t* in1 = kPartitionLaneMasks.in1[q];
    int16_t in0[16];
    for (uint32_t i = 0; i < 16; ++i) in0[i] = static_cast<int16_t>(~in1[i]);
    uint64_t key = estimate_subset_all<kMode>(planes, in0) << 6 | q;
    if (key >= top[count - 1]) continue;
    key += estimate_subset_all<kMode>(planes, in1) << 6;
    keep_smallest(key, top, count);
  }
  for (uint32_t k = 0; k < count; ++k) ranked[k] = static_cast<uint32_t>(top[k] & 63);
}

}  // namespace

void bc7_rank_partitions(const Bc7Color* pixels, uint32_t mode, uint32_t ranked[], uint32_t count) {
  if (mode == 7) return rank_partitions<7>(pixels, ranked, count);
  rank_partitions<1>(pixels, ranked, count);
}
