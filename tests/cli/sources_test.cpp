// The input side of orvex-hap: each source pixel format takes the matching host path and its
// pixels equal ffmpeg's own accurate conversion (colour matrix and range from the tags, the
// untagged rule, the overrides), 16-bit sources arrive exactly in the host's 16-bit ARGB,
// frames are placed at a constant rate by their timestamps, and timecodes become frame numbers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/cli_options.h"
#include "cli/ffmpeg_source.h"
#include "cli/frame_timing.h"
#include "cli/host_path.h"
#include "inspect/psnr.h"
#include "tests/support/movie_probe.h"

using namespace orvex_cli;

namespace {

FfmpegInput raw_input(const std::string& path, const char* pix_fmt, uint32_t w, uint32_t h) {
  FfmpegInput in;
  in.path = path;
  in.format = "rawvideo";
  in.pix_fmt = pix_fmt;
  in.width_px = w;
  in.height_px = h;
  return in;
}

// More than 8 bits per channel: 16-bit host ARGB (full scale 32768) in slot 1; alpha: 32/64
// bits, description 32.
// The picture: ffmpeg's moving test picture with a grey ramp from Y 16 (top) to Y 235 (bottom
// row) in its 16 left columns. Against ffmpeg's accurate conversion (16-bit for deep sources)
// told the matrix we expect: the ramp within one level, limited-range white at 255, the colours
// above 40 dB (a wrong matrix or range falls below 35).
TEST(HostPaths, FollowTheSourcePixelFormatAndColourTags) {
  struct Case {
    const char* pix_fmt;
    bool deep, alpha;
    uint32_t w, h;
    const char* tags;     // ffmpeg output options of a tagged FFV1 source; nullptr: raw, untagged
    ColourMatrix matrix;  // --colorspace
    const char* ref_matrix;  // ffmpeg's in_color_matrix for the reference; nullptr: its own
    bool limited;            // limited-range white must become 255
  };
  const Case cases[] = {
      {"rgb24", false, false, 96, 64, nullptr, ColourMatrix::Source, nullptr, false},
      {"pal8", false, true, 96, 64, nullptr, ColourMatrix::Source, nullptr, false},
      {"gray", false, false, 96, 64, nullptr, ColourMatrix::Source, nullptr, false},
      {"yuv420p", false, false, 96, 64, nullptr, ColourMatrix::Source, "bt601", true},
      {"yuv422p", false, false, 96, 64, "-colorspace bt709 -color_range tv", ColourMatrix::Source,
       nullptr, true},
      {"nv12", false, false, 1280, 720, nullptr, ColourMatrix::Source, "bt709", true},
      {"yuv420p", false, false, 96, 64, nullptr, ColourMatrix::Bt2020, "bt2020", true},
      {"yuv420p", false, false, 96, 64, "-colorspace bt470bg -color_range pc", ColourMatrix::Source,
       nullptr, false},
      {"rgb48le", true, false, 96, 64, nullptr, ColourMatrix::Source, nullptr, false},
      {"yuv420p10le", true, false, 96, 64, "-colorspace bt709", ColourMatrix::Source, nullptr,
       true},
      {"yuva444p10le", true, true, 96, 64, nullptr, ColourMatrix::Source, "bt601", false},
      {"gray16le", true, false, 96, 64, nullptr, ColourMatrix::Source, nullptr, false},
      {"rgba64le", true, true, 96, 64, nullptr, ColourMatrix::Source, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pix_fmt) + " " + (c.tags ? c.tags : "untagged"));
    orvex_test::TempDir dir;
    const std::string src = dir.file(c.tags ? "in.mkv" : "in.raw"), ref = dir.file("ref.rgba");
    const std::string size = std::to_string(c.w) + "x" + std::to_string(c.h);
    const std::string picture =
        "testsrc2=size=" + size +
        ":duration=0.04,format=yuv444p,geq=lum='if(lt(X,16),16+floor(219*Y/(H-1)),lum(X,Y))':"
        "cb='if(lt(X,16),128,cb(X,Y))':cr='if(lt(X,16),128,cr(X,Y))'";
    const std::string make =
        "ffmpeg -v error -f lavfi -i \"" + picture + "\" -frames:v 1 -pix_fmt " + c.pix_fmt +
        (c.tags ? std::string(" -c:v ffv1 ") + c.tags + " " : std::string(" -f rawvideo ")) + src;
    const std::string input =
        c.tags ? src
               : "-f rawvideo -pix_fmt " + std::string(c.pix_fmt) + " -s " + size + " -i " + src;
    const std::string reference =
        "ffmpeg -v error " + (c.tags ? "-i " + src : input) +
        " -sws_flags bicubic+accurate_rnd+full_chroma_int" +
        (c.ref_matrix ? std::string(" -vf scale=in_color_matrix=") + c.ref_matrix : "") +
        " -f rawvideo -pix_fmt " + (c.deep ? "rgba64le " : "rgba ") + ref;
    ASSERT_EQ(std::system((make + " && " + reference).c_str()), 0) << make << "\n" << reference;

    FfmpegInput in = c.tags ? FfmpegInput{} : raw_input(src, c.pix_fmt, c.w, c.h);
    in.path = src;
    in.matrix = c.matrix;
    FfmpegSource source(in);
    const HostPixelPath p = host_pixel_path(source.info());
    EXPECT_EQ(p.format, c.deep ? ARGB_16_HOST : ARGB_8);
    EXPECT_EQ(p.texture_slot, c.deep ? 1 : 0);
    EXPECT_EQ(p.host_depth, (c.deep ? 48u : 24u) + (c.alpha ? (c.deep ? 16 : 8) : 0));
    EXPECT_EQ(p.description_depth, c.alpha ? 32 : 24);
    HostFrame frame;
    ASSERT_TRUE(source.read_frame(frame));
    ASSERT_GE(frame.row_bytes, size_t{c.w} * (c.deep ? 8 : 4));
    const std::vector<uint8_t> ref_pixels = orvex_test::read_file(ref);  // 8-bit or 16-bit RGBA
    ASSERT_EQ(ref_pixels.size(), size_t{c.w} * c.h * (c.deep ? 8 : 4));
    std::vector<uint8_t> got, want;  // R, G, B, A on the 8-bit scale, rounded
    int ramp_worst = 0;
    // 16-bit RGB sources arrive exactly: v x 32768 / 65535, rounded to nearest.
    const bool exact = c.deep && std::string(c.pix_fmt).rfind("rgb", 0) == 0;
    for (size_t y = 0; y < c.h; ++y) {
      for (size_t x = 0; x < c.w; ++x) {
        for (int k : {1, 2, 3, 0}) {  // host A, R, G, B (16-bit: full scale 32768) to R, G, B, A
          const uint8_t* v =
              frame.pixels + y * frame.row_bytes + (c.deep ? 8 * x + 2 * k : 4 * x + k);
          got.push_back(c.deep ? uint8_t(((v[0] | v[1] << 8) * 255 + 16384) / 32768) : v[0]);
          const size_t at = (y * c.w + x) * 4 + (k + 3) % 4;
          const uint8_t* r = ref_pixels.data() + 2 * at;
          if (exact) {
            ASSERT_EQ(v[0] | v[1] << 8, ((r[0] | r[1] << 8) * 32768 + 32767) / 65535) << x;
          }
          want.push_back(c.deep ? uint8_t(((r[0] | r[1] << 8) * 255 + 32767) / 65535)
                                : ref_pixels[at]);
          if (x < 16) ramp_worst = std::max(ramp_worst, std::abs(got.back() - want.back()));
          if (c.limited && x == 0 && y == c.h - 1 && k != 0) {
            EXPECT_EQ(got.back(), 255) << "white";
          }
        }
      }
    }
    EXPECT_LE(ramp_worst, 1);
    EXPECT_GE(orvex_inspect::psnr(got.data(), want.data(), got.size()), 40.0);
  }
}

// Frames are shown from their start until the next one starts, in slots of the output rate.
TEST(FramePlacer, RepeatsAndDropsByStartTimes) {
  struct Case {
    const char* name;
    std::vector<int64_t> starts;   // start slots of the frames, in order
    int64_t end;                   // end slot of the last frame
    std::vector<uint64_t> counts;  // slots each frame fills
    uint64_t dropped;
  };
  const Case cases[] = {
      {"constant rate", {0, 1, 2}, 3, {1, 1, 1}, 0},
      {"gap repeats the earlier frame", {0, 3, 4}, 6, {3, 1, 2}, 0},
      {"two in one slot: the later wins", {0, 1, 1, 2}, 3, {1, 0, 1, 1}, 1},
      {"pre-roll before the start is not a drop", {-5, -2, 1, 2}, 3, {0, 1, 1, 1}, 0},
      {"a lone frame shorter than a slot is kept", {0}, 0, {1}, 0},
      {"input ending before the start gives nothing", {-4, -3}, -2, {0, 0}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FramePlacer placer;
    std::vector<uint64_t> counts;
    for (size_t i = 0; i < c.starts.size(); ++i) {
      const uint64_t n = placer.next(c.starts[i]);
      if (i > 0) counts.push_back(n);
    }
    counts.push_back(placer.end(c.end));
    EXPECT_EQ(counts, c.counts);
    EXPECT_EQ(placer.dropped(), c.dropped);
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

TEST(CliOptions, TimesAndCodecNames) {
  EXPECT_DOUBLE_EQ(parse_time("12.5", "--start"), 12.5);
  EXPECT_DOUBLE_EQ(parse_time("1:02:03.25", "--start"), 3723.25);
  EXPECT_DOUBLE_EQ(parse_time("02:03", "--start"), 123.0);
  for (const char* bad : {"", "-1", "1:", ":5", "1.5:00", "1:2:3:4", "abc", "nan"}) {
    EXPECT_THROW(parse_time(bad, "--start"), UsageError) << bad;
  }
  EXPECT_EQ(codec_by_name("hap_q"), std::optional<uint8_t>(3));
  EXPECT_EQ(codec_by_name("hap_alpha"), std::optional<uint8_t>(2));
  EXPECT_EQ(codec_by_name("hap-alpha-only"), std::optional<uint8_t>(0));
  EXPECT_EQ(codec_by_name("hapq"), std::nullopt);
}

}  // namespace
