// Byte layouts fixed by the QuickTime format: sample descriptions, sample tables, track
// structure, and the refusal of values the format cannot hold. Then atoms write exactly the number
// of bytes their size announces, and the header form switches at the 32-bit boundary. Leaves write
// their content buffer, so the composites (a whole movie atom with audio, timecode and aperture
// atoms, the variants it does not hold) reach every writer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VIDEO/media_atoms.h"
#include "VIDEO/movie_atoms.h"
#include "VIDEO/sample_descriptions.h"
#include "VIDEO/sample_tables.h"
#include "tests/support/expect_error.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_test::be32;
using orvex_test::Bytes;
using orvex_test::find_atom;
using orvex_test::has_atom;
using U32s = std::vector<uint32_t>;

const VideoSampleFormat kHap{fourcc("Hap1"), "Hap", 24};

std::string str(const Bytes& b, size_t at, size_t n) {
  return std::string(b.begin() + at, b.begin() + at + n);
}
// The 32-bit field `offset` bytes into the body of the atom at `path`.
uint32_t field(const Bytes& b, const std::string& path, size_t offset) {
  return be32(&b[find_atom(b, path).body() + offset]);
}

Bytes video_description(const std::string& compressor_name) {
  std::vector<Atom_Writer> ext{GAMA_Writer(2, 0x3333), PASP_Writer(1920, 1920)};
  return serialise_atom(SampleDescription_Video(1920, 1080, {kHap.code, compressor_name, 24}, ext));
}

TEST(VideoDescription, Hap1FullHdLayout) {
  const Bytes d = video_description("Hap");
  ASSERT_EQ(d.size(), 118u);
  const size_t c = 8;  // content start
  EXPECT_EQ(str(d, 4, 4) + str(d, c + 12, 4) + str(d, c + 42, 4), "Hap1VDVX\x03Hap");
  EXPECT_EQ(be32(&d[c + 24]), (1920u << 16) | 1080u);
  EXPECT_EQ(be32(&d[c + 74]), (24u << 16) | 0xFFFFu);  // depth, colour table -1
  EXPECT_EQ(Bytes(d.begin() + c + 78, d.begin() + c + 90),
            (Bytes{0, 0, 0, 12, 'g', 'a', 'm', 'a', 0, 2, 0x33, 0x33}));
  EXPECT_EQ(str(d, c + 94, 4), "pasp");

  // The name fills the 32-byte field at most: a length byte and 31 characters.
  EXPECT_EQ(video_description(std::string(31, 'n'))[c + 42], 31);
  for (const std::string& name : {std::string(), std::string(32, 'n')}) {
    ::testing::internal::CaptureStdout();
    EXPECT_RUNTIME_ERROR(video_description(name), "Sample description, codec unsupported");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Sample Description Video Codec unsupported for vendor : Hap1\n");
  }
}

// ffmpeg checks the codes and versions by decoding; the channel labels it does not read. The
// formats a description cannot hold are refused before, by the audio interleaver.
TEST(AudioDescription, ChannelLabelsOfTheLayout) {
  auto labels = [](uint16_t channels, uint32_t surround) {
    const Bytes d = serialise_atom(SampleDescription_Audio(16, 96000, channels, 0, surround));
    const size_t chan = 8 + 64;
    EXPECT_EQ(str(d, chan + 4, 4), "chan");
    EXPECT_EQ(be32(&d[chan]), 24u + 20u * channels);
    U32s out;
    for (size_t i = 0; i < channels; ++i) out.push_back(be32(&d[chan + 24 + 20 * i]));
    return out;
  };
  EXPECT_EQ(labels(1, 0), (U32s{42}));
  EXPECT_EQ(labels(6, 2), (U32s{1, 2, 5, 6, 3, 4}));
  EXPECT_EQ(labels(6, 3), (U32s{1, 3, 2, 5, 6, 4}));
  EXPECT_EQ(labels(3, 0), (U32s(3, 0xFFFFFFFF)));
  // Mono and stereo up to 48 kHz keep the version 1 form: 24-bit adds the 38-byte `wave`.
  EXPECT_EQ(serialise_atom(SampleDescription_Audio(16, 48000, 2, 0, 0)).size(), 52u);
  EXPECT_EQ(serialise_atom(SampleDescription_Audio(24, 48000, 2, 0, 0)).size(), 90u);
}

TEST(TimecodeDescription, LayoutFollowsTheRate) {
  const struct {
    FrameRate rate;
    uint8_t drop;
    U32s flags_scale_duration_frames;
    bool warns;
  } cases[] = {{{30000, 1001}, 1, {1, 2997, 100, 30}, false},
               {{24000, 1001}, 1, {0, 2997, 125, 24}, true},
               {{23, 1}, 0, {0, 23, 1, 23}, false}};
  for (const auto& t : cases) {
    ::testing::internal::CaptureStdout();
    const Bytes d = serialise_atom(SampleDescription_Timecode(t.rate, t.drop));
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("WARNING : Timecode drop frame with fps unsupported", 0) == 0, t.warns)
        << out;
    ASSERT_EQ(d.size(), 34u);
    EXPECT_EQ(str(d, 4, 4), "tmcd");
    EXPECT_EQ((U32s{be32(&d[8 + 12]), be32(&d[8 + 16]), be32(&d[8 + 20]), d[8 + 24]}),
              t.flags_scale_duration_frames);
  }
}

// ffprobe reads the video tables of real movies; here the refusals and their log lines (an empty
// video or timecode table: mov_writer_test).
TEST(SampleTables, RefusalsPrintThenRaise) {
  ::testing::internal::CaptureStdout();
  EXPECT_RUNTIME_ERROR(STBL_Audio_Writer(16, 48000, 0, 2, {}, 0, 0),
                       "STBL : Duration 0 samples for the file");
  EXPECT_RUNTIME_ERROR(STTS_Writer(1, {25, 1}, 2), "Type trak unknown STTS");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "STBL : Nb samples 0 invalid\nType track unknown STTS : 2\n");
  EXPECT_RUNTIME_ERROR(STTS_Writer(5000000, {24000, 1001}, 1), "STTS TC duration overflow");
  EXPECT_RUNTIME_ERROR(STSC_Audio_Writer(10, 0), "STSC zero frequency");
}

TEST(SampleTables, ChunkOffsetWidthFollowsTheLastOffset) {
  const Bytes narrow = serialise_atom(CO_Writer({0xFFFFFFF0ull, 0xFFFFFFFEull}));
  EXPECT_EQ(str(narrow, 4, 4), "stco");
  EXPECT_EQ(narrow.size(), 24u);
  EXPECT_EQ(be32(&narrow[20]), 0xFFFFFFFEu);
  const Bytes wide = serialise_atom(CO_Writer({48, 0xFFFFFFFFull}));
  EXPECT_EQ(str(wide, 4, 4), "co64");
  EXPECT_EQ(wide.size(), 32u);
  EXPECT_EQ(orvex_test::be64(&wide[24]), 0xFFFFFFFFull);
  // The timecode sample table switches on its single offset.
  EXPECT_TRUE(has_atom(serialise_atom(STBL_TC_Writer(10, {25, 1}, 0xFFFFFFFFull, 0)), "stbl/co64"));
}

Bytes moov_bytes(FrameRate rate, uint8_t tc, uint32_t audio_tracks, float par = 1.0f,
                 uint16_t width = 1920, PixelSpacing spacing = {}) {
  Moov_Video_Writer moov({.frame_rate = rate,
                          .width = width,
                          .height = 1080,
                          .format = kHap,
                          .frame_count = 100,
                          .sample_offsets = std::vector<uint64_t>(100, 48),
                          .sample_sizes = U32s(100, 8),
                          .pixel_aspect_ratio = par,
                          .pixel_spacing = spacing,
                          .timecode_switch = tc,
                          .timecode_sample_offset = 1000,
                          .audio_track_count = audio_tracks});
  for (uint32_t t = 0; t < audio_tracks; ++t)
    moov.add_audio_track(16, 48000, 192000, 2, {1, 2, 3, 4}, 0, 0);
  return serialise_atom(moov);
}

TEST(MovieAtoms, TrackIdsAndTimecodeReferences) {
  const Bytes m = moov_bytes({25, 1}, 1, 3);
  EXPECT_EQ(field(m, "moov/mvhd", 96), 6u);  // next track id
  for (int t = 0; t < 4; ++t) {
    const std::string trak = "moov/trak:" + std::to_string(t);
    EXPECT_EQ(field(m, trak + "/tkhd", 12), uint32_t(t + 1));
    EXPECT_EQ(find_atom(m, trak + "/tref").size, 20u);
    EXPECT_EQ(field(m, trak + "/tref/tmcd", 0), 5u);
  }
  EXPECT_EQ(field(moov_bytes({25, 1}, 0, 2), "moov/mvhd", 96), 4u);

  // A rate the timecode cannot describe drops the timecode track and its references.
  EXPECT_TRUE(has_atom(moov_bytes({255, 1}, 1, 0), "moov/trak:1"));
  for (FrameRate odd_rate : {FrameRate{256, 1}, FrameRate{12000, 1001}}) {
    const Bytes odd = moov_bytes(odd_rate, 1, 0);
    EXPECT_FALSE(has_atom(odd, "moov/trak:1"));
    EXPECT_FALSE(has_atom(odd, "moov/trak:0/tref"));
  }
}

// The apertures and `pasp`: (display width, width) from the float ratio, or the exact ratio
// when one is given (the apertures keep the rounded display width).
TEST(MovieAtoms, DisplayWidthFromPixelAspect) {
  auto apertures = [](float par, uint16_t width, PixelSpacing spacing = {}) {
    const Bytes m = moov_bytes({25, 1}, 0, 0, par, width, spacing);
    const size_t pasp = find_atom(m, "moov/trak/mdia/minf/stbl/stsd").end() - 4 - 16;
    EXPECT_EQ(str(m, pasp + 4, 4), "pasp");
    return U32s{field(m, "moov/trak/tapt/clef", 4), field(m, "moov/trak/tapt/prof", 4),
                field(m, "moov/trak/tapt/enof", 4), field(m, "moov/trak/tkhd", 76),
                orvex_test::be32(&m[pasp + 8]),     orvex_test::be32(&m[pasp + 12])};
  };
  EXPECT_EQ(apertures(1.0926f, 720),
            (U32s{788u << 16, 788u << 16, 720u << 16, 720u << 16, 788, 720}));
  EXPECT_EQ(apertures(12.0f / 11, 720, {12, 11}),
            (U32s{786u << 16, 786u << 16, 720u << 16, 720u << 16, 12, 11}));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(apertures(0.0f, 720)[0], 720u << 16);
  // Too wide for the 16-bit width: kept instead of wrapping around.
  EXPECT_EQ(apertures(3.0f, 30000)[0], 30000u << 16);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("WARNING : Video Track width_display <= 0 pour le pixel ratio : 0\n"),
            std::string::npos);
  EXPECT_NE(out.find("WARNING : Video Track width_display > 65534 pour le pixel ratio : 3\n"),
            std::string::npos);
}

TEST(MovieAtoms, TrackCountAndReferenceErrors) {
  Moov_Video_Writer moov({.width = 16,
                          .height = 16,
                          .format = kHap,
                          .frame_count = 1,
                          .sample_offsets = {48},
                          .sample_sizes = {8},
                          .audio_track_count = 1});
  bool large = false;
  EXPECT_RUNTIME_ERROR(moov.get_atom_size(large), "Not enough audio track created");
  moov.add_audio_track(16, 48000, 1920, 2, {100}, 0, 0);
  EXPECT_RUNTIME_ERROR(moov.add_audio_track(16, 48000, 1920, 2, {100}, 0, 0),
                       "Not enough audio track set at start");
  EXPECT_NO_THROW(moov.get_atom_size(large));
  EXPECT_RUNTIME_ERROR(TREF_Writer(-1), "TREF without valid value");
  EXPECT_RUNTIME_ERROR(MVHD_Writer(0, 1, {25, 1}, 0xFFFFFFFE), "mvhd track count overflow");
  EXPECT_RUNTIME_ERROR(MVHD_Writer(0, 5000000, {24000, 1001}, 1), "mvhd duration overflow");
  EXPECT_RUNTIME_ERROR(TKHD_Writer(0, 5000000, {24000, 1001}, 1, 0, 0, false),
                       "tkhd duration overflow");
  EXPECT_RUNTIME_ERROR(EDTS_Writer(5000000, {24000, 1001}), "edts duration overflow");
  EXPECT_RUNTIME_ERROR(MDHD_Writer(0, 5000000, {24000, 1001}), "MDHD duration overflow");
}

using Factory = std::function<std::unique_ptr<Atom_Writer>()>;

const FrameRate fps25{25, 1};

template <typename T, typename... A>
Factory make(A... args) {
  return [=] { return std::unique_ptr<Atom_Writer>(new T(args...)); };
}

std::unique_ptr<Atom_Writer> full_moov() {
  auto moov =
      std::make_unique<Moov_Video_Writer>(MoovVideoSettings{.frame_rate = fps25,
                                                            .width = 720,
                                                            .height = 576,
                                                            .format = kHap,
                                                            .frame_count = 3,
                                                            .sample_offsets = {48, 100, 200},
                                                            .sample_sizes = {52, 100, 30},
                                                            .pixel_aspect_ratio = 1.0926f,
                                                            .timecode_switch = 1,
                                                            .timecode_sample_offset = 500,
                                                            .audio_track_count = 2});
  moov->add_audio_track(16, 48000, 5760, 2, {300}, 0, 0);
  moov->add_audio_track(24, 96000, 11520, 6, {300 + 192000}, 0, 2);
  return moov;
}

const std::vector<std::pair<std::string, Factory>>& composites() {
  static const std::vector<std::pair<std::string, Factory>> atoms = {
      {"moov_audio_tc", full_moov},
      {"stbl_tc_co64", make<STBL_TC_Writer>(10u, fps25, 0x100000000ull, 0)},
      {"sd_audio_v2_f64", make<SampleDescription_Audio>(64, 192000u, 3, 1, 0u)},
      {"mdat_tc", make<MDAT_TC_Writer>(90000u)},
  };
  return atoms;
}

class AtomConsistency : public ::testing::TestWithParam<size_t> {};

TEST_P(AtomConsistency, WritesExactlyItsSize) {
  std::unique_ptr<Atom_Writer> atom = composites()[GetParam()].second();
  bool large = true;
  const uint64_t size = atom->get_atom_size(large);
  EXPECT_FALSE(large);
  constexpr size_t canary = 32;
  Bytes buf(size + canary, 0xCD);
  EXPECT_EQ(atom->write_atom(buf.data()), size);
  for (size_t i = 0; i < canary; ++i) ASSERT_EQ(buf[size + i], 0xCD) << "overrun at " << i;
}

INSTANTIATE_TEST_SUITE_P(Composites, AtomConsistency,
                         ::testing::Range<size_t>(0, composites().size()),
                         [](const auto& info) { return composites()[info.param].first; });

// A child that only reports a size: lets the header rule be checked at the 4 GiB boundary
// without allocating the content.
class SizedOnly : public Atom_Writer {
 public:
  explicit SizedOnly(uint64_t size) : Atom_Writer(fourcc("free")), size_(size) {}
  uint64_t get_atom_size(bool& large) const override {
    large = false;
    return size_;
  }

 private:
  uint64_t size_;
};

class OneChild : public Fixed_Container<1> {
 public:
  explicit OneChild(uint64_t child_size) : Fixed_Container(fourcc("moov")) {
    children_[0] = std::make_unique<SizedOnly>(child_size);
  }
};

TEST(AtomHeader, SwitchesToLargeFormAtTheBoundary) {
  uint8_t h[16];
  bool large = true;
  OneChild small(0xFFFFFFF6ull);
  EXPECT_EQ(small.get_atom_size(large), 0xFFFFFFFEull);
  EXPECT_FALSE(large);
  EXPECT_EQ(small.write_atom_header(h), 8u);
  EXPECT_EQ(orvex_test::be32(h), 0xFFFFFFFEu);

  OneChild big(0xFFFFFFF7ull);  // 0xFFFFFFFF as a small size is never written
  EXPECT_EQ(big.get_atom_size(large), 0x100000007ull);
  EXPECT_TRUE(large);
  EXPECT_EQ(big.write_atom_header(h), 16u);
  EXPECT_EQ(orvex_test::be32(h), 1u);
  EXPECT_EQ(std::string(h + 4, h + 8), "moov");
  EXPECT_EQ(orvex_test::be64(h + 8), 0x100000007ull);

  EXPECT_EQ(serialise_atom(Atom_Writer(fourcc("free"))),
            (ByteVector{0, 0, 0, 8, 'f', 'r', 'e', 'e'}));
}

}  // namespace
