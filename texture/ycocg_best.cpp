// Best-quality Hap Q blocks: chroma and luma searched by the exact decoded RGB error.
#include "texture/ycocg_best.h"

#include "texture/alpha_best.h"
#include "texture/alpha_rgtc1.h"
#include "texture/dxt1_best.h"
#include "texture/ycocg.h"

void hapq_decode_block(const uint8_t block[16], int rgb[16][3]) {
  uint8_t luma[8];
  alpha_decoded_palette(block[0], block[1], luma);
  uint64_t luma_bits = 0;
  for (int b = 0; b < 6; ++b) luma_bits |= uint64_t{block[2 + b]} << (8 * b);
  const uint16_t c0 = static_cast<uint16_t>(block[8] | block[9] << 8);
  const uint16_t c1 = static_cast<uint16_t>(block[10] | block[11] << 8);
  int pal[4][3];
  dxt1_decoded_palette(c0, c1, false, pal);
  int offset[4][3];  // what each entry adds to luma in R, G and B
  for (int k = 0; k < 4; ++k) {
    const int s = pal[k][2] / 8 + 1;
    const int co = (pal[k][0] - 128) / s, cg = (pal[k][1] - 128) / s;
    offset[k][0] = co - cg, offset[k][1] = cg, offset[k][2] = -co - cg;
  }
  const uint32_t colour_bits =
      block[12] | block[13] << 8 | block[14] << 16 | static_cast<uint32_t>(block[15]) << 24;
  for (int i = 0; i < 16; ++i) {
    const int* d = offset[(colour_bits >> (2 * i)) & 3];
    const int y = luma[(luma_bits >> (3 * i)) & 7];
    for (int c = 0; c < 3; ++c) {
      const int v = y + d[c];
      rgb[i][c] = v < 0 ? 0 : v > 255 ? 255 : v;
    }
  }
}

#include "texture/ycocg_best_search.h"

void encode_hapq_block_best_argb8(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                                  const size_t strides[4]) {
  encode_hapq_block_best<ARGB_8>(ops, out, planes, strides);
}

void encode_hapq_block_best_argb16_host(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                                        const size_t strides[4]) {
  encode_hapq_block_best<ARGB_16_HOST>(ops, out, planes, strides);
}
