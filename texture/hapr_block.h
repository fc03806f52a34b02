#pragma once
// Hap R: the encode_block entries of DxtEncType 6, one per quality level and BC7 kernel build.
// Each entry fetches the block as RGBA8 through fetch_bc7 and BC7-encodes it with the search
// effort of its quality.
#include <cstdint>

#include "texture/dxtenc_slots.h"

// The builds of the BC7 kernels an entry runs on (texture/bc7enc/bc7_kernels.h). The AVX2 and
// AVX-512 builds give the same bytes as the generic one and REQUIRE a processor with their
// instruction sets enabled.
enum class HaprKernels { generic, avx2, avx512 };

// The entry for `quality` on `kernels`. REQUIRES: `quality` is one of kDxtQualities.
EncodeBlockFn* hapr_encode_block(uint8_t quality, HaprKernels kernels);

// The encode_row entry for `quality` and source format `fmt` on the AVX-512 kernels: blocks in
// batches (bc7_compress_blocks), same bytes as the block entries. Null for Best. REQUIRES:
// `quality` is one of kDxtQualities.
EncodeRowFn* hapr_encode_row_avx512(uint8_t quality, PixelFormat fmt);
