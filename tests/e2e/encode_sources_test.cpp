// orvex-hap makes Hap movies from a media file with audio, from raw frames on standard input and
// from the built-in pattern; ffprobe reads them, ffmpeg decodes every frame close to the source,
// and the audio is the source's, sample for sample.
#include <gtest/gtest.h>

#include <algorithm>

#include "inspect/psnr.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

// PSNR floor of DXT1 (normal quality) on the smooth test pictures, measured with ffmpeg's decoder.
constexpr double kPsnrFloor_dB = 30.0;

// The source's PCM codec; the movie's track must carry the same samples in the same layout.
class EncodeFileWithAudio : public testing::TestWithParam<const char*> {};

TEST_P(EncodeFileWithAudio, VideoCloseAndAudioExact) {
  const std::string pcm = GetParam(), raw_format = pcm.substr(4);  // "pcm_s16le" -> "s16le"
  Scratch dir;
  const std::string in = dir.file("in.mkv"), out = dir.file("out.mov");
  // One second of 25 fps moving test picture (lossless FFV1 in 4:2:0) and a stereo 48 kHz tone.
  const RunResult made =
      run("ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -f lavfi -i "
          "sine=frequency=440:sample_rate=48000:duration=1 -ac 2 -c:v ffv1 -pix_fmt yuv420p -c:a " +
          pcm + " " + in);
  ASSERT_EQ(made.status, 0) << made.err;

  const RunResult r = orvex("encode " + quote(in) + " -o " + quote(out) + " --quiet");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(probe(out, "v", "codec_name,codec_tag_string,nb_frames,r_frame_rate"),
            "hap\nHap1\n25/1\n25");
  EXPECT_EQ(probe(out, "a", "codec_name,sample_rate,channels"), pcm + "\n48000\n2");
  const auto source = decode_video(in), decoded = decode_video(out);
  ASSERT_EQ(decoded.size(), size_t{320} * 240 * 3 * 25);
  ASSERT_EQ(source.size(), decoded.size());
  EXPECT_GE(orvex_inspect::psnr(source.data(), decoded.data(), source.size()), kPsnrFloor_dB);
  const auto source_audio = decode_audio(in, raw_format);
  ASSERT_FALSE(source_audio.empty());
  EXPECT_EQ(decode_audio(out, raw_format), source_audio);
}

INSTANTIATE_TEST_SUITE_P(PcmLayouts, EncodeFileWithAudio,
                         testing::Values("pcm_s16le", "pcm_s24le", "pcm_f32le"));

// Raw frames piped through standard input; frame sizes that are not multiples of 4 included.
class EncodeRawStdin : public testing::TestWithParam<std::pair<uint32_t, uint32_t>> {};

TEST_P(EncodeRawStdin, DecodesCloseToTheSource) {
  const auto [w, h] = GetParam();
  Scratch dir;
  const std::vector<uint8_t> raw = test_pictures_rgb24(w, h, 3);
  const std::string in = dir.file("in.rgb"), out = dir.file("out.mov");
  write_file(in, raw);
  const std::string size = std::to_string(w) + "x" + std::to_string(h);
  const RunResult r = orvex("encode - -f rawvideo --pix-fmt rgb24 --size " + size +
                            " --rate 30000/1001 -o " + quote(out) + " --quiet < " + quote(in));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(probe(out, "v", "width,height,r_frame_rate"),
            std::to_string(w) + "\n" + std::to_string(h) + "\n30000/1001");
  const auto decoded = decode_video(out);
  ASSERT_EQ(decoded.size(), raw.size());
  EXPECT_GE(orvex_inspect::psnr(raw.data(), decoded.data(), raw.size()), kPsnrFloor_dB);
}

INSTANTIATE_TEST_SUITE_P(Sizes, EncodeRawStdin,
                         testing::Values(std::make_pair(1u, 1u), std::make_pair(5u, 3u),
                                         std::make_pair(1921u, 1081u)));

TEST(EncodePattern, MovieWithToneAndSummary) {
  Scratch dir;
  const std::string out = dir.file("pattern.mov");
  const RunResult r = orvex("encode --pattern=320x240 --duration 1 -o " + quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  // One summary line naming the movie, the frame count, size, variant and settings.
  EXPECT_EQ(
      r.err.rfind("orvex-hap: wrote " + out + ": 25 frames 320x240 Hap (normal, 8 chunks) in ", 0),
      0u)
      << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  EXPECT_EQ(probe(out, "a", "codec_name,channels"), "pcm_s16le\n2");
  EXPECT_EQ(decode_video(out).size(), size_t{320} * 240 * 3 * 25);
  const auto audio = decode_audio(out, "s16le");  // a tone: not silence
  ASSERT_EQ(audio.size(), size_t{48000} * 2 * 2);
  EXPECT_NE(std::count(audio.begin(), audio.end(), 0), static_cast<long>(audio.size()));
}

// One frame is "1 frame"; a name without .mov is warned about; --progress - writes key=value
// blocks on standard output, the last one ending the progress; the pixel aspect reaches the movie
// (timecodes: source_fidelity_test.cpp, inspect_commands_test.cpp).
TEST(EncodeMessages, SingularNameWarningAndProgressBlocks) {
  Scratch dir;
  const std::string out = dir.file("one.mp4");
  const RunResult r =
      orvex("encode --pattern=64x32 --frames 1 --par 2:1 --progress - -o " + quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.rfind("orvex-hap: warning: '" + out + "' does not end in .mov", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("orvex-hap: wrote " + out + ": 1 frame 64x32 Hap"), std::string::npos)
      << r.err;
  const size_t last = r.out.rfind("frame=");
  ASSERT_NE(last, std::string::npos) << r.out;
  const std::string block = r.out.substr(last);
  for (const char* line : {"frame=1\n", "\nout_time_us=40000\n", "\nout_time=00:00:00.040000\n",
                           "\ndup_frames=0\n", "\ndrop_frames=0\n"}) {
    EXPECT_NE(block.find(line), std::string::npos) << line << " in " << block;
  }
  EXPECT_EQ(block.substr(block.size() - 13), "progress=end\n");
  EXPECT_EQ(probe(out, "v", "sample_aspect_ratio,nb_frames"), "2:1\n1");
}

// Several frames at a time and one frame at a time write the same bytes, with and without Snappy.
TEST(EncodeModes, ByteIdenticalMovies) {
  Scratch dir;
  const std::string in = dir.file("in.rgb"), a = dir.file("a.mov"), b = dir.file("b.mov");
  write_file(in, test_pictures_rgb24(200, 120, 12));
  for (const std::string extra : {"", " --no-snappy --chunks 3 -q fast"}) {
    SCOPED_TRACE(extra);
    const std::string common =
        "encode " + in + " -f rawvideo --pix-fmt rgb24 --size 200x120 -y" + extra + " --quiet -o ";
    ASSERT_EQ(orvex(common + a).status, 0);
    ASSERT_EQ(orvex(common + b + " --one-frame-at-a-time").status, 0);
    const auto movie_a = read_file(a);
    EXPECT_GT(movie_a.size(), 12u * 100);
    EXPECT_EQ(movie_a, read_file(b));
  }
}

}  // namespace
