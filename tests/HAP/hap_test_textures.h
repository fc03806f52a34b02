#pragma once
// Texture generators and encoding helpers shared by the Hap frame tests. The encoders check
// success and that nothing is written past the worst-case capacity they size the output with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "HAP/hap_builder.h"

namespace hap_test {

using Bytes = std::vector<uint8_t>;
enum class Kind { Random, Structured, Mixed };
constexpr uint8_t canary = 0xE5;

// Random bytes: Snappy cannot shrink them.
inline Bytes random_bytes(size_t n, uint64_t seed) {
  Bytes out(n);
  uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  for (auto& b : out) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    b = static_cast<uint8_t>(x >> 24);
  }
  return out;
}

// Random texture, a compressible one (a few block patterns with rare changes, as flat image
// areas give), or structured first half and random second half.
inline Bytes make_texture(Kind kind, size_t n, uint64_t seed) {
  Bytes out = random_bytes(n, seed);
  const size_t structured_end = kind == Kind::Random ? 0 : kind == Kind::Mixed ? n / 2 : n;
  for (size_t i = 0; i < structured_end; ++i) {
    out[i] = static_cast<uint8_t>((i / 96) % 3 * 40 + i % 8 + (i % 1000 == 7));
  }
  return out;
}

inline void expect_canary_from(const Bytes& out, size_t capacity) {
  EXPECT_TRUE(std::all_of(out.begin() + capacity, out.end(), [](uint8_t b) { return b == canary; }))
      << "write past the capacity " << capacity;
}

// A whole frame of one or two textures through hap_encode (one texture: its section alone).
inline Bytes encode_frame(const std::vector<Bytes>& textures,
                          const std::vector<HapTexFormat>& formats, HapCompressor compressor,
                          uint32_t chunks) {
  const uint32_t count = uint32_t(textures.size());
  std::vector<const uint8_t*> inputs;
  std::vector<uint32_t> lengths, counts(count, chunks);
  for (const auto& t : textures) inputs.push_back(t.data()), lengths.push_back(uint32_t(t.size()));
  const std::vector<HapCompressor> compressors(count, compressor);
  const uint32_t capacity =
      hap_max_encoded_length(count, lengths.data(), formats.data(), counts.data());
  Bytes out(size_t{capacity} + 64, canary);
  uint32_t used = 0;
  EXPECT_EQ(hap_encode(count, inputs.data(), lengths.data(), formats.data(), compressors.data(),
                       counts.data(), out.data(), capacity, &used),
            HapResult_No_Error);
  EXPECT_LE(used, capacity);
  expect_canary_from(out, capacity);
  out.resize(used);
  return out;
}

}  // namespace hap_test
