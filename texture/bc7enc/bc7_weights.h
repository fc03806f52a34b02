#pragma once
// BPTC interpolation weights (2-, 3- and 4-bit indices), their float terms for the
// least-squares fits, and the expansion of an n-bit endpoint code to 8 bits.
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "texture/bc7enc/bc7_types.h"

inline constexpr uint32_t g_bc7_weights2[4] = {0, 21, 43, 64};
inline constexpr uint32_t g_bc7_weights3[8] = {0, 9, 18, 27, 37, 46, 55, 64};
inline constexpr uint32_t g_bc7_weights4[16] = {0,  4,  9,  13, 17, 21, 26, 30,
                                                34, 38, 43, 47, 51, 55, 60, 64};

template <size_t N>
constexpr std::array<Bc7WeightQuad, N> bc7_weight_quads(const uint32_t (&weights)[N]) {
  std::array<Bc7WeightQuad, N> quads{};
  for (size_t i = 0; i < N; ++i) {
    const float w = static_cast<float>(weights[i]) / 64.0f;
    quads[i] = Bc7WeightQuad{{w * w, w * (1.0f - w), (1.0f - w) * (1.0f - w), w}};
  }
  return quads;
}

inline constexpr std::array<Bc7WeightQuad, 4> g_bc7_weights2x = bc7_weight_quads(g_bc7_weights2);
inline constexpr std::array<Bc7WeightQuad, 8> g_bc7_weights3x = bc7_weight_quads(g_bc7_weights3);
inline constexpr std::array<Bc7WeightQuad, 16> g_bc7_weights4x = bc7_weight_quads(g_bc7_weights4);

// Palette entry between two 8-bit endpoint components for weight w (0..64).
constexpr uint32_t bc7_interpolate(uint32_t lo, uint32_t hi, uint32_t w) {
  return ((64 - w) * lo + w * hi + 32) >> 6;
}

// Bit replication of an n-bit code (4 <= n <= 8, p-bit included where the mode has one).
inline uint32_t bc7_expand(uint32_t v, uint32_t n) {
  assert((n >= 4) && (n <= 8));
  v <<= 8 - n;
  v |= v >> n;
  assert(v <= 255);
  return v;
}
