// Quality after decoding: rising from Fast to Normal to Slow, with floors as regression guards,
// for colour on opaque content and for colour and alpha on soft and cut-out alpha.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/bc7_decoder.h"
#include "tests/support/psnr.h"
#include "tests/texture/bc7_test_images.h"
#include "texture/bc7enc/bc7_presets.h"

namespace {

using bc7_test::AlphaKind;

constexpr uint32_t kSize = 128;

struct Floors {
  AlphaKind alpha;
  double rgb[3];    // Fast, Normal, Slow
  double alpha_db;  // at every quality
};

class Bc7Quality : public testing::TestWithParam<Floors> {};

TEST_P(Bc7Quality, RisesWithQualityAndStaysAboveFloors) {
  const Floors& floors = GetParam();
  const std::vector<uint8_t> img = bc7_test::natural_image(kSize, kSize, floors.alpha, 21);
  const Bc7BlockParams* presets[] = {&g_bc7_params_fast, &g_bc7_params_normal, &g_bc7_params_slow};
  double previous = 0;
  for (int q = 0; q < 3; ++q) {
    const std::vector<uint8_t> tex = bc7_test::encode_image(img, kSize, kSize, *presets[q]);
    const std::vector<uint8_t> out = orvex_test::bc7_decode_texture(tex.data(), kSize, kSize);
    const double rgb = orvex_test::psnr_rgb(img.data(), out.data(), size_t{kSize} * kSize);
    const double alpha = orvex_test::psnr_alpha(img.data(), out.data(), size_t{kSize} * kSize);
    RecordProperty("psnr_rgb_q" + std::to_string(q + 1), std::to_string(rgb));
    std::printf("quality %d: rgb %.2f dB, alpha %.2f dB\n", q + 1, rgb, alpha);
    EXPECT_GT(rgb, previous) << "quality " << q + 1;
    EXPECT_GE(rgb, floors.rgb[q]) << "quality " << q + 1;
    EXPECT_GE(alpha, floors.alpha_db) << "quality " << q + 1;
    previous = rgb;
  }
}

INSTANTIATE_TEST_SUITE_P(NaturalContent, Bc7Quality,
                         testing::Values(Floors{AlphaKind::Opaque, {0, 0, 0}, 99},
                                         Floors{AlphaKind::Soft, {0, 0, 0}, 0},
                                         Floors{AlphaKind::Binary, {0, 0, 0}, 0}));

}  // namespace
