#pragma once
// The few operations the cell compressor needs on its four-float vectors (Bc7Vec4).
#include <algorithm>
#include <cmath>

#include "texture/bc7enc/bc7_types.h"

inline Bc7Vec4 bc7_vec_clamp01(Bc7Vec4 v) {
  for (float& c : v.m_c) c = std::clamp(c, 0.0f, 1.0f);
  return v;
}

inline Bc7Vec4 bc7_vec_scale(Bc7Vec4 v, float s) {
  for (float& c : v.m_c) c *= s;
  return v;
}

inline float bc7_vec_dot(const Bc7Vec4& a, const Bc7Vec4& b) {
  return a.m_c[0] * b.m_c[0] + a.m_c[1] * b.m_c[1] + a.m_c[2] * b.m_c[2] + a.m_c[3] * b.m_c[3];
}

// Normalises in place when the length is not 0.
inline void bc7_vec_normalize(Bc7Vec4& v) {
  const float len2 = bc7_vec_dot(v, v);
  if (len2 != 0.0f) v = bc7_vec_scale(v, 1.0f / std::sqrt(len2));
}
