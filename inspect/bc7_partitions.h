#pragma once
// The BC7 partition tables: for 2- and 3-subset modes, the subset of each pixel (raster order) in
// each of the 64 partitions, and the anchor pixels whose index is stored one bit short.
#include <cstdint>

namespace orvex_inspect {

// Subset (0..subsets-1) of `pixel` in `partition`. REQUIRES: subsets 1..3, partition < 64,
// pixel < 16.
uint32_t bc7_subset_of(uint32_t subsets, uint32_t partition, uint32_t pixel);

// Anchor pixel of `subset`: 0 for subset 0, from the tables for the others.
uint32_t bc7_anchor_of(uint32_t subsets, uint32_t partition, uint32_t subset);

}  // namespace orvex_inspect
