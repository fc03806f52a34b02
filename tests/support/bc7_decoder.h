#pragma once
// Test-side BC7 (BPTC) decoder of the modes our encoder may write (1, 5, 6 and 7), written from the
// public format and kept independent of the encoder: its fields, tables and interpolation are its
// own. Blocks of any other mode are reported as not valid.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_test {

// Every field of one block as stored, endpoints already expanded to 8 bits (p-bits applied).
struct Bc7Fields {
  bool valid = false;  // false for modes 0, 2, 3, 4 and the reserved mode (no 1 bit in byte 0)
  uint32_t mode = 0;
  uint32_t partition = 0;
  uint32_t rotation = 0;
  uint32_t subsets = 1;
  uint8_t endpoints[2][2][4] = {};  // [subset][low, high][R, G, B, A]
  uint8_t indices[16] = {};         // primary index per pixel (raster order)
  uint8_t indices2[16] = {};        // second index set (mode 5)
  uint32_t index_bits = 0, index2_bits = 0;
  uint32_t end_bit = 0;  // bits read; 128 for a well-formed block
};

// Subset (0 or 1) of `pixel` in `partition` for a mode with `subsets` subsets (1 or 2).
uint32_t bc7_subset_of(uint32_t subsets, uint32_t partition, uint32_t pixel);

// Parses one 16-byte block.
Bc7Fields bc7_parse_block(const uint8_t block[16]);

// The 16 RGBA8 pixels (raster order) of one block: interpolation, index selection and rotation as
// the format defines. A reserved block gives all zeros.
void bc7_decode_block(const uint8_t block[16], uint8_t rgba[64]);

// Decodes a texture of ceil(w/4) x ceil(h/4) blocks (row-major) into w x h RGBA8 pixels.
std::vector<uint8_t> bc7_decode_texture(const uint8_t* blocks, size_t width_px, size_t height_px);

}  // namespace orvex_test
