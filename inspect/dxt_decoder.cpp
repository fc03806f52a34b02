#include "inspect/dxt_decoder.h"

#include "inspect/alpha_block_decoder.h"
#include "inspect/block_grid.h"
#include "inspect/byte_order.h"

namespace orvex_inspect {
namespace {

int widen5(uint32_t c) {
  const uint32_t x = 255 * c + 16;
  return static_cast<int>(((x >> 5) + x) >> 5);
}
int widen6(uint32_t c) {
  const uint32_t x = 255 * c + 32;
  return static_cast<int>(((x >> 6) + x) >> 6);
}

// The four palette entries of a colour block, RGBA.
void colour_palette(const uint8_t block[8], bool four_colour_only, int palette[4][4]) {
  const uint16_t c0 = le16(block), c1 = le16(block + 2);
  for (int e = 0; e < 2; ++e) {
    const uint16_t c = e == 0 ? c0 : c1;
    palette[e][0] = widen5(c >> 11);
    palette[e][1] = widen6((c >> 5) & 63);
    palette[e][2] = widen5(c & 31);
    palette[e][3] = 255;
  }
  const bool four = four_colour_only || c0 > c1;
  for (int k = 0; k < 3; ++k) {
    const int e0 = palette[0][k], e1 = palette[1][k];
    palette[2][k] = four ? (2 * e0 + e1) / 3 : (e0 + e1) / 2;
    palette[3][k] = four ? (e0 + 2 * e1) / 3 : 0;
  }
  palette[2][3] = 255;
  palette[3][3] = four ? 255 : 0;
}

void render_colour(const uint8_t block[8], bool four_colour_only, uint8_t rgba[64]) {
  int palette[4][4];
  colour_palette(block, four_colour_only, palette);
  const uint32_t word = le32(block + 4);
  for (int i = 0; i < 16; ++i) {
    const int* p = palette[(word >> (2 * i)) & 3];
    for (int c = 0; c < 4; ++c) rgba[4 * i + c] = static_cast<uint8_t>(p[c]);
  }
}

void decode_dxt1_opaque_block(const uint8_t block[8], uint8_t rgba[64]) {
  render_colour(block, false, rgba);
  for (int i = 0; i < 16; ++i) rgba[4 * i + 3] = 255;
}

}  // namespace

void decode_dxt1_block(const uint8_t block[8], uint8_t rgba[64]) {
  render_colour(block, false, rgba);
}

void decode_dxt5_block(const uint8_t block[16], uint8_t rgba[64]) {
  render_colour(block + 8, true, rgba);
  uint8_t alpha[16];
  decode_alpha_block(block, alpha);
  for (int i = 0; i < 16; ++i) rgba[4 * i + 3] = alpha[i];
}

std::vector<uint8_t> decode_dxt1_texture(const uint8_t* blocks, size_t width, size_t height,
                                         bool opaque) {
  return opaque ? decode_block_grid<4>(blocks, width, height, 8, decode_dxt1_opaque_block)
                : decode_block_grid<4>(blocks, width, height, 8, decode_dxt1_block);
}

std::vector<uint8_t> decode_dxt5_texture(const uint8_t* blocks, size_t width, size_t height) {
  return decode_block_grid<4>(blocks, width, height, 16, decode_dxt5_block);
}

}  // namespace orvex_inspect
