#pragma once
// Modes 4 and 5 with a rotation: the alpha slot of the block carries one channel (alpha, or R,
// G or B exchanged with alpha) on its own index set, the other three share the colour indices.
// A channel that does not follow the others' line gets its own indices this way.
#include <cstdint>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/bc7_types.h"

// Fills `result` with mode `mode` (4 or 5), `rotation` (0..3) and, in mode 4,
// `index_selector` (0: colour on 2-bit indices, alpha slot on 3-bit ones; 1 the other way
// round). Returns its error over all four channels, or a partial sum of at least `limit_err`
// once it cannot beat that (`result` then incomplete). The colour goes through the cell
// compressor with `params`, the alpha slot through the scalar refinement.
uint64_t bc7_rotated_search(uint32_t mode, uint32_t rotation, uint32_t index_selector,
                            const Bc7Color* pixels, const Bc7Kernels& kernels,
                            const Bc7BlockParams& params, uint64_t limit_err,
                            Bc7BlockResult& result);
