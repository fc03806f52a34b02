// Motion graphics of pure hues through orvex-hap and ffmpeg's Hap decoder: a 1920x1080 frame of hue
// ramps and two-colour edges (every pair of red, green, blue, cyan, magenta, yellow) encoded as Hap
// at every quality. Normal, Slow and Best keep every pixel within 8 levels (ffmpeg's truncating
// decode accounts for 1 or 2 of them), Normal, whose low-contrast blocks take Fast's path, is at
// least as good as Fast, and Best better than Slow (grey exact in Hap Q Best:
// best_quality_test.cpp).
#include <gtest/gtest.h>

#include <cstdlib>

#include "inspect/psnr.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/test_frames.h"

using namespace e2e;

namespace {

TEST(PureHues, EdgesAndRampsStayCloseFromNormalUp) {
  constexpr uint32_t w = 1920, h = 1080;
  const std::vector<uint8_t> rgba = orvex_test::pure_hues_rgba(w, h);
  Scratch dir;
  const std::string input = dir.file("in.raw");
  write_file(input, rgba);

  double psnr[4];
  const char* qualities[4] = {"fast", "normal", "slow", "best"};
  for (int q = 0; q < 4; ++q) {
    SCOPED_TRACE(qualities[q]);
    const std::string movie = dir.file(std::string(qualities[q]) + ".mov");
    const RunResult r =
        orvex("encode " + input + " -f rawvideo --pix-fmt rgba --size 1920x1080 -q " +
              qualities[q] + " --no-audio --quiet -o " + movie);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<uint8_t> out = decode_video(movie, "rgba");
    ASSERT_EQ(out.size(), rgba.size());
    psnr[q] = orvex_inspect::psnr_rgb(out.data(), rgba.data(), size_t{w} * h);
    if (q == 0) continue;
    size_t worst = 0;
    for (size_t i = 0; i < rgba.size(); ++i)
      if (std::abs(out[i] - rgba[i]) > std::abs(out[worst] - rgba[worst])) worst = i;
    EXPECT_LE(std::abs(out[worst] - rgba[worst]), 8)
        << "pixel " << worst / 4 % w << "," << worst / 4 / w << " channel " << worst % 4;
  }
  // Measured 44.6 dB at Fast and Normal, 44.8 at Slow (Normal and Slow were 23.0 with errors of
  // 165 levels while the cluster fit ordered red/green edges along the blue noise beside them).
  EXPECT_GE(psnr[1], psnr[0]);
  EXPECT_GE(psnr[2], 44.0);
  EXPECT_GT(psnr[3], psnr[2]);
}

}  // namespace
