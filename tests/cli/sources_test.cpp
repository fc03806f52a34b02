// The input side of orvex-hap: each source pixel format takes the matching host path, 16-bit
// sources arrive exactly in the host's 16-bit ARGB (0..32768), and timecodes become frame numbers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/cli_options.h"
#include "cli/ffmpeg_source.h"
#include "cli/host_path.h"
#include "inspect/psnr.h"
#include "tests/support/movie_probe.h"

using namespace orvex_cli;

namespace {

FfmpegSource raw_source(const std::string& path, const char* pix_fmt, uint32_t w, uint32_t h) {
  FfmpegInput in;
  in.path = path;
  in.format = "rawvideo";
  in.pix_fmt = pix_fmt;
  in.width_px = w;
  in.height_px = h;
  return FfmpegSource(in);
}

// rgba64le samples reach the host layout as A, R, G, B with 65535 -> 32768, rounded to nearest.
TEST(FfmpegSource, SixteenBitSourceGivesHostArgb16) {
  // Four pixels of R, G, B, A, and what the host must get: v x 32768 / 65535 to nearest, worked
  // by hand: 257 -> 128.502 -> 129, 32767 -> 16383.75 -> 16384, 65534 -> 32767.4999 -> 32767,
  // 12345 -> 6172.69 -> 6173.
  const uint16_t pixels[4][4] = {
      {0, 1, 257, 65535}, {32768, 65535, 0, 32767}, {65534, 128, 12345, 0}, {2, 3, 4, 5}};
  const uint16_t expected[4][4] = {
      {32768, 0, 1, 129}, {16384, 16384, 32768, 0}, {0, 32767, 64, 6173}, {3, 1, 2, 2}};
  orvex_test::TempDir dir;
  {
    std::FILE* f = std::fopen(dir.file("in.raw").c_str(), "wb");
    for (const auto& p : pixels)
      for (uint16_t v : p) std::fputc(v & 0xFF, f), std::fputc(v >> 8, f);
    std::fclose(f);
  }
  FfmpegSource source = raw_source(dir.file("in.raw"), "rgba64le", 4, 1);
  EXPECT_TRUE(source.info().deep);
  EXPECT_TRUE(source.info().alpha);
  HostFrame frame;
  ASSERT_TRUE(source.read_frame(frame));
  EXPECT_GE(frame.row_bytes, 32u);
  for (int x = 0; x < 4; ++x) {
    for (int k = 0; k < 4; ++k) {
      const uint8_t* p = frame.pixels + 8 * x + 2 * k;
      EXPECT_EQ(p[0] | p[1] << 8, expected[x][k]) << "pixel " << x << " channel " << k;
    }
  }
  EXPECT_FALSE(source.read_frame(frame));
}

// More than 8 bits per channel: 16-bit host ARGB in slot 1; alpha: 32/64 bits, description 32.
// The pixels the host gets match ffmpeg's own conversion of the source to RGBA.
TEST(HostPaths, FollowTheSourcePixelFormat) {
  struct Case {
    const char* pix_fmt;
    bool deep, alpha;
  };
  for (const Case& c :
       {Case{"rgb24", false, false}, Case{"pal8", false, true}, Case{"yuv420p", false, false},
        Case{"gray", false, false}, Case{"rgb48le", true, false}, Case{"yuv420p10le", true, false},
        Case{"yuva444p10le", true, true}, Case{"gray16le", true, false}}) {
    SCOPED_TRACE(c.pix_fmt);
    orvex_test::TempDir dir;
    const std::string raw = dir.file("in.raw"), ref = dir.file("ref.rgba");
    ASSERT_EQ(std::system(("ffmpeg -v error -f lavfi -i testsrc2=size=96x64:duration=0.04 "
                           "-frames:v 1 -pix_fmt " +
                           std::string(c.pix_fmt) + " -f rawvideo " + raw +
                           " && ffmpeg -v error -f rawvideo -pix_fmt " + c.pix_fmt +
                           " -s 96x64 -i " + raw + " -f rawvideo -pix_fmt rgba " + ref)
                              .c_str()),
              0);
    FfmpegSource source = raw_source(raw, c.pix_fmt, 96, 64);
    const HostPixelPath p = host_pixel_path(source.info());
    EXPECT_EQ(p.format, c.deep ? ARGB_16_HOST : ARGB_8);
    EXPECT_EQ(p.texture_slot, c.deep ? 1 : 0);
    EXPECT_EQ(p.host_depth, (c.deep ? 48u : 24u) + (c.alpha ? (c.deep ? 16 : 8) : 0));
    EXPECT_EQ(p.description_depth, c.alpha ? 32 : 24);
    HostFrame frame;
    ASSERT_TRUE(source.read_frame(frame));
    ASSERT_GE(frame.row_bytes, size_t{96} * (c.deep ? 8 : 4));
    std::vector<uint8_t> rgba;  // host A, R, G, B (16-bit: full scale 32768) as 8-bit R, G, B, A
    for (size_t y = 0; y < 64; ++y) {
      for (size_t x = 0; x < 96; ++x) {
        for (int k : {1, 2, 3, 0}) {
          const uint8_t* v =
              frame.pixels + y * frame.row_bytes + (c.deep ? 8 * x + 2 * k : 4 * x + k);
          rgba.push_back(c.deep ? uint8_t(((v[0] | v[1] << 8) * 255 + 16384) / 32768) : v[0]);
        }
      }
    }
    const std::vector<uint8_t> want = orvex_test::read_file(ref);
    ASSERT_EQ(want.size(), rgba.size());
    EXPECT_GE(orvex_inspect::psnr(rgba.data(), want.data(), rgba.size()), 40.0);
  }
}

TEST(CliOptions, TimecodeToFrameNumber) {
  EXPECT_EQ(timecode_start_frame({1, 0, 0, 0}, FrameRate{25, 1}, false), 90000u);
  EXPECT_EQ(timecode_start_frame({0, 1, 2, 3}, FrameRate{24000, 1001}, false), 62u * 24 + 3);
  // Drop-frame 29.97: 00:01:00;02 is frame 1800; 00:10:00;00 is frame 17982.
  EXPECT_EQ(timecode_start_frame({0, 1, 0, 2}, FrameRate{30000, 1001}, true), 1800u);
  EXPECT_EQ(timecode_start_frame({0, 10, 0, 0}, FrameRate{30000, 1001}, true), 17982u);
  EXPECT_THROW(timecode_start_frame({0, 1, 0, 0}, FrameRate{30000, 1001}, true), UsageError);
  EXPECT_THROW(timecode_start_frame({0, 0, 0, 25}, FrameRate{25, 1}, false), UsageError);
  EXPECT_THROW(timecode_start_frame({0, 0, 0, 0}, FrameRate{25, 1}, true), UsageError);
}

}  // namespace
