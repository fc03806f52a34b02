#include "tests/support/alpha_block_decoder.h"

namespace orvex_test {

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

std::vector<uint8_t> decode_rgtc1_texture(const uint8_t* data, size_t width, size_t height) {
  std::vector<uint8_t> out(width * height);
  const size_t across = (width + 3) / 4;
  const size_t down = (height + 3) / 4;
  for (size_t by = 0; by < down; ++by) {
    for (size_t bx = 0; bx < across; ++bx) {
      uint8_t values[16];
      decode_alpha_block(data + (by * across + bx) * 8, values);
      for (size_t y = 0; y < 4 && by * 4 + y < height; ++y) {
        for (size_t x = 0; x < 4 && bx * 4 + x < width; ++x) {
          out[(by * 4 + y) * width + bx * 4 + x] = values[y * 4 + x];
        }
      }
    }
  }
  return out;
}

}  // namespace orvex_test
