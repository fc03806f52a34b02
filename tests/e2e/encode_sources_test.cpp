// orvex-hap makes Hap movies from raw frames on standard input and from the built-in pattern;
// ffprobe reads them and ffmpeg decodes every frame close to the source (media files with audio:
// source_fidelity_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>

#include "inspect/psnr.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

// PSNR floor of DXT1 (normal quality) on the smooth test pictures, measured 43.2 to 52.9 dB with
// ffmpeg's decoder.
constexpr double kPsnrFloor_dB = 40.0;

struct RawCase {
  uint32_t width, height;
  const char* extra;  // further options
};

void PrintTo(const RawCase& c, std::ostream* os) {
  *os << c.width << "x" << c.height << " " << c.extra;
}

class EncodeRawStdin : public testing::TestWithParam<RawCase> {};

// Sizes that are not multiples of 4 included; several frames at a time and one frame at a time
// write the same bytes, with and without Snappy.
TEST_P(EncodeRawStdin, DecodesCloseToTheSourceInEitherFrameMode) {
  const auto [w, h, extra] = GetParam();
  Scratch dir;
  const std::string in = dir.file("in.rgb"), out = dir.file("out.mov");
  const std::string size = std::to_string(w) + "x" + std::to_string(h);
  // Waves in absolute pixel units, smooth within a 4x4 block at every size; each frame moves them.
  ASSERT_EQ(
      run("ffmpeg -v error -f lavfi -i color=s=" + size +
          ",format=gbrp,geq=r='128+100*sin((X+4*N)*0.021)':g='128+90*cos(Y*0.027+(X+4*N)*0.004)'"
          ":b='128+70*sin((X+Y+4*N)*0.013)' -frames:v 3 -pix_fmt rgb24 -f rawvideo " +
          in)
          .status,
      0);
  const std::vector<uint8_t> raw = read_file(in);
  ASSERT_EQ(raw.size(), size_t{w} * h * 3 * 3);
  const std::string common = "encode - -f rawvideo --pix-fmt rgb24 --size " + size +
                             " --rate 30000/1001 " + extra + " < " + quote(in) + " -o ";
  const RunResult r = orvex(common + quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(": 3 frames " + size + " Hap"), std::string::npos) << r.err;
  ASSERT_EQ(orvex(common + dir.file("one.mov") + " --one-frame-at-a-time --quiet").status, 0);
  EXPECT_EQ(read_file(out), read_file(dir.file("one.mov")));
  EXPECT_EQ(probe(out, "v", "width,height,r_frame_rate"),
            std::to_string(w) + "\n" + std::to_string(h) + "\n30000/1001");
  const auto decoded = decode_video(out);
  ASSERT_EQ(decoded.size(), raw.size());
  EXPECT_GE(orvex_inspect::psnr(raw.data(), decoded.data(), raw.size()), kPsnrFloor_dB);
}

INSTANTIATE_TEST_SUITE_P(Sizes, EncodeRawStdin,
                         testing::Values(RawCase{1, 1, ""}, RawCase{5, 3, ""},
                                         RawCase{200, 120, "--no-snappy --chunks 3 -q fast"},
                                         RawCase{1921, 1081, ""}));

// The pattern comes with a tone; one frame is "1 frame"; a name without .mov is warned about,
// then one summary line names the movie, the frame count, size, variant and settings;
// --progress - writes key=value blocks on standard output, the last one ending the progress; the
// pixel aspect reaches the movie (timecodes: source_fidelity_test.cpp, inspect_commands_test.cpp).
TEST(EncodePattern, ToneSummaryWarningAndProgressBlocks) {
  Scratch dir;
  const std::string out = dir.file("one.mp4");
  const RunResult r =
      orvex("encode --pattern=64x32 --frames 1 --par 2:1 --progress - -o " + quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.rfind("orvex-hap: warning: '" + out + "' does not end in .mov", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("\norvex-hap: wrote " + out + ": 1 frame 64x32 Hap (normal, 8 chunks) in "),
            std::string::npos)
      << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2);
  const size_t last = r.out.rfind("frame=");
  ASSERT_NE(last, std::string::npos) << r.out;
  const std::string block = r.out.substr(last);
  for (const char* line : {"frame=1\n", "\nout_time_us=40000\n", "\nout_time=00:00:00.040000\n",
                           "\ndup_frames=0\n", "\ndrop_frames=0\n"}) {
    EXPECT_NE(block.find(line), std::string::npos) << line << " in " << block;
  }
  EXPECT_EQ(block.substr(block.size() - 13), "progress=end\n");
  EXPECT_EQ(probe(out, "v", "sample_aspect_ratio,nb_frames"), "2:1\n1");
  EXPECT_EQ(probe(out, "a", "codec_name,channels"), "pcm_s16le\n2");
  EXPECT_EQ(decode_video(out).size(), size_t{64} * 32 * 3);
  const auto audio = decode_audio(out, "s16le");  // a tone: not silence
  ASSERT_EQ(audio.size(), size_t{48000} / 25 * 2 * 2);
  EXPECT_NE(std::count(audio.begin(), audio.end(), 0), static_cast<long>(audio.size()));
}

}  // namespace
