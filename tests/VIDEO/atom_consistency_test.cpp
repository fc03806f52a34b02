// Atoms write exactly the number of bytes their size announces, and the header form switches at
// the 32-bit boundary. Leaves write their content buffer, so the composites below (a whole movie
// atom with audio, timecode and aperture atoms, the variants it does not hold) reach every writer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "VIDEO/media_atoms.h"
#include "VIDEO/movie_atoms.h"
#include "VIDEO/sample_descriptions.h"
#include "VIDEO/sample_tables.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_test::Bytes;
using Factory = std::function<std::unique_ptr<Atom_Writer>()>;

const FrameRate fps25{25, 1};

template <typename T, typename... A>
Factory make(A... args) {
  return [=] { return std::unique_ptr<Atom_Writer>(new T(args...)); };
}

std::unique_ptr<Atom_Writer> full_moov() {
  static const VideoSampleFormat hap{fourcc("Hap1"), "Hap", 24};
  auto moov =
      std::make_unique<Moov_Video_Writer>(MoovVideoSettings{.frame_rate = fps25,
                                                            .width = 720,
                                                            .height = 576,
                                                            .format = hap,
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
      {"trak_video_hap5_tref",
       make<TRAK_Video_Writer>(0u, 64, 64, VideoSampleFormat{fourcc("Hap5"), "Hap Alpha", 32}, 1u,
                               fps25, std::vector<uint64_t>{48}, std::vector<uint32_t>{2052}, 1.0f,
                               3)},
      {"stbl_video_hapy",
       make<STBL_Video_Writer>(16, 16, VideoSampleFormat{fourcc("HapY"), "Hap Q", 24}, 2u, fps25,
                               std::vector<uint64_t>{48, 80}, std::vector<uint32_t>{32, 32}, 16)},
      {"stbl_audio_3_chunks",
       make<STBL_Audio_Writer>(16, 48000u, 100000u, 2, std::vector<uint64_t>{1, 2, 3}, 0, 0u)},
      {"stbl_tc_co64", make<STBL_TC_Writer>(10u, fps25, 0x100000000ull, 0)},
      {"mdia_audio_u8",
       make<MDIA_Audio_Writer>(0u, 1000u, 44100u, 8, 1, std::vector<uint64_t>{48}, 0, 0u)},
      {"sd_video_hap7",
       make<SampleDescription_Video>(64, 32, VideoSampleFormat{fourcc("Hap7"), "Hap R", 32},
                                     std::vector<Atom_Writer>{})},
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
