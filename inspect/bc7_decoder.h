#pragma once
// BC7 (BPTC, RGBA unsigned normalised) decoder of all eight block modes.
//
// A 16-byte block is read as a 128-bit little-endian bit string: the mode (number of 0 bits before
// the first 1, so byte 0 = 0 is the reserved mode), then partition, rotation and index-selection
// fields, the endpoints (all of red, then green, blue, alpha; subset by subset, low then high),
// the p-bits, and the index sets. Endpoints widen to 8 bits by bit replication after their p-bit;
// a pixel is ((64 - w) e0 + w e1 + 32) >> 6 with the 2-, 3- or 4-bit weight tables; rotation then
// swaps alpha with red, green or blue. This is exact: every conforming decoder gives these bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_inspect {

// Every field of one block as stored, endpoints already widened to 8 bits (p-bits applied).
struct Bc7Fields {
  bool valid = false;  // false for the reserved mode (no 1 bit in byte 0)
  uint32_t mode = 0;
  uint32_t partition = 0;
  uint32_t rotation = 0;         // 0 none, 1..3 alpha swapped with red, green, blue
  uint32_t index_selection = 0;  // mode 4: 1 = colour from the 3-bit set, alpha from the 2-bit set
  uint32_t subsets = 1;
  uint8_t endpoints[3][2][4] = {};  // [subset][low, high][R, G, B, A]
  uint8_t indices[16] = {};         // primary index per pixel (raster order)
  uint8_t indices2[16] = {};        // second index set (modes 4 and 5)
  uint32_t index_bits = 0, index2_bits = 0;
  uint32_t end_bit = 0;  // bits read; 128 for a well-formed block
};

// Parses one 16-byte block.
Bc7Fields bc7_parse_block(const uint8_t block[16]);

// The 16 RGBA8 pixels (raster order) of one block. A reserved block gives all zeros.
void bc7_decode_block(const uint8_t block[16], uint8_t rgba[64]);

// A texture of ceil(w/4) x ceil(h/4) blocks (row-major) to w x h RGBA8 pixels.
std::vector<uint8_t> bc7_decode_texture(const uint8_t* blocks, size_t width_px, size_t height_px);

}  // namespace orvex_inspect
