// DXT1 block facts: the degenerate two-colour block, the Normal quality
// threshold, the endpoint estimate step by step (its rounding shows on too few blocks for the
// digests of texture_bytes_test.cpp), and blocks of pure hues that every quality must keep close
// and well formed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

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

// Edges and ramps between every two of the six pure hues. Pairs that differ by +d in one channel
// and -d in another (red/green, cyan/magenta, ...) spread orthogonally to (1, 1, 1), which the
// cluster fit's axis must still find; beside them a shared channel varies a little on its own.
// Every block keeps the invariants: colour 0 below colour 1 only with an all-zero index word, and
// no pixel decodes to the transparent entry.
TEST_P(Dxt1Quality, PureHueEdgesAndRampsDecodeWithin8Levels) {
  constexpr uint32_t w = 480, h = 128;
  const auto rgba = orvex_test::pure_hues_rgba(w, h);
  const auto tex = texture_test::encode_rgba(rgba, w, h, {.quality = GetParam()});
  for (size_t b = 0; b < tex.size(); b += 8) {
    const std::vector<uint8_t> blk(tex.begin() + b, tex.begin() + b + 8);
    ASSERT_TRUE(field(blk, 0) >= field(blk, 2) || field(blk, 4, 4) == 0) << "block " << b / 8;
  }
  const auto decoded = orvex_inspect::decode_dxt1_texture(tex.data(), w, h);
  for (size_t i = 3; i < decoded.size(); i += 4) ASSERT_EQ(decoded[i], 255) << "pixel " << i / 4;
  size_t worst = 0;
  for (size_t i = 0; i < rgba.size(); ++i)
    if (std::abs(decoded[i] - rgba[i]) > std::abs(decoded[worst] - rgba[worst])) worst = i;
  EXPECT_LE(std::abs(decoded[worst] - rgba[worst]), 8)
      << "pixel " << worst / 4 % w << "," << worst / 4 / w << " channel " << worst % 4;
}

INSTANTIATE_TEST_SUITE_P(Qualities, Dxt1Quality, testing::Values(1, 2, 3));

// The Fast/Normal endpoint estimate written out step by step: channel sums, rounded means, minima
// and maxima; the covariance about the means, each sum / 255 as a float; the channel ranges
// multiplied by the matrix four times; the axis as each component x 512 / (largest magnitude),
// truncated, or the luma weights below 4; the first pixel of least and of greatest projection.
void reference_estimate(const uint8_t rgb[16][3], uint16_t* c0, uint16_t* c1) {
  int32_t sum[3] = {0, 0, 0}, lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0}, mean[3];
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < 16; ++i) {
      sum[c] += rgb[i][c];
      lo[c] = std::min<int32_t>(lo[c], rgb[i][c]);
      hi[c] = std::max<int32_t>(hi[c], rgb[i][c]);
    }
    mean[c] = (sum[c] + 8) >> 4;
  }
  int32_t cov[3][3] = {};
  for (int i = 0; i < 16; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) cov[j][k] += (rgb[i][j] - mean[j]) * (rgb[i][k] - mean[k]);
  float v[3] = {float(hi[0] - lo[0]), float(hi[1] - lo[1]), float(hi[2] - lo[2])};
  for (int it = 0; it < 4; ++it) {
    float next[3] = {0, 0, 0};
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) next[j] += v[k] * (static_cast<float>(cov[j][k]) / 255.0f);
    std::copy(next, next + 3, v);
  }
  const float m = std::max({std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])});
  int32_t axis[3] = {299, 587, 114};
  for (int c = 0; c < 3 && m >= 4.0f; ++c) axis[c] = static_cast<int32_t>(v[c] * 512.0f / m);
  const auto project = [&](int i) {
    return rgb[i][0] * axis[0] + rgb[i][1] * axis[1] + rgb[i][2] * axis[2];
  };
  int least = 0, greatest = 0;
  for (int i = 1; i < 16; ++i) {
    if (project(i) < project(least))
      least = i;
    else if (project(i) > project(greatest))
      greatest = i;
  }
  const auto pack = [&rgb](int i) {
    return static_cast<uint16_t>(dxt_q5(rgb[i][0]) << 11 | dxt_q6(rgb[i][1]) << 5 |
                                 dxt_q5(rgb[i][2]));
  };
  *c0 = pack(greatest), *c1 = pack(least);
}

// Noise and narrow ranges; some of them have a largest axis component that a multiplication by
// the rounded 512 / m truncates to 511, which picks other pixels as the endpoints.
TEST(Dxt1Block, EndpointEstimateFollowsItsSteps) {
  std::mt19937 rng(5);
  for (int n = 0; n < 40000; ++n) {
    uint8_t rgb[16][3];
    const int span = 2 + static_cast<int>(rng() % 40), noise = n % 3 == 0;
    int base[3];
    for (int& b : base) b = static_cast<int>(rng() % (256 - span));
    Dxt1WorkArea work{};
    for (int i = 0; i < 16; ++i) {
      for (int c = 0; c < 3; ++c)
        rgb[i][c] = static_cast<uint8_t>(noise ? rng() : base[c] + rng() % span);
      work.r[i] = rgb[i][0], work.g[i] = rgb[i][1], work.b[i] = rgb[i][2];
    }
    uint16_t got[2], want[2];
    dxt1_estimate_endpoints(&work, &got[0], &got[1]);
    reference_estimate(rgb, &want[0], &want[1]);
    ASSERT_EQ(got[0], want[0]) << "block " << n;
    ASSERT_EQ(got[1], want[1]) << "block " << n;
  }
}

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
  std::mt19937 rng(11);
  int fast_differs_from_slow = 0;
  for (int n = 0; n < 400; ++n) {
    const int spread = 14 + n % 2, base = static_cast<int>(rng() % 200);
    uint8_t rgb[16][3];
    for (auto& px : rgb)
      for (auto& v : px) v = static_cast<uint8_t>(base + rng() % (spread + 1));
    rgb[0][n % 3] = base, rgb[1][n % 3] = base + spread;  // exact spread on one channel
    const auto fast = encode_block(rgb, 1), slow = encode_block(rgb, 3);
    EXPECT_EQ(encode_block(rgb, 2), spread == 14 ? fast : slow) << "spread " << spread;
    fast_differs_from_slow += spread == 14 && fast != slow;
  }
  EXPECT_GT(fast_differs_from_slow, 50) << "the blocks must tell the two paths apart";
}

}  // namespace
