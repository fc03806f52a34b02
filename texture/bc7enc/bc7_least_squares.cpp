#include "texture/bc7enc/bc7_least_squares.h"

namespace {

struct NormalSums {
  float z00 = 0, z10 = 0, z11 = 0;
};

// Solves [z11 z10; z10 z00] [low; high] = [t - q; q].
void solve(const NormalSums& z, float q, float t, float& low, float& high) {
  const float det = z.z00 * z.z11 - z.z10 * z.z10;
  const float inv = det != 0.0f ? 1.0f / det : 0.0f;
  low = (z.z00 * (t - q) - z.z10 * q) * inv;
  high = (z.z11 * q - z.z10 * (t - q)) * inv;
}

}  // namespace

void bc7_least_squares(const Bc7CellParams& cell, const uint8_t* selectors, Bc7Vec4& low,
                       Bc7Vec4& high) {
  const uint32_t comps = cell.m_has_alpha ? 4 : 3;
  NormalSums z;
  float q[4] = {}, t[4] = {};
  for (uint32_t i = 0; i < cell.m_num_pixels; ++i) {
    const Bc7WeightQuad& w = cell.m_selector_weightsx[selectors[i]];
    z.z00 += w.m_c[0];
    z.z10 += w.m_c[1];
    z.z11 += w.m_c[2];
    for (uint32_t c = 0; c < comps; ++c) {
      const float v = cell.m_pixels[i].m_c[c];
      q[c] += w.m_c[3] * v;
      t[c] += v;
    }
  }
  low.m_c[3] = high.m_c[3] = 255.0f;
  for (uint32_t c = 0; c < comps; ++c) {
    solve(z, q[c], t[c], low.m_c[c], high.m_c[c]);
    if (low.m_c[c] < 0.0f || high.m_c[c] > 255.0f) {
      uint8_t lo = 255, hi = 0;
      for (uint32_t i = 0; i < cell.m_num_pixels; ++i) {
        lo = std::min(lo, cell.m_pixels[i].m_c[c]);
        hi = std::max(hi, cell.m_pixels[i].m_c[c]);
      }
      if (lo == hi) low.m_c[c] = high.m_c[c] = lo;
    }
  }
}

void bc7_least_squares_1d(uint32_t n, const uint8_t* values, const uint8_t* selectors,
                          const Bc7WeightQuad* quads, float& low, float& high) {
  NormalSums z;
  float q = 0, t = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const Bc7WeightQuad& w = quads[selectors[i]];
    z.z00 += w.m_c[0];
    z.z10 += w.m_c[1];
    z.z11 += w.m_c[2];
    q += w.m_c[3] * values[i];
    t += values[i];
  }
  solve(z, q, t, low, high);
}
