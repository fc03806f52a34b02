#pragma once
// Two-subset partition patterns of the BPTC format with the anchor pixel of subset 1, and the
// order and pre-filter masks with which the partition estimator visits them.
#include <cstdint>

// Bit i of pattern p is the subset (0 or 1) of pixel i (raster order) in partition p.
extern const uint16_t g_bc7_partition2_masks[64];

// Pixel whose index is written one bit short in subset 1 of each two-subset partition.
extern const uint8_t g_bc7_anchor2_second[64];

// Partitions in the order the estimator scans them (the most useful first).
extern const uint8_t g_bc7_partition_scan_order[64];

// For partitions 0..34: bit k + 1 set means the partition is worth scanning when partition k
// was the best of the first 14 scanned.
extern const uint32_t g_bc7_partition_predictors[35];

inline uint32_t bc7_partition_subset(uint32_t partition, uint32_t pixel) {
  return (g_bc7_partition2_masks[partition] >> pixel) & 1u;
}
