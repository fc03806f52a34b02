// Hap Q block encoder: the all-black block, whose bytes the format settles whatever the alpha and
// the source depth. Every other Hap Q byte is pinned by the texture digests and its quality by the
// ffmpeg floors of the end-to-end tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "tests/texture/texture_test_util.h"

namespace {

TEST(YCoCgBlock, BlackBlockIsFixedWhateverTheAlphaAndDepth) {
  const std::array<uint8_t, 16> expected = {0, 0, 0, 0, 0, 0, 0, 0, 0x03, 0x84, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> rgba(64, 0);
  for (int i = 0; i < 16; ++i) rgba[i * 4 + 3] = static_cast<uint8_t>(i * 16);  // any alpha
  for (DxtEncType type : {DXTENC_YCOCG, DXTENC_YCOCG_RGTC1_ALPHA}) {
    for (PixelFormat fmt : {ARGB_8, ARGB_16_HOST}) {
      const auto t = texture_test::encode_rgba(rgba, 4, 4, {.type = type, .format = fmt});
      ASSERT_GE(t.size(), 16u);
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), t.begin())) << type << " " << fmt;
    }
  }
}

}  // namespace
