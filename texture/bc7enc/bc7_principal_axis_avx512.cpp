// The principal axes with alpha built for AVX-512 (only this file): sixteen cells side by side,
// one 32-bit lane per cell, each vector holding one component (R, G, B, A) of all sixteen. Every
// lane runs the baseline's float operations in its order (sums of integers over the count,
// offsets, lengths added component by component, square root and reciprocal, the dot products,
// the running sum), so each axis is the baseline's. A lane stops changing after its cell's last
// pixel. Two groups of sixteen run in the same loop: each step of a group waits on the one
// before, so the other group fills the gaps. Byte-equal to the baseline build.
// GCC 12 warns inside its own AVX-512 header, where intrinsics start from an undefined register
// (GCC bug 105593): silenced for the header's lines only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "texture/bc7enc/bc7_kernels.h"

namespace {

struct Group {
  alignas(64) uint32_t px[16][16];  // [pixel][cell]: RGBA bytes, 0 past the cell's count
  __m512i counts;
  __m512 mean[4];
  __m512 axis[4];
};

inline __m512 channel(__m512i px, int c) {
  return _mm512_cvtepi32_ps(_mm512_and_si512(_mm512_srli_epi32(px, 8 * c), _mm512_set1_epi32(255)));
}

// Scales v to unit length in the lanes whose length is not 0 (NaN lengths included, as the
// baseline's `len2 != 0`).
inline void normalise(__m512 v[4]) {
  __m512 len2 = _mm512_mul_ps(v[0], v[0]);
  for (int c = 1; c < 4; ++c) len2 = _mm512_add_ps(len2, _mm512_mul_ps(v[c], v[c]));
  const __mmask16 nonzero = _mm512_cmp_ps_mask(len2, _mm512_setzero_ps(), _CMP_NEQ_UQ);
  const __m512 inv = _mm512_div_ps(_mm512_set1_ps(1.0f), _mm512_sqrt_ps(len2));
  for (int c = 0; c < 4; ++c) v[c] = _mm512_mask_mul_ps(v[c], nonzero, v[c], inv);
}

void load(Group& g, const Bc7Color* const* pixels, const uint32_t* counts, uint32_t cells) {
  alignas(64) uint32_t n[16] = {};
  for (uint32_t k = 0; k < 16; ++k) {
    n[k] = k < cells ? counts[k] : 0;
    for (uint32_t i = 0; i < 16; ++i) {
      uint32_t v = 0;
      if (i < n[k]) __builtin_memcpy(&v, pixels[k][i].m_c, 4);
      g.px[i][k] = v;
    }
  }
  g.counts = _mm512_load_si512(n);
  __m512i sums[4];
  for (int c = 0; c < 4; ++c) sums[c] = _mm512_setzero_si512();
  for (uint32_t i = 0; i < 16; ++i) {
    const __m512i px = _mm512_load_si512(g.px[i]);
    for (int c = 0; c < 4; ++c)
      sums[c] = _mm512_add_epi32(
          sums[c], _mm512_and_si512(_mm512_srli_epi32(px, 8 * c), _mm512_set1_epi32(255)));
  }
  // Empty lanes divide by 1 (their results are never read).
  const __m512 divisor = _mm512_cvtepi32_ps(_mm512_max_epi32(g.counts, _mm512_set1_epi32(1)));
  for (int c = 0; c < 4; ++c) {
    g.mean[c] = _mm512_div_ps(_mm512_cvtepi32_ps(sums[c]), divisor);
    g.axis[c] = _mm512_setzero_ps();
  }
}

inline void step(Group& g, uint32_t i) {
  const __mmask16 active =
      _mm512_cmpgt_epi32_mask(g.counts, _mm512_set1_epi32(static_cast<int>(i)));
  const __m512i px = _mm512_load_si512(g.px[i]);
  __m512 d[4], dir[4];
  for (int c = 0; c < 4; ++c) {
    d[c] = _mm512_sub_ps(channel(px, c), g.mean[c]);
    dir[c] = i == 0 ? d[c] : g.axis[c];
  }
  normalise(dir);
  __m512 dn = _mm512_mul_ps(d[0], dir[0]);
  for (int c = 1; c < 4; ++c) dn = _mm512_add_ps(dn, _mm512_mul_ps(d[c], dir[c]));
  for (int c = 0; c < 4; ++c)
    g.axis[c] = _mm512_mask_add_ps(g.axis[c], active, g.axis[c], _mm512_mul_ps(d[c], dn));
}

void store(Group& g, uint32_t cells, Bc7Vec4* axes) {
  normalise(g.axis);
  alignas(64) float out[4][16];
  for (int c = 0; c < 4; ++c) _mm512_store_ps(out[c], g.axis[c]);
  for (uint32_t k = 0; k < cells && k < 16; ++k)
    for (int c = 0; c < 4; ++c) axes[k].m_c[c] = out[c][k];
}

}  // namespace

void bc7_principal_axes_rgba_avx512(const Bc7Color* const* pixels, const uint32_t* counts,
                                    uint32_t cells, Bc7Vec4* axes) {
  for (uint32_t first = 0; first < cells; first += 32) {
    const uint32_t rest = cells - first;
    Group groups[2];
    const uint32_t used = rest > 16 ? 2 : 1;
    for (uint32_t g = 0; g < used; ++g)
      load(groups[g], pixels + first + 16 * g, counts + first + 16 * g, rest - 16 * g);
    uint32_t longest = 0;
    for (uint32_t k = 0; k < rest && k < 32; ++k)
      longest = counts[first + k] > longest ? counts[first + k] : longest;
    for (uint32_t i = 0; i < longest; ++i)
      for (uint32_t g = 0; g < used; ++g) step(groups[g], i);
    for (uint32_t g = 0; g < used; ++g) store(groups[g], rest - 16 * g, axes + first + 16 * g);
  }
}
