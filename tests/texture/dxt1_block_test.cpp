// DXT1 block facts: single-colour tables, solid blocks, the degenerate two-colour block, the
// Normal quality threshold, colour order, and the quality ranking on natural-looking content.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/dxt_decoder.h"
#include "tests/support/psnr.h"
#include "tests/support/test_frames.h"
#include "tests/texture/texture_test_util.h"
#include "texture/dxt1.h"

using texture_test::colour0;
using texture_test::colour1;
using texture_test::encode_frame;
using texture_test::index_word;

namespace {

int expand(int x, int bits) {
  return bits == 5 ? (x << 3) | (x >> 2) : (x << 2) | (x >> 4);
}

// One 4x4 ARGB_8 block from 16 RGB colours.
std::vector<uint8_t> block_argb8(const uint8_t rgb[16][3]) {
  std::vector<uint8_t> px(64);
  for (int i = 0; i < 16; ++i) {
    px[4 * i] = 255, px[4 * i + 1] = rgb[i][0], px[4 * i + 2] = rgb[i][1];
    px[4 * i + 3] = rgb[i][2];
  }
  return px;
}

std::vector<uint8_t> encode_block(const uint8_t rgb[16][3], uint8_t quality) {
  return encode_frame(block_argb8(rgb), 4, 4, quality, ARGB_8);
}

void fill(uint8_t rgb[16][3], uint8_t r, uint8_t g, uint8_t b) {
  for (int i = 0; i < 16; ++i) rgb[i][0] = r, rgb[i][1] = g, rgb[i][2] = b;
}

TEST(Dxt1Tables, KnownEntries) {
  EXPECT_EQ(kSingleColour5[0].mx, 0);
  EXPECT_EQ(kSingleColour5[0].mn, 0);
  EXPECT_EQ(kSingleColour5[2].mx, 0);
  EXPECT_EQ(kSingleColour5[2].mn, 1);
  EXPECT_EQ(kSingleColour5[4].mx, 1);
  EXPECT_EQ(kSingleColour5[4].mn, 0);
  EXPECT_EQ(kSingleColour5[255].mx, 31);
  EXPECT_EQ(kSingleColour5[255].mn, 31);
  const auto& c1 = kSingleColourFit5[1].candidate;
  EXPECT_EQ(c1[0].start, 0);
  EXPECT_EQ(c1[0].end, 0);
  EXPECT_EQ(c1[0].error, 1);
  EXPECT_EQ(c1[1].start, 0);
  EXPECT_EQ(c1[1].end, 1);
  EXPECT_EQ(c1[1].error, 1);
  const auto& c128 = kSingleColourFit5[128].candidate;
  EXPECT_EQ(c128[0].start, 16);
  EXPECT_EQ(c128[0].end, 0);
  EXPECT_EQ(c128[0].error, 4);
  EXPECT_EQ(c128[1].start, 10);
  EXPECT_EQ(c128[1].end, 27);
  EXPECT_EQ(c128[1].error, 0);
  const auto& c255 = kSingleColourFit5[255].candidate;
  EXPECT_EQ(c255[0].start, 31);
  EXPECT_EQ(c255[0].error, 0);
  EXPECT_EQ(c255[1].start, 31);
  EXPECT_EQ(c255[1].end, 31);
  EXPECT_EQ(c255[1].error, 0);
}

// Every entry of the fit tables states the error its pair really decodes to, and no pair of the
// format does better; the Fast/Normal pairs come within 3 levels of the target.
TEST(Dxt1Tables, EntriesMatchTheirDecodedError) {
  for (int bits : {5, 6}) {
    const auto& fit = bits == 5 ? kSingleColourFit5 : kSingleColourFit6;
    const auto& pair = bits == 5 ? kSingleColour5 : kSingleColour6;
    const int levels = 1 << bits;
    for (int v = 0; v < 256; ++v) {
      int best0 = 255, best2 = 255;
      for (int s = 0; s < levels; ++s) {
        best0 = std::min(best0, std::abs(expand(s, bits) - v));
        for (int e = 0; e < levels; ++e) {
          best2 = std::min(best2, std::abs((2 * expand(s, bits) + expand(e, bits)) / 3 - v));
        }
      }
      const auto& c = fit[v].candidate;
      EXPECT_EQ(std::abs(expand(c[0].start, bits) - v), c[0].error);
      EXPECT_EQ(c[0].error, best0) << bits << "-bit " << v;
      EXPECT_EQ(std::abs((2 * expand(c[1].start, bits) + expand(c[1].end, bits)) / 3 - v),
                c[1].error);
      EXPECT_EQ(c[1].error, best2) << bits << "-bit " << v;
      const int mx = expand(pair[v].mx, bits), mn = expand(pair[v].mn, bits);
      EXPECT_LE(std::abs((2 * mx + mn) / 3 - v), 2) << bits << "-bit " << v;
    }
  }
}

class Dxt1Quality : public testing::TestWithParam<uint8_t> {};

TEST_P(Dxt1Quality, SolidBlocks) {
  const uint8_t q = GetParam();
  uint8_t rgb[16][3];
  fill(rgb, 0, 0, 0);
  EXPECT_EQ(encode_block(rgb, q), std::vector<uint8_t>(8, 0));
  fill(rgb, 255, 255, 255);
  EXPECT_EQ(encode_block(rgb, q), (std::vector<uint8_t>{0xFF, 0xFF, 0, 0, 0, 0, 0, 0}));
  for (int v : {128, 77, 200}) {
    fill(rgb, v, v, v);
    const auto b = encode_block(rgb, q);
    const uint32_t word = index_word(b.data());
    EXPECT_TRUE(word == 0xAAAAAAAAu || word == 0xFFFFFFFFu || word == 0) << v;
    uint8_t px[64];
    orvex_test::decode_dxt1_block(b.data(), px);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(px[4 * i], v, 2) << v;
  }
}

// The block invariants hold on many random blocks: colour 0 below colour 1 only with an all-zero
// index word, and no pixel ever decodes to the transparent entry.
TEST_P(Dxt1Quality, NeverWritesTransparentOrReversedBlocks) {
  const uint8_t q = GetParam();
  srand(7);
  for (int n = 0; n < 400; ++n) {
    uint8_t rgb[16][3];
    const int kind = n % 4;
    uint8_t a[3], b[3];
    for (int c = 0; c < 3; ++c) a[c] = rand() % 256, b[c] = rand() % 256;
    for (int i = 0; i < 16; ++i) {
      for (int c = 0; c < 3; ++c) {
        if (kind == 0) rgb[i][c] = rand() % 256;                       // noise
        if (kind == 1) rgb[i][c] = (i % 3 == 0) ? a[c] : b[c];         // two colours
        if (kind == 2) rgb[i][c] = a[c] + (rand() % 3);                // nearly flat
        if (kind == 3) rgb[i][c] = (a[c] * (15 - i) + b[c] * i) / 15;  // ramp
      }
    }
    const auto blk = encode_block(rgb, q);
    if (colour0(blk.data()) < colour1(blk.data())) {
      EXPECT_EQ(index_word(blk.data()), 0u);
    }
    uint8_t px[64];
    orvex_test::decode_dxt1_block(blk.data(), px);
    for (int i = 0; i < 16; ++i) ASSERT_EQ(px[4 * i + 3], 255) << "block " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Qualities, Dxt1Quality, testing::Values(1, 2, 3));

// Two colours one step apart quantise to the same endpoints: the fit falls back to the
// single-colour pair of the block's mean.
TEST(Dxt1Block, NearTwoColourBlockUsesTheMeanPair) {
  uint8_t rgb[16][3];
  for (int i = 0; i < 16; ++i) {
    const uint8_t v = i < 8 ? 100 : 101;
    rgb[i][0] = rgb[i][1] = rgb[i][2] = v;
  }
  uint16_t c0, c1;
  dxt1_single_colour_pair(101, 101, 101, &c0, &c1);  // mean: (1608 + 8) >> 4 = 101
  for (uint8_t q : {1, 2}) {
    const auto b = encode_block(rgb, q);
    const uint16_t lo = std::min(c0, c1), hi = std::max(c0, c1);
    EXPECT_EQ(colour0(b.data()), hi);
    EXPECT_EQ(colour1(b.data()), lo);
    uint8_t px[64];
    orvex_test::decode_dxt1_block(b.data(), px);
    for (int i = 1; i < 16; ++i) EXPECT_EQ(px[4 * i], px[0]) << "one colour for the block";
  }
}

// Normal quality sends a block to the cluster fit exactly when a channel spans 15 or more.
TEST(Dxt1Block, NormalSpreadThreshold) {
  srand(11);
  int fast_differs_from_slow = 0;
  for (int spread : {14, 15}) {
    for (int n = 0; n < 200; ++n) {
      uint8_t rgb[16][3];
      const int base = rand() % 200;
      for (int i = 0; i < 16; ++i) {
        for (int c = 0; c < 3; ++c) rgb[i][c] = base + rand() % (spread + 1);
      }
      rgb[0][n % 3] = base, rgb[1][n % 3] = base + spread;  // exact spread on one channel
      for (int i = 0; i < 16; ++i) {
        for (int c = 0; c < 3; ++c) rgb[i][c] = std::min<int>(rgb[i][c], base + spread);
      }
      const auto normal = encode_block(rgb, 2);
      if (spread == 14) {
        EXPECT_EQ(normal, encode_block(rgb, 1)) << "spread 14 must not cluster";
        fast_differs_from_slow += encode_block(rgb, 1) != encode_block(rgb, 3);
      } else {
        EXPECT_EQ(normal, encode_block(rgb, 3)) << "spread 15 must cluster";
      }
    }
  }
  EXPECT_GT(fast_differs_from_slow, 50) << "the blocks must tell the two paths apart";
}

// Three colours on a line where red rises as green falls: the principal axis must still order
// them so that the middle colour lands between the endpoints.
TEST(Dxt1Block, SlowFitsAntiCorrelatedChannels) {
  uint8_t rgb[16][3];
  const uint8_t colours[3][3] = {{96, 160, 64}, {160, 96, 64}, {128, 128, 64}};
  for (int i = 0; i < 16; ++i) {
    for (int c = 0; c < 3; ++c) rgb[i][c] = colours[i % 3][c];
  }
  const auto b = encode_block(rgb, 3);
  uint8_t px[64];
  orvex_test::decode_dxt1_block(b.data(), px);
  for (int i = 0; i < 16; ++i) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(px[4 * i + c], rgb[i][c], 6) << i;
  }
}

// PSNR after decoding rises from Fast to Normal to Slow; the floors sit a little under what the
// encoder measured (Fast 34.88, Normal 35.22, Slow 35.29 dB on this frame; libsquish's cluster
// fit reaches 35.34 dB).
TEST(Dxt1Quality, RisesWithQualityOnNaturalContent) {
  const uint32_t w = 192, h = 128;
  const auto rgba = orvex_test::natural_rgba(w, h, 2);
  const auto argb = orvex_test::rgba_to_argb8(rgba);
  double psnr[4] = {};
  for (uint8_t q = 1; q <= 3; ++q) {
    const auto tex = encode_frame(argb, w, h, q, ARGB_8);
    const auto dec = orvex_test::decode_dxt1_texture(tex.data(), w, h);
    psnr[q] = orvex_test::psnr_rgb(rgba.data(), dec.data(), w * h);
  }
  EXPECT_LT(psnr[1], psnr[2]);
  EXPECT_LT(psnr[2], psnr[3]);
  EXPECT_GT(psnr[1], 34.8);
  EXPECT_GT(psnr[2], 35.15);
  EXPECT_GT(psnr[3], 35.25);
}

}  // namespace
