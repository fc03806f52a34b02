#pragma once
// The interpolated single-channel block: the alpha half of DXT5 and RGTC1 (BC4 unsigned).
// Bytes 0, 1: endpoints a0, a1; bytes 2..7: sixteen 3-bit palette indices, little-endian,
// pixel 0 in the lowest bits.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_inspect {

// The 8 palette values of a block from its endpoints: a0 > a1 gives a0, a1 and six steps
// ((8 - j) a0 + (j - 1) a1) / 7; otherwise a0, a1, four steps ((6 - j) a0 + (j - 1) a1) / 5, 0,
// 255 (integer division, as every common decoder does).
void alpha_palette(uint8_t a0, uint8_t a1, uint8_t palette[8]);

// The 16 values (raster order) of one 8-byte block.
void decode_alpha_block(const uint8_t block[8], uint8_t out[16]);

// An RGTC1 texture of ceil(w/4) x ceil(h/4) blocks to w x h single-channel values.
std::vector<uint8_t> decode_rgtc1_texture(const uint8_t* blocks, size_t width, size_t height);

}  // namespace orvex_inspect
