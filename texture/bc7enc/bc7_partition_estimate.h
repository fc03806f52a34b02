#pragma once
// Cheap ranking of two-subset partitions for modes 1 and 7: each candidate is scored with
// min/max endpoints and projected selectors, and only the winner is compressed in full.
#include <cstdint>

#include "texture/bc7enc/bc7_types.h"

// Best partition (0..63) for `mode` 1 (RGB, 3-bit weights) or 7 (RGBA, 2-bit weights) among the
// first min(block.m_max_partitions, 64) of the scan order, with the pre-filter when enabled.
// `pixels` are the 16 pixels of the block in raster order.
uint32_t bc7_estimate_partition(const Bc7Color* pixels, const Bc7BlockParams& block,
                                const uint32_t weights[4], uint32_t mode);

// The same estimator built for AVX2 (same result for every input). REQUIRES: a processor with
// AVX2 enabled (CPU_AVX2 in the effective mask).
uint32_t bc7_estimate_partition_avx2(const Bc7Color* pixels, const Bc7BlockParams& block,
                                     const uint32_t weights[4], uint32_t mode);

// The same estimator built for AVX-512 (same result for every input). REQUIRES: a processor with
// AVX-512 F, BW, DQ and VL enabled (CPU_AVX512 in the effective mask).
uint32_t bc7_estimate_partition_avx512(const Bc7Color* pixels, const Bc7BlockParams& block,
                                       const uint32_t weights[4], uint32_t mode);

// Signature shared by the estimator builds (see bc7_kernels.h).
using Bc7EstimatePartitionFn = uint32_t (*)(const Bc7Color* pixels, const Bc7BlockParams& block,
                                            const uint32_t weights[4], uint32_t mode);

// bc7_estimate_partition (with block.m_weights) for `count` blocks at once: partitions[b] for the
// block at blocks[b] (16 pixels each). Builds for different instruction sets give the same
// partitions.
using Bc7EstimatePartitionsFn = void (*)(const Bc7Color* const* blocks, uint32_t count,
                                         const Bc7BlockParams& block, uint32_t mode,
                                         uint32_t* partitions);

// The baseline build: one block after another.
void bc7_estimate_partitions(const Bc7Color* const* blocks, uint32_t count,
                             const Bc7BlockParams& block, uint32_t mode, uint32_t* partitions);

// The AVX-512 build: with unit weights the first fourteen scan positions (which every block
// scans, the pre-filter starting after them) of up to sixteen blocks side by side, one lane per
// block; the rest of each scan block by block. REQUIRES: as bc7_estimate_partition_avx512.
void bc7_estimate_partitions_avx512(const Bc7Color* const* blocks, uint32_t count,
                                    const Bc7BlockParams& block, uint32_t mode,
                                    uint32_t* partitions);

// The `count` (1 to 8) two-subset partitions of all 64 with the smallest unit-weight estimate for
// `mode` 1 or 7, the smallest first, ties to the lower partition; into `ranked`.
void bc7_rank_partitions(const Bc7Color* pixels, uint32_t mode, uint32_t ranked[], uint32_t count);
// The same ranking built for AVX-512 (same result for every input). REQUIRES: as above.
void bc7_rank_partitions_avx512(const Bc7Color* pixels, uint32_t mode, uint32_t ranked[],
                                uint32_t count);
using Bc7RankPartitionsFn = void (*)(const Bc7Color* pixels, uint32_t mode, uint32_t ranked[],
                                     uint32_t count);
