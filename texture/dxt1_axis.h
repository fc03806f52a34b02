#pragma once
// The principal axis of a Fast/Normal DXT1 block as integer projection weights: four power
// iterations of the channel covariance from the channel ranges, scaled so the largest component
// is 512, luma weights when the block has no clear axis. In an unnamed namespace: the generic and
// the vector endpoint kernels (built with different instruction sets) each keep their own copy.
#include <cstdint>

namespace {

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
    const float s = 512.0f / big;
    w[0] = static_cast<int32_t>(vr * s);
    w[1] = static_cast<int32_t>(vg * s);
    w[2] = static_cast<int32_t>(vb * s);
  }
}

}  // namespace
