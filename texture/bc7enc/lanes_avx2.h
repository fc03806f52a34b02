#pragma once
// Horizontal sums of eight 32-bit lanes for the AVX2 kernels (the BC7 encoder's and, from the
// texture compressor above it, DXT1's). In an unnamed namespace: only files built with -mavx2
// include it, each with its own copy.
#include <immintrin.h>

#include <cstdint>

namespace {

// Sum of the eight lanes, modulo 2^32.
inline uint32_t lane_sum_u32(__m256i v) {
  __m128i s = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4E));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0xB1));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(s));
}

inline int32_t lane_sum(__m256i v) {
  return static_cast<int32_t>(lane_sum_u32(v));
}

}  // namespace
