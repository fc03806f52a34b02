#include "texture/bc7enc/bc7_principal_axis.h"

#include <algorithm>
#include <cmath>

#include "texture/bc7enc/bc7_vec.h"

Bc7Vec4 bc7_cell_mean(const Bc7Color* pixels, uint32_t n) {
  // Summed in integers: every partial sum (at most 16 * 255) is exact in float, so this is the
  // float sum pixel by pixel. Sum / n as a division: a multiplication by the rounded reciprocal
  // can land one float step off, which moves the rounding of the mean colour.
  int32_t r = 0, g = 0, b = 0, a = 0;
  for (uint32_t i = 0; i < n; ++i) {
    r += pixels[i].m_c[0];
    g += pixels[i].m_c[1];
    b += pixels[i].m_c[2];
    a += pixels[i].m_c[3];
  }
  const float count = static_cast<float>(n);
  return Bc7Vec4{{static_cast<float>(r) / count, static_cast<float>(g) / count,
                  static_cast<float>(b) / count, static_cast<float>(a) / count}};
}

Bc7Vec4 bc7_principal_axis_rgba(const Bc7Color* pixels, uint32_t n, const Bc7Vec4& mean) {
  Bc7Vec4 axis{{0, 0, 0, 0}};
  for (uint32_t i = 0; i < n; ++i) {
    Bc7Vec4 d;
    for (int c = 0; c < 4; ++c) d.m_c[c] = pixels[i].m_c[c] - mean.m_c[c];
    Bc7Vec4 dir = i == 0 ? d : axis;
    bc7_vec_normalize(dir);
    const float dn = bc7_vec_dot(d, dir);
    for (int c = 0; c < 4; ++c) axis.m_c[c] += d.m_c[c] * dn;
  }
  bc7_vec_normalize(axis);
  return axis;
}

Bc7Vec4 bc7_principal_axis_rgb(const Bc7Color* pixels, uint32_t n, const Bc7Vec4& mean) {
  float rr = 0, rg = 0, rb = 0, gg = 0, gb = 0, bb = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const float r = pixels[i].m_c[0] - mean.m_c[0];
    const float g = pixels[i].m_c[1] - mean.m_c[1];
    const float b = pixels[i].m_c[2] - mean.m_c[2];
    rr += r * r, rg += r * g, rb += r * b, gg += g * g, gb += g * b, bb += b * b;
  }
  float x = 0.9f, y = 1.0f, z = 0.7f;
  for (int iter = 0; iter < 3; ++iter) {
    const float nx = x * rr + y * rg + z * rb;
    const float ny = x * rg + y * gg + z * gb;
    const float nz = x * rb + y * gb + z * bb;
    const float m = std::max({std::fabs(nx), std::fabs(ny), std::fabs(nz)});
    const float s = m > 1e-10f ? 1.0f / m : 1.0f;
    x = nx * s, y = ny * s, z = nz * s;
  }
  Bc7Vec4 axis{{x, y, z, 0.0f}};
  if (bc7_vec_dot(axis, axis) < 1e-10f) return Bc7Vec4{{0, 0, 0, 0}};
  bc7_vec_normalize(axis);
  return axis;
}

void bc7_principal_axes_rgb(const Bc7Color* const* pixels, const uint32_t* counts, uint32_t cells,
                            Bc7Vec4* axes) {
  for (uint32_t k = 0; k < cells; ++k)
    axes[k] = bc7_principal_axis_rgb(pixels[k], counts[k], bc7_cell_mean(pixels[k], counts[k]));
}

void bc7_principal_axes_rgba(const Bc7Color* const* pixels, const uint32_t* counts, uint32_t cells,
                             Bc7Vec4* axes) {
  for (uint32_t k = 0; k < cells; ++k)
    axes[k] = bc7_principal_axis_rgba(pixels[k], counts[k], bc7_cell_mean(pixels[k], counts[k]));
}
