#include "texture/bc7enc/bc7_partition_estimate.h"

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
