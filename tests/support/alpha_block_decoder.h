#pragma once
// Test decoder of the interpolated single-channel block (DXT5 alpha half, RGTC1/BC4 unsigned),
// written from the public block format.
#include <cstdint>

namespace orvex_test {

// The 8 palette values of a block from its endpoints: a0 > a1 gives a0, a1 and six steps
// ((8 - j) a0 + (j - 1) a1) / 7; otherwise a0, a1, four steps ((6 - j) a0 + (j - 1) a1) / 5, 0,
// 255.
void alpha_palette(uint8_t a0, uint8_t a1, uint8_t palette[8]);

// The 16 values (raster order) of one 8-byte block.
void decode_alpha_block(const uint8_t block[8], uint8_t out[16]);

}  // namespace orvex_test
