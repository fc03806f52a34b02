#include "texture/bc7enc/bc7_least_squares.h"

#include <algorithm>

namespace {

// Normal-equation sums of the fit in integers. With k the weight (0..64) of a pixel's selector
// and w = k / 64, the float sums of w*w, w*(1-w), (1-w)*(1-w) and w*v are multiples of 1/4096 or
// 1/64 below 2^24 of those steps, so every partial sum is exact in float: the integer sums,
// scaled once, give the very floats that summing the terms one by one would give.
struct NormalSums {
  uint32_t kk = 0;  // sum of k * k
  uint32_t k = 0;   // sum of k
  uint32_t n = 0;   // pixels
};

// The matrix [z11 z10; z10 z00] of the normal equations and the inverse of its determinant,
// shared by every component.
struct NormalMatrix {
  float z00, z10, z11, inv;
};

NormalMatrix normal_matrix(const NormalSums& s) {
  NormalMatrix m;
  m.z00 = static_cast<float>(s.kk) / 4096.0f;
  m.z10 = static_cast<float>(64 * s.k - s.kk) / 4096.0f;
  m.z11 = static_cast<float>(4096 * s.n - 128 * s.k + s.kk) / 4096.0f;
  const float det = m.z00 * m.z11 - m.z10 * m.z10;
  m.inv = det != 0.0f ? 1.0f / det : 0.0f;
  return m;
}

// Solves [z11 z10; z10 z00] [low; high] = [t - q; q], with q = sum(k * v) / 64 and t = sum(v).
void solve(const NormalMatrix& m, uint32_t qk, uint32_t tv, float& low, float& high) {
  const float q = static_cast<float>(qk) / 64.0f;
  const float t = static_cast<float>(tv);
  low = (m.z00 * (t - q) - m.z10 * q) * m.inv;
  high = (m.z11 * q - m.z10 * (t - q)) * m.inv;
}

}  // namespace

void bc7_least_squares_sums(const Bc7CellParams& cell, const uint8_t* selectors,
                            Bc7LeastSquaresSums& sums) {
  // Locals, not `sums`: its stores could alias the pixel and selector bytes.
  uint32_t kk = 0, ks = 0, q[4] = {}, t[4] = {};
  for (uint32_t i = 0; i < cell.m_num_pixels; ++i) {
    const uint32_t k = cell.m_selector_weights[selectors[i]];
    kk += k * k;
    ks += k;
    for (uint32_t c = 0; c < 4; ++c) {
      const uint32_t v = cell.m_pixels[i].m_c[c];
      q[c] += k * v;
      t[c] += v;
    }
  }
  sums.kk = kk;
  sums.k = ks;
  for (uint32_t c = 0; c < 4; ++c) {
    sums.q[c] = q[c];
    sums.t[c] = t[c];
  }
}

void bc7_least_squares(const Bc7CellParams& cell, const uint8_t* selectors, Bc7Vec4& low,
                       Bc7Vec4& high) {
  const uint32_t comps = cell.m_has_alpha ? 4 : 3;
  Bc7LeastSquaresSums sums;
  cell.m_least_squares_sums(cell, selectors, sums);
  NormalSums z;
  z.kk = sums.kk;
  z.k = sums.k;
  z.n = cell.m_num_pixels;
  const NormalMatrix m = normal_matrix(z);
  low.m_c[3] = high.m_c[3] = 255.0f;
  for (uint32_t c = 0; c < comps; ++c) {
    solve(m, sums.q[c], sums.t[c], low.m_c[c], high.m_c[c]);
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
                          const uint32_t* weights, float& low, float& high) {
  NormalSums z;
  z.n = n;
  uint32_t q = 0, t = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t k = weights[selectors[i]];
    z.kk += k * k;
    z.k += k;
    q += k * values[i];
    t += values[i];
  }
  solve(normal_matrix(z), q, t, low, high);
}
