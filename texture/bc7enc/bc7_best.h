#pragma once
// The Best quality's BC7 block: Slow's choice, then the modes and partitions Slow leaves out,
// compressed in full and kept when they decode strictly closer: mode 6 refined further; for
// opaque blocks modes 1 and 3 over the two-subset partitions and modes 0 (16 partitions) and 2
// over the three-subset ones the estimator ranks best; for blocks with alpha mode 5 refined
// further and mode 7 over the best ranked partitions.
#include <cstdint>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/bc7_types.h"

// Compresses 16 RGBA8 pixels (raster order) into one 16-byte BC7 block at `out`. Needs
// bc7_init_tables. `kernels`: any build the processor runs (they give the same result).
void bc7_compress_block_best(uint8_t* out, const Bc7Color* pixels, const Bc7Kernels& kernels);
