// Whole renders through the simulated host: every variant from 8- and 16-bit worlds with mono or
// stereo audio in 16-bit integer or 32-bit float samples. FFmpeg decodes the movies; pictures
// must be close to what the host rendered and audio identical. The user's choices (Snappy,
// chunk count, frame mode) must show in the frames written.
#include <gtest/gtest.h>

#include <sstream>

#include "host/sim/sim_frames.h"
#include "host/sim/sim_render.h"
#include "inspect/bc7_decoder.h"
#include "inspect/hap_frame_reader.h"
#include "inspect/psnr.h"
#include "tests/host/host_test_support.h"

namespace {

using orvex_sim::RenderRequest;
using orvex_sim::RenderResult;
using orvex_test::run_command;

std::string probe(const std::string& movie, const std::string& entries) {
  return run_command("ffprobe -v error -select_streams v:0 -show_entries " + entries +
                     " -of default=nw=1 '" + movie + "'");
}

// The Hap frame of video sample `index` (ffprobe lists each packet's size, then its pos).
orvex_inspect::HapFrameLayout video_frame(const std::string& movie, size_t index) {
  std::istringstream table(
      run_command("ffprobe -v error -select_streams v:0 -show_entries "
                  "packet=size,pos -of csv=p=0 '" +
                  movie + "'"));
  size_t size = 0, pos = 0;
  char comma = 0;
  for (size_t i = 0; i <= index; ++i) table >> size >> comma >> pos;
  const std::vector<uint8_t> file = orvex_test::read_file(movie);
  if (!table || pos + size > file.size()) throw std::runtime_error("no video sample");
  return orvex_inspect::read_hap_frame(file.data() + pos, size);
}

class Renders : public orvex_test::HostTest {
 protected:
  // Renders `request` to `name` and checks that the render went through cleanly.
  std::string render(RenderRequest request, const std::string& name, RenderResult* out = nullptr) {
    request.target.path = path_in_dir(name);
    testing::internal::CaptureStdout();
    RenderResult result = orvex_sim::run_render(host(), request);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(result.all_ok()) << "start " << result.start << ", end " << result.end << "\n"
                                 << log;
    EXPECT_EQ(host().user_messages, std::vector<std::string>{});
    EXPECT_EQ(host().live_handles(), 0u);
    if (out) *out = std::move(result);
    return dir_.file(name);
  }
};

struct MovieCase {
  uint32_t codec;
  A_short depth;
  A_short channels, sample_size;
  A_long width, height;
};

void PrintTo(const MovieCase& c, std::ostream* os) {
  *os << "codec " << c.codec << ", depth " << c.depth << ", " << c.channels << " channels";
}

class MovieRenders : public Renders, public ::testing::WithParamInterface<MovieCase> {};

TEST_P(MovieRenders, DecodesCloseToTheRenderedFrames) {
  const MovieCase& c = GetParam();
  RenderRequest request;
  request.codec = c.codec;
  request.frames = 6;
  request.target = {.width = c.width,
                    .height = c.height,
                    .depth = c.depth,
                    .sound_rate = 8000,
                    .sample_size = c.sample_size,
                    .channels = c.channels};
  RenderResult result;
  const std::string movie = render(request, "movie.mov", &result);

  static const char* tags[] = {"Hap1", "Hap5", "HapY", "HapM", "HapA", "Hap7"};
  EXPECT_EQ(probe(movie, "stream=codec_tag_string,width,height,nb_frames"),
            "codec_tag_string=" + std::string(tags[c.codec]) +
                "\nwidth=" + std::to_string(c.width) + "\nheight=" + std::to_string(c.height) +
                "\nnb_frames=6\n");

  const bool alpha = orvex_sim::depth_has_alpha(c.depth);
  const size_t pixel_count = size_t(c.width) * c.height;
  // FFmpeg has no Hap R decoder: the test-side BC7 decoder reads those frames.
  const size_t frame_bytes = pixel_count * 4;
  const std::string pixels =
      c.codec == 5 ? std::string(frame_bytes * request.frames, 0)
                   : run_command("ffmpeg -v error -i '" + movie + "' -f rawvideo -pix_fmt rgba -");
  ASSERT_EQ(pixels.size(), frame_bytes * request.frames);
  for (int i = 0; i < request.frames; ++i) {
    std::vector<uint8_t> got(pixels.begin() + i * frame_bytes,
                             pixels.begin() + (i + 1) * frame_bytes);
    if (c.codec == 5) {
      got = orvex_inspect::bc7_decode_texture(video_frame(movie, i).textures.at(0).texture.data(),
                                              c.width, c.height);
    }
    const std::vector<uint8_t> want = orvex_sim::pattern_rgba8(i, c.width, c.height, alpha);
    if (c.codec == 4) {
      // The alpha-only texture decodes as grey: compare it with the rendered alpha.
      EXPECT_GE(orvex_inspect::psnr(got.data(), want.data() + 3, pixel_count, 4), 35.0) << i;
      continue;
    }
    EXPECT_GE(orvex_inspect::psnr_rgb(got.data(), want.data(), pixel_count), 32.0) << i;
    if (c.codec == 1 || c.codec == 3 || (c.codec == 5 && alpha)) {
      EXPECT_GE(orvex_inspect::psnr_alpha(got.data(), want.data(), pixel_count), 35.0) << i;
    }
  }

  const std::string format = c.sample_size == 4 ? "f32le" : "s16le";
  const std::string decoded =
      run_command("ffmpeg -v error -i '" + movie + "' -map 0:a:0? -f " + format + " -");
  EXPECT_TRUE(std::vector<uint8_t>(decoded.begin(), decoded.end()) == result.audio)
      << "audio differs from the samples handed over";
}

// Each variant once; 8- and 16-bit worlds, audio layouts and odd sizes spread over them.
INSTANTIATE_TEST_SUITE_P(
    Variants, MovieRenders,
    ::testing::Values(MovieCase{0, 24, 2, 2, 64, 48}, MovieCase{0, 48, 1, 4, 70, 38},
                      MovieCase{1, 64, 2, 4, 70, 38}, MovieCase{2, 48, 1, 2, 70, 38},
                      MovieCase{3, 32, 0, 2, 64, 48}, MovieCase{4, 64, 0, 2, 70, 38},
                      MovieCase{5, 32, 2, 2, 64, 48}));

TEST_F(Renders, ChoicesReachTheFrames) {
  RenderRequest request;
  request.frames = 3;
  request.target = {.width = 64, .height = 48};
  request.flat_picture = true;  // compresses, so that Snappy chunks are kept
  // Chunk count with Snappy on, and the chunks written (0: stored as is).
  for (auto [snappy, chunks, written] :
       {std::tuple{false, 8u, 0u}, {true, 4u, 4u}, {true, 0u, 1u}}) {
    request.snappy = snappy, request.chunks = chunks;
    const auto frame = video_frame(render(request, "choice.mov"), 0).textures.at(0);
    EXPECT_EQ(frame.chunk_compressors.size(), written) << chunks;
    EXPECT_EQ(frame.type >> 4, written ? 0xC : 0xA) << chunks;
  }

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
  EXPECT_EQ(orvex_test::read_file(pool), orvex_test::read_file(single));
  EXPECT_EQ(probe(single, "stream=r_frame_rate,sample_aspect_ratio"),
            "sample_aspect_ratio=2:1\nr_frame_rate=24000/1001\n");
}

TEST(HostSimulatorCommand, RendersByHand) {
  orvex_test::TempDir dir;
  const std::string sim = std::string(ORVEX_HOST_SIM_PATH) + " render ";
  const std::string movie = dir.file("by_hand.mov");
  int status = -1;
  const std::string out = run_command(
      sim + "-c hap --depth 48 --frames 4 --size 40x24 --audio mono -o '" + movie + "'", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("end adding: 0"), std::string::npos) << out;
  EXPECT_EQ(probe(movie, "stream=width,height,nb_frames"), "width=40\nheight=24\nnb_frames=4\n");

  // A scenario option: the host refuses the frame rate query.
  const std::string refused = run_command(sim + "--fail fps=3 -o '" + movie + "'", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(refused.find("user message: Unknown Error 1_1"), std::string::npos) << refused;
}

}  // namespace
