// The audio interleaver over media data kept in memory: where groups go between the video
// frames, each track's length and chunk list, and every refusal. The samples in the groups are
// decoded by ffmpeg in ffmpeg_roundtrip_test.
#include "VIDEO/audio_interleaver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/expect_error.h"

namespace {

using Bytes = std::vector<uint8_t>;
using U64s = std::vector<uint64_t>;

// Media data in memory, starting at file offset 48 as in a movie.
struct MemoryMedia : MediaData {
  static constexpr uint64_t start = 48;
  Bytes bytes;
  uint64_t append(const uint8_t* data, size_t size) override {
    bytes.insert(bytes.end(), data, data + size);
    return start + bytes.size() - size;
  }
  void overwrite(uint64_t offset, const uint8_t* data, size_t size) override {
    ASSERT_LE(offset - start + size, bytes.size()) << "outside the media data";
    std::copy(data, data + size, bytes.begin() + static_cast<ptrdiff_t>(offset - start));
  }
  void video_frame() { bytes.push_back('V'); }
};

// A group goes before frame 0 and before the frame that ends each second.
TEST(AudioInterleaver, GroupsPrecedeTheLastFrameOfEachSecond) {
  const struct {
    FrameRate rate;
    uint32_t frames;
    U64s first_groups_before;  // frame numbers
    size_t groups;
  } cases[] = {{{25, 1}, 50, {0, 24, 49}, 3},
               {{30000, 1001}, 61, {0, 29, 59}, 3},
               // (frame + 1) x denominator passes 2^32 at frame 42950.
               {{3000000, 100000}, 43000, {0, 29, 59}, 1434}};
  for (const auto& c : cases) {
    MemoryMedia media;
    AudioInterleaver audio({{1, 8, 1, 0, 0}}, c.rate);  // 1-byte groups
    for (uint32_t k = 0; k < c.frames; ++k) {
      audio.before_video_frame(media, k);
      media.video_frame();
    }
    const U64s& g = audio.group_offsets();
    ASSERT_EQ(g.size(), c.groups) << c.frames;
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(g[i] - 48 - i, c.first_groups_before[i]) << c.frames;
  }
}

// Three tracks of their own formats at 10 fps: each group holds one second of every track
// (16 + 3 + 20 bytes), and 2.1 s of video is 2 s of the 4 and 3 Hz tracks (8.4 and 6.3 round
// down) but 11 sample frames, a third chunk, of the 5 Hz track.
TEST(AudioInterleaver, TracksOfDifferentFormatsShareEachGroup) {
  const AudioTrackFormat s16_stereo{4, 16, 2, 0, 0}, u8_mono{3, 8, 1, 0, 0},
      f32_mono{5, 32, 1, 1, 0};
  MemoryMedia media;
  AudioInterleaver audio({s16_stereo, u8_mono, f32_mono}, {10, 1});
  for (uint32_t k = 0; k < 21; ++k) {
    audio.before_video_frame(media, k);
    media.video_frame();
  }
  const std::vector<AudioTrackIndex> index = audio.finish(media, 21);

  // Groups before frames 0, 9 and 19.
  const uint64_t g0 = 48, g1 = g0 + 39 + 9, g2 = g1 + 39 + 10;
  EXPECT_EQ(audio.group_offsets(), (U64s{g0, g1, g2}));

  ASSERT_EQ(index.size(), 3u);
  EXPECT_EQ(index[0].length, 8u);
  EXPECT_EQ(index[0].chunk_offsets, (U64s{g0, g1}));
  EXPECT_EQ(index[1].length, 6u);
  EXPECT_EQ(index[1].chunk_offsets, (U64s{g0 + 16, g1 + 16}));
  EXPECT_EQ(index[2].length, 11u);
  EXPECT_EQ(index[2].chunk_offsets, (U64s{g0 + 19, g1 + 19, g2 + 19}));
}

TEST(AudioInterleaver, RefusesFormatsWithTheirMessages) {
  const AudioTrackFormat ok{48000, 16, 2, 0, 0}, big{1000000, 64, 300, 1, 0};
  const std::pair<std::vector<AudioTrackFormat>, std::string> cases[] = {
      {std::vector<AudioTrackFormat>(65, ok), "Unsupported audio track count (max 64 supported)"},
      {{{0, 16, 2, 0, 0}}, "Invalid 0 frequency"},
      {{{-48000, 16, 2, 0, 0}}, "Invalid negative frequency : -48000"},
      {{{48000, 16, 0, 0, 0}}, "Invalid 0 nb channels by track"},
      {{{8000, 8, 65536, 0, 0}}, "Invalid nb channels by track : 65536 (1 to 65535 supported)"},
      {{{48000, 8, 2, 1, 0}}, "Unsupported audio quantif for float"},
      {{ok, {48000, 20, 2, 0, 0}}, "Unsupported audio quantif for integer"},
      {{big, big},
       "Audio group size too large : 4800000000 bytes (bytes per sample x rate x channels x "
       "tracks must fit in 32 bits)"}};
  for (const auto& [formats, message] : cases)
    EXPECT_RUNTIME_ERROR(AudioInterleaver(formats, {25, 1}), message);
}

TEST(AudioInterleaver, TrackIndexAndLengthLimits) {
  MemoryMedia media;
  const AudioTrackFormat stereo16{48000, 16, 2, 0, 0};
  AudioInterleaver audio({stereo16, stereo16}, {25, 1});
  const uint8_t data[8] = {};
  EXPECT_NO_THROW(audio.add_samples(media, data, 0, 5));  // nothing to append, nothing checked
  EXPECT_RUNTIME_ERROR(audio.add_samples(media, data, 1, 2),
                       "Invalid audio track index : 2 Nb Audio tracks (2)");
  EXPECT_NO_THROW(audio.add_samples(media, data, -5, 1));
  EXPECT_TRUE(media.bytes.empty());

  // One frame lasting 1000 s at 5 MHz is 5e9 sample frames: the sample tables cannot count it.
  AudioInterleaver long_track({{5000000, 8, 1, 0, 0}}, {1, 1000});
  long_track.before_video_frame(media, 0);
  EXPECT_RUNTIME_ERROR(long_track.finish(media, 1),
                       "Audio track too long : 5000000000 sample frames (max 4294967295)");
}

}  // namespace
