// The bytes of every texture type and quality, pinned by their digest on one frame that holds the
// hard cases: soft and cut-out alpha over natural content, pure-hue edges and ramps, flat and
// constant-alpha blocks, two-colour blocks, blocks of narrow channel ranges, noise, and partial
// edge blocks. Any changed texture byte fails here; the block tests and the quality floors tell
// where and how much. Hap Q also from 16-bit host pixels, which it reads without the 8-bit
// reduction.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/texture/texture_test_util.h"

namespace {

constexpr uint32_t kWidth = 70, kHeight = 190;

std::vector<uint8_t> hard_frame() {
  std::vector<uint8_t> img(size_t{kWidth} * kHeight * 4);
  const auto paste = [&](const std::vector<uint8_t>& part, uint32_t top, uint32_t rows) {
    std::memcpy(&img[size_t{top} * kWidth * 4], part.data(), size_t{rows} * kWidth * 4);
  };
  paste(texture_test::natural_image(kWidth, 48, texture_test::AlphaKind::Soft, 3), 0, 48);
  paste(texture_test::natural_image(kWidth, 24, texture_test::AlphaKind::Binary, 4), 48, 24);
  paste(orvex_test::pure_hues_rgba(kWidth, 48), 72, 48);
  // Rows 120..183, one kind per block: flat, flat with constant alpha, two colours, a narrow range
  // per channel (2 to 41 levels), noise. Rows 184..189: noise, partial blocks at the bottom.
  std::mt19937 rng(17);
  for (uint32_t by = 120; by < 184; by += 4)
    for (uint32_t bx = 0; bx < kWidth; bx += 4) {
      const uint32_t kind = rng() % 5, span = 2 + rng() % 40;
      uint8_t a[4], b[4];
      for (int c = 0; c < 4; ++c) a[c] = uint8_t(rng() % (256 - span)), b[c] = uint8_t(rng());
      a[3] = kind == 1 ? 90 : 255;
      for (uint32_t i = 0; i < 16 && bx + i % 4 < kWidth; ++i) {
        uint8_t* px = &img[(size_t{by + i / 4} * kWidth + bx + i % 4) * 4];
        for (int c = 0; c < 4; ++c)
          px[c] = kind <= 1            ? a[c]
                  : kind == 2          ? ((i * 7) % 3 ? a[c] : b[c])
                  : kind == 3 && c < 3 ? uint8_t(a[c] + rng() % span)
                  : kind == 3          ? 255
                                       : uint8_t(rng());
      }
    }
  paste(texture_test::noise_image(kWidth, 6, false, 5), 184, 6);
  return img;
}

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 0xCBF29CE484222325ull;
  for (uint8_t b : bytes) h = (h ^ b) * 0x100000001B3ull;
  return h;
}

struct Pinned {
  DxtEncType type;
  uint8_t quality;
  PixelFormat format;
  uint64_t digest;
};

class TextureBytes : public testing::TestWithParam<Pinned> {};

TEST_P(TextureBytes, MatchTheirDigest) {
  static const std::vector<uint8_t> frame = hard_frame();
  const Pinned& p = GetParam();
  const auto texture = texture_test::encode_rgba(
      frame, kWidth, kHeight, {.type = p.type, .quality = p.quality, .format = p.format});
  EXPECT_EQ(fnv1a(texture), p.digest) << std::hex << "0x" << fnv1a(texture);
}

INSTANTIATE_TEST_SUITE_P(
    EveryTypeAndQuality, TextureBytes,
    testing::Values(Pinned{DXTENC_DXT1, 1, ARGB_8, 0xB3081A0CEE74CBE4ull},
                    Pinned{DXTENC_DXT1, 2, ARGB_8, 0x4020B6DF3607AF2Bull},
                    Pinned{DXTENC_DXT1, 3, ARGB_8, 0x8CB735004F457D1Bull},
                    Pinned{DXTENC_DXT5, 1, ARGB_8, 0xA5CA8F396A19C3ACull},
                    Pinned{DXTENC_DXT5, 2, ARGB_8, 0xEC86759B7C0DC7E8ull},
                    Pinned{DXTENC_DXT5, 3, ARGB_8, 0x22C966576E55D4ECull},
                    Pinned{DXTENC_BC7, 1, ARGB_8, 0xF8E6EECA72E22B95ull},
                    Pinned{DXTENC_BC7, 2, ARGB_8, 0x80F53486DE08413Aull},
                    Pinned{DXTENC_BC7, 3, ARGB_8, 0x88AF53FBBF3F6E24ull},
                    Pinned{DXTENC_RGTC1_LUMA, 2, ARGB_8, 0xECB765491F911FDFull},
                    Pinned{DXTENC_RGTC1_ALPHA, 2, ARGB_8, 0x1E77054A70999436ull},
                    Pinned{DXTENC_YCOCG, 2, ARGB_8, 0xF2C817CC09FD0193ull},
                    Pinned{DXTENC_YCOCG_RGTC1_ALPHA, 2, ARGB_8, 0x4E87107E98AA2890ull},
                    Pinned{DXTENC_YCOCG_RGTC1_ALPHA, 2, ARGB_16_HOST, 0xB233C9586CB1D855ull}));

}  // namespace
