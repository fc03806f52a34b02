// Round trip of the frame builder through the frame reader of inspect/: every format, chunk
// counts 1 to 64, Snappy on and off, one and two textures, incompressible and compressible data.
// And the reader on damaged copies of a built frame: a runtime error, never a read outside the
// frame (checked under the sanitizers).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>

#include "inspect/hap_frame_reader.h"
#include "tests/HAP/hap_test_textures.h"

namespace {

using hap_test::Bytes;
using hap_test::Kind;
using Formats = std::vector<HapTexFormat>;

// Section type nibble and block bytes of each format, as the format fixes them.
uint8_t nibble_of(HapTexFormat f) {
  return f == HapTexFormat_RGB_DXT1     ? 0xB
         : f == HapTexFormat_RGBA_DXT5  ? 0xE
         : f == HapTexFormat_YCoCg_DXT5 ? 0xF
         : f == HapTexFormat_A_RGTC1    ? 0x1
                                        : 0xC;
}
uint32_t block_bytes_of(HapTexFormat f) {
  return f == HapTexFormat_RGB_DXT1 || f == HapTexFormat_A_RGTC1 ? 8 : 16;
}

class RoundTrip : public testing::TestWithParam<std::tuple<Formats, bool, Kind>> {};

// 720 blocks has many divisors, 97 is prime, 1 is the smallest texture. Chunks hold whole
// blocks: their count is the largest divisor of the block count not above the request.
TEST_P(RoundTrip, ReaderRecoversTheBytesForEveryChunkCount) {
  const auto& [formats, snappy, kind] = GetParam();
  for (uint32_t blocks : {720u, 97u, 1u}) {
    std::vector<Bytes> textures;
    for (HapTexFormat f : formats) {
      textures.push_back(hap_test::make_texture(kind, blocks * block_bytes_of(f), textures.size()));
    }
    for (uint32_t chunks = 1; chunks <= 64; ++chunks) {
      SCOPED_TRACE(testing::Message() << blocks << " blocks, " << chunks << " chunks");
      const auto frame = orvex_inspect::read_hap_frame(hap_test::encode_frame(
          textures, formats, snappy ? HapCompressor_Snappy : HapCompressor_None, chunks));
      EXPECT_EQ(frame.multiple_images, formats.size() == 2);
      ASSERT_EQ(frame.textures.size(), formats.size());
      for (size_t i = 0; i < formats.size(); ++i) {
        const auto& t = frame.textures[i];
        const uint32_t length = uint32_t(textures[i].size());
        EXPECT_EQ(t.format_nibble, nibble_of(formats[i]));
        EXPECT_FALSE(t.long_header);
        ASSERT_TRUE(t.texture == textures[i]) << "texture " << i << " differs";
        if (!snappy || kind == Kind::Random) {
          EXPECT_FALSE(t.chunked()) << "incompressible or unchunked texture must be stored as is";
        } else if (kind == Kind::Structured && blocks > 1) {
          EXPECT_TRUE(t.chunked()) << "compressible texture stored as is";
        }
        if (!t.chunked()) continue;
        uint32_t n = chunks;
        while (blocks % n != 0) --n;
        ASSERT_EQ(t.chunk_compressors.size(), n);
        for (uint32_t c = 0; c < n; ++c) {
          EXPECT_EQ(t.chunk_texture_lengths[c], length / n) << "chunk " << c;
          if (t.chunk_compressors[c] == 0x0B)
            EXPECT_LT(t.chunk_stored_lengths[c], length / n);
          else
            EXPECT_EQ(t.chunk_stored_lengths[c], length / n);
        }
        if (kind == Kind::Mixed && n >= 2) {
          EXPECT_EQ(t.chunk_compressors.front(), 0x0B);
          EXPECT_EQ(t.chunk_compressors.back(), 0x0A);
        }
      }
      if (HasFatalFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RoundTrip,
    testing::Combine(testing::Values(Formats{HapTexFormat_RGB_DXT1},
                                     Formats{HapTexFormat_RGBA_DXT5},
                                     Formats{HapTexFormat_YCoCg_DXT5},
                                     Formats{HapTexFormat_A_RGTC1}, Formats{HapTexFormat_RGBA_BPTC},
                                     Formats{HapTexFormat_YCoCg_DXT5, HapTexFormat_A_RGTC1},
                                     Formats{HapTexFormat_RGBA_DXT5, HapTexFormat_A_RGTC1},
                                     Formats{HapTexFormat_A_RGTC1, HapTexFormat_RGB_DXT1}),
                     testing::Bool(),
                     testing::Values(Kind::Random, Kind::Structured, Kind::Mixed)));

// A length that is not a whole number of blocks keeps its tail: the last chunk carries it.
TEST(RoundTripTail, PartialBlockTailIsKept) {
  const Bytes texture = hap_test::make_texture(Kind::Structured, 720 * 8 + 5, 3);
  const auto frame = orvex_inspect::read_hap_frame(
      hap_test::encode_frame({texture}, {HapTexFormat_RGB_DXT1}, HapCompressor_Snappy, 64));
  ASSERT_TRUE(frame.textures[0].chunked());
  EXPECT_EQ(frame.textures[0].chunk_texture_lengths.size(), 60u);
  EXPECT_EQ(frame.textures[0].chunk_texture_lengths.back(), 12u * 8 + 5);
  EXPECT_TRUE(frame.textures[0].texture == texture);
}

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
