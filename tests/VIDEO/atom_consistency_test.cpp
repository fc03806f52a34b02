// Every atom class writes exactly the number of bytes its size announces, the header form
// switches at the 32-bit boundary, and containers lay their children without gaps.
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

using Factory = std::function<std::unique_ptr<Atom_Writer>()>;
struct Built {
  std::string name;
  Factory make;
  bool container;
};

const FrameRate fps25{25, 1};
const FrameRate ntsc{30000, 1001};

template <typename T, typename... A>
Factory make(A... args) {
  return [=] { return std::unique_ptr<Atom_Writer>(new T(args...)); };
}

std::unique_ptr<Atom_Writer> full_moov() {
  auto moov = std::make_unique<Moov_Video_Writer>(
      fps25, 0, 720, 576, 24, fourcc("Hap1"), 3, std::vector<uint64_t>{48, 100, 200},
      std::vector<uint32_t>{52, 100, 30}, 1.0926f, 1, 10, 0, 500, 2);
  moov->add_audio_track(16, 48000, 5760, 2, {300}, 0, 0);
  moov->add_audio_track(24, 96000, 11520, 6, {300 + 192000}, 0, 2);
  return moov;
}

const std::vector<Built>& all_atoms() {
  static const std::vector<Built> atoms = {
      {"gama", make<GAMA_Writer>(2, 0x3333), false},
      {"pasp", make<PASP_Writer>(788u, 720u), false},
      {"sd_video_hap7",
       make<SampleDescription_Video>(64, 32, 32, fourcc("Hap7"), std::vector<Atom_Writer>{}),
       false},
      {"sd_audio_v1_in24", make<SampleDescription_Audio>(24, 48000u, 2, 0, 0u), false},
      {"sd_audio_v2_f64", make<SampleDescription_Audio>(64, 192000u, 3, 1, 0u), false},
      {"sd_timecode", make<SampleDescription_Timecode>(ntsc, 1), false},
      {"stsd", [] { return std::make_unique<STSD_Writer>(GAMA_Writer(1, 2)); }, false},
      {"stts_video", make<STTS_Writer>(10u, ntsc, 0u), false},
      {"stts_tc", make<STTS_Writer>(10u, ntsc, 1u), false},
      {"stts_audio", make<STTS_Audio_Writer>(100000u), false},
      {"stsc", make<STSC_Writer>(), false},
      {"stsc_audio", make<STSC_Audio_Writer>(100000u, 48000u), false},
      {"stsz", make<STSZ_Writer>(std::vector<uint32_t>{1, 2, 3}), false},
      {"stsz_audio", make<STSZ_Audio_Writer>(16, 2, 100u), false},
      {"stco", make<CO_Writer>(std::vector<uint64_t>{1, 2}), false},
      {"co64", make<CO_Writer>(std::vector<uint64_t>{1, 0x100000000ull}), false},
      {"sdtp", make<SDTP_Writer>(5u), false},
      {"stbl_video",
       make<STBL_Video_Writer>(16, 16, 24, fourcc("HapY"), 2u, fps25, std::vector<uint64_t>{48, 80},
                               std::vector<uint32_t>{32, 32}, 16),
       true},
      {"stbl_audio",
       make<STBL_Audio_Writer>(16, 48000u, 100000u, 2, std::vector<uint64_t>{1, 2, 3}, 0, 0u),
       true},
      {"stbl_tc", make<STBL_TC_Writer>(10u, fps25, 0x100000000ull, 0), true},
      {"mdhd", make<MDHD_Writer>(0u, 10u, ntsc), false},
      {"mdhd_audio", make<MDHD_Audio_Writer>(0u, 96000u, 48000u), false},
      {"hdlr_video", make<HDLR_Video_Writer>(), false},
      {"hdlr_audio", make<HDLR_Audio_Writer>(), false},
      {"hdlr_tc", make<HDLR_TC_Writer>(), false},
      {"hdlr_media", make<HDLR_Media_Writer>(), false},
      {"vmhd", make<VMHD_Writer>(), false},
      {"smhd", make<SMHD_Writer>(), false},
      {"gmhd", make<GMHD_Writer>(), false},
      {"dinf", make<DINF_Writer>(), false},
      {"minf_tc", make<MINF_TC_Writer>(10u, fps25, 1000ull, 0), true},
      {"mdia_audio",
       make<MDIA_Audio_Writer>(0u, 1000u, 44100u, 8, 1, std::vector<uint64_t>{48}, 0, 0u), true},
      {"mvhd", make<MVHD_Writer>(0u, 10u, fps25, 3u), false},
      {"tkhd_audio", make<TKHD_Audio_Writer>(0u, 10u, fps25, 2u, 0u, 0u, true), false},
      {"edts", make<EDTS_Writer>(10u, fps25), false},
      {"tref", make<TREF_Writer>(5), true},
      {"tapt", make<TAPT_Writer>(788, 720, 576), true},
      {"load", make<LOAD_Writer>(), false},
      {"trak_video_tref",
       make<TRAK_Video_Writer>(0u, 64, 64, 24, fourcc("Hap5"), 1u, fps25, std::vector<uint64_t>{48},
                               std::vector<uint32_t>{2052}, 1.0f, 3),
       true},
      {"trak_tc", make<TRAK_TC_Writer>(3u, 0u, 10u, fps25, 1000ull, 0), true},
      {"moov_audio_tc", full_moov, true},
      {"mdat_tc", make<MDAT_TC_Writer>(90000u), false},
  };
  return atoms;
}

class AtomConsistency : public ::testing::TestWithParam<size_t> {};

TEST_P(AtomConsistency, WritesExactlyItsSize) {
  const Built& b = all_atoms()[GetParam()];
  std::unique_ptr<Atom_Writer> atom = b.make();
  bool large = true;
  const uint64_t size = atom->get_atom_size(large);
  EXPECT_FALSE(large);
  constexpr size_t canary = 32;
  orvex_test::Bytes buf(size + canary, 0xCD);
  EXPECT_EQ(atom->write_atom(buf.data()), size);
  for (size_t i = 0; i < canary; ++i) ASSERT_EQ(buf[size + i], 0xCD) << "overrun at " << i;
  buf.resize(size);
  EXPECT_EQ(orvex_test::be32(buf.data()), size);
  EXPECT_EQ(std::string(buf.begin() + 4, buf.begin() + 8),
            std::string(atom->type().begin(), atom->type().end()));
  // Writing twice gives the same bytes.
  orvex_test::Bytes again(size);
  atom->write_atom(again.data());
  EXPECT_EQ(buf, again);
  if (b.container) {
    // Children tile the body exactly.
    uint64_t sum = 0;
    for (const auto& child : orvex_test::list_atoms(buf, 8, buf.size())) sum += child.size;
    EXPECT_EQ(sum + 8, size);
  }
}

INSTANTIATE_TEST_SUITE_P(AllClasses, AtomConsistency,
                         ::testing::Range<size_t>(0, all_atoms().size()),
                         [](const auto& info) { return all_atoms()[info.param].name; });

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

TEST(AtomCopy, CopyOwnsItsBytes) {
  auto source = std::make_unique<PASP_Writer>(1, 2);
  const Atom_Writer copy = *source;
  const ByteVector before = serialise_atom(*source);
  source.reset();
  EXPECT_EQ(serialise_atom(copy), before);
}

}  // namespace
