// Mov_Writer without an outside decoder: file layout, index sizes, timecode sample, call order
// and closed-file refusals. The audio groups are checked in audio_interleaver_test, the audio
// samples by decoding with ffmpeg.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>
#include <vector>

#include "VIDEO/mov_writer_hl.h"
#include "tests/support/expect_error.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_test::be32;
using orvex_test::be64;
using orvex_test::Bytes;
using orvex_test::find_atom;

struct MovieFile {
  orvex_test::TempDir dir;
  std::string path = dir.file("m.mov");
  Mov_Writer open(uint16_t w = 16, uint16_t h = 16, FrameRate rate = {25, 1}, bool tc = false) {
    return Mov_Writer({.path = std::u16string(path.begin(), path.end()),
                       .width = w,
                       .height = h,
                       .format = {fourcc("Hap1"), "Hap", 24},
                       .frame_rate = rate,
                       .timecode = tc,
                       .timecode_start = 3600});
  }
  Bytes bytes() const { return orvex_test::read_file(path); }
};

const Bytes frame = orvex_test::hap1_solid_frame(16, 16, 0xF800);

void add_frames(Mov_Writer& m, int count) {
  for (int i = 0; i < count; ++i) m.add_video_frame(frame.data(), uint32_t(frame.size()));
}

// Entry `i` of the chunk offset table of the atom at `stbl`.
uint32_t stco_entry(const Bytes& b, const std::string& stbl, size_t i) {
  return be32(&b[find_atom(b, stbl + "/stco").body() + 8 + 4 * i]);
}

TEST(MovWriterLayout, VideoOnlyFileAndIndexSizes) {
  for (int frames : {1, 2, 5}) {
    MovieFile f;
    Mov_Writer m = f.open(1920, 1080);
    add_frames(m, frames);
    m.finalize();
    const Bytes b = f.bytes();
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 20),
              (Bytes{0,   0,   0,    32,   'f',  't', 'y', 'p', 'q', 't',
                     ' ', ' ', 0x20, 0x05, 0x03, 0,   'q', 't', ' ', ' '}));
    EXPECT_EQ(be32(&b[32]), 1u);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "mdat");
    const size_t moov_at = 48 + frames * frame.size();
    EXPECT_EQ(be64(&b[40]), moov_at - 32);
    EXPECT_EQ(Bytes(b.begin() + 48, b.begin() + 48 + frame.size()), frame);
    const auto moov = find_atom(b, "moov");
    EXPECT_EQ(moov.offset, moov_at);
    EXPECT_EQ(moov.end(), b.size());
    EXPECT_EQ(moov.size, 814u + 9u * (frames - 1));
    EXPECT_EQ(find_atom(b, "moov/mvhd").size, 108u);
    EXPECT_EQ(find_atom(b, "moov/trak").size, 698u + 9u * (frames - 1));
    EXPECT_EQ(find_atom(b, "moov/trak/mdia/minf/stbl/stsd").size - 16, 118u);
    EXPECT_EQ(stco_entry(b, "moov/trak/mdia/minf/stbl", frames - 1),
              48u + (frames - 1) * frame.size());
  }
}

TEST(MovWriterLayout, OneSecondStereoTrackAdds520Bytes) {
  MovieFile f;
  Mov_Writer m = f.open(1920, 1080);
  m.set_audio_tracks(1, 48000, 16, 2, 0, 0);
  add_frames(m, 1);
  m.finalize();
  const Bytes b = f.bytes();
  EXPECT_EQ(find_atom(b, "moov").size, 814u + 520u);
  EXPECT_EQ(find_atom(b, "moov/trak:1").size, 520u);
  // One 192000-byte silent group precedes the frame; 1/25 s of audio is 1920 sample frames.
  EXPECT_EQ(stco_entry(b, "moov/trak:1/mdia/minf/stbl", 0), 48u);
  EXPECT_EQ(Bytes(b.begin() + 48, b.begin() + 48 + 192000), Bytes(192000, 0));
  EXPECT_EQ(stco_entry(b, "moov/trak:0/mdia/minf/stbl", 0), 48u + 192000u);
  EXPECT_EQ(be32(&b[find_atom(b, "moov/trak:1/mdia/minf/stbl/stsz").body() + 8]), 1920u);
}

TEST(MovWriterTimecode, SampleAtomFollowsTheMediaData) {
  MovieFile f;
  Mov_Writer m = f.open(16, 16, {30000, 1001}, 1);
  add_frames(m, 2);
  m.finalize();
  const Bytes b = f.bytes();
  const size_t end_of_media = 48 + 2 * frame.size();
  EXPECT_EQ(be64(&b[40]), end_of_media - 32);
  EXPECT_EQ(Bytes(b.begin() + end_of_media, b.begin() + end_of_media + 12),
            (Bytes{0, 0, 0, 12, 'm', 'd', 'a', 't', 0, 0, 0x0E, 0x10}));
  EXPECT_EQ(stco_entry(b, "moov/trak:1/mdia/minf/stbl", 0), end_of_media + 8);
  EXPECT_EQ(find_atom(b, "moov/trak:0/tref").size, 20u);
}

TEST(MovWriterState, CallOrderAndClosedFileErrors) {
  MovieFile f;
  Mov_Writer m = f.open();
  const uint8_t data[4] = {};
  EXPECT_NO_THROW(m.add_audio_samples(data, 0, 5));  // nothing to append, nothing checked
  EXPECT_RUNTIME_ERROR(m.add_audio_samples(data, 1, 0),
                       "Invalid audio track index : 0 Nb Audio tracks (0)");
  m.set_audio_tracks(0, 48000, 16, 2, 0, 0);  // zero tracks: still unset
  EXPECT_RUNTIME_ERROR(m.set_audio_tracks(2, 48000, 20, 2, 0, 0),
                       "Unsupported audio quantif for integer");  // and still unset
  m.set_audio_tracks({{48000, 16, 2, 0, 0}, {44100, 24, 1, 0, 0}});
  EXPECT_RUNTIME_ERROR(m.set_audio_tracks(0, 48000, 16, 2, 0, 0),
                       "Set audio tracks call multiple times");
  EXPECT_RUNTIME_ERROR(m.set_audio_tracks({}), "Set audio tracks call multiple times");
  add_frames(m, 1);
  m.finalize();
  EXPECT_FALSE(m.is_open());
  EXPECT_RUNTIME_ERROR(m.finalize(), "Invalid file pointer");
  EXPECT_RUNTIME_ERROR(m.add_video_frame(data, 4), "Invalid file pointer");
  EXPECT_RUNTIME_ERROR(Mov_Writer({.path = u"/nonexistent_dir_orvex/a.mov"}),
                       "Can't open target file : /nonexistent_dir_orvex/a.mov. Error : 2. No such "
                       "file or directory");
}

TEST(MovWriterState, FinalizeWithoutFramesKeepsFileOpen) {
  for (uint8_t tc : {0, 1}) {
    MovieFile f;
    Mov_Writer m = f.open(16, 16, {25, 1}, tc);
    ::testing::internal::CaptureStdout();
    EXPECT_RUNTIME_ERROR(
        m.finalize(), tc ? "STBL TC : Duration 0 for the file" : "STBL : Duration 0 for the file");
    ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(m.is_open());
    EXPECT_EQ(be64(&f.bytes()[40]), 16u);  // media data size already patched
  }
}

TEST(MovWriterState, AFailedFinalFlushIsNotASuccess) {
  // The file may grow by the media data but not by the whole index, which stays in the stream's
  // buffer until the file is closed: the close must report the short write.
  MovieFile f;
  Mov_Writer m = f.open();
  add_frames(m, 1);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 48 + frame.size() + 100;
  setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_RUNTIME_ERROR(m.finalize(), "Error file write");
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, SIG_DFL);
}

}  // namespace
