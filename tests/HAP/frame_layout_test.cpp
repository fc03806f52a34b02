// Byte layouts the format fixes at its limits: section headers on both sides of 0xFFFFFF, the
// stored-versus-chunked choice, chunk-count limiting, worst cases. Ordinary frames are read back by
// ffmpeg in the end-to-end tests.
#include <gtest/gtest.h>
#include <snappy-c.h>

#include "inspect/hap_frame_reader.h"
#include "tests/HAP/hap_test_textures.h"

namespace {

using hap_test::Bytes;
using hap_test::encode_frame;
using hap_test::Kind;
constexpr HapTexFormat dxt1 = HapTexFormat_RGB_DXT1;

Bytes snappy_of(const uint8_t* data, size_t n) {
  size_t size = snappy_max_compressed_length(n);
  Bytes out(size);
  EXPECT_EQ(snappy_compress(reinterpret_cast<const char*>(data), n,
                            reinterpret_cast<char*>(out.data()), &size),
            SNAPPY_OK);
  out.resize(size);
  return out;
}

// With one chunk the chunked bound is length + 5 + 12, so 0xFFFFEE is the longest Snappy texture
// whose header is short, and a texture past 0xFFFFFF always has a long one.
TEST(Layout, HeaderFormFollowsTheLengthBound) {
  const struct {
    uint32_t length;
    HapCompressor compressor;
    Kind kind;
    bool long_form, chunked;
  } cases[] = {{0xFFFFFF, HapCompressor_None, Kind::Random, false, false},
               {0x1000000, HapCompressor_None, Kind::Random, true, false},
               {0x1000000, HapCompressor_Snappy, Kind::Structured, true, true},
               {0xFFFFEE, HapCompressor_Snappy, Kind::Structured, false, true},
               {0xFFFFEF, HapCompressor_Snappy, Kind::Structured, true, true},
               {0xFFFFEF, HapCompressor_Snappy, Kind::Random, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    const Bytes texture = hap_test::make_texture(c.kind, c.length, c.length);
    const Bytes out = encode_frame({texture}, {dxt1}, c.compressor, 1);
    const auto frame = orvex_inspect::read_hap_frame(out);
    const auto& t = frame.textures.at(0);
    EXPECT_EQ(t.long_header, c.long_form);
    EXPECT_EQ(t.chunked(), c.chunked);
    EXPECT_TRUE(c.chunked || out.size() == c.length + (c.long_form ? 8u : 4u));
    EXPECT_TRUE(t.texture == texture);
  }
}

// The outer header of two textures is short while the sum of (length + 5 x chunks + 12) fits.
TEST(Layout, MultipleImagesHeaderForm) {
  for (uint32_t extra : {0u, 1u}) {
    const Bytes colour = hap_test::random_bytes(0xFFFFFF - 2 * 17 - 8 + extra, 5), alpha(8, 9);
    const Bytes out = encode_frame({colour, alpha}, {HapTexFormat_YCoCg_DXT5, HapTexFormat_A_RGTC1},
                                   HapCompressor_None, 1);
    const auto frame = orvex_inspect::read_hap_frame(out);
    EXPECT_EQ(frame.outer_long_header, extra == 1);
    EXPECT_FALSE(frame.textures[0].long_header);
    EXPECT_EQ(out[3], 0x0D);
    EXPECT_TRUE(frame.textures[0].texture == colour);
  }
}

// One chunk of `length` bytes, H = 4: the chunked body is 17 + stored bytes. It is kept exactly
// when that is below length + 4, even when it is not below the length alone.
TEST(Layout, ChunkedFormKeptOnlyWhenShorterThanStoredSection) {
  const uint32_t length = 4000;
  bool seen[3] = {};
  for (uint32_t zeros = 0; zeros < 60; ++zeros) {
    Bytes texture = hap_test::random_bytes(length, 77);
    std::fill(texture.begin(), texture.begin() + zeros, 0);  // Snappy finds runs at the front
    const int64_t body = 17 + int64_t(snappy_of(texture.data(), length).size());
    const int64_t over = body - length;  // -1 .. 3 chunked, 4 and more stored
    if (over != -1 && over != 3 && over != 4) continue;
    seen[over == -1 ? 0 : over == 3 ? 1 : 2] = true;
    const auto frame =
        orvex_inspect::read_hap_frame(encode_frame({texture}, {dxt1}, HapCompressor_Snappy, 1));
    EXPECT_EQ(frame.textures[0].chunked(), over < 4) << "payload over length by " << over;
    EXPECT_EQ(frame.textures[0].section_bytes, over < 4 ? 4 + body : 4 + length);
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2]) << "generator missed a boundary case";
}

// The round trip covers 1 to 64 chunks on 720, 97 and 1 blocks; here 16-byte blocks, a request
// of 0, a partial block, and a request far above 64.
TEST(Layout, ChunkCountDividesTheBlockCount) {
  EXPECT_EQ(hap_limit_chunk_count(64 * 16, HapTexFormat_RGBA_BPTC, 0), 1u);
  EXPECT_EQ(hap_limit_chunk_count(4, dxt1, 64), 1u);
  EXPECT_EQ(hap_limit_chunk_count(2 * 0x333327 * 8, dxt1, UINT32_MAX), 0x333327u);
}

TEST(Layout, WorstCaseBounds) {
  // 1920x1080 DXT1, 8 chunks of 129600 bytes: 8 + 20 + 8 x (32 + 129600 + 21600 + 5).
  const uint32_t length = 1036800, chunks = 8;
  EXPECT_EQ(hap_max_encoded_length(1, &length, &dxt1, &chunks), 1209924u);
  EXPECT_EQ(hap_max_texture_section_length(length, dxt1, HapCompressor_Snappy, 8), 1209916u);
  EXPECT_EQ(hap_max_texture_section_length(length, dxt1, HapCompressor_None, 8), 1036860u);

  const uint32_t lengths[3] = {800, 800, 800}, counts[3] = {1, 1, 1}, zero = 0;
  const HapTexFormat formats[3] = {dxt1, dxt1, dxt1};
  EXPECT_EQ(hap_max_encoded_length(3, lengths, formats, counts), 0u);
  EXPECT_EQ(hap_max_encoded_length(1, lengths, formats, &zero), 0u);
  // Beyond 32 bits the bound is reported as 0 instead of wrapping to a small buffer size.
  const uint32_t huge = 0xFFFFFFF0;
  EXPECT_EQ(hap_max_encoded_length(1, &huge, &dxt1, counts), 0u);
}

}  // namespace
