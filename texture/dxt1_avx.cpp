// AVX builds of the DXT1 cluster-fit split search (and, at the end, of the ordering along the
// principal axis), written with intrinsics. Eight splits are
// scored per 256-bit row; every lane value is formed by the generic kernel's operations in the
// generic kernel's order (no fused multiply-add: the project builds with -ffp-contract=off), so the
// chosen split, its endpoints and its error are bit for bit those of the generic kernel. What
// differs is only how the same values are reached:
//  - the terms of a split that depend only on (j, k) (sums past k, thirds of the [j, k) sums) are
//    computed once per pair instead of once per (i, j, k);
//  - the clamp to 0..1 is one minimum and one maximum (operand order keeps a NaN passing through,
//    as the generic comparisons do);
//  - the winner scan looks only at the lanes whose error can still win.
// Only this file is compiled with -mavx.
#include "texture/dxt1_avx.h"

#include <immintrin.h>

#include <cfloat>

#include "texture/dxt1_cluster_rows.h"

namespace {

// clamp01 of the generic kernel: min(1, v) then max(0, .); _mm256_min_ps(a, b) is a < b ? a : b,
// so a NaN in v comes out as v.
inline __m256 clamp01_avx(__m256 v) {
  return _mm256_max_ps(_mm256_setzero_ps(), _mm256_min_ps(_mm256_set1_ps(1.0f), v));
}

// snap of the generic kernel: trunc(v x levels + 0.5) / levels (v is clamped, so the truncated
// value is the integer the generic kernel converts).
inline __m256 snap_avx(__m256 v, __m256 levels) {
  const __m256 q = _mm256_round_ps(_mm256_add_ps(_mm256_mul_ps(v, levels), _mm256_set1_ps(0.5f)),
                                   _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  return _mm256_div_ps(q, levels);
}

// Per pair (j, k), the terms of a split that do not depend on i, laid out like the generic
// kernel's at_j / at_k rows: the prefix sums at j, and for R, G, B and the weight the sum past k
// (x1 = all - at k) and the one-third and two-thirds parts of the [j, k) sum (x3 = at k - at j).
template <int N>
struct PairTerms {
  static constexpr int kCount = SplitPairs<N>::kCount;
  static constexpr int kPadded = (kCount + 7) / 8 * 8 + 8;  // room for the 8-wide writes
  alignas(32) float at_j[4][kPadded];
  alignas(32) float past_k[4][kPadded];
  alignas(32) float third[4][kPadded];       // R, G, B: 1/3 x3; weight: 1/9 w3
  alignas(32) float two_thirds[4][kPadded];  // R, G, B: 2/3 x3; weight: 4/9 w3
  alignas(32) float w3[kPadded];

  // REQUIRES: each row of px holds 8 floats past px[c][N] (read by the 8-wide row copies).
  explicit PairTerms(const float (*px)[N + 1 + 8]) {
    static constexpr SplitPairs<N> kPairs{};
    alignas(32) float at_k[4][kPadded];
    // Pairs are j-major: for one j, at_j repeats px[j] and at_k runs over px[j..N]. Rows are
    // written 8 at a time in rising order, so a write past the end of a row is overwritten by
    // the next row; past the last pair the lanes repeat the last one.
    for (int c = 0; c < 4; ++c) {
      for (int j = 0; j <= N; ++j) {
        const int first = kPairs.first[j], len = N + 1 - j;
        const __m256 vj = _mm256_set1_ps(px[c][j]);
        for (int t = 0; t < len; t += 8) {
          _mm256_storeu_ps(at_j[c] + first + t, vj);
          _mm256_storeu_ps(at_k[c] + first + t, _mm256_loadu_ps(px[c] + j + t));
        }
      }
      for (int p = kCount; p < kPadded; ++p) at_j[c][p] = px[c][N], at_k[c][p] = px[c][N];
    }
    const __m256 k13 = _mm256_set1_ps(1.0f / 3.0f), k23 = _mm256_set1_ps(2.0f / 3.0f);
    const __m256 k19 = _mm256_set1_ps(1.0f / 9.0f), k49 = _mm256_set1_ps(4.0f / 9.0f);
    for (int c = 0; c < 4; ++c) {
      const __m256 all = _mm256_set1_ps(px[c][N]);
      const __m256 lo = c < 3 ? k13 : k19, hi = c < 3 ? k23 : k49;
      for (int p = 0; p < kPadded; p += 8) {
        const __m256 k = _mm256_load_ps(at_k[c] + p);
        const __m256 x3 = _mm256_sub_ps(k, _mm256_load_ps(at_j[c] + p));
        _mm256_store_ps(past_k[c] + p, _mm256_sub_ps(all, k));
        _mm256_store_ps(third[c] + p, _mm256_mul_ps(lo, x3));
        _mm256_store_ps(two_thirds[c] + p, _mm256_mul_ps(hi, x3));
        if (c == 3) _mm256_store_ps(w3 + p, x3);
      }
    }
  }
};

template <int N>
bool cluster_search_avx(const float weighted[16][4], const ClusterSplitList* list,
                        ClusterFitResult* result) {
  constexpr int kLanes = 8;
  // Prefix sums of R, G, B and the weight; each row has 8 floats of slack for the row copies.
  alignas(32) float px[4][N + 1 + 8] = {};
  for (int i = 0; i < N; ++i) {
    for (int c = 0; c < 4; ++c) px[c][i + 1] = px[c][i] + weighted[i][c];
  }
  static constexpr SplitPairs<N> kPairs{};
  constexpr int kCount = SplitPairs<N>::kCount;
  const PairTerms<N> pairs(px);

  const __m256 k29 = _mm256_set1_ps(2.0f / 9.0f);
  const __m256 k19 = _mm256_set1_ps(1.0f / 9.0f), k49 = _mm256_set1_ps(4.0f / 9.0f);
  const __m256 k13 = _mm256_set1_ps(1.0f / 3.0f), k23 = _mm256_set1_ps(2.0f / 3.0f);
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256 levels[3] = {_mm256_set1_ps(31.0f), _mm256_set1_ps(63.0f), _mm256_set1_ps(31.0f)};

  SplitWinner best;

  // Row i = N holds only (N, N, N), every point in one cluster, which no list scores.
  for (int i = 0; i < N; ++i) {
    const __m256 w0 = _mm256_set1_ps(px[3][i]);
    __m256 x0[3];
    for (int c = 0; c < 3; ++c) x0[c] = _mm256_set1_ps(px[c][i]);
    const uint16_t* rank = list->rank + i * kClusterRankRows * kClusterRankStride;

    for (int p0 = kPairs.first[i]; p0 < kCount; p0 += kLanes) {
      // Weight sums of the four clusters: w0 [0, i), w2 [i, j), w3 [j, k), w1 [k, N).
      const __m256 w2 = _mm256_sub_ps(_mm256_loadu_ps(pairs.at_j[3] + p0), w0);
      const __m256 a2 = _mm256_add_ps(_mm256_add_ps(w0, _mm256_mul_ps(k49, w2)),
                                      _mm256_loadu_ps(pairs.third[3] + p0));
      const __m256 b2 = _mm256_add_ps(
          _mm256_add_ps(_mm256_loadu_ps(pairs.past_k[3] + p0), _mm256_mul_ps(k19, w2)),
          _mm256_loadu_ps(pairs.two_thirds[3] + p0));
      const __m256 ab = _mm256_mul_ps(k29, _mm256_add_ps(w2, _mm256_loadu_ps(pairs.w3 + p0)));
      const __m256 inv_det =
          _mm256_div_ps(one, _mm256_sub_ps(_mm256_mul_ps(a2, b2), _mm256_mul_ps(ab, ab)));
      __m256 err = _mm256_setzero_ps();
      __m256 ea[3], eb[3];
      for (int c = 0; c < 3; ++c) {
        const __m256 x2 = _mm256_sub_ps(_mm256_loadu_ps(pairs.at_j[c] + p0), x0[c]);
        const __m256 ax = _mm256_add_ps(_mm256_add_ps(x0[c], _mm256_mul_ps(k23, x2)),
                                        _mm256_loadu_ps(pairs.third[c] + p0));
        const __m256 bx = _mm256_add_ps(
            _mm256_add_ps(_mm256_loadu_ps(pairs.past_k[c] + p0), _mm256_mul_ps(k13, x2)),
            _mm256_loadu_ps(pairs.two_thirds[c] + p0));
        const __m256 a =
            snap_avx(clamp01_avx(_mm256_mul_ps(
                         _mm256_sub_ps(_mm256_mul_ps(ax, b2), _mm256_mul_ps(bx, ab)), inv_det)),
                     levels[c]);
        const __m256 b =
            snap_avx(clamp01_avx(_mm256_mul_ps(
                         _mm256_sub_ps(_mm256_mul_ps(bx, a2), _mm256_mul_ps(ax, ab)), inv_det)),
                     levels[c]);
        ea[c] = a;
        eb[c] = b;
        // a a A2 + b b B2 + 2 a b AB - 2 a AX - 2 b BX, left to right as the generic kernel.
        const __m256 a_2 = _mm256_add_ps(a, a), b_2 = _mm256_add_ps(b, b);
        __m256 e = _mm256_add_ps(_mm256_mul_ps(_mm256_mul_ps(a, a), a2),
                                 _mm256_mul_ps(_mm256_mul_ps(b, b), b2));
        e = _mm256_add_ps(e, _mm256_mul_ps(_mm256_mul_ps(a_2, b), ab));
        e = _mm256_sub_ps(e, _mm256_mul_ps(a_2, ax));
        e = _mm256_sub_ps(e, _mm256_mul_ps(b_2, bx));
        err = _mm256_add_ps(err, e);
      }
      // Lanes at or below the best error (NaN lanes never), within the list's pairs.
      uint32_t lanes = static_cast<uint32_t>(
          _mm256_movemask_ps(_mm256_cmp_ps(err, _mm256_set1_ps(best.error), _CMP_LE_OQ)));
      if (p0 + kLanes > kCount) lanes &= (1u << (kCount - p0)) - 1u;
      if (lanes == 0) continue;
      alignas(32) float errs[kLanes];
      _mm256_store_ps(errs, err);
      best.offer<N>(lanes, p0, errs, rank, [&ea, &eb](int t, float a[3], float b[3]) {
        alignas(32) float lane[kLanes];
        for (int c = 0; c < 3; ++c) {
          _mm256_store_ps(lane, ea[c]);
          a[c] = lane[t];
          _mm256_store_ps(lane, eb[c]);
          b[c] = lane[t];
        }
      });
    }
  }

  return best.finish<N>(list, result);
}

// Ordering along the axis as the generic insertion sort leaves it: point i goes after every point
// of smaller projection and after every earlier point of equal projection, so its place is the
// count of those points, counted eight lanes at a time (small integers, exact in float lanes). A
// NaN projection has no such place (the insertion sort then depends on the visiting order), so a
// set with one is handed to the insertion sort itself.
template <int N>
void cluster_order_avx(const float points[][4], const float axis[3], uint8_t order[16]) {
  constexpr int kRows = (N + 7) / 8;
  alignas(32) float proj[kRows * 8];
  for (int i = 0; i < N; ++i) {
    proj[i] = points[i][0] * axis[0] + points[i][1] * axis[1] + points[i][2] * axis[2];
  }
  for (int i = N; i < kRows * 8; ++i) proj[i] = 0.0f;  // padding lanes, never read back

  __m256 p[kRows];
  uint32_t nan = 0;
  for (int r = 0; r < kRows; ++r) {
    p[r] = _mm256_load_ps(proj + 8 * r);
    nan |= static_cast<uint32_t>(_mm256_movemask_ps(_mm256_cmp_ps(p[r], p[r], _CMP_UNORD_Q)))
           << (8 * r);
  }
  if ((nan & ((1u << N) - 1u)) != 0) {
    insertion_order(proj, N, order);
    return;
  }

  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256 lane = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
  __m256 place[kRows];
  for (int r = 0; r < kRows; ++r) place[r] = _mm256_setzero_ps();
  for (int j = 0; j < N; ++j) {
    const __m256 pj = _mm256_set1_ps(proj[j]);
    for (int r = 0; r < kRows; ++r) {
      // Lanes i with proj[j] < proj[i], or equal projections and j < i.
      const __m256 after_j = _mm256_cmp_ps(_mm256_add_ps(lane, _mm256_set1_ps(8.0f * r)),
                                           _mm256_set1_ps(static_cast<float>(j)), _CMP_GT_OQ);
      const __m256 before =
          _mm256_or_ps(_mm256_cmp_ps(pj, p[r], _CMP_LT_OQ),
                       _mm256_and_ps(_mm256_cmp_ps(pj, p[r], _CMP_EQ_OQ), after_j));
      place[r] = _mm256_add_ps(place[r], _mm256_and_ps(before, one));
    }
  }
  alignas(32) int32_t at[kRows * 8];
  for (int r = 0; r < kRows; ++r) {
    _mm256_store_si256(reinterpret_cast<__m256i*>(at + 8 * r), _mm256_cvttps_epi32(place[r]));
  }
  for (int i = 0; i < N; ++i) order[at[i]] = static_cast<uint8_t>(i);
}

}  // namespace

ClusterSearchFn* const kClusterSearchAvx[kClusterKernelCount] = {
    cluster_search_avx<2>,  cluster_search_avx<3>,  cluster_search_avx<4>,  cluster_search_avx<5>,
    cluster_search_avx<6>,  cluster_search_avx<7>,  cluster_search_avx<8>,  cluster_search_avx<9>,
    cluster_search_avx<10>, cluster_search_avx<11>, cluster_search_avx<12>, cluster_search_avx<13>,
    cluster_search_avx<14>, cluster_search_avx<15>, cluster_search_avx<16>,
};

ClusterOrderFn* const kClusterOrderAvx[kClusterKernelCount] = {
    cluster_order_avx<2>,  cluster_order_avx<3>,  cluster_order_avx<4>,  cluster_order_avx<5>,
    cluster_order_avx<6>,  cluster_order_avx<7>,  cluster_order_avx<8>,  cluster_order_avx<9>,
    cluster_order_avx<10>, cluster_order_avx<11>, cluster_order_avx<12>, cluster_order_avx<13>,
    cluster_order_avx<14>, cluster_order_avx<15>, cluster_order_avx<16>,
};
