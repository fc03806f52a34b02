#pragma once
// The Best quality's BC7 block: Slow's choice and candidates from the modes, partitions and
// rotations Slow leaves out (mode 6 refined further; modes 1 and 3 over the best ranked
// two-subset partitions and modes 0 and 2 over the best three-subset one for opaque blocks; mode
// 5 and mode 7 over the best ranked partitions for blocks with alpha; modes 4 and 5 with their
// rotations and index selections), each kept by its error. The two best solutions are refined
// exactly (bc7_refine.h) and the one that decodes closer is kept; a block still well off whose
// colours keep close to one line then tries mode 6's line search (bc7_line_search.h). Never
// worse than Slow's.
#include <cstdint>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/bc7_types.h"

// Fills `result` with the Best solution for 16 RGBA8 pixels (raster order) and returns its
// squared RGBA error. Needs bc7_init_tables.
uint64_t bc7_best_solution(const Bc7Color* pixels, const Bc7Kernels& kernels,
                           Bc7BlockResult& result);

// Compresses 16 RGBA8 pixels (raster order) into one 16-byte BC7 block at `out`. Needs
// bc7_init_tables. `kernels`: any build the processor runs (they give the same result).
void bc7_compress_block_best(uint8_t* out, const Bc7Color* pixels, const Bc7Kernels& kernels);
