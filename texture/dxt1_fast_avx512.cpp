// AVX-512 DXT1 Fast rows for the host's 8-bit ARGB, and the Normal and DXT5 rows built on them:
// sixteen blocks at a time, one block per 32-bit lane. Every step of the Fast block (solid check,
// principal-axis estimate, index match, least-squares refinement, second match, ordering of the
// endpoints) runs in all lanes, and the lanes keep the result of the path their block takes.
// Integer steps are exact; the float steps (axis iteration, scaling of the axis, the least-squares
// solve) are the generic kernel's operations in the generic kernel's order, lane by lane, so the
// bytes are the generic kernel's. A row's last blocks (fewer than sixteen) go through the per-block
// kernels of the table. Only this file is compiled with the AVX-512 flags.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "texture/alpha_rgtc1.h"
#include "texture/avx512_intrinsics.h"
#include "texture/dxt1.h"
#include "texture/dxt1_avx512.h"

namespace {

using V = __m512i;
using F = __m512;

inline V splat(int32_t v) {
  return _mm512_set1_epi32(v);
}
inline V add(V a, V b) {
  return _mm512_add_epi32(a, b);
}
inline V sub(V a, V b) {
  return _mm512_sub_epi32(a, b);
}
inline V mul(V a, V b) {
  return _mm512_mullo_epi32(a, b);
}

// The sixteen blocks' channels: pixel p of every block in one vector per channel.
struct Blocks {
  V r[16], g[16], b[16];
};

// Reads 16 blocks (4 rows of 64 pixels from `src`) and splits them into per-pixel vectors.
inline void load_blocks(const uint8_t* src, size_t stride, Blocks* out) {
  const V mask = splat(0xFF);
  for (int y = 0; y < 4; ++y, src += stride) {
    V z[4];  // four blocks each: dword (block % 4) x 4 + x
    for (int q = 0; q < 4; ++q) z[q] = _mm512_loadu_si512(src + 64 * q);
    for (int x = 0; x < 4; ++x) {
      // Lanes 0..7: pixel x of blocks 0..7 (from z[0], z[1]); then blocks 8..15.
      const V idx = _mm512_setr_epi32(x, x + 4, x + 8, x + 12, 16 + x, 20 + x, 24 + x, 28 + x, x, x,
                                      x, x, x, x, x, x);
      const V lo = _mm512_permutex2var_epi32(z[0], idx, z[1]);
      const V hi = _mm512_permutex2var_epi32(z[2], idx, z[3]);
      const V px = _mm512_inserti64x4(lo, _mm512_castsi512_si256(hi), 1);
      const int p = 4 * y + x;
      out->r[p] = _mm512_and_si512(_mm512_srli_epi32(px, 8), mask);
      out->g[p] = _mm512_and_si512(_mm512_srli_epi32(px, 16), mask);
      out->b[p] = _mm512_srli_epi32(px, 24);
    }
  }
}

inline V q5(V v) {
  const V t = add(mul(v, splat(31)), splat(128));
  return _mm512_srli_epi32(add(t, _mm512_srli_epi32(t, 8)), 8);
}
inline V q6(V v) {
  const V t = add(mul(v, splat(63)), splat(128));
  return _mm512_srli_epi32(add(t, _mm512_srli_epi32(t, 8)), 8);
}
inline V pack565(V r, V g, V b) {
  return _mm512_or_si512(_mm512_or_si512(_mm512_slli_epi32(r, 11), _mm512_slli_epi32(g, 5)), b);
}

// Single-colour pair (colour 0 value, colour 1 value) of the Fast/Normal table for v (0..255),
// as mx | mn << 8. The gather reads the 4 bytes ending at entry v (starting at entry v for v = 0)
// so that it stays inside the 512-byte table.
inline V single_pair(const SingleColourPair* table, V v) {
  const __mmask16 above0 = _mm512_cmpgt_epi32_mask(v, _mm512_setzero_si512());
  const V off = _mm512_mask_sub_epi32(add(v, v), above0, add(v, v), splat(2));
  const V word = _mm512_i32gather_epi32(off, table, 1);
  return _mm512_mask_srli_epi32(_mm512_and_si512(word, splat(0xFFFF)), above0, word, 16);
}

// Endpoints of the single-colour tables for (r, g, b): c0 from the mx entries, c1 from the mn.
inline void single_colour(V r, V g, V b, V* c0, V* c1) {
  const V pr = single_pair(kSingleColour5.data(), r), pg = single_pair(kSingleColour6.data(), g),
          pb = single_pair(kSingleColour5.data(), b);
  const V lo = splat(0xFF);
  *c0 = pack565(_mm512_and_si512(pr, lo), _mm512_and_si512(pg, lo), _mm512_and_si512(pb, lo));
  *c1 = pack565(_mm512_srli_epi32(pr, 8), _mm512_srli_epi32(pg, 8), _mm512_srli_epi32(pb, 8));
}

inline V expand5(V x) {
  return _mm512_or_si512(_mm512_slli_epi32(x, 3), _mm512_srli_epi32(x, 2));
}
inline V expand6(V x) {
  return _mm512_or_si512(_mm512_slli_epi32(x, 2), _mm512_srli_epi32(x, 4));
}

// dxt1_match_indices lane by lane.
inline V match(const Blocks& px, V c0, V c1) {
  const V e0[3] = {expand5(_mm512_and_si512(_mm512_srli_epi32(c0, 11), splat(31))),
                   expand6(_mm512_and_si512(_mm512_srli_epi32(c0, 5), splat(63))),
                   expand5(_mm512_and_si512(c0, splat(31)))};
  const V e1[3] = {expand5(_mm512_and_si512(_mm512_srli_epi32(c1, 11), splat(31))),
                   expand6(_mm512_and_si512(_mm512_srli_epi32(c1, 5), splat(63))),
                   expand5(_mm512_and_si512(c1, splat(31)))};
  V d[3], s0 = _mm512_setzero_si512(), s1 = s0, s2 = s0, s3 = s0;
  for (int c = 0; c < 3; ++c) {
    const V p2 = _mm512_srli_epi32(mul(add(add(e0[c], e0[c]), e1[c]), splat(43691)), 17);
    const V p3 = _mm512_srli_epi32(mul(add(e0[c], add(e1[c], e1[c])), splat(43691)), 17);
    d[c] = sub(e0[c], e1[c]);
    s0 = add(s0, mul(e0[c], d[c]));
    s1 = add(s1, mul(e1[c], d[c]));
    s2 = add(s2, mul(p2, d[c]));
    s3 = add(s3, mul(p3, d[c]));
  }
  const V ta = _mm512_srai_epi32(add(s2, s0), 1);
  const V tb = _mm512_srai_epi32(add(s3, s2), 1);
  const V tc = _mm512_srai_epi32(add(s3, s1), 1);
  V word = _mm512_setzero_si512();
  for (int i = 0; i < 16; ++i) {
    const V x = add(add(mul(px.r[i], d[0]), mul(px.g[i], d[1])), mul(px.b[i], d[2]));
    // 0 if x >= a, else 2 if x >= b, else 3 if x >= c, else 1.
    V idx = splat(1);
    idx = _mm512_mask_mov_epi32(idx, _mm512_cmpge_epi32_mask(x, tc), splat(3));
    idx = _mm512_mask_mov_epi32(idx, _mm512_cmpge_epi32_mask(x, tb), splat(2));
    idx = _mm512_mask_mov_epi32(idx, _mm512_cmpge_epi32_mask(x, ta), _mm512_setzero_si512());
    word = _mm512_or_si512(word, _mm512_slli_epi32(idx, 2 * i));
  }
  return word;
}

// dxt1_refine_endpoints lane by lane (with dxt1_solve_endpoints): new c0, c1 where the index word
// has a line to fit; the old ones elsewhere.
inline void refine(const Blocks& px, const V sum[3], V word, V* c0, V* c1) {
  const V products =
      _mm512_setr_epi32(0x090000, 0x000900, 0x040102, 0x010402, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  V a[3] = {_mm512_setzero_si512(), _mm512_setzero_si512(), _mm512_setzero_si512()};
  V packed = _mm512_setzero_si512();
  for (int i = 0; i < 16; ++i) {
    const V idx = _mm512_and_si512(_mm512_srli_epi32(word, 2 * i), splat(3));
    const V w =
        _mm512_and_si512(_mm512_srlv_epi32(splat(0x1203), _mm512_slli_epi32(idx, 2)), splat(0xF));
    packed = add(packed, _mm512_permutexvar_epi32(idx, products));
    a[0] = add(a[0], mul(w, px.r[i]));
    a[1] = add(a[1], mul(w, px.g[i]));
    a[2] = add(a[2], mul(w, px.b[i]));
  }
  const V xx = _mm512_srli_epi32(packed, 16);
  const V yy = _mm512_and_si512(_mm512_srli_epi32(packed, 8), splat(0xFF));
  const V xy = _mm512_and_si512(packed, splat(0xFF));
  const V det = sub(mul(xx, yy), mul(xy, xy));
  const __mmask16 fit = _mm512_cmpneq_epi32_mask(det, _mm512_setzero_si512());
  const F f = _mm512_div_ps(_mm512_set1_ps(0.3647059f), _mm512_cvtepi32_ps(det));
  const F fs[3] = {f, _mm512_div_ps(_mm512_mul_ps(f, _mm512_set1_ps(63.0f)), _mm512_set1_ps(31.0f)),
                   f};
  const int32_t limit[3] = {31, 63, 31};
  V q0[3], q1[3];
  for (int c = 0; c < 3; ++c) {
    const V b = sub(mul(sum[c], splat(3)), a[c]);
    const F half = _mm512_set1_ps(0.5f);
    const V v0 = _mm512_cvttps_epi32(_mm512_add_ps(
        _mm512_mul_ps(_mm512_cvtepi32_ps(sub(mul(a[c], yy), mul(b, xy))), fs[c]), half));
    const V v1 = _mm512_cvttps_epi32(_mm512_add_ps(
        _mm512_mul_ps(_mm512_cvtepi32_ps(sub(mul(b, xx), mul(a[c], xy))), fs[c]), half));
    q0[c] = _mm512_min_epi32(_mm512_max_epi32(v0, _mm512_setzero_si512()), splat(limit[c]));
    q1[c] = _mm512_min_epi32(_mm512_max_epi32(v1, _mm512_setzero_si512()), splat(limit[c]));
  }
  *c0 = _mm512_mask_mov_epi32(*c0, fit, pack565(q0[0], q0[1], q0[2]));
  *c1 = _mm512_mask_mov_epi32(*c1, fit, pack565(q1[0], q1[1], q1[2]));
}

// dxt1_estimate_endpoints lane by lane: c0, c1 and the channel sums and means.
inline void estimate(const Blocks& px, V sum[3], V mean[3], V* c0, V* c1) {
  const V* ch[3] = {px.r, px.g, px.b};
  V mn[3], mx[3];
  for (int c = 0; c < 3; ++c) {
    V s = ch[c][0], lo = ch[c][0], hi = ch[c][0];
    for (int i = 1; i < 16; ++i) {
      s = add(s, ch[c][i]);
      lo = _mm512_min_epi32(lo, ch[c][i]);
      hi = _mm512_max_epi32(hi, ch[c][i]);
    }
    sum[c] = s, mn[c] = lo, mx[c] = hi;
    mean[c] = _mm512_srai_epi32(add(s, splat(8)), 4);
  }
  V cov[6];
  for (int k = 0; k < 6; ++k) cov[k] = _mm512_setzero_si512();
  for (int i = 0; i < 16; ++i) {
    const V r = sub(px.r[i], mean[0]), g = sub(px.g[i], mean[1]), b = sub(px.b[i], mean[2]);
    cov[0] = add(cov[0], mul(r, r)), cov[1] = add(cov[1], mul(r, g));
    cov[2] = add(cov[2], mul(r, b)), cov[3] = add(cov[3], mul(g, g));
    cov[4] = add(cov[4], mul(g, b)), cov[5] = add(cov[5], mul(b, b));
  }
  // dxt1_axis_weights.
  F m[6];
  for (int k = 0; k < 6; ++k)
    m[k] = _mm512_div_ps(_mm512_cvtepi32_ps(cov[k]), _mm512_set1_ps(255.0f));
  F vr = _mm512_cvtepi32_ps(sub(mx[0], mn[0]));
  F vg = _mm512_cvtepi32_ps(sub(mx[1], mn[1]));
  F vb = _mm512_cvtepi32_ps(sub(mx[2], mn[2]));
  for (int it = 0; it < 4; ++it) {
    const F r = _mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(vr, m[0]), _mm512_mul_ps(vg, m[1])),
                              _mm512_mul_ps(vb, m[2]));
    const F g = _mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(vr, m[1]), _mm512_mul_ps(vg, m[3])),
                              _mm512_mul_ps(vb, m[4]));
    const F b = _mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(vr, m[2]), _mm512_mul_ps(vg, m[4])),
                              _mm512_mul_ps(vb, m[5]));
    vr = r, vg = g, vb = b;
  }
  // The iterates are finite (bounded integer covariances), so the largest magnitude is a max.
  const F big =
      _mm512_max_ps(_mm512_max_ps(_mm512_abs_ps(vr), _mm512_abs_ps(vg)), _mm512_abs_ps(vb));
  const __mmask16 axis = _mm512_cmp_ps_mask(big, _mm512_set1_ps(4.0f), _CMP_GE_OQ);
  const F k512 = _mm512_set1_ps(512.0f);
  const V ar =
      _mm512_mask_cvttps_epi32(splat(299), axis, _mm512_div_ps(_mm512_mul_ps(vr, k512), big));
  const V ag =
      _mm512_mask_cvttps_epi32(splat(587), axis, _mm512_div_ps(_mm512_mul_ps(vg, k512), big));
  const V ab =
      _mm512_mask_cvttps_epi32(splat(114), axis, _mm512_div_ps(_mm512_mul_ps(vb, k512), big));

  // The first pixel of smallest and the first of largest projection.
  V lo = add(add(mul(px.r[0], ar), mul(px.g[0], ag)), mul(px.b[0], ab)), hi = lo;
  V lo_px[3] = {px.r[0], px.g[0], px.b[0]}, hi_px[3] = {px.r[0], px.g[0], px.b[0]};
  for (int i = 1; i < 16; ++i) {
    const V p = add(add(mul(px.r[i], ar), mul(px.g[i], ag)), mul(px.b[i], ab));
    const __mmask16 below = _mm512_cmplt_epi32_mask(p, lo);
    const __mmask16 above = _mm512_cmpgt_epi32_mask(p, hi);
    lo = _mm512_mask_mov_epi32(lo, below, p);
    hi = _mm512_mask_mov_epi32(hi, above, p);
    for (int c = 0; c < 3; ++c) {
      lo_px[c] = _mm512_mask_mov_epi32(lo_px[c], below, ch[c][i]);
      hi_px[c] = _mm512_mask_mov_epi32(hi_px[c], above, ch[c][i]);
    }
  }
  *c0 = pack565(q5(hi_px[0]), q6(hi_px[1]), q5(hi_px[2]));
  *c1 = pack565(q5(lo_px[0]), q6(lo_px[1]), q5(lo_px[2]));
}

// Sixteen Fast blocks, `out` 128 bytes.
void fast_blocks(const Blocks& px, uint8_t* out) {
  const V zero = _mm512_setzero_si512();

  // Solid blocks: every pixel has pixel 0's R, G and B.
  __mmask16 solid = 0xFFFF;
  for (int i = 1; i < 16; ++i) {
    solid &= _mm512_cmpeq_epi32_mask(px.r[i], px.r[0]) & _mm512_cmpeq_epi32_mask(px.g[i], px.g[0]) &
             _mm512_cmpeq_epi32_mask(px.b[i], px.b[0]);
  }

  V sum[3], mean[3], e0, e1;
  estimate(px, sum, mean, &e0, &e1);
  V word = _mm512_maskz_mov_epi32(_mm512_cmpneq_epi32_mask(e0, e1), match(px, e0, e1));

  // All indices equal: the mean colour's single-colour pair; otherwise the least-squares fit.
  const __mmask16 flat =
      _mm512_cmplt_epu32_mask(_mm512_xor_si512(word, _mm512_slli_epi32(word, 2)), splat(4));
  V n0 = e0, n1 = e1;
  refine(px, sum, word, &n0, &n1);
  if (flat != 0) {
    V m0, m1;
    single_colour(mean[0], mean[1], mean[2], &m0, &m1);
    n0 = _mm512_mask_mov_epi32(n0, flat, m0);
    n1 = _mm512_mask_mov_epi32(n1, flat, m1);
  }
  const __mmask16 changed = _mm512_cmpneq_epi32_mask(n0, e0) | _mm512_cmpneq_epi32_mask(n1, e1);
  const __mmask16 rematch = changed & _mm512_cmpneq_epi32_mask(n0, n1);
  if (rematch != 0) word = _mm512_mask_mov_epi32(word, rematch, match(px, n0, n1));
  e0 = _mm512_mask_mov_epi32(e0, changed, n0);
  e1 = _mm512_mask_mov_epi32(e1, changed, n1);

  // Output: colour 0 alone when the word is 0 or the colours are equal (a changed pair that
  // became equal keeps its old word but is written alone as well); else the larger colour first.
  const __mmask16 alone = _mm512_cmpeq_epi32_mask(word, zero) | _mm512_cmpeq_epi32_mask(e0, e1);
  const __mmask16 swap = static_cast<__mmask16>(~alone & _mm512_cmplt_epu32_mask(e0, e1));
  V c0 = _mm512_mask_mov_epi32(e0, swap, e1);
  V c1 = _mm512_mask_mov_epi32(e1, swap, e0);
  word = _mm512_mask_xor_epi32(word, swap, word, splat(0x55555555));
  c1 = _mm512_mask_mov_epi32(c1, alone, zero);
  word = _mm512_mask_mov_epi32(word, alone, zero);

  if (solid != 0) {
    // dxt1_write_solid_block of pixel 0's colour.
    V s0, s1;
    single_colour(px.r[0], px.g[0], px.b[0], &s0, &s1);
    const __mmask16 same = _mm512_cmpeq_epi32_mask(s0, s1);
    const __mmask16 extreme =
        _mm512_cmpeq_epi32_mask(s0, zero) | _mm512_cmpeq_epi32_mask(s0, splat(0xFFFF));
    const __mmask16 one = same & extreme;
    const __mmask16 larger_first = static_cast<__mmask16>(~one & _mm512_cmpge_epu32_mask(s0, s1));
    const __mmask16 swapped = static_cast<__mmask16>(~one & ~larger_first);
    V sc0 = _mm512_mask_mov_epi32(s0, swapped, s1);
    V sc1 = _mm512_mask_mov_epi32(s1, swapped, s0);
    sc1 = _mm512_mask_mov_epi32(sc1, one, zero);
    V sw = _mm512_mask_mov_epi32(splat(static_cast<int32_t>(0xAAAAAAAAu)), swapped,
                                 splat(static_cast<int32_t>(0xFFFFFFFFu)));
    sw = _mm512_mask_mov_epi32(sw, one, zero);
    c0 = _mm512_mask_mov_epi32(c0, solid, sc0);
    c1 = _mm512_mask_mov_epi32(c1, solid, sc1);
    word = _mm512_mask_mov_epi32(word, solid, sw);
  }

  // Block b = c0 | c1 << 16 (little-endian bytes 0..3), then the index word (bytes 4..7).
  const V colours = _mm512_or_si512(c0, _mm512_slli_epi32(c1, 16));
  const V first = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
  const V second = _mm512_setr_epi32(8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
  _mm512_storeu_si512(out, _mm512_permutex2var_epi32(colours, first, word));
  _mm512_storeu_si512(out + 64, _mm512_permutex2var_epi32(colours, second, word));
}

}  // namespace

namespace {

// The DXT1 colour blocks of sixteen source blocks at `src` into `out` (128 bytes). Normal: a block
// whose widest channel spans 15 levels or more takes the Slow path (one block at a time through
// the table's kernels); every other block is a Fast block (solid blocks included). Which path a
// block takes is the per-block kernel's rule.
template <bool kNormal>
void colour_blocks(const DxtEncOps& ops, const uint8_t* src, const size_t strides[4],
                   uint8_t* out) {
  Blocks px;
  load_blocks(src, strides[0], &px);
  if constexpr (!kNormal) {
    fast_blocks(px, out);
  } else {
    V spread = _mm512_setzero_si512();
    for (const V* ch : {px.r, px.g, px.b}) {
      V lo = ch[0], hi = ch[0];
      for (int i = 1; i < 16; ++i)
        lo = _mm512_min_epu32(lo, ch[i]), hi = _mm512_max_epu32(hi, ch[i]);
      spread = _mm512_max_epu32(spread, sub(hi, lo));
    }
    const __mmask16 slow = _mm512_cmpge_epu32_mask(spread, splat(15));
    if (slow != 0xFFFF) fast_blocks(px, out);
    const uint8_t* p[4] = {nullptr, nullptr, nullptr, nullptr};
    for (uint32_t lanes = slow; lanes != 0; lanes &= lanes - 1) {
      const int t = __builtin_ctz(lanes);
      p[0] = src + 16 * t;
      dxt1_slow_block(ops, out + 8 * t, p, strides);
    }
  }
}

template <bool kNormal>
void dxt1_row(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
              const size_t strides[4], uint32_t count) {
  const uint8_t* src = planes[0];
  uint32_t b = 0;
  for (; b + 16 <= count; b += 16, src += 16 * 16, out += 16 * 8) {
    colour_blocks<kNormal>(ops, src, strides, out);
  }
  const uint8_t* p[4] = {src, nullptr, nullptr, nullptr};
  for (; b < count; ++b, p[0] += 16, out += 8) {
    if constexpr (kNormal) {
      dxt1_normal_block(ops, out, p, strides);
    } else {
      dxt1_fast_block(ops, out, p, strides);
    }
  }
}

// DXT5: the alpha half of each block through the table's kernels, then its colour half.
template <bool kNormal>
void dxt5_row(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
              const size_t strides[4], uint32_t count) {
  const uint8_t* src = planes[0];
  uint32_t b = 0;
  const uint8_t* p[4] = {src, nullptr, nullptr, nullptr};
  for (; b + 16 <= count; b += 16, src += 16 * 16) {
    alignas(64) uint8_t colour[16 * 8];
    colour_blocks<kNormal>(ops, src, strides, colour);
    for (int t = 0; t < 16; ++t, out += 16) {
      p[0] = src + 16 * t;
      if constexpr (kNormal) {
        encode_alpha_channel<encode_alpha_values>(ops, ops.fetch_alpha, out, p, strides);
      } else {
        dxt5_alpha_half_fast(ops, out, p, strides);
      }
      std::memcpy(out + 8, colour + 8 * t, 8);
    }
  }
  for (p[0] = src; b < count; ++b, p[0] += 16, out += 16) {
    if constexpr (kNormal) {
      dxt5_encode_block_normal(ops, out, p, strides);
    } else {
      dxt5_encode_block_fast(ops, out, p, strides);
    }
  }
}

}  // namespace

void dxt1_encode_row_fast_argb8_avx512(const DxtEncOps& ops, uint8_t* out,
                                       const uint8_t* const planes[4], const size_t strides[4],
                                       uint32_t count) {
  dxt1_row<false>(ops, out, planes, strides, count);
}
void dxt1_encode_row_normal_argb8_avx512(const DxtEncOps& ops, uint8_t* out,
                                         const uint8_t* const planes[4], const size_t strides[4],
                                         uint32_t count) {
  dxt1_row<true>(ops, out, planes, strides, count);
}
void dxt5_encode_row_fast_argb8_avx512(const DxtEncOps& ops, uint8_t* out,
                                       const uint8_t* const planes[4], const size_t strides[4],
                                       uint32_t count) {
  dxt5_row<false>(ops, out, planes, strides, count);
}
void dxt5_encode_row_normal_argb8_avx512(const DxtEncOps& ops, uint8_t* out,
                                         const uint8_t* const planes[4], const size_t strides[4],
                                         uint32_t count) {
  dxt5_row<true>(ops, out, planes, strides, count);
}
