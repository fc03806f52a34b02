// Whole renders through the simulated host: every variant from 8- and 16-bit worlds with mono or
// stereo audio in each sample format the movie stores (8-bit unsigned, 16- and 32-bit integer,
// 32-bit float). FFmpeg decodes the movies; pictures must be close to what the host rendered and
// audio identical. Sound the movie cannot hold gives a movie without audio and a message. The
// user's choices (Snappy, chunk count, frame mode) must show in the frames written, and a file
// the host reserved is written into as it stands.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "host/sim/sim_frames.h"
#include "host/sim/sim_render.h"
#include "inspect/bc7_decoder.h"
#include "inspect/hap_frame_reader.h"
#include "inspect/psnr.h"
#include "tests/host/host_test_support.h"
#include "tests/support/movie_probe.h"

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
  std::string render(RenderRequest request, const std::string& name, RenderResult* out = nullptr,
                     const std::vector<std::string>& messages = {}) {
    request.target.path = path_in_dir(name);
    host().user_messages.clear();
    testing::internal::CaptureStdout();
    RenderResult result = orvex_sim::run_render(host(), request);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(result.all_ok()) << "start " << result.start << ", end " << result.end << "\n"
                                 << log;
    EXPECT_EQ(host().user_messages, messages);
    EXPECT_EQ(host().live_handles(), 0u);
    if (out) *out = std::move(result);
    return dir_.file(name);
  }
};

// A sample format of the host, the movie's sample description for it and how FFmpeg writes it
// out raw.
struct SoundFormat {
  AEIO_SndEncoding encoding;
  AEIO_SndSampleSize bytes;
  const char* tag;
  const char* raw;
};
constexpr SoundFormat kU8{AEIO_E_UNSIGNED_PCM, 1, "raw ", "u8"},
    kS16{AEIO_E_SIGNED_PCM, 2, "sowt", "s16le"}, kS32{AEIO_E_SIGNED_PCM, 4, "in32", "s32le"},
    kF32{AEIO_E_SIGNED_FLOAT, 4, "fl32", "f32le"};

struct MovieCase {
  uint32_t codec;
  A_short depth;
  A_short channels;
  SoundFormat sound;
  A_long width, height;
};

void PrintTo(const MovieCase& c, std::ostream* os) {
  *os << "codec " << c.codec << ", depth " << c.depth << ", " << c.channels << " channels "
      << c.sound.raw;
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
                    .sound_encoding = c.sound.encoding,
                    .sample_size = c.sound.bytes,
                    .channels = c.channels};
  RenderResult result;
  const std::string movie = render(request, "movie.mov", &result);

  // The sample description names the variant and states its depth: 32 with alpha (Hap R only
  // when the world has it).
  static const char* tags[] = {"Hap1", "Hap5", "HapY", "HapM", "HapA", "Hap7"};
  static const char* names[] = {"Hap",         "Hap Alpha",      "Hap Q",
                                "Hap Q Alpha", "Hap Alpha-Only", "Hap R"};
  EXPECT_EQ(probe(movie, "stream=codec_tag_string,width,height,nb_frames:stream_tags=encoder"),
            "codec_tag_string=" + std::string(tags[c.codec]) +
                "\nwidth=" + std::to_string(c.width) + "\nheight=" + std::to_string(c.height) +
                "\nnb_frames=6\nTAG:encoder=" + names[c.codec] + "\n");
  const bool alpha = orvex_sim::depth_has_alpha(c.depth);
  const std::vector<uint8_t> file = orvex_test::read_file(movie);
  const size_t description =
      orvex_test::find_atom(file, "moov/trak/mdia/minf/stbl/stsd").body() + 8;
  EXPECT_EQ(file.at(description + 8 + 75),
            c.codec == 1 || c.codec == 3 || (c.codec == 5 && alpha) ? 32 : 24);

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

  if (c.channels) {
    EXPECT_EQ(run_command("ffprobe -v error -select_streams a:0 -show_entries "
                          "stream=codec_tag_string,channels -of default=nw=1 '" +
                          movie + "'"),
              "codec_tag_string=" + std::string(c.sound.tag) +
                  "\nchannels=" + std::to_string(c.channels) + "\n");
  }
  const std::string decoded =
      run_command("ffmpeg -v error -i '" + movie + "' -map 0:a:0? -f " + c.sound.raw + " -");
  EXPECT_TRUE(std::vector<uint8_t>(decoded.begin(), decoded.end()) == result.audio)
      << "audio differs from the samples handed over";
}

// Each variant once (Hap R with and without alpha); 8- and 16-bit worlds, audio layouts and odd
// sizes spread over them.
INSTANTIATE_TEST_SUITE_P(
    Variants, MovieRenders,
    ::testing::Values(MovieCase{0, 24, 2, kS16, 64, 48}, MovieCase{0, 48, 1, kF32, 70, 38},
                      MovieCase{1, 64, 2, kS32, 70, 38}, MovieCase{2, 48, 1, kU8, 70, 38},
                      MovieCase{3, 32, 0, kS16, 64, 48}, MovieCase{4, 64, 2, kF32, 70, 38},
                      MovieCase{5, 32, 2, kS16, 64, 48}, MovieCase{5, 48, 1, kU8, 70, 38}));

// The movie keeps every frame and has no audio track; the sound handed over is dropped.
TEST_F(Renders, SoundTheMovieCannotHoldGivesAVideoOnlyMovie) {
  const struct {
    A_short channels;
    AEIO_SndEncoding encoding;
    AEIO_SndSampleSize bytes;
    const char* message;
  } cases[] = {
      {6, AEIO_E_SIGNED_PCM, 2, "No audio written: 6 channels (mono or stereo only)."},
      {2, AEIO_E_SIGNED_PCM, 1,
       "No audio written: unsupported sound format (encoding 2, 1 bytes per sample)."},
      {1, AEIO_E_SIGNED_FLOAT, 2,
       "No audio written: unsupported sound format (encoding 3, 2 bytes per sample)."},
  };
  for (const auto& c : cases) {
    RenderRequest request;
    request.frames = 4;
    request.target = {.width = 32,
                      .height = 16,
                      .sound_encoding = c.encoding,
                      .sample_size = c.bytes,
                      .channels = c.channels};
    const std::string movie = render(request, "video_only.mov", nullptr, {c.message});
    EXPECT_EQ(orvex_test::ffprobe_stream(movie, "v:0")["nb_read_packets"], "4") << c.message;
    EXPECT_EQ(run_command("ffprobe -v error -select_streams a -show_entries stream=index -of csv "
                          "'" +
                          movie + "'"),
              "")
        << c.message;
  }
}

// A reserved output file was created by the host: the movie goes into that very file (a second
// name for it sees the movie).
TEST_F(Renders, ReservedFileIsWrittenInPlace) {
  RenderRequest request;
  request.frames = 2;
  request.target = {.file_reserved = true, .width = 32, .height = 16};
  const std::string movie = dir_.file("reserved.mov");
  const std::string other_name = dir_.file("reserved_link.mov");
  request.target.path = path_in_dir("reserved.mov");
  ASSERT_TRUE(std::ofstream(movie).good());
  ASSERT_EQ(::link(movie.c_str(), other_name.c_str()), 0);
  // run_render creates the file again (empty) as the host does before the render.
  render(request, "reserved.mov");
  const std::vector<uint8_t> written = orvex_test::read_file(other_name);
  EXPECT_GT(written.size(), 48u);
  EXPECT_EQ(written, orvex_test::read_file(movie));
  EXPECT_EQ(orvex_test::ffprobe_stream(other_name, "v:0")["nb_read_packets"], "2");
}

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

// The host quits in the middle of a render (no end adding, no shutdown call): the process exits
// while frames are still being compressed, and nothing the frame threads read is gone before
// they are joined (the sanitized build reports any such read).
TEST(HostSimulatorCommand, ExitDuringARender) {
  orvex_test::TempDir dir;
  int status = -1;
  const std::string out =
      run_command(std::string(ORVEX_HOST_SIM_PATH) +
                      " render -c hap -q slow --size 640x360 --frames 2 --abandon -o '" +
                      dir.file("abandoned.mov") + "' 2>&1",
                  &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
}

}  // namespace
