// A movie beyond 4 GiB: the video chunk offsets switch to `co64` (the audio's, all below
// 4 GiB, do not), and ffmpeg finds and decodes the last frame and all the audio. Writes about 4.4
// GB.
#include <gtest/gtest.h>

#include <string>

#include "VIDEO/mov_writer_hl.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_test::Bytes;

TEST(LargeMovie, OffsetsPast4GiBUseCo64AndStayReadable) {
  const uint16_t side = 4096;  // 8 MiB DXT1 texture per frame
  const int frames = 520;      // 4.36 GB of media data
  orvex_test::TempDir dir;
  const std::string path = dir.file("large.mov");
  Bytes audio(size_t{frames} * 8000 / 25 * 2);
  for (size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<uint8_t>(i * 7 + i / 511);
  uint64_t last_offset = 0;
  {
    Mov_Writer m({.path = std::u16string(path.begin(), path.end()),
                  .width = side,
                  .height = side,
                  .format = {fourcc("Hap1"), "Hap", 24}});
    m.set_audio_tracks(1, 8000, 16, 1, 0, 0);
    Bytes black = orvex_test::hap1_solid_frame(side, side, 0x0000);
    const Bytes red = orvex_test::hap1_solid_frame(side, side, 0xF800);
    for (int i = 0; i < frames; ++i) {
      const Bytes& f = i == frames - 1 ? red : black;
      last_offset = m.write_position();
      m.add_video_frame(f.data(), uint32_t(f.size()));
      m.add_audio_samples(&audio[size_t(i) * 320 * 2], 320, 0);
    }
    // The group reserved before the last frame moved it by one group.
    last_offset = m.write_position() - red.size();
    m.finalize();
  }
  ASSERT_GT(last_offset, 0xFFFFFFFFull);

  const Bytes moov = orvex_test::read_top_level_atom(path, "moov");
  ASSERT_FALSE(moov.empty());
  const auto co = orvex_test::find_atom(moov, "moov/trak:0/mdia/minf/stbl/co64");
  EXPECT_EQ(orvex_test::be32(&moov[co.body() + 4]), uint32_t(frames));
  EXPECT_EQ(orvex_test::be64(&moov[co.body() + 8 + 8 * (frames - 1)]), last_offset);
  // The last audio group was reserved before frame 499, below 4 GiB: the audio table keeps
  // 32-bit offsets while the video's switched.
  EXPECT_TRUE(orvex_test::has_atom(moov, "moov/trak:1/mdia/minf/stbl/stco"));

  auto v = orvex_test::ffprobe_stream(path, "v:0");
  EXPECT_EQ(v["nb_read_packets"], std::to_string(frames));
  EXPECT_EQ(v["width"], "4096");

  int status = -1;
  const std::string last =
      orvex_test::run_command("ffmpeg -nostdin -v error -ss 20.76 -i '" + path +
                                  "' -frames:v 1 -vf scale=8:8 -f rawvideo -pix_fmt rgb24 -",
                              &status);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(last.size(), 8u * 8u * 3u);
  EXPECT_NEAR(uint8_t(last[0]), 255, 2);
  EXPECT_NEAR(uint8_t(last[1]), 0, 2);

  const std::string pcm = orvex_test::run_command(
      "ffmpeg -nostdin -v error -i '" + path + "' -map 0:a:0 -f s16le -", &status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(Bytes(pcm.begin(), pcm.end()) == audio);
}

}  // namespace
