// Hap R through the texture compressor: set-up refusals, both host pixel formats, sources
// without alpha, partial edge blocks, and identical output for one thread, bands and several
// compressors set up and run at once.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/support/bc7_decoder.h"
#include "tests/support/psnr.h"
#include "tests/support/test_frames.h"
#include "tests/texture/bc7_test_images.h"
#include "texture/dxtenc.h"

namespace {

using bc7_test::AlphaKind;

struct Encoded {
  int open_result;
  std::vector<uint8_t> texture;
};

Encoded encode(const std::vector<uint8_t>& src, uint32_t w, uint32_t h, PixelFormat fmt,
               uint8_t quality, uint32_t threads, bool without_alpha = false) {
  DxtEnc enc{};
  enc.source_without_alpha = without_alpha ? 1 : 0;
  Encoded e{dxtenc_open(&enc, w, h, DXTENC_BC7, quality, 0, fmt, PAD_REPLICATE, threads,
                        CPU_MASK_DEFAULT),
            {}};
  if (e.open_result != 0) return e;
  e.texture.assign(dxtenc_buffer_size(w, h, DXTENC_BC7, PAD_REPLICATE), 0xCD);
  const uint8_t* planes[4] = {src.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {size_t{w} * (fmt == ARGB_8 ? 4 : 8), 0, 0, 0};
  dxtenc_encode(&enc, e.texture.data(), planes, strides);
  return e;
}

TEST(HapRSetUp, RefusesUnknownQualityWithItsMessage) {
  const std::vector<uint8_t> src(16 * 4, 0);
  for (int quality : {0, 4, 255}) {
    testing::internal::CaptureStdout();
    const Encoded e = encode(src, 4, 4, ARGB_8, static_cast<uint8_t>(quality), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "BC7 invalid quality : " + std::to_string(quality) + "\n");
    EXPECT_EQ(e.open_result, 1);
  }
}

class HapRFrame : public testing::TestWithParam<int> {};

// Partial edge blocks, both pixel formats, one thread against bands: same texture everywhere,
// and it decodes close to the source.
TEST_P(HapRFrame, FormatsAndBandsGiveTheSameTexture) {
  const uint8_t quality = static_cast<uint8_t>(GetParam());
  const uint32_t w = 70, h = 134;  // 18 x 34 blocks, the last column and row padded
  const std::vector<uint8_t> rgba = bc7_test::natural_image(w, h, AlphaKind::Soft, 31);
  const Encoded one = encode(orvex_test::rgba_to_argb8(rgba), w, h, ARGB_8, quality, 1);
  ASSERT_EQ(one.open_result, 0);
  const Encoded bands = encode(orvex_test::rgba_to_argb8(rgba), w, h, ARGB_8, quality, 4);
  const Encoded host16 =
      encode(orvex_test::rgba_to_argb16_host(rgba), w, h, ARGB_16_HOST, quality, 3);
  EXPECT_EQ(one.texture, bands.texture);
  EXPECT_EQ(one.texture, host16.texture);

  const std::vector<uint8_t> decoded = orvex_test::bc7_decode_texture(one.texture.data(), w, h);
  EXPECT_GT(orvex_test::psnr_rgb(rgba.data(), decoded.data(), size_t{w} * h), 36.0);
  EXPECT_GT(orvex_test::psnr_alpha(rgba.data(), decoded.data(), size_t{w} * h), 40.0);
}

INSTANTIATE_TEST_SUITE_P(Qualities, HapRFrame, testing::Values(1, 2, 3));

// A source without an alpha channel is opaque whatever its alpha bytes hold.
TEST(HapRSource, WithoutAlphaEncodesOpaqueBlocks) {
  const uint32_t w = 32, h = 32;
  const std::vector<uint8_t> rgba = bc7_test::noise_image(w, h, false, 41);
  const Encoded e = encode(orvex_test::rgba_to_argb8(rgba), w, h, ARGB_8, 2, 1, true);
  ASSERT_EQ(e.open_result, 0);
  for (size_t b = 0; b < e.texture.size() / 16; ++b) {
    const orvex_test::Bc7Fields f = orvex_test::bc7_parse_block(&e.texture[b * 16]);
    EXPECT_TRUE(f.mode == 1 || f.mode == 6) << "block " << b << " mode " << f.mode;
  }
  const std::vector<uint8_t> decoded = orvex_test::bc7_decode_texture(e.texture.data(), w, h);
  for (size_t i = 3; i < decoded.size(); i += 4) ASSERT_EQ(decoded[i], 255) << i / 4;
}

// Compressors set up and run on several threads at once (the tables are built once, by
// whichever set-up comes first) all produce the single-thread texture.
TEST(HapRSource, ConcurrentSetUpsAgree) {
  const uint32_t w = 32, h = 64;
  const std::vector<uint8_t> argb =
      orvex_test::rgba_to_argb8(bc7_test::natural_image(w, h, AlphaKind::Binary, 51));
  std::vector<Encoded> results(4);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < results.size(); ++t)
    threads.emplace_back([&, t] { results[t] = encode(argb, w, h, ARGB_8, 2, 1); });
  for (std::thread& t : threads) t.join();
  const Encoded reference = encode(argb, w, h, ARGB_8, 2, 1);
  for (const Encoded& r : results) {
    EXPECT_EQ(r.open_result, 0);
    EXPECT_EQ(r.texture, reference.texture);
  }
}

}  // namespace
