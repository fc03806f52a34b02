#pragma once
// The scalar steps shared by the generic and the vector Fast/Normal DXT1 endpoint kernels: the
// principal axis as projection weights and the least-squares solve. In an unnamed namespace: the
// kernels are built with different instruction sets and each keeps its own copy, so the float
// steps are the same operations in every variant.
#include <cstdint>

namespace {

inline uint16_t pack565(uint32_t r, uint32_t g, uint32_t b) {
  return static_cast<uint16_t>((r << 11) | (g << 5) | b);
}

// The principal axis as integer projection weights: four power iterations of the channel
// covariance from the channel ranges, scaled so the largest component is 512, luma weights when
// the block has no clear axis.

// cov: rr, rg, rb, gg, gb, bb about the channel means; mn/mx: channel minima and maxima.
inline void dxt1_axis_weights(const int32_t cov[6], const int32_t mn[3], const int32_t mx[3],
                              int32_t w[3]) {
  float m[6];
  for (int k = 0; k < 6; ++k) m[k] = static_cast<float>(cov[k]) / 255.0f;

  float vr = static_cast<float>(mx[0] - mn[0]);
  float vg = static_cast<float>(mx[1] - mn[1]);
  float vb = static_cast<float>(mx[2] - mn[2]);
  for (int it = 0; it < 4; ++it) {
    const float r = vr * m[0] + vg * m[1] + vb * m[2];
    const float g = vr * m[1] + vg * m[3] + vb * m[4];
    const float b = vr * m[2] + vg * m[4] + vb * m[5];
    vr = r, vg = g, vb = b;
  }
  float big = vr < 0 ? -vr : vr;
  big = (vg < 0 ? -vg : vg) > big ? (vg < 0 ? -vg : vg) : big;
  big = (vb < 0 ? -vb : vb) > big ? (vb < 0 ? -vb : vb) : big;

  w[0] = 299, w[1] = 587, w[2] = 114;  // luma weights when the block has no clear axis
  if (big >= 4.0f) {
    // x * 512 / big in that order: x * 512 is exact, so the largest component comes out as
    // exactly +-512, which x * (512 / big) misses by one for some big (3.7: 511).
    w[0] = static_cast<int32_t>(vr * 512.0f / big);
    w[1] = static_cast<int32_t>(vg * 512.0f / big);
    w[2] = static_cast<int32_t>(vb * 512.0f / big);
  }
}

// The index match's thresholds along c0 - c1: d = the expanded colour difference, s = the
// projections on d of colour 0, colour 1 and the two interpolated colours (x / 3 for x < 2^16 as
// x * 43691 >> 17).
inline void dxt1_palette_projections(uint16_t c0, uint16_t c1, const uint8_t expand[96],
                                     int32_t d[3], int32_t s[4]) {
  const int32_t e0[3] = {expand[(c0 >> 11) & 31], expand[32 + ((c0 >> 5) & 63)], expand[c0 & 31]};
  const int32_t e1[3] = {expand[(c1 >> 11) & 31], expand[32 + ((c1 >> 5) & 63)], expand[c1 & 31]};
  s[0] = s[1] = s[2] = s[3] = 0;
  for (int c = 0; c < 3; ++c) {
    const int32_t p2 =
        static_cast<int32_t>((static_cast<uint32_t>(2 * e0[c] + e1[c]) * 43691u) >> 17);
    const int32_t p3 =
        static_cast<int32_t>((static_cast<uint32_t>(e0[c] + 2 * e1[c]) * 43691u) >> 17);
    d[c] = e0[c] - e1[c];
    s[0] += e0[c] * d[c], s[1] += e1[c] * d[c], s[2] += p2 * d[c], s[3] += p3 * d[c];
  }
}

// Least-squares endpoints from the index sums: `packed` holds the sums of w*w, (3-w)*(3-w) and
// w*(3-w) in bits 16-23, 8-15 and 0-7, a[c] the sum of w times channel c (w: colour 0's weight
// in thirds), sum[c] the channel's sum. Leaves c0 and c1 alone when all indices are equal.
inline void dxt1_solve_endpoints(uint32_t packed, const int32_t a[3], const int32_t sum[3],
                                 uint16_t* c0, uint16_t* c1) {
  const int32_t xx = static_cast<int32_t>(packed >> 16);
  const int32_t yy = static_cast<int32_t>((packed >> 8) & 0xFF);
  const int32_t xy = static_cast<int32_t>(packed & 0xFF);
  const int32_t det = xx * yy - xy * xy;
  if (det == 0) return;  // all indices equal: no line to fit, the caller uses the mean colour
  const float f = 0.3647059f / static_cast<float>(det);  // (3 * 31 / 255) / det
  const float fs[3] = {f, f * 63.0f / 31.0f, f};
  static constexpr int32_t kLimit[3] = {31, 63, 31};

  int32_t q0[3], q1[3];
  for (int c = 0; c < 3; ++c) {
    const int32_t b = 3 * sum[c] - a[c];
    int32_t v0 = static_cast<int32_t>(static_cast<float>(a[c] * yy - b * xy) * fs[c] + 0.5f);
    int32_t v1 = static_cast<int32_t>(static_cast<float>(b * xx - a[c] * xy) * fs[c] + 0.5f);
    q0[c] = v0 < 0 ? 0 : v0 > kLimit[c] ? kLimit[c] : v0;
    q1[c] = v1 < 0 ? 0 : v1 > kLimit[c] ? kLimit[c] : v1;
  }
  *c0 = pack565(q0[0], q0[1], q0[2]);
  *c1 = pack565(q1[0], q1[1], q1[2]);
}

}  // namespace
