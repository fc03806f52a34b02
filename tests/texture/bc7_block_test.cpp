// BC7 blocks: every block the encoder writes is a well-formed block of the modes it may use; the
// mode choice and the partition estimator on blocks whose answer is known; the fast paths (integer
// least squares, unit-weight estimator) give the answers of their plain counterparts.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <string>

#include "inspect/bc7_decoder.h"
#include "inspect/bc7_partitions.h"
#include "tests/texture/texture_test_util.h"
#include "texture/bc7enc/bc7_cell_compress.h"
#include "texture/bc7enc/bc7_compress_block.h"
#include "texture/bc7enc/bc7_least_squares.h"
#include "texture/bc7enc/bc7_partition_estimate.h"
#include "texture/bc7enc/bc7_partitions.h"
#include "texture/bc7enc/bc7_presets.h"
#include "texture/bc7enc/bc7_tables.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

using texture_test::AlphaKind;
using Block = std::array<Bc7Color, 16>;

// Every test here may run alone in its process: build the single-colour tables up front.
const bool kTablesBuilt = (bc7_init_tables(), true);

// A cell of `n` pixels with the selector weights of `bits`-bit indices.
Bc7CellParams cell_of(const Bc7Color* pixels, uint32_t n, uint32_t bits) {
  Bc7CellParams cell{};
  cell.m_num_pixels = n;
  cell.m_pixels = pixels;
  cell.m_num_selector_weights = 1u << bits;
  cell.m_selector_weights = bits == 4   ? g_bc7_weights4
                            : bits == 3 ? g_bc7_weights3
                                        : g_bc7_weights2;
  cell.m_selector_weightsx = bits == 4   ? g_bc7_weights4x.data()
                             : bits == 3 ? g_bc7_weights3x.data()
                                         : g_bc7_weights2x.data();
  return cell;
}

// Block `b` (row-major) of a size x size RGBA8 image.
Block block_at(const std::vector<uint8_t>& img, uint32_t size, uint32_t b) {
  Block block;
  for (uint32_t i = 0; i < 16; ++i) {
    const uint32_t y = (b / (size / 4)) * 4 + i / 4, x = (b % (size / 4)) * 4 + i % 4;
    std::memcpy(block[i].m_c, &img[(y * size + x) * 4], 4);
  }
  return block;
}

// Exactly representable in mode 6, kept losslessly: greys 1, 255 and 136 (endpoints 1 and 255,
// weight 34 gives 136); two colours one step apart (from Normal on, where refits run), whose trial
// endpoints (the mean colour, the mean / 255, plus the extent along the axis) quantise to codes
// that hit both colours; with the mean times a rounded 1/255 they land one float step off.
TEST(Bc7Facts, ExactMode6BlockIsKeptAsMode6) {
  const Bc7Color a{{153, 161, 168, 255}}, b{{154, 161, 167, 255}};
  Bc7Color blocks[2][16];
  for (int i = 0; i < 16; ++i) {
    const uint8_t v = i % 3 == 0 ? 255 : i % 3 == 1 ? 1 : 136;
    blocks[0][i] = Bc7Color{{v, v, v, 255}};
    blocks[1][i] = (0x2C82u >> i) & 1 ? b : a;
  }
  for (int k = 0; k < 2; ++k) {
    for (const Bc7BlockParams* params : {k ? &g_bc7_params_normal : &g_bc7_params_fast,
                                         static_cast<const Bc7BlockParams*>(&g_bc7_params_slow)}) {
      uint8_t out[16], rgba[64];
      EXPECT_FALSE(bc7_compress_block(out, blocks[k], *params, g_bc7_kernels_generic));
      EXPECT_EQ(orvex_inspect::bc7_parse_block(out).mode, 6u) << "block " << k;
      orvex_inspect::bc7_decode_block(out, rgba);
      EXPECT_EQ(0, std::memcmp(rgba, blocks[k], 64)) << "block " << k;
    }
  }
}

// Partition 0 splits this block into two subsets of two colours each, every component of one
// colour at or below the other's, so each subset's min/max palette holds both colours: the
// estimate of partition 0 is 0 and, scanned first, it wins at every quality and channel weighting.
// Alpha spans from its minimum like the other channels; from 0 it would miss the lower alphas and
// partition 2 would win.
TEST(Bc7Facts, EstimatorSpansEveryChannelFromItsMinimum) {
  const Bc7Color low[2] = {{{106, 131, 184, 119}}, {{107, 169, 138, 204}}};
  const Bc7Color high[2] = {{{152, 249, 200, 137}}, {{202, 249, 149, 240}}};
  Bc7Color pixels[16];
  for (uint32_t i = 0; i < 16; ++i) {
    const uint32_t s = orvex_inspect::bc7_subset_of(2, 0, i);
    pixels[i] = (0x6846u >> i) & 1 ? high[s] : low[s];
  }
  const uint32_t unit[4] = {1, 1, 1, 1}, weighted[4] = {2, 3, 1, 4};
  for (uint32_t p = 0, i = 0; p < 64; i = (i + 1) % 16, p += i == 0)  // our three-subset table
    ASSERT_EQ(bc7_partition3_subset(p, i) | (i == g_bc7_anchor3_second[p]) << 2 |
                  (i == g_bc7_anchor3_third[p]) << 3,
              orvex_inspect::bc7_subset_of(3, p, i) |
                  (i == orvex_inspect::bc7_anchor_of(3, p, 1)) << 2 |
                  (i == orvex_inspect::bc7_anchor_of(3, p, 2)) << 3)
        << p << " " << i;
  for (const Bc7BlockParams* params :
       {&g_bc7_params_fast, &g_bc7_params_normal, &g_bc7_params_slow})
    for (const uint32_t* weights : {unit, weighted})
      EXPECT_EQ(bc7_estimate_partition(pixels, *params, weights, 7), 0u) << weights[0];
}

// Equal weights of 3 scale every estimate by 3, which keeps each strict comparison, so the
// weighted path must pick the partition that the unit-weight path picks; on natural and noise
// blocks and on two-colour blocks with grain (where the partition choice matters most).
TEST(Bc7FastPaths, EstimatorUnitWeightPathAgreesWithWeightedPath) {
  const uint32_t unit[4] = {1, 1, 1, 1}, triple[4] = {3, 3, 3, 3};
  std::mt19937 rng(9);
  for (uint32_t mode : {1u, 7u}) {
    const bool alpha = mode == 7;
    std::vector<Block> blocks;
    for (const auto& img : {texture_test::natural_image(32, 32, AlphaKind(alpha), 7),
                            texture_test::noise_image(32, 32, !alpha, 8)})
      for (uint32_t b = 0; b < 64; ++b) blocks.push_back(block_at(img, 32, b));
    for (uint32_t b = 0; b < 128; ++b) {
      Block& block = blocks.emplace_back();
      const uint16_t mask = g_bc7_partition2_masks[rng() % 64];
      for (uint32_t i = 0; i < 16; ++i)
        for (uint32_t c = 0; c < 4; ++c) {
          const int base = ((mask >> i) & 1u) ? 40 + 30 * c : 220 - 50 * c;
          const int v = base + static_cast<int>(rng() % 9) - 4;
          block[i].m_c[c] = static_cast<uint8_t>(c == 3 && !alpha ? 255 : v);
        }
    }
    for (const Bc7BlockParams* params :
         {&g_bc7_params_fast, &g_bc7_params_normal, &g_bc7_params_slow})
      for (const Block& block : blocks)
        ASSERT_EQ(bc7_estimate_partition(block.data(), *params, unit, mode),
                  bc7_estimate_partition(block.data(), *params, triple, mode))
            << "mode " << mode << " partitions " << params->m_max_partitions;
  }
}

// The normal-equation sums as float terms added pixel by pixel, then the same solve.
void float_least_squares(const Bc7CellParams& cell, const uint8_t* selectors, uint32_t c,
                         float& low, float& high) {
  float z00 = 0, z10 = 0, z11 = 0, q = 0, t = 0;
  for (uint32_t i = 0; i < cell.m_num_pixels; ++i) {
    const Bc7WeightQuad& w = cell.m_selector_weightsx[selectors[i]];
    z00 += w.m_c[0], z10 += w.m_c[1], z11 += w.m_c[2];
    const float v = cell.m_pixels[i].m_c[c];
    q += w.m_c[3] * v, t += v;
  }
  const float det = z00 * z11 - z10 * z10;
  const float inv = det != 0.0f ? 1.0f / det : 0.0f;
  low = (z00 * (t - q) - z10 * q) * inv;
  high = (z11 * q - z10 * (t - q)) * inv;
}

TEST(Bc7FastPaths, IntegerLeastSquaresGivesTheFloatSumsBitForBit) {
  std::mt19937 rng(11);
  for (uint32_t bits : {2u, 3u, 4u})
    for (uint32_t trial = 0; trial < 400; ++trial) {
      Bc7Color pixels[16];
      uint8_t selectors[16], values[16];
      const uint32_t n = 1 + trial % 16, count = 1u << bits;
      for (uint32_t i = 0; i < n; ++i) {
        for (uint8_t& c : pixels[i].m_c) c = static_cast<uint8_t>(rng());
        // Some cells with every selector alike (a singular system) or only the end selectors.
        selectors[i] = static_cast<uint8_t>(trial % 5 == 0   ? 0
                                            : trial % 5 == 1 ? (rng() & 1) * (count - 1)
                                                             : rng() % count);
        values[i] = pixels[i].m_c[3];
      }
      Bc7CellParams cell = cell_of(pixels, n, bits);
      cell.m_has_alpha = true;
      Bc7Vec4 low, high;
      bc7_least_squares(cell, selectors, low, high);
      float ref_low, ref_high;
      for (uint32_t c = 0; c < 4; ++c) {
        float_least_squares(cell, selectors, c, ref_low, ref_high);
        // Out-of-range fits of a one-valued channel are replaced by that value.
        if (ref_low < 0.0f || ref_high > 255.0f) continue;
        ASSERT_EQ(std::memcmp(&ref_low, &low.m_c[c], 4), 0) << trial << " " << c;
        ASSERT_EQ(std::memcmp(&ref_high, &high.m_c[c], 4), 0) << trial << " " << c;
      }
      float low1, high1;
      bc7_least_squares_1d(n, values, selectors, cell.m_selector_weights, low1, high1);
      ASSERT_EQ(std::memcmp(&ref_low, &low1, 4), 0) << trial;
      ASSERT_EQ(std::memcmp(&ref_high, &high1, 4), 0) << trial;
    }
}

constexpr uint32_t kSize = 32;

// Per block: flat, flat with one pixel of alpha 254, constant alpha 90, two colours, noise,
// fully transparent.
std::vector<uint8_t> hard_blocks() {
  std::vector<uint8_t> img = texture_test::noise_image(kSize, kSize, true, 7);
  for (uint32_t p = 0; p < kSize * kSize; ++p) {
    const uint32_t block = (p / kSize / 4) * (kSize / 4) + (p % kSize) / 4,
                   i = p % 4 + (p / kSize % 4) * 4;
    uint8_t* px = &img[p * 4];
    const uint8_t flat[4] = {static_cast<uint8_t>(block * 37), static_cast<uint8_t>(block * 91),
                             200, 255};
    const uint32_t kind = block % 6;
    if (kind <= 1 || (kind == 3 && (i & 1))) std::memcpy(px, flat, 4);
    if (kind == 1 && i == 5) px[3] = 254;
    if (kind == 2) px[3] = 90;
    if (kind == 5) px[3] = 0;
  }
  return img;
}

// Natural opaque, soft and cut-out alpha; noise opaque and with alpha; the hard blocks; noise
// with alpha from a source without an alpha channel, which must come out opaque.
std::vector<uint8_t> content(int kind) {
  if (kind < 3) return texture_test::natural_image(kSize, kSize, AlphaKind(kind), 2 + kind);
  if (kind == 5) return hard_blocks();
  return texture_test::noise_image(kSize, kSize, kind == 3, 2 + kind);
}

class Bc7BlockFormat : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(Bc7BlockFormat, ModesFollowAlphaAndBlocksAreWellFormed) {
  const auto [kind, quality] = GetParam();
  const bool without_alpha = kind == 6;
  const std::vector<uint8_t> img = content(kind);
  const std::vector<uint8_t> tex = texture_test::encode_rgba(
      img, kSize, kSize,
      {.type = DXTENC_BC7, .quality = uint8_t(quality), .without_alpha = without_alpha});
  const std::vector<uint8_t> decoded = orvex_inspect::bc7_decode_texture(tex.data(), kSize, kSize);

  for (uint32_t b = 0; b < tex.size() / 16; ++b) {
    SCOPED_TRACE("block " + std::to_string(b));
    const Block source = block_at(img, kSize, b), result = block_at(decoded, kSize, b);
    const bool any_alpha = !without_alpha && std::any_of(source.begin(), source.end(),
                                                         [](Bc7Color c) { return c.m_c[3] < 255; });
    const orvex_inspect::Bc7Fields f = orvex_inspect::bc7_parse_block(&tex[b * 16]);
    ASSERT_TRUE(f.valid);
    EXPECT_EQ(f.end_bit, 128u);
    EXPECT_EQ(f.rotation, 0u);
    const bool allowed =
        any_alpha ? (f.mode == 5 || f.mode == 6 || f.mode == 7) : (f.mode == 1 || f.mode == 6);
    EXPECT_TRUE(allowed) << "mode " << f.mode << (any_alpha ? " with alpha" : " opaque");
    // An opaque source stays exactly opaque.
    for (uint32_t i = 0; i < 16 && !any_alpha; ++i) EXPECT_EQ(result[i].m_c[3], 255);
  }
}

INSTANTIATE_TEST_SUITE_P(ContentByQuality, Bc7BlockFormat,
                         testing::Combine(testing::Range(0, 7), testing::Range(1, 4)));

}  // namespace
