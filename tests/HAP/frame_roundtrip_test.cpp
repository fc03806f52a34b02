// Round trip of the frame builder through the test-side reader: every format, chunk counts 1 to
// 64, Snappy on and off, one and two textures, incompressible and compressible data.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "HAP/hap_builder.h"
#include "tests/HAP/hap_test_textures.h"
#include "tests/support/hap_frame_reader.h"

namespace {

using hap_test::Kind;
constexpr uint8_t canary = 0xE5;

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

// Largest divisor of the block count not above the request.
uint32_t expected_chunks(uint32_t blocks, uint32_t requested) {
  for (uint32_t n = requested; n > 1; --n)
    if (blocks % n == 0) return n;
  return 1;
}

// Encodes `textures` into a buffer of exactly the worst-case size (plus a canary border) and
// checks: success, the canary, the reader recovers every byte, and the chunk tables are consistent
// with the request.
void verify_hap_round_trip(const std::vector<std::vector<uint8_t>>& textures,
                           const std::vector<HapTexFormat>& formats, uint32_t chunks, bool snappy,
                           Kind kind) {
  const uint32_t count = static_cast<uint32_t>(textures.size());
  std::vector<const uint8_t*> inputs;
  std::vector<uint32_t> lengths, chunk_counts(count, chunks);
  std::vector<HapCompressor> compressors(count, snappy ? HapCompressor_Snappy : HapCompressor_None);
  for (const auto& t : textures) inputs.push_back(t.data()), lengths.push_back(uint32_t(t.size()));

  const uint32_t capacity =
      hap_max_encoded_length(count, lengths.data(), formats.data(), chunk_counts.data());
  ASSERT_GT(capacity, 0u);
  std::vector<uint8_t> out(capacity + 64, canary);
  uint32_t used = 0;
  ASSERT_EQ(hap_encode(count, inputs.data(), lengths.data(), formats.data(), compressors.data(),
                       chunk_counts.data(), out.data(), capacity, &used),
            HapResult_No_Error);
  ASSERT_LE(used, capacity);
  for (size_t i = capacity; i < out.size(); ++i) ASSERT_EQ(out[i], canary) << "write past end";
  out.resize(used);

  const orvex_test::HapFrameLayout frame = orvex_test::read_hap_frame(out);
  EXPECT_EQ(frame.multiple_images, count == 2);
  ASSERT_EQ(frame.textures.size(), count);
  for (uint32_t i = 0; i < count; ++i) {
    const auto& t = frame.textures[i];
    SCOPED_TRACE(testing::Message() << "texture " << i);
    EXPECT_EQ(t.format_nibble, nibble_of(formats[i]));
    EXPECT_FALSE(t.long_header);
    ASSERT_TRUE(t.texture == textures[i]) << "texture bytes differ";
    if (!snappy || kind == Kind::Random) {
      EXPECT_FALSE(t.chunked()) << "incompressible or unchunked texture must be stored as is";
    } else if (kind == Kind::Structured && lengths[i] >= 512) {
      EXPECT_TRUE(t.chunked()) << "compressible texture stored as is";
    }
    if (!t.chunked()) continue;
    const uint32_t n = expected_chunks(lengths[i] / block_bytes_of(formats[i]), chunks);
    ASSERT_EQ(t.chunk_compressors.size(), n);
    for (uint32_t c = 0; c < n; ++c) {
      EXPECT_EQ(t.chunk_texture_lengths[c], lengths[i] / n) << "chunk " << c;
      if (t.chunk_compressors[c] == 0x0B)
        EXPECT_LT(t.chunk_stored_lengths[c], lengths[i] / n);
      else
        EXPECT_EQ(t.chunk_stored_lengths[c], lengths[i] / n);
    }
    if (kind == Kind::Mixed && n >= 2) {
      EXPECT_EQ(t.chunk_compressors.front(), 0x0B);
      EXPECT_EQ(t.chunk_compressors.back(), 0x0A);
    }
  }
}

using Formats = std::vector<HapTexFormat>;

// 720 blocks has many divisors, 97 is prime, 1 is the smallest texture.
class RoundTrip : public testing::TestWithParam<std::tuple<Formats, bool, Kind>> {};

TEST_P(RoundTrip, ReaderRecoversTheBytesForEveryChunkCount) {
  const auto& [formats, snappy, kind] = GetParam();
  for (uint32_t blocks : {720u, 97u, 1u}) {
    std::vector<std::vector<uint8_t>> textures;
    for (HapTexFormat f : formats) {
      textures.push_back(hap_test::make_texture(kind, blocks * block_bytes_of(f), textures.size()));
    }
    for (uint32_t chunks = 1; chunks <= 64; ++chunks) {
      SCOPED_TRACE(testing::Message() << blocks << " blocks, " << chunks << " chunks");
      verify_hap_round_trip(textures, formats, chunks, snappy, kind);
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
  const auto texture = hap_test::make_texture(Kind::Structured, 720 * 8 + 5, 3);
  std::vector<uint8_t> out(hap_max_texture_section_length(
      uint32_t(texture.size()), HapTexFormat_RGB_DXT1, HapCompressor_Snappy, 64));
  uint64_t used = 0;
  ASSERT_EQ(hap_encode_texture(texture.data(), uint32_t(texture.size()), HapTexFormat_RGB_DXT1,
                               HapCompressor_Snappy, 64, out.data(), out.size(), &used),
            HapResult_No_Error);
  const auto frame = orvex_test::read_hap_frame(out.data(), used);
  ASSERT_TRUE(frame.textures[0].chunked());
  EXPECT_EQ(frame.textures[0].chunk_texture_lengths.size(), 60u);
  EXPECT_EQ(frame.textures[0].chunk_texture_lengths.back(), 12u * 8 + 5);
  EXPECT_TRUE(frame.textures[0].texture == texture);
}

}  // namespace
