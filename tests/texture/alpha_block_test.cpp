// Single-channel block encoders against an independent decoder: constant blocks decode exactly, the
// fit never loses to the full-range block, and the fast encoder's index order.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>

#include "inspect/alpha_block_decoder.h"
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
  orvex_inspect::decode_alpha_block(b.data(), out.data());
  return out;
}

// Skewed random blocks: few distinct values, runs of the extremes, narrow and wide spans.
Values random_block(std::mt19937& rng) {
  Values v{};
  const int lo = static_cast<int>(rng() % 256);
  const int span = static_cast<int>(rng() % 4 == 0 ? rng() % 8 : rng() % (256 - lo));
  const int distinct = 2 + static_cast<int>(rng() % 6);
  for (uint8_t& x : v) {
    const bool extreme = rng() % distinct == 0 && rng() % 3 == 0;
    x = extreme ? (rng() % 2 ? 0 : 255)
                : static_cast<uint8_t>(std::min(255, lo + static_cast<int>(rng() % (span + 1))));
  }
  return v;
}

// Constant blocks decode exactly. The fit of the two palettes never loses to the full-range
// eight-value block (a0 = max, a1 = min, every value to its nearest level); the fast encoder puts
// the maximum at index 0, the minimum at index 1 and every value within half a palette step.
TEST(AlphaBlock, FitBeatsTheFullRangeBlockAndFastEncoderStaysNearest) {
  for (int value = 0; value < 256; ++value) {
    Values v;
    v.fill(static_cast<uint8_t>(value));
    EXPECT_EQ(decode(encode_rgtc1(v)), v) << "constant " << value;
  }
  std::mt19937 rng(7);
  for (int n = 0; n < 4000; ++n) {
    const Values v = random_block(rng);
    const auto [mn, mx] = std::minmax_element(v.begin(), v.end());
    if (*mn == *mx) continue;
    uint8_t palette[8];
    orvex_inspect::alpha_palette(*mx, *mn, palette);
    uint32_t baseline = 0, fit = 0;
    const Values decoded = decode(encode_rgtc1(v));
    for (int i = 0; i < 16; ++i) {
      int best = 1 << 30;
      for (uint8_t p : palette) best = std::min(best, (v[i] - p) * (v[i] - p));
      baseline += static_cast<uint32_t>(best);
      fit += static_cast<uint32_t>((decoded[i] - v[i]) * (decoded[i] - v[i]));
    }
    ASSERT_TRUE(*mx - *mn < 7 || fit <= baseline) << n << ": " << fit << " > " << baseline;

    Block b{};
    encode_alpha_fast(b.data(), v.data(), *mn, *mx);
    ASSERT_EQ(b[0], *mx);
    ASSERT_EQ(b[1], *mn);
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t{b[2 + i]} << (8 * i);
    const int step = (*mx - *mn + 6) / 7;  // one palette step, rounded up
    for (int i = 0; i < 16; ++i) {
      const unsigned index = (bits >> (3 * i)) & 7;
      ASSERT_TRUE((v[i] != *mx && v[i] != *mn) || index == (v[i] == *mx ? 0u : 1u)) << n;
      ASSERT_LE(std::abs(int{palette[index]} - int{v[i]}), step / 2 + 1) << n << " pixel " << i;
    }
  }
}

}  // namespace
