// Sources of every bit depth, with and without alpha, decode close to what ffmpeg makes of them
// (the choice of host path itself is checked beside the FFmpeg source); an exact 16-bit source
// keeps the full range.
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

struct PathCase {
  const char* pix_fmt;
};

void PrintTo(const PathCase& c, std::ostream* os) {
  *os << c.pix_fmt;
}

}  // namespace

class PixelPaths : public testing::TestWithParam<PathCase> {};

TEST_P(PixelPaths, DecodesCloseToFfmpegsPicture) {
  const PathCase c = GetParam();
  ScratchDir dir;
  const std::string in = dir.path("in.raw"), out = dir.path("out.mov");
  const RunResult made =
      run("ffmpeg -v error -f lavfi -i testsrc2=size=96x64:rate=25:duration=0.2 "
          "-pix_fmt " +
          std::string(c.pix_fmt) + " -f rawvideo " + in);
  ASSERT_EQ(made.status, 0) << made.err;
  const RunResult r = orvex("encode " + in + " -f rawvideo --pix-fmt " + c.pix_fmt +
                            " --size 96x64 --quiet -o " + out);
  ASSERT_EQ(r.status, 0) << r.err;
  const RunResult ref =
      run("ffmpeg -v error -f rawvideo -pix_fmt " + std::string(c.pix_fmt) + " -s 96x64 -i " + in +
          " -f rawvideo -pix_fmt rgb24 " + dir.path("ref.rgb"));
  ASSERT_EQ(ref.status, 0) << ref.err;
  EXPECT_GE(psnr_bytes(read_file(dir.path("ref.rgb")), decode_rgb24(out)), 28.0);
}

INSTANTIATE_TEST_SUITE_P(Formats, PixelPaths,
                         testing::Values(PathCase{"rgb24"}, PathCase{"rgba"}, PathCase{"yuv420p"},
                                         PathCase{"rgb48le"}, PathCase{"rgba64le"},
                                         PathCase{"yuv420p10le"}, PathCase{"yuva444p10le"}),
                         [](const testing::TestParamInfo<PathCase>& info) {
                           return std::string(info.param.pix_fmt);
                         });

// An exact 16-bit picture (each 8-bit value v stored as v x 257) and its 8-bit original give
// movies that decode to nearly the same picture: the 16-bit path keeps the full range (65535
// reaches the host's 32768 and decodes as 255).
TEST(PixelPaths, SixteenBitMatchesEightBit) {
  ScratchDir dir;
  const uint32_t w = 64, h = 32;
  auto rgb = test_picture_rgb24(w, h, 0);
  for (size_t i = 0; i < size_t{w} * 3; ++i) rgb[i] = 255;  // a white first row
  std::vector<uint8_t> rgba8, rgba16;
  for (size_t i = 0; i < rgb.size(); i += 3) {
    for (int k = 0; k < 4; ++k) {
      const uint8_t v = k < 3 ? rgb[i + k] : 255;
      rgba8.push_back(v);
      rgba16.push_back(v);  // v x 257, little-endian: both bytes are v
      rgba16.push_back(v);
    }
  }
  write_file(dir.path("in8.raw"), rgba8);
  write_file(dir.path("in16.raw"), rgba16);
  const std::string common = " -f rawvideo --size 64x32 --quiet -o ";
  ASSERT_EQ(orvex("encode " + dir.path("in8.raw") + " --pix-fmt rgba" + common + dir.path("a.mov"))
                .status,
            0);
  ASSERT_EQ(
      orvex("encode " + dir.path("in16.raw") + " --pix-fmt rgba64le" + common + dir.path("b.mov"))
          .status,
      0);
  const auto a = decode_rgb24(dir.path("a.mov")), b = decode_rgb24(dir.path("b.mov"));
  EXPECT_GE(psnr_bytes(a, b), 40.0);
  EXPECT_GE(psnr_bytes(rgb, b), 30.0);
  for (size_t i = 0; i < size_t{w} * 3; ++i) ASSERT_EQ(b[i], 255) << "byte " << i;
}
