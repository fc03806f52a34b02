// The frame loop: the texture does not depend on the number of bands or on the source depth, and
// partial edge blocks encode exactly like full blocks of a frame padded by hand (or are left out
// when cropping); concurrent set-ups agree.
#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "tests/texture/texture_test_util.h"

using texture_test::encode_rgba;

namespace {

struct Size {
  uint32_t w, h;
};

// Frame of width x height extended to `pw` x `ph` by the pad rule (the test's own per-pixel
// statement of it) or cut down to them.
std::vector<uint8_t> resized(const std::vector<uint8_t>& rgba, uint32_t w, uint32_t h, uint32_t pw,
                             uint32_t ph, PadMode mode) {
  std::vector<uint8_t> out(size_t{pw} * ph * 4);
  for (uint32_t y = 0; y < ph; ++y) {
    for (uint32_t x = 0; x < pw; ++x) {
      uint8_t* d = &out[(size_t{y} * pw + x) * 4];
      if ((x < w && y < h) || mode == PAD_REPLICATE || mode == PAD_CROP) {
        std::memcpy(d, &rgba[(size_t{std::min(y, h - 1)} * w + std::min(x, w - 1)) * 4], 4);
      } else {
        d[0] = d[1] = d[2] = 0, d[3] = mode == PAD_OPAQUE_BLACK ? 255 : 0;
      }
    }
  }
  return out;
}

using DriverCase = std::tuple<Size, PadMode, PixelFormat, uint8_t>;
class BlockDriver : public testing::TestWithParam<DriverCase> {};

TEST_P(BlockDriver, SameTextureForAnyBandsAndForPaddedOrFullEdgeBlocks) {
  const auto [size, mode, fmt, quality] = GetParam();
  const auto rgba = orvex_test::natural_rgba(size.w, size.h, size.w * 7 + size.h);
  texture_test::Run run{.quality = quality, .format = fmt, .pad = mode};
  const auto single = encode_rgba(rgba, size.w, size.h, run);
  for (uint32_t threads : {2u, 3u, 64u}) {
    run.threads = threads;
    EXPECT_EQ(encode_rgba(rgba, size.w, size.h, run), single) << threads << " threads";
  }

  // The same frame padded (or cropped) by hand has only full blocks.
  const bool crop = mode == PAD_CROP;
  const uint32_t pw = crop ? size.w / 4 * 4 : (size.w + 3) / 4 * 4;
  const uint32_t ph = crop ? size.h / 4 * 4 : (size.h + 3) / 4 * 4;
  if (pw == 0 || ph == 0) {
    EXPECT_TRUE(single.empty());
    return;
  }
  const auto full = resized(rgba, size.w, size.h, pw, ph, mode);
  EXPECT_EQ(encode_rgba(full, pw, ph, {.quality = quality, .format = fmt}), single);
}

const Size kSmall[] = {{1, 1}, {4, 4}, {5, 3}, {6, 6}, {17, 9}, {67, 70}};
const Size kLarge[] = {{1920, 1080}, {1921, 1081}};
const auto kPads = testing::Values(PAD_REPLICATE, PAD_OPAQUE_BLACK, PAD_ZERO, PAD_CROP);

INSTANTIATE_TEST_SUITE_P(Small, BlockDriver,
                         testing::Combine(testing::ValuesIn(kSmall), kPads,
                                          testing::Values(ARGB_8, ARGB_16_HOST),
                                          testing::Values(1, 2, 3)));

// Full HD at Fast only, to keep the suite quick under the sanitizers.
INSTANTIATE_TEST_SUITE_P(Large, BlockDriver,
                         testing::Combine(testing::ValuesIn(kLarge), kPads, testing::Values(ARGB_8),
                                          testing::Values(1)));

using TypeCase = std::tuple<DxtEncType, uint8_t>;
class EveryType : public testing::TestWithParam<TypeCase> {};

// Bands of 32 rows at most with a partial last one; 16-bit input whose reduction gives the 8-bit
// values back encodes the same as those values, except for Hap Q, which converts the samples to
// floats without the reduction. The RGTC1 and Hap Q types ignore the quality.
TEST_P(EveryType, SameTextureForAnyBandsDepthAndUnusedQuality) {
  const auto [type, quality] = GetParam();
  constexpr uint32_t w = 37, h = 203;
  const auto rgba = orvex_test::natural_rgba(w, h, 8);
  const bool graded = type == DXTENC_DXT1 || type == DXTENC_DXT5 || type == DXTENC_BC7;
  const bool hapq = type == DXTENC_YCOCG || type == DXTENC_YCOCG_RGTC1_ALPHA;
  std::vector<uint8_t> eight_bit;
  for (PixelFormat fmt : {ARGB_8, ARGB_16_HOST}) {
    texture_test::Run run{.type = type, .quality = quality, .format = fmt};
    const auto single = encode_rgba(rgba, w, h, run);
    for (uint32_t threads : {3u, 64u}) {
      run.threads = threads;
      EXPECT_EQ(encode_rgba(rgba, w, h, run), single) << threads << " threads, format " << fmt;
    }
    if (fmt == ARGB_8) eight_bit = single;
    EXPECT_TRUE(hapq || single == eight_bit) << "16-bit input";
  }
  for (uint8_t q : {uint8_t{0}, DXT_QUALITY_FAST, DXT_QUALITY_SLOW, uint8_t{9}})
    EXPECT_TRUE(graded || encode_rgba(rgba, w, h, {.type = type, .quality = q}) == eight_bit) << +q;
}

INSTANTIATE_TEST_SUITE_P(Graded, EveryType,
                         testing::Combine(testing::Values(DXTENC_DXT1, DXTENC_DXT5, DXTENC_BC7),
                                          testing::Values(DXT_QUALITY_FAST, DXT_QUALITY_NORMAL,
                                                          DXT_QUALITY_SLOW)));
INSTANTIATE_TEST_SUITE_P(Ungraded, EveryType,
                         testing::Combine(testing::Values(DXTENC_RGTC1_LUMA, DXTENC_RGTC1_ALPHA,
                                                          DXTENC_YCOCG, DXTENC_YCOCG_RGTC1_ALPHA),
                                          testing::Values(DXT_QUALITY_NORMAL)));

// Hap R compressors set up and run on several threads at once (the BC7 tables are built once, by
// whichever set-up comes first) all produce the single-thread texture.
TEST(HapRSetUp, ConcurrentSetUpsAgree) {
  const uint32_t w = 32, h = 64;
  const auto rgba = texture_test::natural_image(w, h, texture_test::AlphaKind::Binary, 51);
  const texture_test::Run run{.type = DXTENC_BC7};
  std::vector<std::vector<uint8_t>> results(4);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < results.size(); ++t)
    threads.emplace_back([&, t] { results[t] = encode_rgba(rgba, w, h, run); });
  for (std::thread& t : threads) t.join();
  const auto reference = encode_rgba(rgba, w, h, run);
  for (const auto& r : results) EXPECT_EQ(r, reference);
}

}  // namespace
