#pragma once
// Texture generators and the round-trip invariant shared by the Hap frame tests.
#include <cstdint>
#include <vector>

#include "HAP/hap_builder.h"

namespace hap_test {

enum class Kind { Random, Structured, Mixed };

// Random bytes: Snappy cannot shrink them.
inline std::vector<uint8_t> random_bytes(size_t n, uint64_t seed) {
  std::vector<uint8_t> out(n);
  uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  for (auto& b : out) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    b = static_cast<uint8_t>(x >> 24);
  }
  return out;
}

// Random texture, a compressible one (a few block patterns with rare changes, as flat image
// areas give), or structured first half and random second half.
inline std::vector<uint8_t> make_texture(Kind kind, size_t n, uint64_t seed) {
  std::vector<uint8_t> out = random_bytes(n, seed);
  const size_t structured_end = kind == Kind::Random ? 0 : kind == Kind::Mixed ? n / 2 : n;
  for (size_t i = 0; i < structured_end; ++i) {
    out[i] = static_cast<uint8_t>((i / 96) % 3 * 40 + i % 8 + (i % 1000 == 7));
  }
  return out;
}

}  // namespace hap_test
