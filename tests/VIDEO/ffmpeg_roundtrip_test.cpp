// Movies written by Mov_Writer, decoded by ffmpeg: every track's audio equals, sample for sample,
// what was appended, cut or padded with silence to the video's length. Video colours, rates and
// timecodes are decoded by ffmpeg in the end-to-end tests.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "VIDEO/mov_writer_hl.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_test::Bytes;

// Audio layout of one track.
struct AudioCase {
  uint16_t channels, bits;
  uint8_t is_float;
  int32_t rate;
  double seconds;  // of audio appended; the video lasts 2.52 s
  std::string raw_format;
  size_t frame_bytes() const { return size_t{channels} * bits / 8; }
};

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

TEST(AudioRoundTrip, TracksOfTheirOwnFormatsAppendedInUnevenBuffers) {
  // Tracks of every sample format, rates and channel counts over 2.52 s of video, so that each
  // ends in a partial chunk of its own length. Track 0 gets single sample frames, then buffers
  // of a second and one frame alongside the video; track 1 gets 3 s at once before any video
  // (cut to the video); the others get buffers of a second and one frame only after the video
  // is complete (padded with silence, 128 in 8-bit).
  const AudioCase tracks[] = {{2, 16, 0, 48000, 2.0, "s16le"}, {1, 24, 0, 44100, 3.0, "s24le"},
                              {6, 32, 1, 96000, 1.5, "f32le"}, {2, 32, 0, 88200, 2.6, "s32le"},
                              {6, 8, 0, 48000, 2.0, "u8"},     {2, 64, 1, 48000, 2.0, "f64le"}};
  std::vector<Bytes> audio;
  std::vector<AudioTrackFormat> formats;
  for (const AudioCase& a : tracks) {
    audio.push_back(make_audio(a, size_t(a.seconds * a.rate) + 5, a.rate + a.bits));
    formats.push_back({a.rate, a.bits, a.channels, a.is_float, 0});
  }
  orvex_test::TempDir dir;
  const std::string path = dir.file("tracks.mov");
  {
    Mov_Writer m({.path = std::u16string(path.begin(), path.end()),
                  .width = 16,
                  .height = 16,
                  .format = {fourcc("Hap1"), "Hap", 24},
                  .frame_rate = {25, 1}});
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
    const Bytes frame = orvex_test::hap1_solid_frame(16, 16, 0x001F);
    size_t sent0 = 0;
    for (int i = 0; i < 63; ++i) {
      m.add_video_frame(frame.data(), uint32_t(frame.size()));
      if (i < 3)
        sent0 = append(0, sent0, sent0 + 1, 1);
      else if (i % 25 == 0)
        sent0 = append(0, sent0, std::min(sent0 + rate0 + 1, all0), rate0 + 1);
    }
    append(0, sent0, all0, all0);
    for (int t = 2; t < int(audio.size()); ++t) append(t, 0, frames(t), tracks[t].rate + 1);
    m.finalize();
  }
  for (int t = 0; t < int(audio.size()); ++t) {
    const AudioCase& a = tracks[t];
    SCOPED_TRACE(testing::Message() << "track " << t << " " << a.raw_format);
    auto s = orvex_test::ffprobe_stream(path, "a:" + std::to_string(t));
    EXPECT_EQ(
        s["codec_name"] + " " + s["sample_rate"] + " " + s["channels"],
        "pcm_" + a.raw_format + " " + std::to_string(a.rate) + " " + std::to_string(a.channels));
    Bytes want = audio[t];
    want.resize(size_t(a.rate * 63.0 / 25.0 + 0.5) * a.frame_bytes(), a.bits == 8 ? 128 : 0);
    int status = -1;
    const std::string got = orvex_test::run_command("ffmpeg -nostdin -v error -i '" + path +
                                                        "' -map 0:a:" + std::to_string(t) + " -f " +
                                                        a.raw_format + " -",
                                                    &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(got.size(), want.size());
    EXPECT_TRUE(Bytes(got.begin(), got.end()) == want);
  }
}

}  // namespace
