// Block front ends and edge-block padding across the pixel formats.
#include "texture/pixel_formats.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/texture/texture_test_util.h"
#include "texture/pad_block.h"

namespace {

// A 4x4 block written in any format with an 8-bit front end, from RGBA8 pixels; 16-bit formats
// get samples whose reduction gives the 8-bit value back.
struct FormatBlock {
  std::vector<uint8_t> bytes;
  const uint8_t* planes[4] = {};
  size_t strides[4] = {};

  FormatBlock(PixelFormat fmt, const uint8_t rgba[16][4]) {
    const bool planar = fmt == PLANAR_8 || fmt == PLANAR_16;
    const bool wide = fmt == ARGB_16 || fmt == ARGB_16_HOST || fmt == RGBA_16 || fmt == PLANAR_16;
    const size_t sample = wide ? 2 : 1;
    const size_t stride = planar ? 4 * sample + 3 : 16 * sample + 5;  // rows with a gap
    // Channel order of each layout, as indices into R, G, B, A.
    static const int kArgb[4] = {3, 0, 1, 2}, kBgra[4] = {2, 1, 0, 3}, kRgba[4] = {0, 1, 2, 3};
    const int* order = (fmt == ARGB_8 || fmt == ARGB_16 || fmt == ARGB_16_HOST) ? kArgb
                       : (fmt == BGRA_8 || fmt == BGRA_8_ALT)                   ? kBgra
                                                                                : kRgba;
    bytes.assign(4 * stride * 4, 0xEE);
    for (int i = 0; i < 16; ++i) {
      const int x = i % 4, y = i / 4;
      for (int k = 0; k < 4; ++k) {
        const uint8_t v = rgba[i][order[k]];
        uint16_t s = v;
        if (fmt == ARGB_16_HOST) s = v == 255 ? 32768 : v * 128 + 127;
        if (fmt == ARGB_16 || fmt == RGBA_16 || fmt == PLANAR_16) s = v * 257;
        uint8_t* dst = planar ? &bytes[k * 4 * stride + y * stride + x * sample]
                              : &bytes[y * stride + (4 * x + k) * sample];
        dst[0] = static_cast<uint8_t>(s);
        if (wide) dst[1] = static_cast<uint8_t>(s >> 8);
      }
    }
    for (int k = 0; k < (planar ? 4 : 1); ++k) {
      planes[k] = &bytes[k * 4 * stride];
      strides[k] = stride;
    }
  }
};

void sample_block(uint8_t rgba[16][4]) {
  for (int i = 0; i < 16; ++i) {
    rgba[i][0] = static_cast<uint8_t>(17 * i), rgba[i][1] = static_cast<uint8_t>(255 - 9 * i);
    rgba[i][2] = static_cast<uint8_t>(i < 8 ? 40 : 41), rgba[i][3] = static_cast<uint8_t>(200 + i);
  }
  rgba[5][0] = 0, rgba[5][1] = 255, rgba[5][2] = 40;  // pixel 0's colour with another alpha
}

class FrontEnds : public testing::TestWithParam<PixelFormat> {};

// Alpha, luma (sum / 3 rounded down) and the colour set, whose equal colours merge whatever their
// alpha.
TEST_P(FrontEnds, EveryFormatReadsTheSameValues) {
  uint8_t rgba[16][4];
  sample_block(rgba);
  const FormatBlock blk(GetParam(), rgba);

  uint8_t alpha[16], lo = 0, hi = 0;
  to_rgba_single_channel(blk.planes, blk.strides, GetParam(), ChannelSelect::alpha, alpha, &lo,
                         &hi);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(alpha[i], rgba[i][3]);
  EXPECT_EQ(lo, 200);
  EXPECT_EQ(hi, 215);

  uint8_t luma[16];
  to_rgba_single_channel(blk.planes, blk.strides, GetParam(), ChannelSelect::luma, luma, &lo, &hi);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(luma[i], (rgba[i][0] + rgba[i][1] + rgba[i][2]) / 3);

  ColourSet set;
  to_rgba_colour_set(blk.planes, blk.strides, GetParam(), &set);
  ASSERT_EQ(set.count, 15u);  // pixel 5 repeats pixel 0
  EXPECT_EQ(set.point_index[5], 0u);
  EXPECT_EQ(set.weights[0], 2u);
  EXPECT_EQ(set.point_index[6], 5u);
  EXPECT_FLOAT_EQ(set.points[5][0], 17 * 6 / 255.0f);
  EXPECT_FLOAT_EQ(set.points[14][2], 41 / 255.0f);
}

INSTANTIATE_TEST_SUITE_P(Formats, FrontEnds,
                         testing::Values(ARGB_8, BGRA_8, BGRA_8_ALT, RGBA_8, ARGB_16, ARGB_16_HOST,
                                         RGBA_16, PLANAR_8, PLANAR_16));

// Host 16-bit samples reduce with rounding: 32768, 32767 and 32640 give 255, 32639 gives 254.
TEST(FrontEnds, HostSixteenBitReduction) {
  const uint16_t samples[5] = {32768, 32767, 32640, 32639, 0};
  const uint8_t expected[5] = {255, 255, 255, 254, 0};
  uint16_t px[4 * 16] = {};  // A, R, G, B per pixel, native order; alpha of the first five pixels
  for (int i = 0; i < 5; ++i) px[4 * i] = samples[i];
  const uint8_t* planes[4] = {reinterpret_cast<const uint8_t*>(px), nullptr, nullptr, nullptr};
  const size_t strides[4] = {32, 0, 0, 0};
  uint8_t alpha[16], lo, hi;
  fetch_alpha_argb16_host(planes, strides, alpha, &lo, &hi);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(alpha[i], expected[i]) << samples[i];
    EXPECT_EQ(host16_to_8(samples[i]), expected[i]) << samples[i];
  }
}

using PadCase = std::tuple<PixelFormat, PadMode, int, int>;
class Padding : public testing::TestWithParam<PadCase> {};

// Pads the top-left w x h corner of the sample block, reads the result back through the front
// ends and compares each pixel with the mode's rule.
TEST_P(Padding, ValidPixelsKeptAndMissingOnesFilledByTheMode) {
  const auto [fmt, mode, w, h] = GetParam();
  uint8_t src[16][4];
  sample_block(src);
  const FormatBlock blk(fmt, src);
  uint8_t padded[kMaxPaddedBlockBytes + 16];
  std::memset(padded, 0xCD, sizeof padded);
  pad_partial_block(padded, blk.planes, blk.strides, w, h, fmt, mode);
  for (size_t i = kMaxPaddedBlockBytes; i < sizeof padded; ++i) ASSERT_EQ(padded[i], 0xCD);
  const uint8_t* planes[4];
  size_t strides[4];
  padded_block_planes(padded, fmt, planes, strides);
  uint8_t alpha[16], lo, hi;
  to_rgba_single_channel(planes, strides, fmt, ChannelSelect::alpha, alpha, &lo, &hi);
  ColourSet set;
  to_rgba_colour_set(planes, strides, fmt, &set);
  for (int i = 0; i < 16; ++i) {
    const int x = i % 4, y = i / 4;
    uint8_t want[4] = {0, 0, 0, static_cast<uint8_t>(mode == PAD_OPAQUE_BLACK ? 255 : 0)};
    if ((x < w && y < h) || mode == PAD_REPLICATE || mode == PAD_CROP)
      std::memcpy(want, src[4 * std::min(y, h - 1) + std::min(x, w - 1)], 4);
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(static_cast<int>(set.points[set.point_index[i]][c] * 255.0f + 0.5f), want[c])
          << x << "," << y << " ch " << c;
    }
    EXPECT_EQ(alpha[i], want[3]) << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Padding,
    testing::Combine(testing::Values(ARGB_8, BGRA_8, RGBA_8, ARGB_16, ARGB_16_HOST, RGBA_16,
                                     PLANAR_8, PLANAR_16),
                     testing::Values(PAD_REPLICATE, PAD_OPAQUE_BLACK, PAD_ZERO, PAD_CROP),
                     testing::Values(1, 3), testing::Values(1, 2, 4)));

}  // namespace
