#include "tests/support/dxt_decoder.h"

#include "tests/support/block_grid.h"

namespace orvex_test {

namespace {
void expand565(uint16_t c, int rgb[3]) {
  const int r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
  rgb[0] = (r << 3) | (r >> 2);
  rgb[1] = (g << 2) | (g >> 4);
  rgb[2] = (b << 3) | (b >> 2);
}
}  // namespace

void decode_dxt1_block(const uint8_t block[8], uint8_t rgba[64]) {
  const uint16_t c0 = static_cast<uint16_t>(block[0] | (block[1] << 8));
  const uint16_t c1 = static_cast<uint16_t>(block[2] | (block[3] << 8));
  int palette[4][4];
  expand565(c0, palette[0]);
  expand565(c1, palette[1]);
  palette[0][3] = palette[1][3] = 255;
  for (int c = 0; c < 3; ++c) {
    if (c0 > c1) {
      palette[2][c] = (2 * palette[0][c] + palette[1][c]) / 3;
      palette[3][c] = (palette[0][c] + 2 * palette[1][c]) / 3;
    } else {
      palette[2][c] = (palette[0][c] + palette[1][c]) / 2;
      palette[3][c] = 0;
    }
  }
  palette[2][3] = 255;
  palette[3][3] = c0 > c1 ? 255 : 0;
  const uint32_t word = static_cast<uint32_t>(block[4]) | (static_cast<uint32_t>(block[5]) << 8) |
                        (static_cast<uint32_t>(block[6]) << 16) |
                        (static_cast<uint32_t>(block[7]) << 24);
  for (int i = 0; i < 16; ++i) {
    const int idx = (word >> (2 * i)) & 3;
    for (int c = 0; c < 4; ++c) rgba[4 * i + c] = static_cast<uint8_t>(palette[idx][c]);
  }
}

std::vector<uint8_t> decode_dxt1_texture(const uint8_t* texture, uint32_t width, uint32_t height) {
  return decode_block_grid<4>(texture, width, height, 8, decode_dxt1_block);
}

}  // namespace orvex_test
