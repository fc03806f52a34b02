#include "inspect/alpha_block_decoder.h"

#include "inspect/block_grid.h"

namespace orvex_inspect {

void alpha_palette(uint8_t a0, uint8_t a1, uint8_t palette[8]) {
  palette[0] = a0;
  palette[1] = a1;
  if (a0 > a1) {
    for (int j = 2; j < 8; ++j)
      palette[j] = static_cast<uint8_t>(((8 - j) * a0 + (j - 1) * a1) / 7);
  } else {
    for (int j = 2; j < 6; ++j)
      palette[j] = static_cast<uint8_t>(((6 - j) * a0 + (j - 1) * a1) / 5);
    palette[6] = 0;
    palette[7] = 255;
  }
}

void decode_alpha_block(const uint8_t block[8], uint8_t out[16]) {
  uint8_t palette[8];
  alpha_palette(block[0], block[1], palette);
  uint64_t bits = 0;
  for (int b = 0; b < 6; ++b) bits |= uint64_t{block[2 + b]} << (8 * b);
  for (int i = 0; i < 16; ++i) out[i] = palette[(bits >> (3 * i)) & 7];
}

std::vector<uint8_t> decode_rgtc1_texture(const uint8_t* blocks, size_t width, size_t height) {
  return decode_block_grid<1>(blocks, width, height, 8, decode_alpha_block);
}

}  // namespace orvex_inspect
