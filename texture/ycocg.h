#pragma once
// Hap Q block encoder: scaled YCoCg in a 16-byte DXT5 block. Y goes into the interpolated alpha
// half (bytes 0-7); Co and Cg into the red and green endpoints of the colour half (bytes 8-15)
// with a per-block chroma scale of 1, 2 or 4 stored as scale - 1 in the blue bits of both
// endpoints. Decoders read the colour half in four-colour mode, so endpoint order is free.
//
// Colour half: bytes 8-9 c0, 10-11 c1 (little-endian; Co in bits 15-11, Cg in 10-5, scale code in
// 4-0), bytes 12-15 the 2-bit index of pixel i at bits 2i..2i+1.
#include <cstdint>

#include "texture/dxtenc_slots.h"

// ---- Conversion (slot ycocg_convert), one per accepted pixel format ----
// Fill the work block from one interleaved 4x4 block; return the all-black flag (every R, G and B
// sample zero). 16-bit host samples are scaled by 255/32768, so 32768 gives exactly 255.0.
YCoCgConvertFn ycocg_from_block_argb8;
YCoCgConvertFn ycocg_from_block_argb16_host;

// ---- Half encoders (slots ycocg_y_block and ycocg_cocg_block) ----
YCoCgYBlockFn encode_y_block;
YCoCgCoCgBlockFn encode_cocg_block;

// Quantised chroma endpoints: the two packed words and the values a decoder reconstructs from
// them, expanded to 8 bits, / 255 and unscaled back to the work block's range.
struct CoCgEndpoints {
  uint16_t c0;         // from the maximum Co and the maximum Cg of the chosen diagonal
  uint16_t c1;         // from the minimum Co and the other Cg endpoint
  float maxCo, maxCg;  // decoded c0
  float minCo, minCg;  // decoded c1
};

// Scales the endpoints about 128/255 by `scale` (1, 2 or 4), insets them by 1/16 of their span
// less half an 8-bit step, clamps to 0..1 and quantises to 5-bit Co and 6-bit Cg codes.
CoCgEndpoints quantise_cocg_endpoints(float minCo, float minCg, float maxCo, float maxCg,
                                      int scale);

// 32-bit index word: each pixel's (Co, Cg) against the four-colour palette of `e`, Y ignored.
uint32_t select_cocg_indices(const YCoCgWorkBlock* block, const CoCgEndpoints& e);

// Block that decodes to black: Y 0, c0 = 0x8403 (Co 16, Cg 32, scale code 3), c1 0, indices 0.
void write_hapq_black_block(uint8_t out[16]);

// ---- Block entry point (slot encode_block of types 4 and 5) ----
// Converts through ops.ycocg_convert (planes[0], strides[0]), then writes the all-black block or
// the two halves through ops.ycocg_y_block and ops.ycocg_cocg_block.
EncodeBlockFn encode_hapq_block;
