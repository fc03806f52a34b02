// The BC7 encoder's fast paths give the answers of their plain counterparts: the partition
// estimator's unit-weight path against its weighted one, and the integer least-squares sums
// against summing the float terms pixel by pixel.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "tests/texture/texture_test_util.h"
#include "texture/bc7enc/bc7_least_squares.h"
#include "texture/bc7enc/bc7_partition_estimate.h"
#include "texture/bc7enc/bc7_partitions.h"
#include "texture/bc7enc/bc7_presets.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

// Blocks of varied content: natural image, noise, and two-colour blocks with grain (the blocks
// where the partition choice matters most).
std::vector<std::array<Bc7Color, 16>> varied_blocks(bool with_alpha) {
  std::vector<std::array<Bc7Color, 16>> blocks;
  const auto alpha = with_alpha ? texture_test::AlphaKind::Soft : texture_test::AlphaKind::Opaque;
  for (const std::vector<uint8_t>& img : {texture_test::natural_image(32, 32, alpha, 7),
                                          texture_test::noise_image(32, 32, !with_alpha, 8)})
    for (uint32_t b = 0; b < 64; ++b) {
      std::array<Bc7Color, 16> block;
      for (uint32_t i = 0; i < 16; ++i)
        std::memcpy(block[i].m_c, &img[(((b / 8) * 4 + i / 4) * 32 + (b % 8) * 4 + i % 4) * 4], 4);
      blocks.push_back(block);
    }
  std::mt19937 rng(9);
  for (uint32_t b = 0; b < 128; ++b) {
    std::array<Bc7Color, 16> block;
    const uint16_t mask = g_bc7_partition2_masks[rng() % 64];
    for (uint32_t i = 0; i < 16; ++i)
      for (uint32_t c = 0; c < 4; ++c) {
        const int base = ((mask >> i) & 1u) ? 40 + 30 * c : 220 - 50 * c;
        const int v = base + static_cast<int>(rng() % 9) - 4;
        block[i].m_c[c] = static_cast<uint8_t>(c == 3 && !with_alpha ? 255 : v);
      }
    blocks.push_back(block);
  }
  return blocks;
}

// Equal weights of 3 scale every estimate by 3, which keeps each strict comparison, so the
// weighted path must pick the partition that the unit-weight path picks.
TEST(Bc7FastPaths, EstimatorUnitWeightPathAgreesWithWeightedPath) {
  const uint32_t unit[4] = {1, 1, 1, 1}, triple[4] = {3, 3, 3, 3};
  for (const Bc7BlockParams* params :
       {&g_bc7_params_fast, &g_bc7_params_normal, &g_bc7_params_slow})
    for (uint32_t mode : {1u, 7u})
      for (const auto& block : varied_blocks(mode == 7))
        ASSERT_EQ(bc7_estimate_partition(block.data(), *params, unit, mode),
                  bc7_estimate_partition(block.data(), *params, triple, mode))
            << "mode " << mode << " partitions " << params->m_max_partitions;
}

// The normal-equation sums as float terms added pixel by pixel, then the same solve.
void float_least_squares(const Bc7CellParams& cell, const uint8_t* selectors, uint32_t c,
                         float& low, float& high) {
  float z00 = 0, z10 = 0, z11 = 0, q = 0, t = 0;
  for (uint32_t i = 0; i < cell.m_num_pixels; ++i) {
    const Bc7WeightQuad& w = cell.m_selector_weightsx[selectors[i]];
    z00 += w.m_c[0];
    z10 += w.m_c[1];
    z11 += w.m_c[2];
    const float v = cell.m_pixels[i].m_c[c];
    q += w.m_c[3] * v;
    t += v;
  }
  const float det = z00 * z11 - z10 * z10;
  const float inv = det != 0.0f ? 1.0f / det : 0.0f;
  low = (z00 * (t - q) - z10 * q) * inv;
  high = (z11 * q - z10 * (t - q)) * inv;
}

TEST(Bc7FastPaths, IntegerLeastSquaresGivesTheFloatSumsBitForBit) {
  struct Weights {
    uint32_t count;
    const uint32_t* weights;
    const Bc7WeightQuad* quads;
  };
  const Weights sets[] = {{4, g_bc7_weights2, g_bc7_weights2x.data()},
                          {8, g_bc7_weights3, g_bc7_weights3x.data()},
                          {16, g_bc7_weights4, g_bc7_weights4x.data()}};
  std::mt19937 rng(11);
  for (const Weights& set : sets)
    for (uint32_t trial = 0; trial < 400; ++trial) {
      Bc7Color pixels[16];
      uint8_t selectors[16], values[16];
      const uint32_t n = 1 + trial % 16;
      for (uint32_t i = 0; i < n; ++i) {
        for (uint8_t& c : pixels[i].m_c) c = static_cast<uint8_t>(rng());
        // Some cells with every selector alike (a singular system) or only the end selectors.
        selectors[i] = static_cast<uint8_t>(trial % 5 == 0   ? 0
                                            : trial % 5 == 1 ? (rng() & 1) * (set.count - 1)
                                                             : rng() % set.count);
        values[i] = pixels[i].m_c[3];
      }
      Bc7CellParams cell{};
      cell.m_num_pixels = n;
      cell.m_pixels = pixels;
      cell.m_num_selector_weights = set.count;
      cell.m_selector_weights = set.weights;
      cell.m_selector_weightsx = set.quads;
      cell.m_has_alpha = true;
      Bc7Vec4 low, high;
      bc7_least_squares(cell, selectors, low, high);
      for (uint32_t c = 0; c < 4; ++c) {
        float ref_low, ref_high;
        float_least_squares(cell, selectors, c, ref_low, ref_high);
        // Out-of-range fits of a one-valued channel are replaced by that value.
        if (ref_low < 0.0f || ref_high > 255.0f) continue;
        ASSERT_EQ(std::memcmp(&ref_low, &low.m_c[c], 4), 0) << trial << " " << c;
        ASSERT_EQ(std::memcmp(&ref_high, &high.m_c[c], 4), 0) << trial << " " << c;
      }
      float low1, high1, ref_low, ref_high;
      bc7_least_squares_1d(n, values, selectors, set.weights, low1, high1);
      float_least_squares(cell, selectors, 3, ref_low, ref_high);
      ASSERT_EQ(std::memcmp(&ref_low, &low1, 4), 0) << trial;
      ASSERT_EQ(std::memcmp(&ref_high, &high1, 4), 0) << trial;
    }
}

}  // namespace
