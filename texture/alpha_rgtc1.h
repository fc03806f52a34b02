#pragma once
// The 8-byte interpolated single-channel block shared by the DXT5 alpha half and RGTC1 (BC4
// unsigned): generic kernels bound in the alpha slots, the two encoders (two-palette fit for
// Normal/Slow and RGTC1, threshold walk for DXT5 Fast) and the block entry points of types 1-3, 5.
//
// Block layout: byte 0 a0, byte 1 a1, bytes 2..7 a 48-bit little-endian field holding the 3-bit
// index of pixel i (raster order) at bits 3i..3i+2. a0 > a1 selects the eight-value palette
// (a0, a1, then six steps from a0 towards a1); a0 <= a1 selects the six-value palette
// (a0, a1, four steps from a0 towards a1, then 0 and 255).
#include <cstdint>

#include "texture/dxtenc_slots.h"

// ---- Generic kernels (slots alpha_range and encode_alpha_block) ----
AlphaRangeFn alpha_range;
EncodeAlphaBlockFn encode_alpha_block;

// ---- Encoders over 16 fetched values ----

// Writes a0, a1 and the 16 indices (each 0..7) packed 8 per 3 bytes.
void pack_alpha_block(uint8_t out[8], uint8_t a0, uint8_t a1, const uint8_t indices[16]);

// Normal/Slow fit of a block that is not constant (min < max): fits the six-value palette over
// `range` (span widened to at least 5) and the eight-value palette over [min, max] (span widened
// to at least 7) and keeps the one with the smaller error, the six-value one on ties.
// `range` and `fit` are the bound kernels (every variant computes the same).
void fit_alpha_two_palettes(const uint8_t values[16], uint8_t min, uint8_t max, uint8_t out[8],
                            AlphaRangeFn* range, EncodeAlphaBlockFn* fit);

// Fast DXT5 alpha encoder of a block that is not constant: a0 = max, a1 = min (eight-value
// palette), each value sent to its nearest step by a division-free threshold walk; the maximum
// always gets index 0 and the minimum index 1.
void encode_alpha_fast(uint8_t out[8], const uint8_t values[16], uint8_t min, uint8_t max);

// The RGTC1 block of 16 values: a constant block (min == max) is a0 = the value, a1 = 0, indices
// 0, which decodes to the value in either palette mode; any other goes to the two-palette fit.
void encode_alpha_values(uint8_t out[8], const uint8_t values[16], uint8_t min, uint8_t max,
                         AlphaRangeFn* range, EncodeAlphaBlockFn* fit);

// One channel's block: `fetch` reads the block's 16 values, `Encode` (encode_alpha_values or a
// finer search of the same form) makes the RGTC1 block with the bound kernels.
using EncodeAlphaValuesFn = void(uint8_t out[8], const uint8_t values[16], uint8_t min, uint8_t max,
                                 AlphaRangeFn* range, EncodeAlphaBlockFn* fit);
template <EncodeAlphaValuesFn* Encode>
inline void encode_alpha_channel(const DxtEncOps& ops, FetchChannelFn* fetch, uint8_t* out,
                                 const uint8_t* const planes[4], const size_t strides[4]) {
  uint8_t values[16];
  uint8_t min = 0;
  uint8_t max = 0;
  fetch(planes, strides, values, &min, &max);
  Encode(out, values, min, max, ops.alpha_range, ops.encode_alpha_block);
}

// ---- Block entry points (slot encode_block; rgtc1_from_alpha also as encode_block_second) ----
EncodeBlockFn rgtc1_block_from_alpha;  // 8 bytes from fetch_alpha (types 3 and 5)
EncodeBlockFn rgtc1_block_from_luma;   // 8 bytes from fetch_luma (type 2)
EncodeBlockFn dxt5_encode_block_fast;  // 16 bytes: fast alpha block + DXT1 Fast colour block
EncodeBlockFn dxt5_encode_block_normal;
EncodeBlockFn dxt5_encode_block_slow;
// The alpha half (bytes 0..7) of a DXT5 block at Fast quality.
void dxt5_alpha_half_fast(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                          const size_t strides[4]);
// Slot encode_row of type 1: the quality's DXT5 block one after the other along a row of `fmt`
// (Fast, Normal, Slow; null for Best, whose blocks go one by one through encode_block).
EncodeRowFn* dxt5_encode_row_kernel(uint8_t quality, PixelFormat fmt);
