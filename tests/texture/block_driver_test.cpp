// The frame loop: the texture does not depend on the number of bands, and partial edge blocks
// encode exactly like full blocks of a frame padded by hand (or are left out when cropping).
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <tuple>

#include "tests/support/test_frames.h"
#include "tests/texture/texture_test_util.h"

using texture_test::encode_frame;

namespace {

struct Size {
  uint32_t w, h;
};

// Frame of width x height in `fmt`, extended to `pw` x `ph` by the pad rule (the test's own
// per-pixel statement of it) or cut down to them.
std::vector<uint8_t> resized(const std::vector<uint8_t>& rgba, uint32_t w, uint32_t h, uint32_t pw,
                             uint32_t ph, PadMode mode) {
  std::vector<uint8_t> out(static_cast<size_t>(pw) * ph * 4);
  for (uint32_t y = 0; y < ph; ++y) {
    for (uint32_t x = 0; x < pw; ++x) {
      uint8_t* d = &out[(static_cast<size_t>(y) * pw + x) * 4];
      if (x < w && y < h) {
        for (int c = 0; c < 4; ++c) d[c] = rgba[(static_cast<size_t>(y) * w + x) * 4 + c];
      } else if (mode == PAD_OPAQUE_BLACK) {
        d[0] = d[1] = d[2] = 0, d[3] = 255;
      } else if (mode == PAD_ZERO) {
        d[0] = d[1] = d[2] = d[3] = 0;
      } else {
        const uint32_t sx = x < w ? x : w - 1, sy = y < h ? y : h - 1;
        for (int c = 0; c < 4; ++c) d[c] = rgba[(static_cast<size_t>(sy) * w + sx) * 4 + c];
      }
    }
  }
  return out;
}

std::vector<uint8_t> to_format(const std::vector<uint8_t>& rgba, PixelFormat fmt) {
  return fmt == ARGB_8 ? orvex_test::rgba_to_argb8(rgba) : orvex_test::rgba_to_argb16_host(rgba);
}

// Frames are generated once per size and reused by every case of that size.
const std::vector<uint8_t>& frame(uint32_t w, uint32_t h) {
  static std::map<std::pair<uint32_t, uint32_t>, std::vector<uint8_t>> cache;
  auto& f = cache[{w, h}];
  if (f.empty()) f = orvex_test::natural_rgba(w, h, w * 7 + h);
  return f;
}

using DriverCase = std::tuple<Size, PadMode, PixelFormat, uint8_t>;

class BlockDriver : public testing::TestWithParam<DriverCase> {};

TEST_P(BlockDriver, SameTextureForAnyBandsAndForPaddedOrFullEdgeBlocks) {
  const auto [size, mode, fmt, quality] = GetParam();
  const auto& rgba = frame(size.w, size.h);
  const auto pixels = to_format(rgba, fmt);

  const auto single = encode_frame(pixels, size.w, size.h, quality, fmt, mode, 1);
  for (uint32_t threads : {2u, 3u, 64u}) {
    EXPECT_EQ(encode_frame(pixels, size.w, size.h, quality, fmt, mode, threads), single)
        << threads << " threads";
  }

  // The same frame padded (or cropped) by hand has only full blocks.
  const bool crop = mode == PAD_CROP;
  const uint32_t pw = crop ? size.w / 4 * 4 : (size.w + 3) / 4 * 4;
  const uint32_t ph = crop ? size.h / 4 * 4 : (size.h + 3) / 4 * 4;
  if (pw == 0 || ph == 0) {
    EXPECT_TRUE(single.empty());
    return;
  }
  const auto full = to_format(resized(rgba, size.w, size.h, pw, ph, mode), fmt);
  EXPECT_EQ(encode_frame(full, pw, ph, quality, fmt, PAD_REPLICATE, 1), single);
}

const Size kSmall[] = {{1, 1}, {4, 4}, {5, 3}, {6, 6}, {17, 9}, {67, 70}};
const Size kLarge[] = {{1920, 1080}, {1921, 1081}};

INSTANTIATE_TEST_SUITE_P(
    Small, BlockDriver,
    testing::Combine(testing::ValuesIn(kSmall),
                     testing::Values(PAD_REPLICATE, PAD_OPAQUE_BLACK, PAD_ZERO, PAD_CROP),
                     testing::Values(ARGB_8, ARGB_16_HOST), testing::Values(1, 2, 3)));

// Full HD at Fast only, to keep the suite quick under the sanitizers.
INSTANTIATE_TEST_SUITE_P(Large, BlockDriver,
                         testing::Combine(testing::ValuesIn(kLarge),
                                          testing::Values(PAD_REPLICATE, PAD_OPAQUE_BLACK, PAD_ZERO,
                                                          PAD_CROP),
                                          testing::Values(ARGB_8), testing::Values(1)));

TEST(BlockDriver, CropWritesOnlyTheFullBlocks) {
  const auto pixels = orvex_test::rgba_to_argb8(orvex_test::natural_rgba(6, 6));
  EXPECT_EQ(encode_frame(pixels, 6, 6, 2, ARGB_8, PAD_CROP).size(), 8u);
  EXPECT_EQ(encode_frame(pixels, 6, 6, 2, ARGB_8, PAD_REPLICATE).size(), 32u);
}

TEST(BlockDriver, SixteenBitInputGivesTheSameTextureAsItsEightBitValues) {
  const auto rgba = orvex_test::natural_rgba(61, 37, 5);
  for (uint8_t q = 1; q <= 3; ++q) {
    EXPECT_EQ(encode_frame(orvex_test::rgba_to_argb8(rgba), 61, 37, q, ARGB_8),
              encode_frame(orvex_test::rgba_to_argb16_host(rgba), 61, 37, q, ARGB_16_HOST))
        << "quality " << int(q);
  }
}

}  // namespace

namespace {

// Block kernels that record which source block they were given: bytes 0-3 are the first pixel
// (which holds its own coordinates), the rest a pass tag.
void record_first(DxtEncOps, uint8_t* out, const uint8_t* const planes[4], const size_t[4]) {
  std::memcpy(out, planes[0], 4);
  std::memset(out + 4, 0x11, 12);
}
void record_second(DxtEncOps, uint8_t* out, const uint8_t* const planes[4], const size_t[4]) {
  std::memcpy(out, planes[0], 4);
  std::memset(out + 4, 0x22, 4);
}

TEST(BlockDriver, TwoTextureLayoutPutsEveryBlockInItsPlace) {
  for (const Size size : {Size{8, 4}, Size{1921, 1081}}) {
    std::vector<uint8_t> px(static_cast<size_t>(size.w) * size.h * 4);
    for (uint32_t y = 0; y < size.h; ++y) {
      for (uint32_t x = 0; x < size.w; ++x) {
        uint8_t* p = &px[(static_cast<size_t>(y) * size.w + x) * 4];
        p[0] = x & 0xFF, p[1] = x >> 8, p[2] = y & 0xFF, p[3] = y >> 8;
      }
    }
    for (uint32_t threads : {1u, 3u}) {
      DxtEnc enc{};
      ASSERT_EQ(dxtenc_open(&enc, size.w, size.h, DXTENC_DXT1, 1, 0, ARGB_8, PAD_REPLICATE, threads,
                            0xF8),
                0);
      enc.type = DXTENC_YCOCG_RGTC1_ALPHA;  // 16-byte blocks, then an 8-byte texture
      enc.ops.encode_block = record_first;
      enc.ops.encode_block_second = record_second;
      const uint32_t across = (size.w + 3) / 4, down = (size.h + 3) / 4;
      ASSERT_EQ(dxtenc_buffer_size(size.w, size.h, enc.type, PAD_REPLICATE),
                size_t{across} * down * 24);
      std::vector<uint8_t> out(size_t{across} * down * 24, 0);
      const uint8_t* planes[4] = {px.data(), nullptr, nullptr, nullptr};
      const size_t strides[4] = {size.w * 4, 0, 0, 0};
      dxtenc_encode(&enc, out.data(), planes, strides);
      const uint8_t* second = out.data() + size_t{across} * down * 16;
      for (uint32_t by = 0; by < down; ++by) {
        for (uint32_t bx = 0; bx < across; ++bx) {
          const size_t b = size_t{by} * across + bx;
          const uint8_t want[4] = {
              static_cast<uint8_t>((4 * bx) & 0xFF), static_cast<uint8_t>((4 * bx) >> 8),
              static_cast<uint8_t>((4 * by) & 0xFF), static_cast<uint8_t>((4 * by) >> 8)};
          ASSERT_EQ(std::memcmp(out.data() + 16 * b, want, 4), 0) << bx << "," << by;
          ASSERT_EQ(out[16 * b + 15], 0x11);
          ASSERT_EQ(std::memcmp(second + 8 * b, want, 4), 0) << bx << "," << by;
          ASSERT_EQ(second[8 * b + 7], 0x22);
        }
      }
    }
  }
}

}  // namespace
