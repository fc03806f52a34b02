#include "tests/support/hapq_decoder.h"

#include <algorithm>
#include <cmath>

#include "tests/support/alpha_block_decoder.h"
#include "tests/support/block_grid.h"

namespace orvex_test {

namespace {

void expand565(uint16_t c, int rgb[3]) {
  const int r = c >> 11, g = (c >> 5) & 0x3F, b = c & 0x1F;
  rgb[0] = (r << 3) | (r >> 2);
  rgb[1] = (g << 2) | (g >> 4);
  rgb[2] = (b << 3) | (b >> 2);
}

// The colour half (bytes 8-15 of a DXT5 block) read in four-colour mode whatever the endpoint
// order, then the alpha half.
void decode_dxt5_block(const uint8_t block[16], uint8_t rgba[64]) {
  int c[4][3];
  expand565(static_cast<uint16_t>(block[8] | block[9] << 8), c[0]);
  expand565(static_cast<uint16_t>(block[10] | block[11] << 8), c[1]);
  for (int k = 0; k < 3; ++k) {
    c[2][k] = (2 * c[0][k] + c[1][k] + 1) / 3;
    c[3][k] = (c[0][k] + 2 * c[1][k] + 1) / 3;
  }
  const uint32_t bits = block[12] | block[13] << 8 | block[14] << 16 | uint32_t{block[15]} << 24;
  uint8_t alpha[16];
  decode_alpha_block(block, alpha);
  for (int i = 0; i < 16; ++i) {
    const int* p = c[(bits >> (2 * i)) & 3];
    for (int k = 0; k < 3; ++k) rgba[i * 4 + k] = static_cast<uint8_t>(p[k]);
    rgba[i * 4 + 3] = alpha[i];
  }
}

uint8_t to_byte(double v) {
  return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

void ycocg_to_rgb(uint8_t rgba[4]) {
  const double scale = rgba[2] / 8 + 1;
  const double co = (rgba[0] - 128.0) / scale;
  const double cg = (rgba[1] - 128.0) / scale;
  const double y = rgba[3];
  rgba[0] = to_byte(y + co - cg);
  rgba[1] = to_byte(y + cg);
  rgba[2] = to_byte(y - co - cg);
  rgba[3] = 255;
}

}  // namespace

std::vector<uint8_t> decode_hapq_texture(const uint8_t* data, size_t width, size_t height) {
  std::vector<uint8_t> image = decode_block_grid<4>(data, width, height, 16, decode_dxt5_block);
  for (size_t i = 0; i < width * height; ++i) ycocg_to_rgb(&image[i * 4]);
  return image;
}

}  // namespace orvex_test
