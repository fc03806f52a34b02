// Single-channel block encoders: fixed bytes where the format settles them, exact round trips
// through an independent decoder, and the fast encoder's index order.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>

#include "tests/support/alpha_block_decoder.h"
#include "texture/alpha_rgtc1.h"

namespace {

using Block = std::array<uint8_t, 8>;
using Values = std::array<uint8_t, 16>;

Block encode_rgtc1(const Values& v) {
  const auto [mn, mx] = std::minmax_element(v.begin(), v.end());
  Block out{};
  encode_alpha_values(out.data(), v.data(), *mn, *mx, alpha_range, encode_alpha_block);
  return out;
}

Values decode(const Block& b) {
  Values out{};
  orvex_test::decode_alpha_block(b.data(), out.data());
  return out;
}

uint32_t sse(const Values& a, const Values& b) {
  uint32_t s = 0;
  for (int i = 0; i < 16; ++i) s += static_cast<uint32_t>((a[i] - b[i]) * (a[i] - b[i]));
  return s;
}

TEST(AlphaBlock, ConstantBlocksHaveFixedBytesAndDecodeExactly) {
  Values v{};
  v.fill(128);
  EXPECT_EQ(encode_rgtc1(v), (Block{0x80, 0, 0, 0, 0, 0, 0, 0}));
  v.fill(0);
  EXPECT_EQ(encode_rgtc1(v), (Block{}));
  for (int value = 0; value < 256; ++value) {
    v.fill(static_cast<uint8_t>(value));
    EXPECT_EQ(decode(encode_rgtc1(v)), v) << value;
  }
}

TEST(AlphaBlock, OnlyZeroAndFullUseTheSixValuePaletteExactly) {
  Values v{};
  for (int i = 0; i < 16; ++i) v[i] = (i * 7) % 3 == 0 ? 255 : 0;
  const Block b = encode_rgtc1(v);
  EXPECT_EQ(b[0], 250);
  EXPECT_EQ(b[1], 255);
  EXPECT_EQ(decode(b), v);
}

TEST(AlphaBlock, NarrowTwoValueBlockKeepsTheSixValuePaletteOnATie) {
  Values v{};
  for (int i = 0; i < 16; ++i) v[i] = i % 2 ? 104 : 100;
  const Block b = encode_rgtc1(v);
  EXPECT_EQ(b[0], 100);  // a0 <= a1: six-value palette widened to 100..105
  EXPECT_EQ(b[1], 105);
  EXPECT_EQ(decode(b), v);
}

TEST(AlphaBlock, EightValuePaletteIsStoredInDecoderOrder) {
  // Every level of the eight-value palette of [20, 90]; only that palette fits with zero error,
  // so the fit must store a0 = 90 > a1 = 20 and remap its indices to the decoder's order.
  uint8_t palette[8];
  orvex_test::alpha_palette(90, 20, palette);
  Values v{};
  for (int i = 0; i < 16; ++i) v[i] = palette[(i * 5) % 8];
  const Block b = encode_rgtc1(v);
  EXPECT_EQ(b[0], 90);
  EXPECT_EQ(b[1], 20);
  EXPECT_EQ(decode(b), v);
}

TEST(AlphaBlock, NearestPaletteIndexPrefersTheLowestOnTies) {
  const uint8_t palette[8] = {10, 0, 10, 20, 30, 40, 50, 60};
  const uint8_t values[16] = {5, 10, 15, 60, 255, 0, 35, 10, 10, 10, 10, 10, 10, 10, 10, 10};
  uint8_t indices[16];
  uint32_t error = 0;
  encode_alpha_block(values, palette, indices, &error);
  EXPECT_EQ(indices[0], 0);  // 5 is as far from 10 (index 0) as from 0 (index 1)
  EXPECT_EQ(indices[1], 0);
  EXPECT_EQ(indices[2], 0);
  EXPECT_EQ(indices[3], 7);
  EXPECT_EQ(indices[4], 7);
  EXPECT_EQ(indices[5], 1);
  EXPECT_EQ(indices[6], 4);
  EXPECT_EQ(error, 25u + 25u + 195u * 195u + 25u);
}

// Skewed random blocks: few distinct values, runs of the extremes, narrow and wide spans.
Values random_block(std::mt19937& rng) {
  Values v{};
  const int lo = static_cast<int>(rng() % 256);
  const int span = static_cast<int>(rng() % 4 == 0 ? rng() % 8 : rng() % (256 - lo));
  const int distinct = 2 + static_cast<int>(rng() % 6);
  for (int i = 0; i < 16; ++i) {
    const int pick = static_cast<int>(rng() % distinct);
    if (pick == 0 && rng() % 3 == 0) {
      v[i] = rng() % 2 ? 0 : 255;
    } else {
      v[i] = static_cast<uint8_t>(std::min(255, lo + static_cast<int>(rng() % (span + 1))));
    }
  }
  return v;
}

TEST(AlphaBlock, TwoPaletteFitNeverLosesToTheFullRangeEightValueBlock) {
  std::mt19937 rng(7);
  for (int n = 0; n < 4000; ++n) {
    const Values v = random_block(rng);
    const auto [mn, mx] = std::minmax_element(v.begin(), v.end());
    if (*mx - *mn < 7) continue;
    // Baseline: a0 = max, a1 = min, every value to its nearest decoded level.
    uint8_t palette[8];
    orvex_test::alpha_palette(*mx, *mn, palette);
    uint32_t baseline = 0;
    for (uint8_t x : v) {
      int best = 1 << 30;
      for (uint8_t p : palette) best = std::min(best, (x - p) * (x - p));
      baseline += static_cast<uint32_t>(best);
    }
    ASSERT_LE(sse(decode(encode_rgtc1(v)), v), baseline) << n;
  }
}

TEST(AlphaBlock, FastEncoderPutsMaximumAtZeroMinimumAtOneAndStaysNearest) {
  std::mt19937 rng(11);
  for (int n = 0; n < 4000; ++n) {
    const Values v = random_block(rng);
    const auto [mn, mx] = std::minmax_element(v.begin(), v.end());
    if (*mn == *mx) continue;
    Block b{};
    encode_alpha_fast(b.data(), v.data(), *mn, *mx);
    ASSERT_EQ(b[0], *mx);
    ASSERT_EQ(b[1], *mn);
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t{b[2 + i]} << (8 * i);
    uint8_t palette[8];
    orvex_test::alpha_palette(*mx, *mn, palette);
    const int step = (*mx - *mn + 6) / 7;  // one palette step, rounded up
    for (int i = 0; i < 16; ++i) {
      const unsigned index = (bits >> (3 * i)) & 7;
      if (v[i] == *mx) {
        ASSERT_EQ(index, 0u) << n;
      }
      if (v[i] == *mn) {
        ASSERT_EQ(index, 1u) << n;
      }
      ASSERT_LE(std::abs(int{palette[index]} - int{v[i]}), step / 2 + 1) << n << " pixel " << i;
    }
  }
}

}  // namespace
