// Hap Q block encoder: the conversion's exact values, the all-black block, the chroma scale and
// diagonal, the Y endpoints of a flat block, and the nearest chroma colour for each pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "inspect/alpha_block_decoder.h"
#include "tests/texture/texture_test_util.h"
#include "texture/ycocg.h"

namespace {

using Rgb = std::array<uint8_t, 3>;
using Block = std::array<uint8_t, 16>;

// A 4x4 ARGB_8 block (stride 16) from 16 colours; alpha varies so that it is seen to be ignored.
std::vector<uint8_t> argb8_block(const std::array<Rgb, 16>& colours) {
  std::vector<uint8_t> px(64);
  for (int i = 0; i < 16; ++i) {
    px[i * 4] = static_cast<uint8_t>(i * 17);
    std::copy(colours[i].begin(), colours[i].end(), &px[i * 4 + 1]);
  }
  return px;
}

Block encode_block(const std::array<Rgb, 16>& colours) {
  const auto argb8 = argb8_block(colours);
  YCoCgWorkBlock wb;
  Block out{};
  EXPECT_FALSE(ycocg_from_block_argb8(argb8.data(), 16, &wb));
  encode_y_block(&wb, out.data());
  encode_cocg_block(&wb, out.data() + 8);
  return out;
}

// The two chroma endpoints: scale code (bits 0-4), Cg (bits 5-10), Co (bits 11-15).
struct CoCg {
  int scale, cg, co;
};
CoCg endpoint(const Block& b, int which) {
  const int c = b[8 + 2 * which] | b[9 + 2 * which] << 8;
  return {c & 0x1F, (c >> 5) & 0x3F, c >> 11};
}

std::array<Rgb, 16> two_colours(Rgb a, Rgb b) {
  std::array<Rgb, 16> c;
  for (int i = 0; i < 16; ++i) c[i] = (i + i / 4) % 2 ? a : b;
  return c;
}

TEST(YCoCgBlock, BlackBlockIsFixedWhateverTheAlphaAndDepth) {
  const Block expected = {0, 0, 0, 0, 0, 0, 0, 0, 0x03, 0x84, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> rgba(64, 0);
  for (int i = 0; i < 16; ++i) rgba[i * 4 + 3] = static_cast<uint8_t>(i * 16);  // any alpha
  for (DxtEncType type : {DXTENC_YCOCG, DXTENC_YCOCG_RGTC1_ALPHA}) {
    for (PixelFormat fmt : {ARGB_8, ARGB_16_HOST}) {
      const auto t = texture_test::encode_rgba(rgba, 4, 4, {.type = type, .format = fmt});
      ASSERT_GE(t.size(), 16u);
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), t.begin())) << type << " " << fmt;
    }
  }
}

// Grey is zero chroma at the finest scale; saturated red against blue needs the coarsest.
TEST(YCoCgBlock, ChromaScaleFollowsTheChromaRange) {
  std::array<Rgb, 16> grey;
  grey.fill({128, 128, 128});
  const auto px = argb8_block(grey);
  YCoCgWorkBlock wb;
  ycocg_from_block_argb8(px.data(), 16, &wb);
  EXPECT_EQ(wb.Co[5], 128.5f / 255.0f);
  EXPECT_EQ(wb.Cg[5], 128.5f / 255.0f);
  const Block g = encode_block(grey);
  EXPECT_EQ(endpoint(g, 0).scale, 3);
  EXPECT_EQ(endpoint(g, 1).scale, 3);
  const Block rb = encode_block(two_colours({255, 0, 0}, {0, 0, 255}));
  EXPECT_EQ(endpoint(rb, 0).scale, 0);
  EXPECT_EQ(endpoint(rb, 1).scale, 0);
}

TEST(YCoCgBlock, ChromaDiagonalFollowsTheCovariance) {
  // Red-ish against cyan-ish: Co high with Cg low and the reverse (negative covariance), so c0,
  // which carries the maximum Co, must carry the smaller Cg.
  const Block falling = encode_block(two_colours({200, 60, 40}, {60, 150, 170}));
  EXPECT_GT(endpoint(falling, 0).co, endpoint(falling, 1).co);
  EXPECT_LT(endpoint(falling, 0).cg, endpoint(falling, 1).cg);
  // Yellow-ish against blue-ish: Co and Cg rise together.
  const Block rising = encode_block(two_colours({200, 180, 40}, {40, 60, 170}));
  EXPECT_GT(endpoint(rising, 0).co, endpoint(rising, 1).co);
  EXPECT_GT(endpoint(rising, 0).cg, endpoint(rising, 1).cg);
}

TEST(YCoCgBlock, FlatLumaEndpointsStraddleTheValueByHalfAStep) {
  std::array<Rgb, 16> flat;
  flat.fill({100, 100, 100});  // Y = 100.5 on the 0..255 scale
  const Block b = encode_block(flat);
  EXPECT_EQ(b[0], 101);
  EXPECT_EQ(b[1], 100);
  uint8_t y[16];
  orvex_inspect::decode_alpha_block(b.data(), y);
  for (uint8_t v : y) EXPECT_EQ(v, y[0]);
  EXPECT_NEAR(y[0], 100.5, 0.5);
}

TEST(YCoCgBlock, FullScaleHostSamplesConvertExactlyLikeEightBit) {
  // 16-bit host samples of 0 and 32768 must give the same floats as 8-bit 0 and 255.
  std::vector<uint8_t> rgba(64, 255);
  for (int i = 0; i < 16; ++i)
    for (int c = 0; c < 3; ++c) rgba[i * 4 + c] = ((i >> c) & 1) ? 255 : 0;
  const auto argb8 = orvex_test::rgba_to_argb8(rgba),
             argb16 = orvex_test::rgba_to_argb16_host(rgba);
  YCoCgWorkBlock a, b;
  EXPECT_EQ(ycocg_from_block_argb8(argb8.data(), 16, &a),
            ycocg_from_block_argb16_host(argb16.data(), 32, &b));
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(a.Y[i], b.Y[i]) << i;
    EXPECT_EQ(a.Co[i], b.Co[i]) << i;
    EXPECT_EQ(a.Cg[i], b.Cg[i]) << i;
  }
  EXPECT_EQ(a.maxY, b.maxY);
  EXPECT_EQ(a.minCg, b.minCg);
}

TEST(YCoCgBlock, ChromaIndicesPickTheNearestOfTheFourColours) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int n = 0; n < 500; ++n) {
    CoCgEndpoints e{};
    e.maxCo = unit(rng);
    e.maxCg = unit(rng);
    e.minCo = unit(rng);
    e.minCg = unit(rng);
    float pco[4], pcg[4];
    for (int k = 0; k < 4; ++k) {
      static constexpr float kT[4] = {0.0f, 1.0f, 1.0f / 3.0f, 2.0f / 3.0f};  // decoder order
      pco[k] = e.maxCo + (e.minCo - e.maxCo) * kT[k];
      pcg[k] = e.maxCg + (e.minCg - e.maxCg) * kT[k];
    }
    YCoCgWorkBlock wb{};
    for (int i = 0; i < 16; ++i) {
      // The first four pixels sit on the palette colours themselves.
      wb.Co[i] = i < 4 ? pco[i] : unit(rng);
      wb.Cg[i] = i < 4 ? pcg[i] : unit(rng);
    }
    const uint32_t word = select_cocg_indices(&wb, e);
    for (int i = 0; i < 16; ++i) {
      float d[4];
      for (int k = 0; k < 4; ++k) {
        const float dco = wb.Co[i] - pco[k], dcg = wb.Cg[i] - pcg[k];
        d[k] = dco * dco + dcg * dcg;
      }
      const unsigned chosen = (word >> (2 * i)) & 3;
      ASSERT_LE(d[chosen], *std::min_element(d, d + 4) + 1e-5f) << n << " pixel " << i;
    }
  }
}

}  // namespace
