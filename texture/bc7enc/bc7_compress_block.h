#pragma once
// Mode choice for one 4x4 block: modes 6 and 1 for opaque blocks, 6, 5 and 7 for blocks with
// any alpha below 255; the winner is packed into 16 bytes.
#include <cstdint>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/bc7_types.h"

// Chooses and fills the block solution for 16 RGBA8 pixels (raster order). Returns true when
// the block was treated as a block with alpha. Needs bc7_init_tables. `kernels`: any build the
// processor runs (they give the same result).
// Mode 6 over the whole block into `result` with the block's search effort (and the block's
// principal axis when `axis` is given); returns its error.
uint64_t bc7_try_mode6(const Bc7Color* pixels, const Bc7BlockParams& block, bool has_alpha,
                       const Bc7Kernels& kernels, const Bc7Vec4* axis, Bc7BlockResult& result);

bool bc7_choose_block(const Bc7Color* pixels, const Bc7BlockParams& block, Bc7BlockResult& result,
                      const Bc7Kernels& kernels);

// Compresses 16 RGBA8 pixels (raster order) into one 16-byte BC7 block at `out`. Returns true
// when the block was treated as a block with alpha. Re-entrant; needs bc7_init_tables.
bool bc7_compress_block(uint8_t* out, const Bc7Color* pixels, const Bc7BlockParams& block,
                        const Bc7Kernels& kernels);

// Blocks compressed together (bc7_compress_blocks).
inline constexpr uint32_t kBc7BatchBlocks = 16;

// bc7_compress_block for `count` (<= kBc7BatchBlocks) blocks into out + 16 * b: the same bytes,
// with the principal axes of the cells with alpha (one batch for mode 6, one for the subsets of
// mode 7) and the partition estimates (one batch per mode) computed for all blocks at once,
// which vector kernels run side by side.
void bc7_compress_blocks(uint8_t* out, const Bc7Color (*pixels)[16], uint32_t count,
                         const Bc7BlockParams& block, const Bc7Kernels& kernels);
