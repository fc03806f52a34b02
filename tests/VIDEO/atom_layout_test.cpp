// Byte layouts fixed by the QuickTime format: sample descriptions, handlers, sample tables,
// track structure, and the refusal of values the format cannot hold.
#include <gtest/gtest.h>

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

// ffmpeg checks the codes and versions by decoding; the channel labels it does not read.
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

  EXPECT_RUNTIME_ERROR(SampleDescription_Audio(16, 48000, 0, 0, 0), "nb channnel audio 0 invalid");
  EXPECT_RUNTIME_ERROR(SampleDescription_Audio(16, 0, 2, 0, 0), "frequency audio 0 invalid");
  EXPECT_RUNTIME_ERROR(SampleDescription_Audio(16, 96000, 2, 1, 0),
                       "Quantif audio inconnue STSD Float");
  EXPECT_RUNTIME_ERROR(SampleDescription_Audio(64, 96000, 2, 0, 0),
                       "Quantif audio inconnue STSD Integer");
  EXPECT_RUNTIME_ERROR(SampleDescription_Audio(64, 48000, 2, 0, 0), "Quantif audio inconnue STSD");
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

TEST(TimecodeDescription, RefusesOtherRates) {
  for (FrameRate r : {FrameRate{300, 1}, FrameRate{2997, 100}})
    EXPECT_RUNTIME_ERROR(SampleDescription_Timecode(r, 0),
                         "FPS not supported for TC sample description");
}

TEST(MediaAtoms, HandlerAndHeaderSizes) {
  EXPECT_EQ(serialise_atom(HDLR_Video_Writer()).size(), 56u);
  EXPECT_EQ(serialise_atom(HDLR_Audio_Writer()).size(), 57u);
  EXPECT_EQ(serialise_atom(HDLR_TC_Writer()).size(), 59u);
  const Bytes alis = serialise_atom(HDLR_Media_Writer());
  EXPECT_EQ(alis.size(), 59u);
  EXPECT_EQ(str(alis, 8 + 24, 27),
            "\x1AGestionnaire d\x92"
            "alias Apple");
  EXPECT_EQ(serialise_atom(GMHD_Writer()).size(), 79u);

  const Bytes minf = serialise_atom(MINF_Video_Writer(16, 16, kHap, 1, {25, 1}, {48}, {132}, 16));
  const auto kids = orvex_test::list_atoms(minf, 8, minf.size());
  ASSERT_EQ(kids.size(), 4u);
  EXPECT_EQ(kids[0].type + std::to_string(kids[0].size), "vmhd20");
  EXPECT_EQ(kids[1].type + std::to_string(kids[1].size) + str(minf, kids[1].offset + 16, 4),
            "hdlr59alis");
  EXPECT_EQ(kids[2].type + std::to_string(kids[2].size), "dinf36");

  const Bytes mdhd = serialise_atom(MDHD_Audio_Writer(0, 96000, 48000));
  EXPECT_EQ(be32(&mdhd[8 + 12]), 48000u);
  EXPECT_EQ(be32(&mdhd[8 + 16]), 96000u);
  EXPECT_RUNTIME_ERROR(MDHD_Writer(0, 5000000, {24000, 1001}), "MDHD duration overflow");
}

// ffprobe reads the video tables of real movies; here the refusals and their log lines.
TEST(SampleTables, RefusalsPrintThenRaise) {
  ::testing::internal::CaptureStdout();
  EXPECT_RUNTIME_ERROR(STBL_Video_Writer(16, 16, kHap, 0, {25, 1}, {}, {}, 16),
                       "STBL : Duration 0 for the file");
  EXPECT_RUNTIME_ERROR(STBL_Audio_Writer(16, 48000, 0, 2, {}, 0, 0),
                       "STBL : Duration 0 samples for the file");
  EXPECT_RUNTIME_ERROR(STBL_TC_Writer(0, {25, 1}, 0, 0), "STBL TC : Duration 0 for the file");
  EXPECT_RUNTIME_ERROR(STTS_Writer(1, {25, 1}, 2), "Type trak unknown STTS");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "STBL : Duration 0 invalid\nSTBL : Nb samples 0 invalid\n"
            "STBL TC : Duration 0 invalid\nType track unknown STTS : 2\n");
  EXPECT_RUNTIME_ERROR(STTS_Writer(5000000, {24000, 1001}, 1), "STTS TC duration overflow");
  EXPECT_RUNTIME_ERROR(STSC_Audio_Writer(10, 0), "STSC zero frequency");
}

TEST(SampleTables, AudioChunksOfOneSecond) {
  auto entries = [](uint32_t length) {
    const Bytes b = serialise_atom(STSC_Audio_Writer(length, 48000));
    U32s out;
    for (size_t at = 16; at < b.size(); at += 4) out.push_back(be32(&b[at]));
    return out;
  };
  EXPECT_EQ(entries(96000), (U32s{1, 48000, 1}));
  EXPECT_EQ(entries(100000), (U32s{1, 48000, 1, 3, 4000, 1}));
  EXPECT_EQ(entries(20000), (U32s{1, 20000, 1}));
  const Bytes stsz = serialise_atom(STSZ_Audio_Writer(16, 2, 96000));
  EXPECT_EQ(stsz.size(), 20u);
  EXPECT_EQ((U32s{be32(&stsz[12]), be32(&stsz[16])}), (U32s{4, 96000}));
}

TEST(SampleTables, ChunkOffsetWidthFollowsTheLastOffset) {
  const Bytes narrow = serialise_atom(CO_Writer({0xFFFFFFF0ull, 0xFFFFFFFEull}));
  EXPECT_EQ(str(narrow, 4, 4), "stco");
  EXPECT_EQ(narrow.size(), 24u);
  EXPECT_EQ(be32(&narrow[20]), 0xFFFFFFFEu);
  const Bytes wide = serialise_atom(CO_Writer({48, 0xFFFFFFFFull}));
  EXPECT_EQ(str(wide, 4, 4), "co64");
  EXPECT_EQ(wide.size(), 32u);
  EXPECT_EQ(orvex_test::be64(&wide[16]), 48u);
  EXPECT_EQ(orvex_test::be64(&wide[24]), 0xFFFFFFFFull);
  EXPECT_EQ(str(serialise_atom(CO_Writer({})), 4, 4), "stco");
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
  EXPECT_EQ(str(m, find_atom(m, "moov/trak:4/mdia/hdlr").body() + 8, 4), "tmcd");

  const Bytes plain = moov_bytes({25, 1}, 0, 2);
  EXPECT_EQ(field(plain, "moov/mvhd", 96), 4u);
  EXPECT_FALSE(has_atom(plain, "moov/trak:3"));
  EXPECT_FALSE(has_atom(plain, "moov/trak:0/tref"));

  // A rate the timecode cannot describe drops the timecode track and its references.
  EXPECT_TRUE(has_atom(moov_bytes({50, 1}, 1, 0), "moov/trak:1"));
  const Bytes odd = moov_bytes({12000, 1001}, 1, 0);
  EXPECT_FALSE(has_atom(odd, "moov/trak:1"));
  EXPECT_FALSE(has_atom(odd, "moov/trak:0/tref"));
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
  EXPECT_EQ(apertures(1.0f, 1920),
            (U32s{1920u << 16, 1920u << 16, 1920u << 16, 1920u << 16, 1920, 1920}));
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
}

}  // namespace
