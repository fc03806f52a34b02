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

std::u16string u16(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

Bytes decode(const std::string& movie, const std::string& args) {
  int status = -1;
  const std::string out = orvex_test::run_command(
      "ffmpeg -nostdin -v error -i '" + movie + "' " + args + " -", &status);
  EXPECT_EQ(status, 0) << args;
  return Bytes(out.begin(), out.end());
}

TEST(FfmpegReadsMovie, Hap1VideoDecodesToItsColours) {
  struct Colour {
    uint16_t rgb565;
    uint8_t r, g, b;
  };
  const Colour colours[] = {{0xF800, 255, 0, 0},
                            {0x07E0, 0, 255, 0},
                            {0x001F, 0, 0, 255},
                            {0xFFFF, 255, 255, 255},
                            {0x0000, 0, 0, 0}};
  const uint32_t w = 64, h = 32, frames = 10;
  orvex_test::TempDir dir;
  const std::string path = dir.file("video.mov");
  {
    Mov_Writer m(u16(path), w, h, 24, {30000, 1001}, fourcc("Hap1"), 0, 1.0f, 0, 0, 0);
    for (uint32_t i = 0; i < frames; ++i) {
      const Bytes f = orvex_test::hap1_solid_frame(w, h, colours[i % 5].rgb565);
      m.add_video_frame(f.data(), uint32_t(f.size()));
    }
    m.finalize();
  }
  auto v = orvex_test::ffprobe_stream(path, "v:0");
  EXPECT_EQ(v["codec_name"], "hap");
  EXPECT_EQ(v["codec_tag_string"], "Hap1");
  EXPECT_EQ(v["width"], "64");
  EXPECT_EQ(v["height"], "32");
  EXPECT_EQ(v["nb_read_packets"], "10");
  EXPECT_EQ(v["r_frame_rate"], "30000/1001");
  EXPECT_NEAR(std::stod(v["duration"]), 10 * 1001 / 30000.0, 1e-4);

  const Bytes rgb = decode(path, "-f rawvideo -pix_fmt rgb24");
  ASSERT_EQ(rgb.size(), size_t{frames} * w * h * 3);
  for (uint32_t i = 0; i < frames; ++i) {
    const Colour& c = colours[i % 5];
    for (uint32_t p = 0; p < w * h; p += 37) {
      const uint8_t* px = &rgb[(size_t{i} * w * h + p) * 3];
      EXPECT_NEAR(px[0], c.r, 2) << "frame " << i;
      EXPECT_NEAR(px[1], c.g, 2) << "frame " << i;
      EXPECT_NEAR(px[2], c.b, 2) << "frame " << i;
    }
  }
}

TEST(FfmpegReadsMovie, TimecodeTrackGivesTheStartTimecode) {
  orvex_test::TempDir dir;
  const std::string path = dir.file("tc.mov");
  {
    Mov_Writer m(u16(path), 16, 16, 24, {25, 1}, fourcc("Hap1"), 0, 1.0f, 1, 3600, 0);
    const Bytes f = orvex_test::hap1_solid_frame(16, 16, 0);
    for (int i = 0; i < 5; ++i) m.add_video_frame(f.data(), uint32_t(f.size()));
    m.finalize();
  }
  const std::string tc = orvex_test::run_command(
      "ffprobe -v error -show_entries stream_tags=timecode -of csv=p=0 '" + path + "'");
  EXPECT_NE(tc.find("00:02:24:00"), std::string::npos) << tc;
}

// Audio layout of one round-trip case.
struct AudioCase {
  uint16_t channels;
  uint16_t bits;
  uint8_t is_float;
  int32_t rate;
  double seconds;  // of audio appended; the video lasts 2.52 s
  std::string raw_format;
  std::string codec;
};
void PrintTo(const AudioCase& a, std::ostream* os) {
  *os << a.channels << "ch " << a.raw_format << " " << a.rate;
}

size_t frame_bytes(const AudioCase& a) {
  return size_t{a.channels} * a.bits / 8;
}

Bytes make_audio(const AudioCase& a, size_t sample_frames, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out(sample_frames * frame_bytes(a));
  if (a.is_float && a.bits == 64) {
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    for (size_t i = 0; i + 8 <= out.size(); i += 8) {
      const double v = dist(rng);
      std::memcpy(&out[i], &v, 8);
    }
  } else if (a.is_float) {
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    for (size_t i = 0; i + 4 <= out.size(); i += 4) {
      const float v = dist(rng);
      std::memcpy(&out[i], &v, 4);
    }
  } else {
    for (auto& byte : out) byte = static_cast<uint8_t>(rng());
  }
  return out;
}

// What the movie must hold: the appended audio cut or padded with silence to the video length.
Bytes expected_track(const Bytes& appended, size_t expected_frames, size_t bytes_per_frame,
                     uint8_t silence = 0) {
  Bytes out = appended;
  out.resize(expected_frames * bytes_per_frame, silence);
  return out;
}

class AudioRoundTrip : public ::testing::TestWithParam<AudioCase> {};

TEST_P(AudioRoundTrip, DecodesToTheAppendedSamples) {
  const AudioCase& a = GetParam();
  const int video_frames = 63;  // 2.52 s at 25 fps
  orvex_test::TempDir dir;
  const std::string path = dir.file("audio.mov");
  const size_t appended_frames = size_t(a.seconds * a.rate);
  const Bytes audio = make_audio(a, appended_frames, a.rate + a.bits);
  {
    Mov_Writer m(u16(path), 16, 16, 24, {25, 1}, fourcc("Hap1"), 0, 1.0f, 0, 0, 0);
    m.set_audio_tracks(1, a.rate, a.bits, a.channels, a.is_float, 0);
    const Bytes f = orvex_test::hap1_solid_frame(16, 16, 0x07E0);
    // Audio arrives in 1/10 s buffers, roughly alongside the video.
    const size_t step = a.rate / 10;
    size_t sent = 0;
    for (int i = 0; i < video_frames; ++i) {
      m.add_video_frame(f.data(), uint32_t(f.size()));
      while (sent < appended_frames && sent * 25 < size_t(i + 1) * a.rate) {
        const size_t n = std::min(step, appended_frames - sent);
        m.add_audio_samples(&audio[sent * frame_bytes(a)], int64_t(n), 0);
        sent += n;
      }
    }
    if (sent < appended_frames)
      m.add_audio_samples(&audio[sent * frame_bytes(a)], int64_t(appended_frames - sent), 0);
    m.finalize();
  }
  auto s = orvex_test::ffprobe_stream(path, "a:0");
  EXPECT_EQ(s["codec_name"], a.codec);
  EXPECT_EQ(s["sample_rate"], std::to_string(a.rate));
  EXPECT_EQ(s["channels"], std::to_string(a.channels));

  const size_t expected_frames = size_t(a.rate * 63.0 / 25.0 + 0.5);
  const Bytes got = decode(path, "-map 0:a:0 -f " + a.raw_format);
  const Bytes want = expected_track(audio, expected_frames, frame_bytes(a), a.bits == 8 ? 128 : 0);
  ASSERT_EQ(got.size(), want.size());
  EXPECT_TRUE(got == want);
}

INSTANTIATE_TEST_SUITE_P(Layouts, AudioRoundTrip,
                         ::testing::Values(AudioCase{1, 16, 0, 44100, 1.3, "s16le", "pcm_s16le"},
                                           AudioCase{2, 16, 0, 48000, 3.0, "s16le", "pcm_s16le"},
                                           AudioCase{2, 24, 0, 48000, 2.0, "s24le", "pcm_s24le"},
                                           AudioCase{2, 32, 0, 44100, 2.52, "s32le", "pcm_s32le"},
                                           AudioCase{1, 32, 1, 48000, 0.5, "f32le", "pcm_f32le"},
                                           AudioCase{6, 16, 0, 48000, 2.7, "s16le", "pcm_s16le"},
                                           AudioCase{6, 24, 0, 44100, 1.0, "s24le", "pcm_s24le"},
                                           AudioCase{6, 32, 1, 96000, 2.0, "f32le", "pcm_f32le"},
                                           AudioCase{2, 32, 0, 88200, 2.6, "s32le", "pcm_s32le"},
                                           AudioCase{1, 24, 0, 96000, 1.5, "s24le", "pcm_s24le"},
                                           AudioCase{1, 8, 0, 44100, 2.0, "u8", "pcm_u8"},
                                           AudioCase{6, 8, 0, 48000, 2.0, "u8", "pcm_u8"},
                                           AudioCase{2, 64, 1, 48000, 2.0, "f64le", "pcm_f64le"}),
                         [](const auto& info) {
                           const AudioCase& a = info.param;
                           return std::to_string(a.channels) + "ch_" + a.raw_format + "_" +
                                  std::to_string(a.rate);
                         });

TEST(AudioRoundTrip, SeveralTracksAppendedInUnevenBuffers) {
  // Three stereo 16-bit 48 kHz tracks over 10 s of video. Track 0 gets single sample frames
  // then 1 s + 1 buffers; track 1 gets 7 s at once before any video; track 2 gets 1 s + 1
  // buffers only after the video is complete.
  const AudioCase a{2, 16, 0, 48000, 0, "s16le", "pcm_s16le"};
  const int video_frames = 250;
  const size_t rate = 48000, fb = 4;
  orvex_test::TempDir dir;
  const std::string path = dir.file("tracks.mov");
  std::vector<Bytes> audio = {make_audio(a, 9 * rate + 5, 1), make_audio(a, 7 * rate, 2),
                              make_audio(a, 11 * rate, 3)};
  {
    Mov_Writer m(u16(path), 16, 16, 24, {25, 1}, fourcc("Hap1"), 0, 1.0f, 0, 0, 0);
    m.set_audio_tracks(3, 48000, 16, 2, 0, 0);
    m.add_audio_samples(audio[1].data(), int64_t(7 * rate), 1);
    const Bytes f = orvex_test::hap1_solid_frame(16, 16, 0x001F);
    size_t sent0 = 0;
    for (int i = 0; i < video_frames; ++i) {
      m.add_video_frame(f.data(), uint32_t(f.size()));
      if (i < 3) {
        m.add_audio_samples(&audio[0][sent0 * fb], 1, 0);
        sent0 += 1;
      } else if (i % 25 == 0 && sent0 < audio[0].size() / fb) {
        const size_t n = std::min(rate + 1, audio[0].size() / fb - sent0);
        m.add_audio_samples(&audio[0][sent0 * fb], int64_t(n), 0);
        sent0 += n;
      }
    }
    if (sent0 < audio[0].size() / fb)
      m.add_audio_samples(&audio[0][sent0 * fb], int64_t(audio[0].size() / fb - sent0), 0);
    for (size_t sent2 = 0; sent2 < 11 * rate; sent2 += rate + 1)
      m.add_audio_samples(&audio[2][sent2 * fb], int64_t(std::min(rate + 1, 11 * rate - sent2)), 2);
    m.finalize();
  }
  for (int t = 0; t < 3; ++t) {
    const Bytes got = decode(path, "-map 0:a:" + std::to_string(t) + " -f s16le");
    const Bytes want = expected_track(audio[t], 10 * rate, fb);
    ASSERT_EQ(got.size(), want.size()) << "track " << t;
    EXPECT_TRUE(got == want) << "track " << t;
  }
}

}  // namespace
