// The test-side reader accepts legal frames the builder does not write and rejects malformed ones
// with a runtime error, never reading outside the frame (checked under the sanitizers). The round
// trip tests cover reading what the builder writes.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "tests/HAP/hap_test_textures.h"
#include "tests/support/hap_frame_reader.h"

namespace {

using hap_test::Bytes;

// Hap Q Alpha frame: chunked colour texture (4 Snappy chunks), alpha texture stored as is.
// Offsets: outer header 0, colour section 4, its decode instructions 8, compressor table header
// 12 and bytes 16..19, size table header 20 and sizes 24..39, chunk data from 40.
Bytes two_texture_frame() {
  return hap_test::encode_frame({Bytes(4096, 7), hap_test::random_bytes(512, 3)},
                                {HapTexFormat_YCoCg_DXT5, HapTexFormat_A_RGTC1},
                                HapCompressor_Snappy, 4);
}
constexpr size_t colour_section = 4, instructions = 8, compressor_bytes = 16, sizes = 24,
                 chunk_data = 40;

void expect_rejected(const Bytes& frame, const std::string& what) {
  EXPECT_THROW(orvex_test::read_hap_frame(frame), std::runtime_error) << what;
}

// Legal variations the builder does not write (long header on a small texture, size table
// first, chunks of different lengths) are read; tables that disagree in count are not.
TEST(Reader, AcceptsOtherLegalLayouts) {
  Bytes f = {0, 0, 0, 0xCE, 25, 0, 0, 0, 18, 0, 0,    0x01, 8,    0, 0, 0x03, 1,
             0, 0, 0, 2,    0,  0, 0, 2, 0,  0, 0x02, 0x0A, 0x0A, 1, 2, 3};
  const auto frame = orvex_test::read_hap_frame(f);
  EXPECT_TRUE(frame.textures[0].long_header);
  EXPECT_EQ(frame.textures[0].chunk_texture_lengths, (std::vector<uint32_t>{1, 2}));
  EXPECT_TRUE(frame.textures[0].texture == (Bytes{1, 2, 3}));
  f.erase(f.begin() + 20, f.begin() + 24);  // drop the second size
  f[4] = 21, f[8] = 14, f[12] = 4;
  expect_rejected(f, "tables differ in count");
}

// Every cut of the frame, once as is and once with the outer and colour section lengths shrunk
// to the cut, so that the parser meets the truncation inside the chunk tables and chunks too.
TEST(Reader, RejectsEveryTruncationAndTrailingBytes) {
  const Bytes frame = two_texture_frame();
  const auto put24 = [](Bytes& f, size_t at, size_t v) {
    for (int i = 0; i < 3; ++i) f[at + i] = uint8_t(v >> (8 * i));
  };
  const size_t colour_length = frame[colour_section] | frame[colour_section + 1] << 8;
  for (size_t n = 0; n < frame.size(); ++n) {
    // A copy of exactly n bytes, so any over-read hits the end of the allocation.
    Bytes prefix(frame.begin(), frame.begin() + n);
    expect_rejected(prefix, "cut at " + std::to_string(n));
    if (n <= instructions || n == instructions + colour_length) continue;  // that cut is legal
    put24(prefix, 0, n - 4);
    put24(prefix, colour_section, std::min(colour_length, n - instructions));
    expect_rejected(prefix, "cut with lengths patched at " + std::to_string(n));
  }
  Bytes longer = frame;
  longer.push_back(0);
  expect_rejected(longer, "trailing byte");
  expect_rejected(Bytes{0, 0, 0, 0xAB}, "empty stored texture");
}

struct Corruption {
  const char* name;
  std::function<void(Bytes&)> apply;
};

class RejectsCorruption : public testing::TestWithParam<Corruption> {};

TEST_P(RejectsCorruption, WithARuntimeError) {
  Bytes frame = two_texture_frame();
  ASSERT_NO_THROW(orvex_test::read_hap_frame(frame));
  GetParam().apply(frame);
  expect_rejected(frame, GetParam().name);
}

const Corruption corruptions[] = {
    {"OuterLengthPastEnd", [](Bytes& f) { f[0] += 1; }},
    {"InnerLengthTooLong", [](Bytes& f) { f[colour_section] += 1; }},
    {"LastLengthPastEnd", [](Bytes& f) { f[0] += 1, f[f.size() - 512 - 4] += 1; }},
    {"UnknownOuterType", [](Bytes& f) { f[3] = 0x0E; }},
    {"NestedMultipleImages", [](Bytes& f) { f[colour_section + 3] = 0x0D; }},
    {"UnknownFormatNibble", [](Bytes& f) { f[colour_section + 3] = 0xC7; }},
    {"NoDecodeInstructions", [](Bytes& f) { f[instructions + 3] = 0x04; }},
    {"UnknownTable", [](Bytes& f) { f[compressor_bytes - 1] = 0x04; }},
    {"UnknownCompressor", [](Bytes& f) { f[compressor_bytes + 2] = 0x0C; }},
    {"SizesDoNotAddUp", [](Bytes& f) { f[sizes + 4] += 1; }},
    {"SizeTableLengthWrong", [](Bytes& f) { f[sizes - 4] = 12; }},
    {"CorruptSnappy", [](Bytes& f) { f[chunk_data] = 0xFF, f[chunk_data + 1] = 0xFF; }},
    {"HugeSnappyLength",
     [](Bytes& f) {
       for (int i = 0; i < 4; ++i) f[chunk_data + i] = 0xFF;
       f[chunk_data + 4] = 0x0F;
     }},
};

INSTANTIATE_TEST_SUITE_P(Frames, RejectsCorruption, testing::ValuesIn(corruptions),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
