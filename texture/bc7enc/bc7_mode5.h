#pragma once
// Mode 5 of a block with alpha: colour (7-bit endpoints, 2-bit indices) through the cell
// compressor, alpha (8-bit endpoints) with its own 2-bit index set, searched separately.
#include <cstdint>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/bc7_types.h"

// Fills `result` as a mode 5 solution for the 16 pixels whose alpha spans
// alpha_min..alpha_max, and returns its error (colour + alpha). `kernels`: any build the
// processor runs (they give the same result). `colour_axis`: the block's
// bc7_principal_axis_rgb when computed ahead, else null.
uint64_t bc7_mode5_search(const Bc7Color* pixels, const Bc7BlockParams& block, uint32_t alpha_min,
                          uint32_t alpha_max, Bc7BlockResult& result, const Bc7Kernels& kernels,
                          const Bc7Vec4* colour_axis = nullptr);
