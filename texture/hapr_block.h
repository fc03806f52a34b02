#pragma once
// Hap R: the encode_block entries of DxtEncType 6 (one per quality) and the binding of the BC7
// slots at set-up. Each entry fetches the block as RGBA8 through fetch_bc7 and BC7-encodes it.
#include <cstdint>

#include "texture/dxtenc.h"
#include "texture/dxtenc_slots.h"
#include "texture/pixel_formats.h"

EncodeBlockFn hapr_encode_block_fast, hapr_encode_block_normal, hapr_encode_block_slow;
// The same entries with the AVX2 builds of the BC7 kernels (same bytes).
EncodeBlockFn hapr_encode_block_fast_avx2, hapr_encode_block_normal_avx2,
    hapr_encode_block_slow_avx2;

// Fills fetch_bc7 (by pixel format, opaque when the source has no alpha channel) and
// encode_block (by quality; the AVX2 entries when the effective mask has CPU_ALLOW_SPECIFIC and
// CPU_AVX2), then builds the BC7 tables once. Returns false, after printing
// "BC7 invalid quality : %d\n", for a quality other than 1, 2, 3. REQUIRES: `fmt` is ARGB_8 or
// ARGB_16_HOST.
bool hapr_bind_slots(DxtEncOps& ops, uint8_t quality, PixelFormat fmt, bool source_without_alpha,
                     CpuFeatureMask effective);
