// The movie reader on a movie of every track kind our writer makes (video, two audio tracks in
// the version 2 sound description, drop-frame timecode, a pixel aspect), and on damaged copies:
// each damage is named, and no damage to any byte of the index makes it read out of bounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "VIDEO/mov_writer_hl.h"
#include "inspect/movie_check.h"
#include "inspect/movie_facts.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_inspect::Bytes;
using orvex_inspect::MovieReader;

constexpr uint32_t kFrames = 12, kRate = 8000, kChannels = 3;

class MovieReaderTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::u16string path(movie.begin(), movie.end());
    Mov_Writer w({.path = path,
                  .width = 16,
                  .height = 8,
                  .format = {fourcc("Hap1"), "Hap", 24},
                  .frame_rate = {30000, 1001},
                  .pixel_aspect_ratio = 1.5f,
                  .timecode = true,
                  .timecode_start = 1800,
                  .drop_frame = true});
    w.set_audio_tracks(2, kRate, 16, kChannels, 0, 0);
    const Bytes pcm(kRate * kChannels * 2, 7);
    w.add_audio_samples(pcm.data(), kRate / 2, 1);
    for (uint32_t f = 0; f < kFrames; ++f) {
      const Bytes frame = orvex_test::hap1_solid_frame(16, 8, static_cast<uint16_t>(f * 999));
      w.add_video_frame(frame.data(), static_cast<uint32_t>(frame.size()));
    }
    w.finalize();
  }
  // Overwrites bytes of the file at `at`.
  static void patch(const std::string& path, uint64_t at, const Bytes& bytes) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(at));
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  }
  uint64_t atom_at(const std::string& path) const {
    return orvex_inspect::find_atom(orvex_test::read_file(movie), path).offset;
  }

  orvex_test::TempDir dir;
  std::string movie = dir.file("movie.mov");
};

TEST_F(MovieReaderTest, ReadsEveryTrackAsWritten) {
  MovieReader reader(movie);
  const orvex_inspect::Movie& m = reader.movie();
  EXPECT_TRUE(orvex_inspect::movie_index_faults(m).empty());
  ASSERT_EQ(m.tracks.size(), 4u);

  const orvex_inspect::HapVariant* variant = nullptr;
  const orvex_inspect::Track& video = *orvex_inspect::find_hap_track(m, &variant);
  EXPECT_STREQ(variant->name, "Hap");
  const orvex_inspect::VideoFacts facts = orvex_inspect::video_facts(video, variant);
  EXPECT_EQ(facts.frames, kFrames);
  EXPECT_EQ(facts.rate_num, 30000u);
  EXPECT_EQ(facts.rate_den, 1001u);
  EXPECT_EQ(facts.aspect_h * 2, facts.aspect_v * 3);  // 24:16
  EXPECT_EQ(facts.display_width, 24u);

  for (uint32_t t = 0; t < 2; ++t) {
    const orvex_inspect::Track& audio = m.tracks[1 + t];
    EXPECT_EQ(audio.id, 2 + t);
    EXPECT_EQ(audio.format, "lpcm");  // more than two channels: version 2
    EXPECT_EQ(audio.sound.channels, kChannels);
    EXPECT_EQ(audio.sound.bits, 16u);
    EXPECT_EQ(audio.sound.rate_hz, kRate);
    EXPECT_TRUE(audio.sound.little_endian);
    // 0.4 s of audio: one chunk per track, in the one group ahead of frame 0 (offset 48).
    EXPECT_EQ(audio.tables.chunk_offsets, std::vector<uint64_t>{48 + t * kRate * kChannels * 2});
    EXPECT_EQ(orvex_inspect::audio_facts(audio).description, "PCM 16-bit integer, little-endian");
  }

  const orvex_inspect::Track& tc = m.tracks[3];
  EXPECT_EQ(tc.handler, "tmcd");
  EXPECT_EQ(video.timecode_refs, std::vector<uint32_t>{tc.id});
  EXPECT_EQ(tc.timecode.flags & 1, 1u);
  EXPECT_EQ(orvex_inspect::timecode_start(reader, tc), 1800u);
}

TEST(TimecodeText, CountsDroppedFrameNumbers) {
  const struct {
    uint64_t frame;
    uint32_t fps;
    bool drop;
    const char* text;
  } cases[] = {{0, 25, false, "00:00:00:00"},    {90000 + 26, 25, false, "01:00:01:01"},
               {1799, 30, true, "00:00:59;29"},  {1800, 30, true, "00:01:00;02"},
               {17982, 30, true, "00:10:00;00"}, {3596, 60, true, "00:00:59;56"},
               {3600, 60, true, "00:01:00;04"},  {1800, 30, false, "00:01:00:00"}};
  for (const auto& c : cases)
    EXPECT_EQ(orvex_inspect::timecode_text(c.frame, c.fps, c.drop), c.text) << c.frame;
}

// Each damage is refused by the reader (`thrown`) or reported by the index check (`fault`).
TEST_F(MovieReaderTest, NamesEachDamage) {
  const std::string stbl = "moov/trak:0/mdia/minf/stbl/";
  const Bytes file = orvex_test::read_file(movie);
  const uint64_t stco = atom_at(stbl + "stco"), stsz = atom_at(stbl + "stsz");
  const uint64_t first_offset = orvex_test::be32(&file[stco + 16]);
  const auto be = [](uint64_t v) {
    return Bytes{uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
  };
  const struct {
    const char* what;
    uint64_t at;
    Bytes bytes;
    const char* expected;
    bool thrown;
  } cases[] = {
      {"stsz count", stsz + 16, be(kFrames + 1), "'stsz' atom counts 13 entries but holds 12",
       true},
      {"stts count", atom_at(stbl + "stts") + 16, be(kFrames - 1), "stts counts 11 samples", false},
      {"stsc first chunk", atom_at(stbl + "stsc") + 16, be(2), "stsc does not start at chunk 1",
       false},
      {"chunk past the data", stco + 16, be(file.size() - 10), "lies outside the media data",
       false},
      {"overlapping chunks", stco + 20, be(first_offset + 4), "overlaps", false},
      {"unfinished mdat", 40, Bytes(8, 0), "atom 'mdat' at offset 32 has size 0", true},
      {"moov past the end", atom_at("moov"), be(file.size() - atom_at("moov") + 1),
       "runs 1 bytes past the end of the file", true},
      {"stsd over its parent", atom_at(stbl + "stsd"), be(4000), "does not fit its parent", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string copy = dir.file("damaged.mov");
    std::filesystem::copy_file(movie, copy, std::filesystem::copy_options::overwrite_existing);
    patch(copy, c.at, c.bytes);
    std::string message;
    try {
      MovieReader reader(copy);
      EXPECT_FALSE(c.thrown) << "read without complaint";
      for (const std::string& f : orvex_inspect::movie_index_faults(reader.movie()))
        message += f + "\n";
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(c.thrown) << e.what();
      message = e.what();
    }
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
  }
}

// Any value in any byte of the index: refused or read, never read outside the data (checked
// under the sanitizers), and the frames of an index without faults lie inside the file.
TEST_F(MovieReaderTest, SurvivesDamageToEveryIndexByte) {
  const Bytes original = orvex_test::read_file(movie);
  const uint64_t moov = atom_at("moov");
  for (uint64_t at = moov; at < original.size(); ++at) {
    for (uint8_t value : {uint8_t(original[at] ^ 0x80), uint8_t(0xFF)}) {
      patch(movie, at, {value});
      try {
        MovieReader reader(movie);
        if (orvex_inspect::movie_index_faults(reader.movie()).empty()) {
          Bytes data;
          const auto* video = orvex_inspect::find_hap_track(reader.movie());
          for (const auto& s : orvex_inspect::video_samples(*video)) reader.read(s, data);
        }
      } catch (const std::runtime_error&) {
      }
    }
    patch(movie, at, {original[at]});
  }
}

}  // namespace
