#pragma once
// The quantisation of each BC7 mode, and a cell (one subset) set up for a mode, for the Best
// search and its refinement.
#include <cstdint>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/bc7_partitions.h"
#include "texture/bc7enc/bc7_types.h"

struct Bc7ModeShape {
  uint32_t comp_bits;   // colour bits (alpha alike in modes 6 and 7)
  uint32_t alpha_bits;  // 0: no alpha stored (decodes as 255)
  uint32_t pbits;       // 0, 1 shared per subset, 2 one per endpoint
  uint32_t index_bits;  // of the colour; modes 4 and 5 index alpha on their own
  uint32_t subsets;
};

inline Bc7ModeShape bc7_mode_shape(uint32_t mode) {
  constexpr Bc7ModeShape kShapes[8] = {{4, 0, 2, 3, 3}, {6, 0, 1, 3, 2}, {5, 0, 0, 2, 3},
                                       {7, 0, 2, 2, 2}, {5, 6, 0, 2, 1}, {7, 8, 0, 2, 1},
                                       {7, 7, 2, 4, 1}, {5, 5, 2, 2, 2}};
  return kShapes[mode];
}

// Subset of pixel `pixel` (raster order) in a mode of `subsets` subsets.
inline uint32_t bc7_subset_of(uint32_t subsets, uint32_t partition, uint32_t pixel) {
  return subsets == 1   ? 0
         : subsets == 2 ? bc7_partition_subset(partition, pixel)
                        : bc7_partition3_subset(partition, pixel);
}

// Weights of 2-, 3- or 4-bit indices.
const uint32_t* bc7_weights_of(uint32_t index_bits);

// A cell for the colour of `mode` with `index_bits` indices (the mode's own unless given), unit
// channel weights and the given kernels; pixels and count are the caller's to fill. Modes 4 and
// 5 give an RGB cell without p-bits (their alpha is searched apart).
Bc7CellParams bc7_mode_cell(uint32_t mode, bool has_alpha, const Bc7Kernels& kernels,
                            uint32_t index_bits = 0);
