// DXT1 block facts: the block invariants, the degenerate two-colour block, the Normal quality
// threshold, and blocks of pure hues (edges and ramps) that every quality must keep close. The
// bytes themselves (the endpoint estimate's steps included) are pinned in texture_bytes_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tests/texture/texture_test_util.h"
#include "texture/dxt1.h"

namespace {

// Little-endian field of a block: colour 0 at byte 0, colour 1 at byte 2, the index word at 4.
uint32_t field(const std::vector<uint8_t>& b, int at, int bytes = 2) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}

// One opaque 4x4 block from 16 RGB colours, through the compressor.
std::vector<uint8_t> encode_block(const uint8_t rgb[16][3], uint8_t quality) {
  std::vector<uint8_t> rgba(64, 255);
  for (int i = 0; i < 16; ++i) std::memcpy(&rgba[4 * i], rgb[i], 3);
  return texture_test::encode_rgba(rgba, 4, 4, {.quality = quality});
}

class Dxt1Quality : public testing::TestWithParam<uint8_t> {};

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
    EXPECT_TRUE(field(blk, 0) >= field(blk, 2) || field(blk, 4, 4) == 0) << "block " << n;
    uint8_t px[64];
    orvex_inspect::decode_dxt1_block(blk.data(), px);
    for (int i = 0; i < 16; ++i) ASSERT_EQ(px[4 * i + 3], 255) << "block " << n;
  }
}

// Edges and ramps between every two of the six pure hues. Pairs that differ by +d in one channel
// and -d in another (red/green, cyan/magenta, ...) spread orthogonally to (1, 1, 1), which the
// cluster fit's axis must still find; beside them a shared channel varies a little on its own.
TEST_P(Dxt1Quality, PureHueEdgesAndRampsDecodeWithin8Levels) {
  constexpr uint32_t w = 480, h = 128;
  const auto rgba = orvex_test::pure_hues_rgba(w, h);
  const auto decoded = orvex_inspect::decode_dxt1_texture(
      texture_test::encode_rgba(rgba, w, h, {.quality = GetParam()}).data(), w, h);
  size_t worst = 0;
  for (size_t i = 0; i < rgba.size(); ++i)
    if (std::abs(decoded[i] - rgba[i]) > std::abs(decoded[worst] - rgba[worst])) worst = i;
  EXPECT_LE(std::abs(decoded[worst] - rgba[worst]), 8)
      << "pixel " << worst / 4 % w << "," << worst / 4 / w << " channel " << worst % 4;
}

INSTANTIATE_TEST_SUITE_P(Qualities, Dxt1Quality, testing::Values(1, 2, 3));

// Two colours one step apart quantise to the same endpoints: the fit falls back to the
// single-colour pair of the block's mean.
TEST(Dxt1Block, NearTwoColourBlockUsesTheMeanPair) {
  uint8_t rgb[16][3];
  for (int i = 0; i < 16; ++i) rgb[i][0] = rgb[i][1] = rgb[i][2] = i < 8 ? 100 : 101;
  uint16_t c0, c1;
  dxt1_single_colour_pair(101, 101, 101, &c0, &c1);  // mean: (1608 + 8) >> 4 = 101
  for (uint8_t q : {1, 2}) {
    const auto b = encode_block(rgb, q);
    EXPECT_EQ(field(b, 0), std::max(c0, c1));
    EXPECT_EQ(field(b, 2), std::min(c0, c1));
    uint8_t px[64];
    orvex_inspect::decode_dxt1_block(b.data(), px);
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

}  // namespace
