// The options record as plain bytes: defaults, copy, description, accepted depths, and how a
// record becomes the render job's settings.
#include "host/options_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/render_settings.h"
#include "tests/host/host_test_support.h"

namespace {

using orvex_host::OutputOptions;

std::vector<uint8_t> bytes_of(const OutputOptions& record) {
  const auto* p = reinterpret_cast<const uint8_t*>(&record);
  return {p, p + sizeof record};
}

OutputOptions defaults() {
  OutputOptions record;
  std::memset(&record, 0xEE, sizeof record);  // every byte must be written
  orvex_host::options_set_defaults(record);
  return record;
}

TEST(OptionsRecord, DefaultsByteForByte) {
  const std::vector<uint8_t> expected = {
      'Q', 'X', 'V', '!', 0, 0, 0, 0,  // magic, live, padding
      0,   0,   0,   0,                // codec Hap
      1,   1,   1,   0,                // reserved, reserved, Snappy on, padding
      8,   0,   0,   0,                // 8 chunks
      2,   0,   0,   0,                // Normal
      0,   0,   0,   0,                // frame mode 0
      0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(bytes_of(defaults()), expected);
}

TEST(OptionsRecord, CopyTakesEveryFieldButMagicAndPadding) {
  OutputOptions source;
  for (size_t i = 0; i < sizeof source; ++i)
    reinterpret_cast<uint8_t*>(&source)[i] = uint8_t(0x80 + i);
  std::memcpy(source.magic, "QXV!", 4);
  OutputOptions destination = defaults();
  std::memcpy(destination.magic, "abcd", 4);  // the magic is never copied

  ASSERT_TRUE(orvex_host::options_copy_from(destination, source));
  const auto out = bytes_of(destination), in = bytes_of(source), before = bytes_of(defaults());
  for (size_t i = 0; i < sizeof source; ++i) {
    const bool padding = (i >= 5 && i <= 7) || i == 15 || (i >= 33 && i <= 35);
    if (i < 4)
      EXPECT_EQ(out[i], "abcd"[i]) << "byte " << i;
    else if (padding)
      EXPECT_EQ(out[i], before[i]) << "padding byte " << i;
    else
      EXPECT_EQ(out[i], in[i]) << "byte " << i;
  }
}

TEST(OptionsRecord, CopyRefusesARecordWithoutMagic) {
  for (int wrong_byte = 0; wrong_byte < 4; ++wrong_byte) {
    OutputOptions source = defaults();
    source.codec = 5;
    source.magic[wrong_byte] ^= 0x20;
    OutputOptions destination = defaults();
    orvex_test::StdoutCapture capture;
    EXPECT_FALSE(orvex_host::options_copy_from(destination, source));
    EXPECT_EQ(capture.finish(), "ERR Not KVR Options\n");
    EXPECT_EQ(bytes_of(destination), bytes_of(defaults()));
  }
}

struct DescribeCase {
  uint32_t codec, quality;
  uint8_t snappy;
  uint32_t chunks;
  int depth;
  const char* text;
  uint32_t codec_after;
};

class OptionsDescribe : public ::testing::TestWithParam<DescribeCase> {};

TEST_P(OptionsDescribe, TextAndCodecRewrite) {
  const DescribeCase& c = GetParam();
  OutputOptions record = defaults();
  record.codec = c.codec;
  record.quality = c.quality;
  record.snappy = c.snappy;
  record.chunk_count = c.chunks;
  EXPECT_EQ(orvex_host::options_describe(record, c.depth), c.text);
  EXPECT_EQ(record.codec, c.codec_after);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, OptionsDescribe,
    ::testing::Values(DescribeCase{0, 2, 1, 8, 24, "Mov HAP ; Normal ; 8 chunks\n", 0},
                      DescribeCase{2, 3, 1, 4, 24, "Mov HAPQ ; 4 chunks\n", 2},
                      DescribeCase{1, 2, 0, 8, 32, "Mov HAPA ; Normal ; No Snappy\n", 1},
                      DescribeCase{5, 1, 1, 0, 48, "Mov HAP R ; Fast ; No Snappy\n", 5},
                      DescribeCase{3, 9, 0, 8, 64, "Mov HAPQA ; No Snappy\n", 3},
                      DescribeCase{4, 2, 1, 64, 24, "Mov HAPAlpha Only ; 64 chunks\n", 4},
                      DescribeCase{0, 7, 1, 8, 24, "Mov HAP ;  ; 8 chunks\n", 0},
                      DescribeCase{9, 2, 1, 8, 24, "Invalid codec ; 8 chunks\n", 9},
                      DescribeCase{6, 2, 1, 8, 64, "Mov HAPA ; Normal ; 8 chunks\n", 1},
                      DescribeCase{6, 2, 1, 8, 48, "Mov HAP ; Normal ; 8 chunks\n", 0},
                      // An unknown depth is described before codec 6 is resolved.
                      DescribeCase{6, 2, 1, 8, 128, "WIP HAP Mov encoder, Depth inconnue", 6},
                      DescribeCase{0, 2, 1, 8, 0, "WIP HAP Mov encoder, Depth inconnue", 0}));

TEST(OptionsRecord, SupportedDepthsFollowTheCodecsAlpha) {
  auto depths_of = [](uint32_t codec) {
    OutputOptions record = defaults();
    record.codec = codec;
    const int32_t flags = orvex_host::options_supported_depths(record);
    std::string depths;
    for (const auto& [bit, name] : {std::pair{6, "24"}, {7, "32"}, {11, "48"}, {12, "64"}})
      if (flags & (1 << bit)) depths += std::string(depths.empty() ? "" : ",") + name;
    EXPECT_EQ(flags & ~((1 << 6) | (1 << 7) | (1 << 11) | (1 << 12)), 0);
    return depths;
  };
  EXPECT_EQ(depths_of(0), "24,48");
  EXPECT_EQ(depths_of(1), "32,64");
  EXPECT_EQ(depths_of(2), "24,48");
  EXPECT_EQ(depths_of(3), "32,64");
  EXPECT_EQ(depths_of(4), "24,48");
  EXPECT_EQ(depths_of(5), "24,32,48,64");
  EXPECT_EQ(depths_of(9), "24,48");
}

TEST(RenderSettings, RecordReachesTheJobArguments) {
  OutputOptions record = defaults();
  auto settings = [&](auto change) {
    OutputOptions r = record;
    change(r);
    return orvex_host::render_settings_from(r);
  };
  // Codec numbering: the job counts Alpha-Only first.
  EXPECT_EQ(settings([](OutputOptions& r) { r.codec = 4; }).job_codec, 0);
  EXPECT_EQ(settings([](OutputOptions& r) { r.codec = 0; }).job_codec, 1);
  EXPECT_EQ(settings([](OutputOptions& r) { r.codec = 3; }).job_codec, 4);
  EXPECT_EQ(settings([](OutputOptions& r) { r.codec = 9; }).job_codec, 1);
  // Chunks: Snappy off means 0; Snappy on never gives 0; only the low 16 bits count.
  EXPECT_EQ(settings([](OutputOptions& r) { r.snappy = 0; }).chunk_count, 0);
  EXPECT_EQ(settings([](OutputOptions& r) { r.chunk_count = 0; }).chunk_count, 1);
  EXPECT_EQ(settings([](OutputOptions& r) { r.chunk_count = 0x10000 + 3; }).chunk_count, 3);
  // Only frame mode 2 encodes one frame at a time (job mode 1).
  EXPECT_EQ(settings([](OutputOptions& r) { r.frame_mode = 2; }).encoding_mode, 1u);
  EXPECT_NE(settings([](OutputOptions& r) { r.frame_mode = 0; }).encoding_mode, 1u);
  EXPECT_NE(settings([](OutputOptions& r) { r.frame_mode = 1; }).encoding_mode, 1u);
  EXPECT_EQ(settings([](OutputOptions& r) { r.quality = 0; }).quality, 1);
  EXPECT_EQ(settings([](OutputOptions& r) { r.quality = 5; }).quality, 3);
  EXPECT_EQ(settings([](OutputOptions& r) { r.quality = 3; }).quality, 3);
  EXPECT_EQ(orvex_host::sample_description_depth(48), 24);
  EXPECT_EQ(orvex_host::sample_description_depth(64), 32);
  EXPECT_EQ(orvex_host::sample_description_depth(24), 24);
}

}  // namespace
