// Hap Q block encoder: the conversion's exact values, the all-black block, the chroma scale and
// diagonal, the Y endpoints of a flat block, and nearest-level index choice in both halves.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "tests/support/alpha_block_decoder.h"
#include "tests/texture/alpha_dxtenc_run.h"
#include "texture/ycocg.h"

namespace {

using Rgb = std::array<uint8_t, 3>;

// A 4x4 ARGB_8 block (stride 16) from 16 colours; alpha varies so that it is seen to be ignored.
std::vector<uint8_t> argb8_block(const std::array<Rgb, 16>& colours) {
  std::vector<uint8_t> px(64);
  for (int i = 0; i < 16; ++i) {
    px[i * 4] = static_cast<uint8_t>(i * 17);
    for (int c = 0; c < 3; ++c) px[i * 4 + 1 + c] = colours[i][c];
  }
  return px;
}

std::array<uint8_t, 16> encode_block(const std::vector<uint8_t>& argb8) {
  YCoCgWorkBlock wb;
  std::array<uint8_t, 16> out{};
  EXPECT_FALSE(ycocg_from_block_argb8(argb8.data(), 16, &wb));
  encode_y_block(&wb, out.data());
  encode_cocg_block(&wb, out.data() + 8);
  return out;
}

uint16_t word(const std::array<uint8_t, 16>& b, int at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
int scale_code(uint16_t c) {
  return c & 0x1F;
}
int cg_code(uint16_t c) {
  return (c >> 5) & 0x3F;
}
int co_code(uint16_t c) {
  return c >> 11;
}

std::array<Rgb, 16> two_colours(Rgb a, Rgb b) {
  std::array<Rgb, 16> c;
  for (int i = 0; i < 16; ++i) c[i] = (i + i / 4) % 2 ? a : b;
  return c;
}

TEST(YCoCgBlock, BlackBlockIsFixedWhateverTheAlphaAndDepth) {
  const std::array<uint8_t, 16> expected = {0, 0, 0, 0, 0, 0, 0, 0, 0x03, 0x84, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> argb8(4 * 4 * 4, 0);
  std::vector<uint8_t> argb16(4 * 4 * 8, 0);
  for (int i = 0; i < 16; ++i) {
    argb8[i * 4] = static_cast<uint8_t>(i * 16);  // any alpha
    argb16[i * 8 + 1] = static_cast<uint8_t>(i * 8);
  }
  for (DxtEncType type : {DXTENC_YCOCG, DXTENC_YCOCG_RGTC1_ALPHA}) {
    orvex_test::DxtencRun run;
    run.type = type;
    const auto t8 = orvex_test::run_dxtenc(run, argb8, 4, 4);
    run.format = ARGB_16_HOST;
    const auto t16 = orvex_test::run_dxtenc(run, argb16, 4, 4);
    ASSERT_GE(t8.size(), 16u);
    ASSERT_GE(t16.size(), 16u);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), t8.begin())) << type;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), t16.begin())) << type;
  }
}

TEST(YCoCgBlock, GreyIsZeroChromaAtTheFinestScale) {
  std::array<Rgb, 16> grey;
  grey.fill({128, 128, 128});
  const auto px = argb8_block(grey);
  YCoCgWorkBlock wb;
  ycocg_from_block_argb8(px.data(), 16, &wb);
  EXPECT_EQ(wb.Co[5], 128.5f / 255.0f);
  EXPECT_EQ(wb.Cg[5], 128.5f / 255.0f);
  const auto b = encode_block(px);
  EXPECT_EQ(scale_code(word(b, 8)), 3);
  EXPECT_EQ(scale_code(word(b, 10)), 3);
}

TEST(YCoCgBlock, SaturatedRedAndBlueNeedTheCoarsestScale) {
  const auto b = encode_block(argb8_block(two_colours({255, 0, 0}, {0, 0, 255})));
  EXPECT_EQ(scale_code(word(b, 8)), 0);
  EXPECT_EQ(scale_code(word(b, 10)), 0);
}

TEST(YCoCgBlock, ChromaDiagonalFollowsTheCovariance) {
  // Red-ish against cyan-ish: Co high with Cg low and the reverse (negative covariance), so c0,
  // which carries the maximum Co, must carry the smaller Cg.
  const auto falling = encode_block(argb8_block(two_colours({200, 60, 40}, {60, 150, 170})));
  EXPECT_GT(co_code(word(falling, 8)), co_code(word(falling, 10)));
  EXPECT_LT(cg_code(word(falling, 8)), cg_code(word(falling, 10)));
  // Yellow-ish against blue-ish: Co and Cg rise together.
  const auto rising = encode_block(argb8_block(two_colours({200, 180, 40}, {40, 60, 170})));
  EXPECT_GT(co_code(word(rising, 8)), co_code(word(rising, 10)));
  EXPECT_GT(cg_code(word(rising, 8)), cg_code(word(rising, 10)));
}

TEST(YCoCgBlock, FlatLumaEndpointsStraddleTheValueByHalfAStep) {
  std::array<Rgb, 16> flat;
  flat.fill({100, 100, 100});  // Y = 100.5 on the 0..255 scale
  const auto b = encode_block(argb8_block(flat));
  EXPECT_EQ(b[0], 101);
  EXPECT_EQ(b[1], 100);
  uint8_t y[16];
  orvex_test::decode_alpha_block(b.data(), y);
  for (uint8_t v : y) EXPECT_EQ(v, y[0]);
  EXPECT_NEAR(y[0], 100.5, 0.5);
}

TEST(YCoCgBlock, FullScaleHostSamplesConvertExactlyLikeEightBit) {
  // 16-bit host samples of 0 and 32768 must give the same floats as 8-bit 0 and 255.
  std::vector<uint8_t> argb8(64), argb16(128);
  for (int i = 0; i < 16; ++i) {
    for (int c = 0; c < 3; ++c) {
      const bool on = ((i >> c) & 1) != 0;
      argb8[i * 4 + 1 + c] = on ? 255 : 0;
      argb16[i * 8 + 2 + c * 2] = 0;
      argb16[i * 8 + 3 + c * 2] = on ? 0x80 : 0;  // 32768 little-endian
    }
  }
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
        d[k] =
            (wb.Co[i] - pco[k]) * (wb.Co[i] - pco[k]) + (wb.Cg[i] - pcg[k]) * (wb.Cg[i] - pcg[k]);
      }
      const unsigned chosen = (word >> (2 * i)) & 3;
      const float best = *std::min_element(d, d + 4);
      ASSERT_LE(d[chosen], best + 1e-5f) << n << " pixel " << i;
    }
  }
}

TEST(YCoCgBlock, LumaIndicesPickTheNearestLevel) {
  std::mt19937 rng(5);
  for (int n = 0; n < 2000; ++n) {
    YCoCgWorkBlock wb{};
    const int lo = static_cast<int>(rng() % 256);
    const int span = static_cast<int>(rng() % (256 - lo));
    wb.minY = 1.0f;
    wb.maxY = 0.0f;
    for (int i = 0; i < 16; ++i) {
      wb.Y[i] = static_cast<float>(lo + static_cast<int>(rng() % (span + 1))) / 255.0f;
      wb.minY = std::min(wb.minY, wb.Y[i]);
      wb.maxY = std::max(wb.maxY, wb.Y[i]);
    }
    uint8_t block[8];
    encode_y_block(&wb, block);
    ASSERT_GE(block[0], block[1]);
    uint8_t decoded[16], palette[8];
    orvex_test::decode_alpha_block(block, decoded);
    orvex_test::alpha_palette(block[0], block[1], palette);
    for (int i = 0; i < 16; ++i) {
      const float y = wb.Y[i] * 255.0f;
      float best = 1e9f;
      for (uint8_t p : palette) best = std::min(best, std::fabs(p - y));
      // The thresholds sit between the unrounded levels, up to one step off the decoded
      // midpoints (endpoint rounding, truncated interpolation): a value that close to a
      // midpoint may take the farther level.
      ASSERT_LE(std::fabs(decoded[i] - y), best + 2.01f) << n << " pixel " << i;
    }
  }
}

}  // namespace
