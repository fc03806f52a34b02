// Whole renders through the simulated host: every variant from 8- and 16-bit worlds with mono or
// stereo audio in 16-bit integer or 32-bit float samples. FFmpeg decodes the movies; pictures
// must be close to what the host rendered and audio identical. The user's choices (Snappy,
// chunk count, frame mode) must show in the frames written.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/sim/sim_frames.h"
#include "host/sim/sim_render.h"
#include "tests/host/host_test_support.h"
#include "tests/support/bc7_decoder.h"
#include "tests/support/hap_frame_reader.h"
#include "tests/support/psnr.h"

namespace {

using orvex_sim::Host;
using orvex_sim::RenderRequest;
using orvex_sim::RenderResult;

std::u16string u16(const std::string& s) {
  return {s.begin(), s.end()};
}

std::string decode(const std::string& movie, const std::string& args) {
  return orvex_test::run_command("ffmpeg -v error -i '" + movie + "' " + args + " -");
}

std::string probe(const std::string& movie, const std::string& entries) {
  return orvex_test::run_command("ffprobe -v error -select_streams v:0 -show_entries " + entries +
                                 " -of default=nw=1 '" + movie + "'");
}

std::vector<uint8_t> file_bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// The bytes of video sample `index` of `movie` (ffprobe lists each packet's size, then its pos).
std::vector<uint8_t> video_sample(const std::string& movie, size_t index) {
  std::istringstream table(orvex_test::run_command(
      "ffprobe -v error -select_streams v:0 -show_entries packet=size,pos -of csv=p=0 '" + movie +
      "'"));
  size_t size = 0, pos = 0;
  char comma = 0;
  for (size_t i = 0; i <= index; ++i)
    if (!(table >> size >> comma >> pos)) return {};
  const std::vector<uint8_t> file = file_bytes(movie);
  if (pos + size > file.size()) return {};
  return {file.begin() + pos, file.begin() + pos + size};
}

class Renders : public orvex_test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    dir_ = orvex_test::scratch_dir();
  }
  // Renders `request` to `name` and checks that the render went through cleanly.
  std::string render(RenderRequest request, const std::string& name, RenderResult* out = nullptr) {
    const std::string movie = dir_ + "/" + name;
    request.target.path = u16(movie);
    orvex_test::StdoutCapture capture;
    RenderResult result = orvex_sim::run_render(host(), request);
    const std::string log = capture.finish();
    EXPECT_TRUE(result.all_ok()) << "start " << result.start << ", end " << result.end << "\n"
                                 << log;
    EXPECT_TRUE(host().user_messages.empty()) << host().user_messages.front();
    EXPECT_EQ(host().live_handles(), 0u);
    if (out) *out = std::move(result);
    return movie;
  }
  std::string dir_;
};

struct MovieCase {
  uint32_t codec;
  A_short depth;
  A_short channels, sample_size;
  A_long width, height;
};

std::string case_name(const ::testing::TestParamInfo<MovieCase>& info) {
  static const char* names[] = {"Hap", "HapAlpha", "HapQ", "HapQAlpha", "AlphaOnly", "HapR"};
  const MovieCase& c = info.param;
  return std::string(names[c.codec]) + "_" + std::to_string(c.depth) + "bit_" +
         std::to_string(c.channels) + "ch" + (c.sample_size == 4 ? "f32" : "s16");
}

class MovieRenders : public Renders, public ::testing::WithParamInterface<MovieCase> {};

TEST_P(MovieRenders, DecodesCloseToTheRenderedFrames) {
  const MovieCase& c = GetParam();
  RenderRequest request;
  request.codec = c.codec;
  request.frames = 6;
  request.target.width = c.width;
  request.target.height = c.height;
  request.target.depth = c.depth;
  request.target.channels = c.channels;
  request.target.sample_size = c.sample_size;
  request.target.sound_rate = 8000;
  RenderResult result;
  const std::string movie = render(request, "movie.mov", &result);

  static const char* tags[] = {"Hap1", "Hap5", "HapY", "HapM", "HapA", "Hap7"};
  EXPECT_EQ(probe(movie, "stream=codec_tag_string,width,height,nb_frames"),
            "codec_tag_string=" + std::string(tags[c.codec]) +
                "\nwidth=" + std::to_string(c.width) + "\nheight=" + std::to_string(c.height) +
                "\nnb_frames=6\n");

  const bool alpha = orvex_sim::depth_has_alpha(c.depth);
  const size_t pixel_count = size_t(c.width) * c.height;
  auto check_picture = [&](int i, const uint8_t* got) {
    const std::vector<uint8_t> want = orvex_sim::pattern_rgba8(i, c.width, c.height, alpha);
    if (c.codec == 4) {
      // The alpha-only texture decodes as grey: compare it with the rendered alpha.
      EXPECT_GE(orvex_test::psnr(got, want.data() + 3, pixel_count, 4), 35.0) << "frame " << i;
      return;
    }
    EXPECT_GE(orvex_test::psnr_rgb(got, want.data(), pixel_count), 32.0) << "frame " << i;
    if (c.codec == 1 || c.codec == 3 || (c.codec == 5 && alpha)) {
      EXPECT_GE(orvex_test::psnr_alpha(got, want.data(), pixel_count), 35.0) << "frame " << i;
    }
  };
  if (c.codec != 5) {
    const std::string pixels = decode(movie, "-f rawvideo -pix_fmt rgba");
    const size_t frame_bytes = pixel_count * 4;
    ASSERT_EQ(pixels.size(), frame_bytes * request.frames);
    for (int i = 0; i < request.frames; ++i)
      check_picture(i, reinterpret_cast<const uint8_t*>(pixels.data()) + i * frame_bytes);
  } else {
    // FFmpeg has no Hap R decoder: the test-side BC7 decoder reads the frames.
    for (int i = 0; i < request.frames; ++i) {
      const auto layout = orvex_test::read_hap_frame(video_sample(movie, i));
      ASSERT_EQ(layout.textures.size(), 1u);
      check_picture(
          i, orvex_test::bc7_decode_texture(layout.textures[0].texture.data(), c.width, c.height)
                 .data());
    }
  }

  if (c.channels > 0) {
    const std::string format = c.sample_size == 4 ? "f32le" : "s16le";
    const std::string decoded = decode(movie, "-map 0:a:0 -f " + format);
    EXPECT_TRUE(std::vector<uint8_t>(decoded.begin(), decoded.end()) == result.audio)
        << "audio differs from the samples handed over";
  } else {
    EXPECT_EQ(
        orvex_test::run_command("ffprobe -v error -select_streams a -show_entries stream=index "
                                "-of csv=p=0 '" +
                                movie + "'"),
        "")
        << "no audio track";
  }
}

// Each variant from an 8-bit and a 16-bit world; audio layouts and odd sizes spread over them.
INSTANTIATE_TEST_SUITE_P(
    Variants, MovieRenders,
    ::testing::Values(MovieCase{0, 24, 2, 2, 64, 48}, MovieCase{0, 48, 1, 4, 70, 38},
                      MovieCase{1, 32, 1, 2, 64, 48}, MovieCase{1, 64, 2, 4, 70, 38},
                      MovieCase{2, 24, 2, 4, 64, 48}, MovieCase{2, 48, 1, 2, 70, 38},
                      MovieCase{3, 32, 0, 2, 64, 48}, MovieCase{3, 64, 2, 2, 70, 38},
                      MovieCase{4, 32, 1, 4, 64, 48}, MovieCase{4, 64, 0, 2, 70, 38},
                      MovieCase{5, 32, 2, 2, 64, 48}, MovieCase{5, 48, 1, 4, 70, 38}),
    case_name);

TEST_F(Renders, ChoicesReachTheFrames) {
  RenderRequest request;
  request.frames = 3;
  request.target.width = 64;
  request.target.height = 48;
  request.flat_picture = true;  // compresses, so that Snappy chunks are kept

  request.snappy = false;
  const auto raw = orvex_test::read_hap_frame(video_sample(render(request, "raw.mov"), 0));
  ASSERT_EQ(raw.textures.size(), 1u);
  EXPECT_EQ(raw.textures[0].type >> 4, 0xA) << "Snappy off stores the texture as it is";

  request.snappy = true;
  request.chunks = 4;
  const auto four = orvex_test::read_hap_frame(video_sample(render(request, "four.mov"), 0));
  ASSERT_TRUE(four.textures[0].chunked());
  EXPECT_EQ(four.textures[0].chunk_compressors.size(), 4u);

  request.chunks = 0;  // Snappy on with no chunk count: one chunk
  const auto one = orvex_test::read_hap_frame(video_sample(render(request, "one.mov"), 0));
  ASSERT_TRUE(one.textures[0].chunked());
  EXPECT_EQ(one.textures[0].chunk_compressors.size(), 1u);

  // Several frames at a time or one at a time: the same movie. The host's rate and pixel aspect
  // reach it too.
  request.flat_picture = false;
  request.chunks = 8;
  request.target.fps = 0x17F9DB;  // 23.976 as the host gives it
  request.target.hsf = {2, 1};
  request.frame_mode = 1;
  const std::string pool = render(request, "pool.mov");
  request.frame_mode = 2;
  const std::string single = render(request, "single.mov");
  EXPECT_EQ(file_bytes(pool), file_bytes(single));
  EXPECT_EQ(probe(single, "stream=r_frame_rate,sample_aspect_ratio"),
            "sample_aspect_ratio=2:1\nr_frame_rate=24000/1001\n");
}

TEST(HostSimulatorCommand, RendersByHand) {
  const std::string movie = orvex_test::scratch_dir() + "/by_hand.mov";
  int status = -1;
  const std::string out = orvex_test::run_command(
      std::string(ORVEX_HOST_SIM_PATH) + " render -c hap --depth 48 --frames 4 --size 40x24 " +
          "--audio mono -o '" + movie + "'",
      &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("end adding: 0"), std::string::npos) << out;
  EXPECT_EQ(probe(movie, "stream=width,height,nb_frames"), "width=40\nheight=24\nnb_frames=4\n");

  // A scenario option: the host refuses the frame rate query.
  const std::string refused = orvex_test::run_command(
      std::string(ORVEX_HOST_SIM_PATH) + " render --fail fps=3 -o '" + movie + "'", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(refused.find("ERROR : Unknown Error 1_1"), std::string::npos) << refused;
  EXPECT_NE(refused.find("user message: Unknown Error 1_1"), std::string::npos) << refused;
}

}  // namespace
