// The test-side reader rejects malformed frames with a runtime error, never reading outside the
// frame (checked under the sanitizers). The round trip tests cover reading what the builder writes.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "inspect/hap_frame_reader.h"
#include "tests/HAP/hap_test_textures.h"

namespace {

using hap_test::Bytes;

// Hap Q Alpha frame: chunked colour texture (4 Snappy chunks), alpha texture stored as is.
// Offsets: outer header 0, colour section 4, its decode instructions 8, compressor table header
// 12 and bytes 16..19, size table header 20 and sizes 24..39.
Bytes two_texture_frame() {
  return hap_test::encode_frame({Bytes(4096, 7), hap_test::random_bytes(512, 3)},
                                {HapTexFormat_YCoCg_DXT5, HapTexFormat_A_RGTC1},
                                HapCompressor_Snappy, 4);
}
constexpr size_t colour_section = 4, instructions = 8, compressor_bytes = 16, sizes = 24;

void expect_rejected(const Bytes& frame, const std::string& what) {
  EXPECT_THROW(orvex_inspect::read_hap_frame(frame), std::runtime_error) << what;
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
  // Unknown outer type, format nibble and chunk compressor; a size table that does not add up.
  for (auto [at, value] : {std::pair{size_t{3}, 0x0E},
                           {colour_section + 3, 0xC7},
                           {compressor_bytes + 2, 0x0C},
                           {sizes + 4, frame[sizes + 4] + 1}}) {
    Bytes corrupt = frame;
    corrupt[at] = uint8_t(value);
    expect_rejected(corrupt, "byte " + std::to_string(at));
  }
}

}  // namespace
