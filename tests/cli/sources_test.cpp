// The input side of orvex-hap: each source pixel format takes the matching host path, 16-bit
// sources arrive exactly in the host's 16-bit ARGB (0..32768), and timecodes become frame numbers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/cli_options.h"
#include "cli/ffmpeg_source.h"
#include "cli/host_path.h"

using namespace orvex_cli;

namespace {

std::string temp_path(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("orvex_cli_" + std::to_string(getpid()) + "_" + name))
      .string();
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

FfmpegInput raw_input(const std::string& path, const char* pix_fmt, uint32_t w, uint32_t h) {
  FfmpegInput in;
  in.path = path;
  in.format = "rawvideo";
  in.pix_fmt = pix_fmt;
  in.width_px = w;
  in.height_px = h;
  return in;
}

}  // namespace

// rgba64le samples reach the host layout as A, R, G, B with 65535 -> 32768, rounded to nearest.
TEST(FfmpegSource, SixteenBitSourceGivesHostArgb16) {
  // Four pixels: R, G, B, A 16-bit little-endian each.
  const uint16_t pixels[4][4] = {
      {0, 1, 257, 65535}, {32768, 65535, 0, 32767}, {65534, 128, 12345, 0}, {2, 3, 4, 5}};
  std::vector<uint8_t> raw;
  for (const auto& p : pixels) {
    for (uint16_t v : p) {
      raw.push_back(static_cast<uint8_t>(v & 0xFF));
      raw.push_back(static_cast<uint8_t>(v >> 8));
    }
  }
  const std::string path = temp_path("rgba64.raw");
  write_bytes(path, raw);
  FfmpegSource source(raw_input(path, "rgba64le", 4, 1));
  EXPECT_TRUE(source.info().deep);
  EXPECT_TRUE(source.info().alpha);
  HostFrame frame;
  ASSERT_TRUE(source.read_frame(frame));
  EXPECT_GE(frame.row_bytes, 32u);
  // v x 32768 / 65535 to nearest, worked by hand: 257 -> 128.502 -> 129, 32767 -> 16383.75 ->
  // 16384, 65534 -> 32767.5 - 0.0000076 -> 32767, 12345 -> 6172.69 -> 6173.
  const uint16_t expected[4][4] = {{32768, 0, 1, 129},  // A, R, G, B
                                   {16384, 16384, 32768, 0},
                                   {0, 32767, 64, 6173},
                                   {3, 1, 2, 2}};
  for (int x = 0; x < 4; ++x) {
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(le16(frame.pixels + 8 * x + 2 * k), expected[x][k])
          << "pixel " << x << " channel " << k;
    }
  }
  EXPECT_FALSE(source.read_frame(frame));
  std::remove(path.c_str());
}

struct PathCase {
  const char* pix_fmt;
  PixelFormat format;
  uint8_t slot;
  uint32_t host_depth;
  uint8_t description_depth;
};

void PrintTo(const PathCase& c, std::ostream* os) {
  *os << c.pix_fmt;
}

class HostPaths : public testing::TestWithParam<PathCase> {};

// More than 8 bits per channel: 16-bit host ARGB in slot 1; alpha: 32/64 bits, description 32.
TEST_P(HostPaths, FollowTheSourcePixelFormat) {
  const PathCase c = GetParam();
  const std::string path = temp_path(std::string(c.pix_fmt) + ".raw");
  const std::string cmd =
      "ffmpeg -v error -y -f lavfi -i testsrc2=size=8x8:duration=0.04 -frames:v 1 "
      "-pix_fmt " +
      std::string(c.pix_fmt) + " -f rawvideo " + path;
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  FfmpegSource source(raw_input(path, c.pix_fmt, 8, 8));
  const HostPixelPath p = host_pixel_path(source.info());
  EXPECT_EQ(p.format, c.format);
  EXPECT_EQ(p.texture_slot, c.slot);
  EXPECT_EQ(p.host_depth, c.host_depth);
  EXPECT_EQ(p.description_depth, c.description_depth);
  HostFrame frame;
  ASSERT_TRUE(source.read_frame(frame));
  EXPECT_GE(frame.row_bytes, size_t{8} * (c.format == ARGB_8 ? 4 : 8));
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    PixelFormats, HostPaths,
    testing::Values(PathCase{"rgb24", ARGB_8, 0, 24, 24}, PathCase{"rgba", ARGB_8, 0, 32, 32},
                    PathCase{"yuv420p", ARGB_8, 0, 24, 24}, PathCase{"pal8", ARGB_8, 0, 32, 32},
                    PathCase{"rgb48le", ARGB_16_HOST, 1, 48, 24},
                    PathCase{"rgba64le", ARGB_16_HOST, 1, 64, 32},
                    PathCase{"yuv420p10le", ARGB_16_HOST, 1, 48, 24},
                    PathCase{"yuva444p10le", ARGB_16_HOST, 1, 64, 32},
                    PathCase{"gray16le", ARGB_16_HOST, 1, 48, 24}),
    [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.pix_fmt); });

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
