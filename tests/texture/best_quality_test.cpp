// Best against Slow block by block: no block decodes further from its source, and the texture as a
// whole comes closer. DXT1 and Hap Q decode as ffmpeg decodes them (the palettes Best scores;
// the test decoders widen and divide differently), BC7 and RGTC1 by the test decoders. Neutral
// grey comes back exact from Hap Q in both decoders.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "inspect/alpha_block_decoder.h"
#include "tests/texture/texture_test_util.h"
#include "texture/dxt1_best.h"
#include "texture/ycocg_best.h"

namespace {

using texture_test::AlphaKind;

constexpr uint32_t kW = 64, kH = 64;

// Decoded RGBA of `texture`; the RGTC1 alpha texture decodes into the alpha channel.
std::vector<uint8_t> decode_any(DxtEncType type, const std::vector<uint8_t>& texture) {
  if (type == DXTENC_BC7) return texture_test::decode(type, texture, kW, kH);
  std::vector<uint8_t> rgba(size_t{kW} * kH * 4, 255);
  for (uint32_t b = 0; b < kW * kH / 16; ++b) {
    int rgb[16][3] = {};
    uint8_t alpha[16];
    std::fill_n(alpha, 16, 255);
    if (type == DXTENC_RGTC1_ALPHA) {
      orvex_inspect::decode_alpha_block(&texture[b * 8], alpha);
    } else if (type == DXTENC_YCOCG) {
      hapq_decode_block(&texture[b * 16], rgb);
    } else {
      const uint8_t* block = &texture[b * 8];
      const uint16_t c0 = static_cast<uint16_t>(block[0] | block[1] << 8);
      const uint16_t c1 = static_cast<uint16_t>(block[2] | block[3] << 8);
      int palette[4][3];
      dxt1_decoded_palette(c0, c1, c0 <= c1, palette);
      for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 3; ++c) rgb[i][c] = palette[(block[4 + i / 4] >> (2 * (i % 4))) & 3][c];
    }
    const uint32_t bx = b % (kW / 4), by = b / (kW / 4);
    for (uint32_t i = 0; i < 16; ++i) {
      uint8_t* px = &rgba[((by * 4 + i / 4) * kW + bx * 4 + i % 4) * 4];
      for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(rgb[i][c]);
      px[3] = alpha[i];
    }
  }
  return rgba;
}

// Squared error per 4x4 block over the channels `first`..3 (alpha only for RGTC1).
std::vector<uint64_t> block_errors(const std::vector<uint8_t>& got, const std::vector<uint8_t>& ref,
                                   int first, int last) {
  std::vector<uint64_t> err(kW * kH / 16, 0);
  for (uint32_t y = 0; y < kH; ++y)
    for (uint32_t x = 0; x < kW; ++x)
      for (int c = first; c <= last; ++c) {
        const size_t i = (size_t{y} * kW + x) * 4 + c;
        const int d = got[i] - ref[i];
        err[(y / 4) * (kW / 4) + x / 4] += static_cast<uint64_t>(d * d);
      }
  return err;
}

struct BestCase {
  const char* name;
  DxtEncType type;
  AlphaKind alpha;
  // Uniform noise (hard blocks), or noise along one colour line (the spacing of the palette
  // entries decides), rather than natural-looking content.
  enum { natural, noise, line } content = natural;
};

// Random colours on the line from magenta to green; alpha (unless opaque) of two levels
// alternating every two columns.
std::vector<uint8_t> line_noise(AlphaKind alpha) {
  auto img = texture_test::noise_image(kW, kH, true, 7);
  for (size_t i = 0; i < img.size(); i += 4) {
    const uint8_t t = img[i];
    img[i + 1] = t, img[i] = static_cast<uint8_t>(255 - t), img[i + 2] = 255 - t / 2;
    if (alpha != AlphaKind::Opaque) img[i + 3] = static_cast<uint8_t>(160 + (i / 8) % 2);
  }
  return img;
}

class BestAgainstSlow : public testing::TestWithParam<BestCase> {};

TEST_P(BestAgainstSlow, NoBlockWorseAndTheWholeCloser) {
  const BestCase& c = GetParam();
  const auto img = c.content == BestCase::noise
                       ? texture_test::noise_image(kW, kH, c.alpha == AlphaKind::Opaque, 5)
                   : c.content == BestCase::line ? line_noise(c.alpha)
                                                 : texture_test::natural_image(kW, kH, c.alpha, 31);
  const int first = c.type == DXTENC_RGTC1_ALPHA ? 3 : 0;
  const int last = c.type == DXTENC_RGTC1_ALPHA || c.type == DXTENC_BC7 ? 3 : 2;
  std::vector<uint64_t> err[2];
  for (int k = 0; k < 2; ++k) {
    const uint8_t quality = k == 0 ? DXT_QUALITY_SLOW : DXT_QUALITY_BEST;
    const auto texture =
        texture_test::encode_rgba(img, kW, kH, {.type = c.type, .quality = quality});
    err[k] = block_errors(decode_any(c.type, texture), img, first, last);
  }
  uint64_t total[2] = {0, 0};
  for (size_t b = 0; b < err[0].size(); ++b) {
    EXPECT_LE(err[1][b], err[0][b]) << "block " << b;
    total[0] += err[0][b], total[1] += err[1][b];
  }
  EXPECT_LT(total[1], total[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, BestAgainstSlow,
    testing::Values(BestCase{"dxt1", DXTENC_DXT1, AlphaKind::Opaque},
                    BestCase{"dxt1_noise", DXTENC_DXT1, AlphaKind::Opaque, BestCase::noise},
                    BestCase{"hapq", DXTENC_YCOCG, AlphaKind::Opaque},
                    BestCase{"hapq_noise", DXTENC_YCOCG, AlphaKind::Opaque, BestCase::noise},
                    BestCase{"rgtc1", DXTENC_RGTC1_ALPHA, AlphaKind::Soft},
                    BestCase{"bc7", DXTENC_BC7, AlphaKind::Opaque},
                    BestCase{"bc7_alpha", DXTENC_BC7, AlphaKind::Soft},
                    BestCase{"bc7_line", DXTENC_BC7, AlphaKind::Opaque, BestCase::line},
                    BestCase{"bc7_line_alpha", DXTENC_BC7, AlphaKind::Soft, BestCase::line}),
    [](const testing::TestParamInfo<BestCase>& info) { return info.param.name; });

// Blocks of every grey level 0..255 (one level per block), flat and beside the next level, decode
// to exactly their levels: no tint from the chroma endpoints or the scale.
TEST(HapQBest, NeutralGreyComesBackExact) {
  for (const int pair : {0, 1}) {
    std::vector<uint8_t> img(size_t{kW} * kH * 4, 255);
    for (uint32_t y = 0; y < kH; ++y)
      for (uint32_t x = 0; x < kW; ++x) {
        const int block = static_cast<int>((y / 4) * (kW / 4) + x / 4);
        const int level = std::min(block + (pair & static_cast<int>(x)), 255);
        for (int c = 0; c < 3; ++c) img[(size_t{y} * kW + x) * 4 + c] = static_cast<uint8_t>(level);
      }
    const auto texture =
        texture_test::encode_rgba(img, kW, kH, {.type = DXTENC_YCOCG, .quality = DXT_QUALITY_BEST});
    for (const auto& decoded :
         {decode_any(DXTENC_YCOCG, texture), texture_test::decode(DXTENC_YCOCG, texture, kW, kH)}) {
      size_t off = 0;
      for (size_t i = 0; i < img.size(); ++i) off += decoded[i] != img[i] ? 1 : 0;
      EXPECT_EQ(off, 0u) << (pair ? "pairs" : "flat");
    }
  }
}

}  // namespace
