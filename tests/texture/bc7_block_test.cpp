// BC7 blocks: every block the encoder writes (at every quality) is a well-formed block of the modes
// it may use, and an opaque source stays exactly opaque whatever the rotation; the mode choice and
// the partition estimator on blocks whose answer is known. The fast paths (integer least squares,
// unit-weight estimator) are pinned by the texture digests.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "inspect/bc7_decoder.h"
#include "inspect/bc7_partitions.h"
#include "tests/texture/texture_test_util.h"
#include "texture/bc7enc/bc7_compress_block.h"
#include "texture/bc7enc/bc7_partition_estimate.h"
#include "texture/bc7enc/bc7_partitions.h"
#include "texture/bc7enc/bc7_presets.h"
#include "texture/bc7enc/bc7_tables.h"

namespace {

using texture_test::AlphaKind;
using Block = std::array<Bc7Color, 16>;

// Every test here may run alone in its process: build the single-colour tables up front.
const bool kTablesBuilt = (bc7_init_tables(), true);

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
    // Best may use every mode that stores what the block needs, and rotations (modes 4 and 5).
    const bool best = quality == DXT_QUALITY_BEST;
    EXPECT_TRUE(f.rotation == 0 || (best && (f.mode == 4 || f.mode == 5)));
    const bool allowed = best        ? (!any_alpha || f.mode >= 4)
                         : any_alpha ? (f.mode == 5 || f.mode == 6 || f.mode == 7)
                                     : (f.mode == 1 || f.mode == 6);
    EXPECT_TRUE(allowed) << "mode " << f.mode << (any_alpha ? " with alpha" : " opaque");
    // An opaque source stays exactly opaque.
    for (uint32_t i = 0; i < 16 && !any_alpha; ++i) EXPECT_EQ(result[i].m_c[3], 255);
  }
}

INSTANTIATE_TEST_SUITE_P(ContentByQuality, Bc7BlockFormat,
                         testing::Combine(testing::Range(0, 7), testing::Range(1, 5)));

}  // namespace
