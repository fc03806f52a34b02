// Behaviour of the cell compressor, the mode choice and the partition estimator on blocks whose
// best answer is known.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "tests/support/bc7_decoder.h"
#include "texture/bc7enc/bc7_cell_compress.h"
#include "texture/bc7enc/bc7_compress_block.h"
#include "texture/bc7enc/bc7_mode5.h"
#include "texture/bc7enc/bc7_one_colour.h"
#include "texture/bc7enc/bc7_pack.h"
#include "texture/bc7enc/bc7_partition_estimate.h"
#include "texture/bc7enc/bc7_partitions.h"
#include "texture/bc7enc/bc7_presets.h"
#include "texture/bc7enc/bc7_tables.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

class Bc7Facts : public testing::Test {
 protected:
  void SetUp() override { bc7_init_tables(); }
};

Bc7CellParams cell_for(uint32_t mode, const Bc7Color* pixels, uint32_t n) {
  Bc7CellParams cell{};
  cell.m_num_pixels = n;
  cell.m_pixels = pixels;
  const uint32_t bits = mode == 6 ? 4 : mode == 1 ? 3 : 2;
  cell.m_num_selector_weights = 1u << bits;
  cell.m_selector_weights = bits == 4   ? g_bc7_weights4
                            : bits == 3 ? g_bc7_weights3
                                        : g_bc7_weights2;
  cell.m_selector_weightsx = bits == 4   ? g_bc7_weights4x.data()
                             : bits == 3 ? g_bc7_weights3x.data()
                                         : g_bc7_weights2x.data();
  cell.m_comp_bits = mode == 1 ? 6 : mode == 7 ? 5 : 7;
  for (uint32_t& w : cell.m_weights) w = 1;
  cell.m_has_alpha = mode == 7;
  cell.m_has_pbits = mode != 5;
  cell.m_endpoints_share_pbit = mode == 1;
  return cell;
}

uint64_t squared_error(const uint8_t* a, const uint8_t* b, size_t bytes) {
  uint64_t sum = 0;
  for (size_t i = 0; i < bytes; ++i) sum += static_cast<uint64_t>((a[i] - b[i]) * (a[i] - b[i]));
  return sum;
}

// Every grey level through a one-colour mode 1 subset: all selectors 2, and the decoded colour
// misses the target by exactly the table's error.
TEST_F(Bc7Facts, OneColourMode1SubsetUsesTableAndDecodesToItsError) {
  for (uint32_t v = 0; v < 256; ++v) {
    SCOPED_TRACE(v);
    Bc7Color pixels[16];
    for (Bc7Color& p : pixels)
      p = Bc7Color{{static_cast<uint8_t>(v), static_cast<uint8_t>(255 - v),
                    static_cast<uint8_t>(v / 2), 255}};
    const Bc7CellParams cell = cell_for(1, pixels, 16);
    uint8_t sel[16], tmp[16];
    Bc7CellResults res{};
    res.m_selectors = sel;
    res.m_selectors_temp = tmp;
    const uint64_t err = bc7_cell_compress(1, cell, res, g_bc7_params_slow);
    for (uint8_t s : sel) ASSERT_EQ(s, 2);

    // Pack as mode 1 with both subsets equal to that solution and decode.
    Bc7BlockResult block{};
    block.m_mode = 1;
    for (int s = 0; s < 2; ++s) {
      block.m_low[s] = res.m_low_endpoint;
      block.m_high[s] = res.m_high_endpoint;
      block.m_pbits[s][0] = res.m_pbits[0];
    }
    std::fill(std::begin(block.m_selectors), std::end(block.m_selectors), 2);
    uint8_t packed[16], rgba[64];
    bc7_encode_block(packed, block);
    orvex_test::bc7_decode_block(packed, rgba);
    uint64_t decoded_err = 0;
    for (int i = 0; i < 16; ++i) decoded_err += squared_error(rgba + i * 4, pixels[i].m_c, 3);
    EXPECT_EQ(decoded_err, err);
    EXPECT_LE(err, 16u * 8u);  // one shared p-bit: within two levels per channel
  }
}

TEST_F(Bc7Facts, SingleColourTablesHitEveryValueClosely) {
  for (uint32_t c = 0; c < 256; ++c) {
    SCOPED_TRACE(c);
    uint32_t best1 = UINT32_MAX, best7 = UINT32_MAX;
    for (uint32_t p = 0; p < 2; ++p) {
      const Bc7OptimalEndpoint& e = g_bc7_mode_1_optimal_endpoints[c][p];
      const uint32_t l = bc7_expand((e.m_lo << 1) | p, 7), h = bc7_expand((e.m_hi << 1) | p, 7);
      const int32_t d = static_cast<int32_t>((46 * l + 18 * h + 32) >> 6) - static_cast<int32_t>(c);
      EXPECT_EQ(static_cast<uint32_t>(d * d), e.m_error);
      best1 = std::min<uint32_t>(best1, e.m_error);
      for (uint32_t hp = 0; hp < 2; ++hp) {
        const Bc7OptimalEndpoint& f = g_bc7_mode_7_optimal_endpoints[c][hp][p];
        const uint32_t l7 = bc7_expand((f.m_lo << 1) | p, 6);
        const uint32_t h7 = bc7_expand((f.m_hi << 1) | hp, 6);
        const int32_t d7 =
            static_cast<int32_t>((43 * l7 + 21 * h7 + 32) >> 6) - static_cast<int32_t>(c);
        EXPECT_EQ(static_cast<uint32_t>(d7 * d7), f.m_error);
        best7 = std::min<uint32_t>(best7, f.m_error);
      }
    }
    EXPECT_EQ(best1, 0u);  // some p-bit reaches every value exactly
    EXPECT_LE(best7, 1u);
  }
  // Building again (as every encoder set-up does) changes nothing.
  Bc7OptimalEndpoint copy[256][2];
  std::memcpy(copy, g_bc7_mode_1_optimal_endpoints, sizeof copy);
  bc7_init_tables();
  EXPECT_EQ(0, std::memcmp(copy, g_bc7_mode_1_optimal_endpoints, sizeof copy));
}

// Same RGB, different alpha: not a one-colour subset in mode 7, so alpha is fitted.
TEST_F(Bc7Facts, Mode7SubsetWithVaryingAlphaIsNotOneColour) {
  Bc7Color pixels[8];
  for (int i = 0; i < 8; ++i) pixels[i] = Bc7Color{{100, 150, 200, static_cast<uint8_t>(i * 36)}};
  const Bc7CellParams cell = cell_for(7, pixels, 8);
  uint8_t sel[16], tmp[16];
  Bc7CellResults res{};
  res.m_selectors = sel;
  res.m_selectors_temp = tmp;
  const uint64_t err = bc7_cell_compress(7, cell, res, g_bc7_params_normal);
  EXPECT_FALSE(std::all_of(sel, sel + 8, [](uint8_t s) { return s == 1; }));
  Bc7CellResults one{};
  uint8_t one_sel[16];
  one.m_selectors = one_sel;
  const uint64_t one_err =
      bc7_pack_mode7_one_colour(cell, one, 100, 150, 200, 126, one_sel, 8, pixels);
  EXPECT_LT(err * 4, one_err);
}

// A flat subset has no principal axis: both trial endpoints sit on the mean colour.
TEST_F(Bc7Facts, FlatSubsetInModes5And6DecodesToItsColour) {
  for (uint32_t mode : {5u, 6u}) {
    Bc7Color pixels[16];
    for (Bc7Color& p : pixels) p = Bc7Color{{37, 201, 90, 255}};
    const Bc7CellParams cell = cell_for(mode, pixels, 16);
    uint8_t sel[16], tmp[16];
    Bc7CellResults res{};
    res.m_selectors = sel;
    res.m_selectors_temp = tmp;
    const uint64_t err = bc7_cell_compress(mode, cell, res, g_bc7_params_slow);
    EXPECT_EQ(0, std::memcmp(res.m_low_endpoint.m_c, res.m_high_endpoint.m_c, 3)) << mode;
    EXPECT_LE(err, 16u * 3u) << mode;
  }
}

// A block that mode 6 represents exactly stays mode 6 and decodes losslessly.
TEST_F(Bc7Facts, ExactMode6BlockIsKeptAsMode6) {
  Bc7Color pixels[16];
  for (int i = 0; i < 16; ++i) {
    // 1 and 255 are codes 0 and 127 with p-bit 1; 136 is palette weight 34 between them.
    const uint8_t v = (i % 3 == 0) ? 255 : (i % 3 == 1 ? 1 : 136);
    pixels[i] = Bc7Color{{v, v, v, 255}};
  }
  for (const Bc7BlockParams* params : {&g_bc7_params_fast, &g_bc7_params_slow}) {
    uint8_t out[16], rgba[64];
    EXPECT_FALSE(bc7_compress_block(out, pixels, *params));
    const orvex_test::Bc7Fields f = orvex_test::bc7_parse_block(out);
    EXPECT_EQ(f.mode, 6u);
    orvex_test::bc7_render_fields(f, rgba);
    EXPECT_EQ(0, std::memcmp(rgba, pixels, 64));
  }
}

// Constant alpha below 255: mode 5 takes it as both alpha endpoints with selectors 0.
TEST_F(Bc7Facts, ConstantAlphaBelowOpaqueIsExactInMode5) {
  std::mt19937 rng(3);
  Bc7Color pixels[16];
  for (Bc7Color& p : pixels)
    p = Bc7Color{{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                  static_cast<uint8_t>(rng()), 77}};
  Bc7BlockResult r;
  bc7_mode5_search(pixels, g_bc7_params_normal, 77, 77, r);
  EXPECT_EQ(r.m_low[0].m_c[3], 77);
  EXPECT_EQ(r.m_high[0].m_c[3], 77);
  EXPECT_TRUE(std::all_of(std::begin(r.m_alpha_selectors), std::end(r.m_alpha_selectors),
                          [](uint8_t s) { return s == 0; }));
  uint8_t out[16], rgba[64];
  EXPECT_TRUE(bc7_compress_block(out, pixels, g_bc7_params_normal));
  orvex_test::bc7_decode_block(out, rgba);
  if (orvex_test::bc7_parse_block(out).mode == 5) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(rgba[i * 4 + 3], 77);
  }
}

// Two flat colours laid out by a partition pattern.
void pattern_block(uint32_t partition, Bc7Color pixels[16]) {
  for (uint32_t i = 0; i < 16; ++i)
    pixels[i] = orvex_test::bc7_subset_of(2, partition, i) ? Bc7Color{{250, 30, 40, 255}}
                                                           : Bc7Color{{10, 90, 220, 255}};
}

// Fast scans partitions 0, 13, 1, 2 only; Slow finds a pattern it reaches early in its scan.
TEST_F(Bc7Facts, EstimatorScanBudgetFollowsQuality) {
  const uint32_t weights[4] = {1, 1, 1, 1};
  for (uint32_t q = 0; q < 64; ++q) {
    Bc7Color pixels[16];
    pattern_block(q, pixels);
    for (uint32_t mode : {1u, 7u}) {
      const uint32_t fast = bc7_estimate_partition(pixels, g_bc7_params_fast, weights, mode);
      EXPECT_TRUE(fast == 0 || fast == 13 || fast == 1 || fast == 2) << q << " -> " << fast;
      const uint32_t slow = bc7_estimate_partition(pixels, g_bc7_params_slow, weights, mode);
      const auto pos = std::find(g_bc7_partition_scan_order, g_bc7_partition_scan_order + 64, q) -
                       g_bc7_partition_scan_order;
      if (pos < 14) {
        EXPECT_EQ(slow, q);
      }
      const Bc7BlockParams one = [] {
        Bc7BlockParams p = g_bc7_params_slow;
        p.m_max_partitions = 1;
        return p;
      }();
      EXPECT_EQ(bc7_estimate_partition(pixels, one, weights, mode), 0u);
    }
  }
}

// Two colours split by a pattern the Slow scan reaches: mode 1 reproduces the block closely.
TEST_F(Bc7Facts, PatternedOpaqueBlockUsesMode1AtSlow) {
  Bc7Color pixels[16];
  pattern_block(15, pixels);
  uint8_t out[16], rgba[64];
  bc7_compress_block(out, pixels, g_bc7_params_slow);
  const orvex_test::Bc7Fields f = orvex_test::bc7_parse_block(out);
  EXPECT_EQ(f.mode, 1u);
  EXPECT_EQ(f.partition, 15u);
  orvex_test::bc7_render_fields(f, rgba);
  EXPECT_LE(squared_error(rgba, reinterpret_cast<const uint8_t*>(pixels), 64), 16u * 3u);
}

}  // namespace
