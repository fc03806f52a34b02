// orvex-hap makes Hap movies from a media file with audio, from raw frames on standard input and
// from the built-in pattern; ffprobe reads them, ffmpeg decodes every frame close to the source,
// and the audio is the source's, sample for sample.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

// PSNR floor of DXT1 (normal quality) on the smooth test pictures, measured with ffmpeg's decoder.
constexpr double kPsnrFloor_dB = 30.0;

struct AudioCase {
  const char* source_codec;  // PCM codec of the source file
  const char* raw_format;    // raw form used to compare samples
  const char* movie_codec;   // what ffprobe reports for the movie's track
};

void PrintTo(const AudioCase& c, std::ostream* os) {
  *os << c.source_codec;
}

}  // namespace

class EncodeFileWithAudio : public testing::TestWithParam<AudioCase> {};

TEST_P(EncodeFileWithAudio, VideoCloseAndAudioExact) {
  const AudioCase c = GetParam();
  ScratchDir dir;
  const std::string in = dir.path("in.mkv"), out = dir.path("out.mov");
  // One second of 25 fps moving test picture (lossless FFV1 in 4:2:0) and a stereo 48 kHz tone.
  const RunResult made =
      run("ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -f lavfi -i "
          "sine=frequency=440:sample_rate=48000:duration=1 -ac 2 -c:v ffv1 -pix_fmt yuv420p -c:a " +
          std::string(c.source_codec) + " " + in);
  ASSERT_EQ(made.status, 0) << made.err;

  const RunResult r = orvex("encode " + quote(in) + " -o " + quote(out) + " --quiet");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(probe(out, "v", "codec_name"), "hap");
  EXPECT_EQ(probe(out, "v", "codec_tag_string"), "Hap1");
  EXPECT_EQ(probe(out, "v", "nb_frames"), "25");
  EXPECT_EQ(probe(out, "v", "r_frame_rate"), "25/1");
  EXPECT_EQ(probe(out, "a", "codec_name"), c.movie_codec);
  EXPECT_EQ(probe(out, "a", "channels"), "2");
  EXPECT_EQ(probe(out, "a", "sample_rate"), "48000");

  const auto source = decode_rgb24(in), decoded = decode_rgb24(out);
  ASSERT_EQ(decoded.size(), size_t{320} * 240 * 3 * 25);
  EXPECT_GE(psnr_bytes(source, decoded), kPsnrFloor_dB);

  const auto source_audio = decode_audio(in, c.raw_format);
  const auto movie_audio = decode_audio(out, c.raw_format);
  ASSERT_FALSE(source_audio.empty());
  EXPECT_EQ(movie_audio, source_audio);
}

INSTANTIATE_TEST_SUITE_P(PcmLayouts, EncodeFileWithAudio,
                         testing::Values(AudioCase{"pcm_s16le", "s16le", "pcm_s16le"},
                                         AudioCase{"pcm_s24le", "s24le", "pcm_s24le"},
                                         AudioCase{"pcm_f32le", "f32le", "pcm_f32le"}),
                         [](const testing::TestParamInfo<AudioCase>& info) {
                           return std::string(info.param.raw_format);
                         });

// Raw frames piped through standard input; frame sizes that are not multiples of 4 included.
class EncodeRawStdin : public testing::TestWithParam<std::pair<uint32_t, uint32_t>> {};

TEST_P(EncodeRawStdin, DecodesCloseToTheSource) {
  const auto [w, h] = GetParam();
  const int frames = 3;
  ScratchDir dir;
  std::vector<uint8_t> raw;
  for (int f = 0; f < frames; ++f) {
    const auto pic = test_picture_rgb24(w, h, f);
    raw.insert(raw.end(), pic.begin(), pic.end());
  }
  const std::string in = dir.path("in.rgb"), out = dir.path("out.mov");
  write_file(in, raw);
  const std::string size = std::to_string(w) + "x" + std::to_string(h);
  const RunResult r = orvex("encode - -f rawvideo --pix-fmt rgb24 --size " + size +
                            " --rate 30000/1001 -o " + quote(out) + " --quiet < " + quote(in));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(probe(out, "v", "width"), std::to_string(w));
  EXPECT_EQ(probe(out, "v", "height"), std::to_string(h));
  EXPECT_EQ(probe(out, "v", "r_frame_rate"), "30000/1001");
  const auto decoded = decode_rgb24(out);
  ASSERT_EQ(decoded.size(), raw.size());
  EXPECT_GE(psnr_bytes(raw, decoded), kPsnrFloor_dB);
}

INSTANTIATE_TEST_SUITE_P(Sizes, EncodeRawStdin,
                         testing::Values(std::make_pair(320u, 240u), std::make_pair(1u, 1u),
                                         std::make_pair(5u, 3u), std::make_pair(1921u, 1081u)),
                         [](const auto& info) {
                           return std::to_string(info.param.first) + "x" +
                                  std::to_string(info.param.second);
                         });

TEST(EncodePattern, MovieWithToneAndSummary) {
  ScratchDir dir;
  const std::string out = dir.path("pattern.mov");
  const RunResult r = orvex("encode --pattern=320x240 --duration 1 -o " + quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  // One summary line naming the movie, the frame count, size, variant and settings.
  EXPECT_EQ(
      r.err.rfind("orvex-hap: wrote " + out + ": 25 frames 320x240 Hap (normal, 8 chunks) in ", 0),
      0u)
      << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  EXPECT_EQ(probe(out, "v", "nb_frames"), "25");
  EXPECT_EQ(probe(out, "a", "codec_name"), "pcm_s16le");
  EXPECT_EQ(probe(out, "a", "channels"), "2");
  EXPECT_EQ(decode_rgb24(out).size(), size_t{320} * 240 * 3 * 25);
  // A tone: not silence.
  const auto audio = decode_audio(out, "s16le");
  ASSERT_EQ(audio.size(), size_t{48000} * 2 * 2);
  EXPECT_NE(std::count(audio.begin(), audio.end(), 0), static_cast<long>(audio.size()));
}

// Several frames at a time and one frame at a time write the same bytes, with and without Snappy.
TEST(EncodeModes, ByteIdenticalMovies) {
  ScratchDir dir;
  std::vector<uint8_t> raw;
  for (int f = 0; f < 12; ++f) {
    const auto pic = test_picture_rgb24(200, 120, f);
    raw.insert(raw.end(), pic.begin(), pic.end());
  }
  const std::string in = dir.path("in.rgb");
  write_file(in, raw);
  for (const char* extra : {"", " --no-snappy", " --chunks 3 -q fast"}) {
    SCOPED_TRACE(extra);
    const std::string common = " -f rawvideo --pix-fmt rgb24 --size 200x120 --quiet -y";
    const RunResult a = orvex("encode " + quote(in) + common + extra + " -o " + dir.path("a.mov"));
    const RunResult b = orvex("encode " + quote(in) + common + extra +
                              " --one-frame-at-a-time -o " + dir.path("b.mov"));
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    const auto movie_a = read_file(dir.path("a.mov"));
    EXPECT_GT(movie_a.size(), 12u * 100);
    EXPECT_EQ(movie_a, read_file(dir.path("b.mov")));
  }
}

// Timecode, drop-frame and pixel aspect options reach the movie as ffprobe reads it.
TEST(EncodeOptions, TimecodeAndPixelAspect) {
  ScratchDir dir;
  const std::string out = dir.path("tc.mov");
  const RunResult r = orvex(
      "encode --pattern=64x32 --frames 3 --rate 30000/1001 --no-audio "
      "--timecode 01:00:00:00 --drop-frame --par 2:1 --quiet -o " +
      out);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(probe(out, "v", "sample_aspect_ratio"), "2:1");
  const RunResult tc =
      run("ffprobe -v error -show_entries stream_tags=timecode -of csv=p=0 " + out);
  EXPECT_NE(tc.out.find("01:00:00;00"), std::string::npos) << tc.out;
  EXPECT_EQ(probe(out, "a", "codec_name"), "");
}
