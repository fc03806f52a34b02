// The principal axes (with alpha, and without: see axes_rgb) built for AVX-512 (only this file):
// sixteen cells side by side,
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

void store(const Group& g, uint32_t cells, Bc7Vec4* axes) {
  alignas(64) float out[4][16];
  for (int c = 0; c < 4; ++c) _mm512_store_ps(out[c], g.axis[c]);
  for (uint32_t k = 0; k < cells && k < 16; ++k)
    for (int c = 0; c < 4; ++c) axes[k].m_c[c] = out[c][k];
}

// std::max({a, b, c}) lane by lane: the first of the largest (a later one wins only when larger).
inline __m512 first_max(__m512 a, __m512 b, __m512 c) {
  a = _mm512_mask_blend_ps(_mm512_cmp_ps_mask(a, b, _CMP_LT_OQ), a, b);
  return _mm512_mask_blend_ps(_mm512_cmp_ps_mask(a, c, _CMP_LT_OQ), a, c);
}

inline __m512 magnitude(__m512 v) {
  return _mm512_castsi512_ps(
      _mm512_and_si512(_mm512_castps_si512(v), _mm512_set1_epi32(0x7FFFFFFF)));
}

// The axis without alpha of each lane's cell: covariance over its pixels, three scaled steps of
// power iteration, normalised (0 when its squared length is below 1e-10).
void axes_rgb(Group& g) {
  __m512 rr = _mm512_setzero_ps(), rg = rr, rb = rr, gg = rr, gb = rr, bb = rr;
  for (uint32_t i = 0; i < 16; ++i) {
    const __mmask16 active =
        _mm512_cmpgt_epi32_mask(g.counts, _mm512_set1_epi32(static_cast<int>(i)));
    const __m512i px = _mm512_load_si512(g.px[i]);
    const __m512 r = _mm512_sub_ps(channel(px, 0), g.mean[0]);
    const __m512 gr = _mm512_sub_ps(channel(px, 1), g.mean[1]);
    const __m512 b = _mm512_sub_ps(channel(px, 2), g.mean[2]);
    rr = _mm512_mask_add_ps(rr, active, rr, _mm512_mul_ps(r, r));
    rg = _mm512_mask_add_ps(rg, active, rg, _mm512_mul_ps(r, gr));
    rb = _mm512_mask_add_ps(rb, active, rb, _mm512_mul_ps(r, b));
    gg = _mm512_mask_add_ps(gg, active, gg, _mm512_mul_ps(gr, gr));
    gb = _mm512_mask_add_ps(gb, active, gb, _mm512_mul_ps(gr, b));
    bb = _mm512_mask_add_ps(bb, active, bb, _mm512_mul_ps(b, b));
  }
  __m512 x = _mm512_set1_ps(0.9f), y = _mm512_set1_ps(1.0f), z = _mm512_set1_ps(0.7f);
  for (int iter = 0; iter < 3; ++iter) {
    const __m512 nx = _mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(x, rr), _mm512_mul_ps(y, rg)),
                                    _mm512_mul_ps(z, rb));
    const __m512 ny = _mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(x, rg), _mm512_mul_ps(y, gg)),
                                    _mm512_mul_ps(z, gb));
    const __m512 nz = _mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(x, rb), _mm512_mul_ps(y, gb)),
                                    _mm512_mul_ps(z, bb));
    const __m512 m = first_max(magnitude(nx), magnitude(ny), magnitude(nz));
    const __m512 s = _mm512_mask_div_ps(_mm512_set1_ps(1.0f),
                                        _mm512_cmp_ps_mask(m, _mm512_set1_ps(1e-10f), _CMP_GT_OQ),
                                        _mm512_set1_ps(1.0f), m);
    x = _mm512_mul_ps(nx, s), y = _mm512_mul_ps(ny, s), z = _mm512_mul_ps(nz, s);
  }
  const __m512 zero = _mm512_setzero_ps();
  g.axis[0] = x, g.axis[1] = y, g.axis[2] = z, g.axis[3] = zero;
  __m512 len2 = _mm512_mul_ps(x, x);
  for (int c = 1; c < 4; ++c) len2 = _mm512_add_ps(len2, _mm512_mul_ps(g.axis[c], g.axis[c]));
  const __mmask16 tiny = _mm512_cmp_ps_mask(len2, _mm512_set1_ps(1e-10f), _CMP_LT_OQ);
  normalise(g.axis);
  for (int c = 0; c < 4; ++c) g.axis[c] = _mm512_mask_mov_ps(g.axis[c], tiny, zero);
}

}  // namespace

void bc7_principal_axes_rgb_avx512(const Bc7Color* const* pixels, const uint32_t* counts,
                                   uint32_t cells, Bc7Vec4* axes) {
  for (uint32_t first = 0; first < cells; first += 16) {
    Group g;
    load(g, pixels + first, counts + first, cells - first);
    axes_rgb(g);
    store(g, cells - first, axes + first);
  }
}

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
    for (uint32_t g = 0; g < used; ++g) {
      normalise(groups[g].axis);
      store(groups[g], rest - 16 * g, axes + first + 16 * g);
    }
  }
}
