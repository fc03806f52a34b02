// Movies written by Mov_Writer, read back by ffprobe and decoded by ffmpeg: stream parameters,
// video colours, and audio equal sample for sample to what was appended, padded with silence.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "VIDEO/mov_writer_hl.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_test::Bytes;

Mov_Writer open_movie(const std::string& path, uint16_t side, FrameRate rate, bool tc = false) {
  return Mov_Writer({.path = std::u16string(path.begin(), path.end()),
                     .width = side,
                     .height = side,
                     .format = {fourcc("Hap1"), "Hap", 24},
                     .frame_rate = rate,
                     .timecode = tc,
                     .timecode_start = 3600});
}

void add_frames(Mov_Writer& m, int count, uint32_t side, uint16_t rgb565 = 0) {
  const Bytes f = orvex_test::hap1_solid_frame(side, side, rgb565);
  for (int i = 0; i < count; ++i) m.add_video_frame(f.data(), uint32_t(f.size()));
}

Bytes decode(const std::string& movie, const std::string& args) {
  int status = -1;
  const std::string out = orvex_test::run_command(
      "ffmpeg -nostdin -v error -i '" + movie + "' " + args + " -", &status);
  EXPECT_EQ(status, 0) << args;
  return Bytes(out.begin(), out.end());
}

// Hap1 frames of solid colours and a timecode track starting at frame 3600.
TEST(FfmpegReadsMovie, Hap1VideoDecodesToItsColoursAndTimecode) {
  const uint16_t rgb565[] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000};
  const uint8_t rgb[][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}};
  const uint32_t side = 32, frames = 10;
  orvex_test::TempDir dir;
  const std::string path = dir.file("video.mov");
  {
    Mov_Writer m = open_movie(path, side, {30000, 1001}, 1);
    for (uint32_t i = 0; i < frames; ++i) add_frames(m, 1, side, rgb565[i % 5]);
    m.finalize();
  }
  auto v = orvex_test::ffprobe_stream(path, "v:0");
  EXPECT_EQ(v["codec_name"] + v["codec_tag_string"] + v["width"] + "x" + v["height"],
            "hapHap132x32");
  EXPECT_EQ(v["nb_read_packets"], "10");
  EXPECT_EQ(v["r_frame_rate"], "30000/1001");
  EXPECT_NEAR(std::stod(v["duration"]), 10 * 1001 / 30000.0, 1e-4);
  const std::string tc = orvex_test::run_command(
      "ffprobe -v error -show_entries stream_tags=timecode -of csv=p=0 '" + path + "'");
  EXPECT_NE(tc.find("00:02:00:00"), std::string::npos) << tc;

  const Bytes out = decode(path, "-map 0:v -f rawvideo -pix_fmt rgb24");
  ASSERT_EQ(out.size(), size_t{frames} * side * side * 3);
  for (size_t p = 0; p < out.size(); p += 37 * 3) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(out[p + c], rgb[p / (side * side * 3) % 5][c], 2) << p;
  }
}

// Audio layout of one round-trip case.
struct AudioCase {
  uint16_t channels, bits;
  uint8_t is_float;
  int32_t rate;
  double seconds;  // of audio appended; the video lasts 2.52 s
  std::string raw_format;
  size_t frame_bytes() const { return size_t{channels} * bits / 8; }
};
void PrintTo(const AudioCase& a, std::ostream* os) {
  *os << a.channels << "ch " << a.raw_format << " " << a.rate;
}

// Random samples; float ones within [-1, 1] so that none is a NaN.
Bytes make_audio(const AudioCase& a, size_t sample_frames, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out(sample_frames * a.frame_bytes());
  for (auto& byte : out) byte = static_cast<uint8_t>(rng());
  if (!a.is_float) return out;
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  for (size_t i = 0; i < out.size(); i += a.bits / 8) {
    const double d = dist(rng);
    const float f = float(d);
    std::memcpy(&out[i], a.bits == 64 ? static_cast<const void*>(&d) : &f, a.bits / 8);
  }
  return out;
}

// What the movie must hold: the appended audio cut or padded with silence to the video length.
void expect_track(const std::string& path, int track, const std::string& raw_format,
                  const Bytes& appended, size_t expected_bytes, uint8_t silence = 0) {
  Bytes want = appended;
  want.resize(expected_bytes, silence);
  const Bytes got = decode(path, "-map 0:a:" + std::to_string(track) + " -f " + raw_format);
  ASSERT_EQ(got.size(), want.size()) << "track " << track;
  EXPECT_TRUE(got == want) << "track " << track;
}

class AudioRoundTrip : public ::testing::TestWithParam<AudioCase> {};

TEST_P(AudioRoundTrip, DecodesToTheAppendedSamples) {
  const AudioCase& a = GetParam();
  const int video_frames = 63;  // 2.52 s at 25 fps
  orvex_test::TempDir dir;
  const std::string path = dir.file("audio.mov");
  const size_t appended = size_t(a.seconds * a.rate), fb = a.frame_bytes();
  const Bytes audio = make_audio(a, appended, a.rate + a.bits);
  {
    Mov_Writer m = open_movie(path, 16, {25, 1});
    m.set_audio_tracks(1, a.rate, a.bits, a.channels, a.is_float, 0);
    // Audio arrives in 1/10 s buffers, roughly alongside the video, the rest at the end.
    size_t sent = 0;
    for (int i = 0; i < video_frames; ++i) {
      add_frames(m, 1, 16, 0x07E0);
      while (sent < appended && sent * 25 < size_t(i + 1) * a.rate) {
        const size_t n = std::min(size_t(a.rate / 10), appended - sent);
        m.add_audio_samples(&audio[sent * fb], int64_t(n), 0);
        sent += n;
      }
    }
    if (sent < appended) m.add_audio_samples(&audio[sent * fb], int64_t(appended - sent), 0);
    m.finalize();
  }
  auto s = orvex_test::ffprobe_stream(path, "a:0");
  EXPECT_EQ(s["codec_name"], "pcm_" + a.raw_format);
  EXPECT_EQ(s["sample_rate"], std::to_string(a.rate));
  EXPECT_EQ(s["channels"], std::to_string(a.channels));
  const size_t expected_frames = size_t(a.rate * 63.0 / 25.0 + 0.5);
  expect_track(path, 0, a.raw_format, audio, expected_frames * fb, a.bits == 8 ? 128 : 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, AudioRoundTrip,
                         ::testing::Values(AudioCase{1, 16, 0, 44100, 1.3, "s16le"},
                                           AudioCase{2, 24, 0, 48000, 2.0, "s24le"},
                                           AudioCase{2, 32, 0, 88200, 2.6, "s32le"},
                                           AudioCase{1, 32, 1, 48000, 0.5, "f32le"},
                                           AudioCase{6, 16, 0, 48000, 2.7, "s16le"},
                                           AudioCase{6, 8, 0, 48000, 2.0, "u8"},
                                           AudioCase{2, 64, 1, 48000, 2.0, "f64le"}),
                         [](const auto& info) {
                           const AudioCase& a = info.param;
                           return std::to_string(a.channels) + "ch_" + a.raw_format + "_" +
                                  std::to_string(a.rate);
                         });

TEST(AudioRoundTrip, TracksOfTheirOwnFormatsAppendedInUnevenBuffers) {
  // Three tracks of different rates, channels and sample formats over 2.52 s of video, so that
  // each ends in a partial chunk of its own length. Track 0 gets single sample frames, then
  // buffers of a second and one frame; track 1 gets 3 s at once before any video (cut to the
  // video); track 2 gets buffers of a second and one frame only after the video is complete.
  const AudioCase tracks[3] = {{2, 16, 0, 48000, 2.0, "s16le"},
                               {1, 24, 0, 44100, 3.0, "s24le"},
                               {6, 32, 1, 96000, 1.5, "f32le"}};
  std::vector<Bytes> audio;
  std::vector<AudioTrackFormat> formats;
  for (const AudioCase& a : tracks) {
    audio.push_back(make_audio(a, size_t(a.seconds * a.rate) + 5, a.rate));
    formats.push_back({a.rate, a.bits, a.channels, a.is_float, 0});
  }
  orvex_test::TempDir dir;
  const std::string path = dir.file("tracks.mov");
  {
    Mov_Writer m = open_movie(path, 16, {25, 1});
    m.set_audio_tracks(formats);
    // Appends track t from sample frame `from` in buffers of `step`, up to `to`.
    const auto append = [&](int t, size_t from, size_t to, size_t step) {
      const size_t fb = tracks[t].frame_bytes();
      for (size_t at = from; at < to; at += step)
        m.add_audio_samples(&audio[t][at * fb], int64_t(std::min(step, to - at)), t);
      return to;
    };
    const auto frames = [&](int t) { return audio[t].size() / tracks[t].frame_bytes(); };
    const size_t rate0 = tracks[0].rate, all0 = frames(0);
    append(1, 0, frames(1), frames(1));
    size_t sent0 = 0;
    for (int i = 0; i < 63; ++i) {
      add_frames(m, 1, 16, 0x001F);
      if (i < 3)
        sent0 = append(0, sent0, sent0 + 1, 1);
      else if (i % 25 == 0)
        sent0 = append(0, sent0, std::min(sent0 + rate0 + 1, all0), rate0 + 1);
    }
    append(0, sent0, all0, all0);
    append(2, 0, frames(2), tracks[2].rate + 1);
    m.finalize();
  }
  for (int t = 0; t < 3; ++t) {
    const AudioCase& a = tracks[t];
    auto s = orvex_test::ffprobe_stream(path, "a:" + std::to_string(t));
    EXPECT_EQ(s["sample_rate"] + " " + s["channels"],
              std::to_string(a.rate) + " " + std::to_string(a.channels));
    expect_track(path, t, a.raw_format, audio[t],
                 size_t(a.rate * 63.0 / 25.0 + 0.5) * a.frame_bytes());
  }
}

}  // namespace
