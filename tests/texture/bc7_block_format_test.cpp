// Every block the encoder writes is a well-formed BC7 block of the modes it may use, and the
// packer's anchor handling is invisible after decoding.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/texture/texture_test_util.h"
#include "texture/bc7enc/bc7_pack.h"

namespace {

using texture_test::AlphaKind;

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
  const std::vector<uint8_t> decoded = orvex_test::bc7_decode_texture(tex.data(), kSize, kSize);

  for (uint32_t b = 0; b < tex.size() / 16; ++b) {
    SCOPED_TRACE("block " + std::to_string(b));
    const auto alpha_at = [&](const std::vector<uint8_t>& image, uint32_t i) {
      return image[(((b / (kSize / 4)) * 4 + i / 4) * kSize + (b % (kSize / 4)) * 4 + i % 4) * 4 +
                   3];
    };
    bool any_alpha = false;
    for (uint32_t i = 0; i < 16; ++i) any_alpha |= !without_alpha && alpha_at(img, i) < 255;

    const orvex_test::Bc7Fields f = orvex_test::bc7_parse_block(&tex[b * 16]);
    ASSERT_TRUE(f.valid);
    EXPECT_EQ(f.end_bit, 128u);
    EXPECT_EQ(f.rotation, 0u);
    const bool allowed =
        any_alpha ? (f.mode == 5 || f.mode == 6 || f.mode == 7) : (f.mode == 1 || f.mode == 6);
    EXPECT_TRUE(allowed) << "mode " << f.mode << (any_alpha ? " with alpha" : " opaque");
    // An opaque source stays exactly opaque.
    for (uint32_t i = 0; i < 16 && !any_alpha; ++i) EXPECT_EQ(alpha_at(decoded, i), 255);
  }
}

INSTANTIATE_TEST_SUITE_P(ContentByQuality, Bc7BlockFormat,
                         testing::Combine(testing::Range(0, 7), testing::Range(1, 4)));

// Random solutions of modes 1, 5, 6, 7: the packed block decodes to exactly the colours of the
// solution as given, although subsets whose anchor index has its top bit set are stored inverted.
TEST(Bc7Packer, AnchorInversionPreservesDecodedColours) {
  std::mt19937 rng(11);
  struct Layout {
    uint32_t mode, colour_bits, alpha_bits, index_bits, subsets;
  };
  const Layout layouts[] = {{1, 6, 0, 3, 2}, {5, 7, 8, 2, 1}, {6, 7, 7, 4, 1}, {7, 5, 5, 2, 2}};
  int inverted = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    const Layout& l = layouts[trial % 4];
    Bc7BlockResult r{};
    r.m_mode = l.mode;
    r.m_partition = l.subsets == 2 ? rng() % 64 : 0;
    orvex_test::Bc7Fields logical;  // the solution as a decoder would see it unpacked
    logical.valid = true;
    logical.mode = l.mode;
    logical.partition = r.m_partition;
    logical.subsets = l.subsets;
    logical.index_bits = l.index_bits;
    logical.index2_bits = l.mode == 5 ? 2 : 0;
    for (uint32_t s = 0; s < l.subsets; ++s) {
      r.m_pbits[s][0] = rng() & 1;
      r.m_pbits[s][1] = l.mode == 1 ? r.m_pbits[s][0] : rng() & 1;
      for (uint32_t c = 0; c < 4; ++c) {
        const uint32_t bits = c == 3 ? l.alpha_bits : l.colour_bits;
        Bc7Color* ends[2] = {&r.m_low[s], &r.m_high[s]};
        for (uint32_t e = 0; e < 2; ++e) {
          ends[e]->m_c[c] = bits ? static_cast<uint8_t>(rng() & ((1u << bits) - 1)) : 0;
          uint32_t v = ends[e]->m_c[c], n = bits;
          if (l.mode != 5) v = (v << 1) | r.m_pbits[s][e], ++n;
          v <<= 8 - n;
          logical.endpoints[s][e][c] = bits ? static_cast<uint8_t>(v | (v >> n)) : 255;
        }
      }
    }
    for (uint32_t i = 0; i < 16; ++i) {
      logical.indices[i] = r.m_selectors[i] =
          static_cast<uint8_t>(rng() & ((1u << l.index_bits) - 1));
      logical.indices2[i] = r.m_alpha_selectors[i] =
          l.mode == 5 ? static_cast<uint8_t>(rng() & 3) : 0;
    }
    uint8_t expected[64], actual[64], block[16];
    orvex_test::bc7_render_fields(logical, expected);
    bc7_encode_block(block, r);
    const orvex_test::Bc7Fields f = orvex_test::bc7_parse_block(block);
    ASSERT_EQ(f.mode, l.mode);
    ASSERT_EQ(f.end_bit, 128u);
    orvex_test::bc7_render_fields(f, actual);
    ASSERT_EQ(0, std::memcmp(expected, actual, 64)) << "mode " << l.mode << " trial " << trial;
    inverted += std::memcmp(f.indices, r.m_selectors, 16) != 0;
  }
  EXPECT_GT(inverted, 500);  // the inverting path really ran
}

}  // namespace
