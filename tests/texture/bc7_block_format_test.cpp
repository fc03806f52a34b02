// Every block the encoder writes is a well-formed BC7 block of the modes it may use, and the
// packer's anchor handling is invisible after decoding.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/bc7_decoder.h"
#include "tests/texture/bc7_test_images.h"
#include "texture/bc7enc/bc7_pack.h"
#include "texture/bc7enc/bc7_presets.h"

namespace {

using bc7_test::AlphaKind;

struct Content {
  const char* name;
  std::vector<uint8_t> (*make)();
};

constexpr uint32_t kSize = 32;

std::vector<uint8_t> natural_opaque() {
  return bc7_test::natural_image(kSize, kSize, AlphaKind::Opaque, 2);
}
std::vector<uint8_t> natural_soft() {
  return bc7_test::natural_image(kSize, kSize, AlphaKind::Soft, 3);
}
std::vector<uint8_t> natural_binary() {
  return bc7_test::natural_image(kSize, kSize, AlphaKind::Binary, 4);
}
std::vector<uint8_t> noise_opaque() {
  return bc7_test::noise_image(kSize, kSize, true, 5);
}
std::vector<uint8_t> noise_rgba() {
  return bc7_test::noise_image(kSize, kSize, false, 6);
}
// Blocks of few colours, constant alpha levels and single pixels of alpha 254.
std::vector<uint8_t> hard_blocks() {
  std::vector<uint8_t> img = bc7_test::noise_image(kSize, kSize, true, 7);
  std::mt19937 rng(8);
  for (uint32_t b = 0; b < (kSize / 4) * (kSize / 4); ++b) {
    const uint32_t bx = b % (kSize / 4), by = b / (kSize / 4);
    const uint8_t c0[4] = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                           static_cast<uint8_t>(rng()), 255};
    for (uint32_t i = 0; i < 16; ++i) {
      uint8_t* px = &img[((by * 4 + i / 4) * kSize + bx * 4 + i % 4) * 4];
      switch (b % 6) {
        case 0:  // flat
          std::memcpy(px, c0, 4);
          break;
        case 1:  // flat but one pixel slightly transparent
          std::memcpy(px, c0, 4);
          if (i == 5) px[3] = 254;
          break;
        case 2:  // constant alpha below 255
          px[3] = 90;
          break;
        case 3:  // two colours
          if (i & 1) std::memcpy(px, c0, 4);
          break;
        case 4:  // opaque except one pixel of alpha 254
          if (i == 15) px[3] = 254;
          break;
        default:  // fully transparent
          px[3] = 0;
          break;
      }
    }
  }
  return img;
}

const Content kContents[] = {{"natural_opaque", natural_opaque}, {"natural_soft", natural_soft},
                             {"natural_binary", natural_binary}, {"noise_opaque", noise_opaque},
                             {"noise_rgba", noise_rgba},         {"hard_blocks", hard_blocks}};

const Bc7BlockParams* const kPresets[] = {&g_bc7_params_fast, &g_bc7_params_normal,
                                          &g_bc7_params_slow};

class Bc7BlockFormat : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(Bc7BlockFormat, ModesFollowAlphaAndBlocksAreWellFormed) {
  const Content& content = kContents[std::get<0>(GetParam())];
  const Bc7BlockParams& params = *kPresets[std::get<1>(GetParam())];
  const std::vector<uint8_t> img = content.make();
  const std::vector<uint8_t> tex = bc7_test::encode_image(img, kSize, kSize, params);
  const std::vector<uint8_t> decoded = orvex_test::bc7_decode_texture(tex.data(), kSize, kSize);

  for (uint32_t b = 0; b < tex.size() / 16; ++b) {
    SCOPED_TRACE("block " + std::to_string(b));
    const uint32_t bx = b % (kSize / 4), by = b / (kSize / 4);
    bool any_alpha = false;
    for (uint32_t i = 0; i < 16; ++i)
      any_alpha |= img[((by * 4 + i / 4) * kSize + bx * 4 + i % 4) * 4 + 3] < 255;

    const orvex_test::Bc7Fields f = orvex_test::bc7_parse_block(&tex[b * 16]);
    ASSERT_TRUE(f.valid);
    EXPECT_EQ(f.end_bit, 128u);
    EXPECT_EQ(f.rotation, 0u);
    if (any_alpha) {
      EXPECT_TRUE(f.mode == 5 || f.mode == 6 || f.mode == 7) << "mode " << f.mode;
    } else {
      EXPECT_TRUE(f.mode == 1 || f.mode == 6) << "mode " << f.mode;
    }

    // Opaque sources must stay exactly opaque after decoding.
    if (!any_alpha) {
      for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(decoded[((by * 4 + i / 4) * kSize + bx * 4 + i % 4) * 4 + 3], 255);
    }
  }
}

std::string case_name(const testing::TestParamInfo<std::tuple<int, int>>& info) {
  static const char* const kQualities[] = {"fast", "normal", "slow"};
  return std::string(kContents[std::get<0>(info.param)].name) + "_" +
         kQualities[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(AllContentAllQualities, Bc7BlockFormat,
                         testing::Combine(testing::Range(0, static_cast<int>(std::size(kContents))),
                                          testing::Range(0, 3)),
                         case_name);

// A logical solution is packed with inverted subsets where an anchor's top index bit is set; the
// decoded block must show exactly the colours of the solution as given.
TEST(Bc7Packer, AnchorInversionPreservesDecodedColours) {
  std::mt19937 rng(11);
  const uint32_t modes[] = {1, 5, 6, 7};
  const uint32_t colour_bits[8] = {0, 6, 0, 0, 0, 7, 7, 5};
  const uint32_t alpha_bits[8] = {0, 0, 0, 0, 0, 8, 7, 5};
  const uint32_t index_bits[8] = {0, 3, 0, 0, 0, 2, 4, 2};
  int inverted_seen = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    const uint32_t mode = modes[trial % 4];
    Bc7BlockResult r{};
    r.m_mode = mode;
    r.m_partition = (mode == 1 || mode == 7) ? rng() % 64 : 0;
    const uint32_t subsets = (mode == 1 || mode == 7) ? 2 : 1;
    for (uint32_t s = 0; s < subsets; ++s) {
      for (uint32_t c = 0; c < 4; ++c) {
        const uint32_t bits = c == 3 ? alpha_bits[mode] : colour_bits[mode];
        const uint32_t mask = bits ? (1u << bits) - 1 : 0;
        r.m_low[s].m_c[c] = static_cast<uint8_t>(rng() & mask);
        r.m_high[s].m_c[c] = static_cast<uint8_t>(rng() & mask);
      }
      r.m_pbits[s][0] = rng() & 1;
      r.m_pbits[s][1] = mode == 1 ? r.m_pbits[s][0] : rng() & 1;
    }
    for (uint32_t i = 0; i < 16; ++i) {
      r.m_selectors[i] = static_cast<uint8_t>(rng() & ((1u << index_bits[mode]) - 1));
      r.m_alpha_selectors[i] = mode == 5 ? static_cast<uint8_t>(rng() & 3) : 0;
    }

    // The solution as a decoder would see it if indices were stored in full.
    orvex_test::Bc7Fields logical;
    logical.valid = true;
    logical.mode = mode;
    logical.partition = r.m_partition;
    logical.subsets = subsets;
    logical.index_bits = index_bits[mode];
    logical.index2_bits = mode == 5 ? 2 : 0;
    const bool has_pbit = mode != 5;
    for (uint32_t s = 0; s < subsets; ++s)
      for (uint32_t c = 0; c < 4; ++c) {
        const Bc7Color* ends[2] = {&r.m_low[s], &r.m_high[s]};
        for (uint32_t e = 0; e < 2; ++e) {
          const uint32_t bits = c == 3 ? alpha_bits[mode] : colour_bits[mode];
          uint32_t v = ends[e]->m_c[c], n = bits;
          if (bits == 0) {
            logical.endpoints[s][e][c] = 255;
            continue;
          }
          if (has_pbit) v = (v << 1) | r.m_pbits[s][e], ++n;
          v <<= 8 - n;
          logical.endpoints[s][e][c] = static_cast<uint8_t>(v | (v >> n));
        }
      }
    std::memcpy(logical.indices, r.m_selectors, 16);
    std::memcpy(logical.indices2, r.m_alpha_selectors, 16);
    uint8_t expected[64], actual[64], block[16];
    orvex_test::bc7_render_fields(logical, expected);

    bc7_encode_block(block, r);
    const orvex_test::Bc7Fields f = orvex_test::bc7_parse_block(block);
    ASSERT_TRUE(f.valid);
    ASSERT_EQ(f.mode, mode);
    ASSERT_EQ(f.end_bit, 128u);
    orvex_test::bc7_render_fields(f, actual);
    ASSERT_EQ(0, std::memcmp(expected, actual, 64)) << "mode " << mode << " trial " << trial;
    inverted_seen += std::memcmp(f.indices, r.m_selectors, 16) != 0;
  }
  EXPECT_GT(inverted_seen, 500);  // the inverting path really ran
}

}  // namespace
