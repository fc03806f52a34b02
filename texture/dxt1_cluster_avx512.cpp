// AVX-512 build of the DXT1 cluster-fit split search: sixteen splits per 512-bit row, laid out as
// the AVX kernel lays out eight (per pair (j, k) the terms that do not depend on i, computed once
// per call). Every lane value is formed by the generic kernel's operations in the generic kernel's
// order (no fused multiply-add), so the chosen split, its endpoints and its error are bit for bit
// the generic kernel's. What differs:
//  - the snap to the 5:6:5 grid looks the value up instead of dividing: trunc(v x levels + 0.5) is
//    an integer 0..levels, and a table holds integer / levels for each (the same IEEE division,
//    done once), so six of the seven divisions of a split go;
//  - a lane whose clamped value is NaN keeps the NaN (its error is NaN and never wins), as the
//    AVX kernel's division does;
//  - the winner scan looks only at the lanes whose error can still win.
// Only this file is compiled with the AVX-512 flags.
#include <cfloat>

#include "texture/avx512_intrinsics.h"
#include "texture/dxt1_avx512.h"
#include "texture/dxt1_cluster_rows.h"

namespace {

constexpr int kLanes = 16;

template <int Levels>
struct SnapTable {
  alignas(64) float value[Levels + 1 == 32 ? 32 : 64] = {};
  constexpr SnapTable() {
    for (int q = 0; q <= Levels; ++q) value[q] = static_cast<float>(q) / static_cast<float>(Levels);
  }
};
constexpr SnapTable<31> kSnap31{};
constexpr SnapTable<63> kSnap63{};

// clamp01 of the generic kernel: min(1, v) then max(0, .), a NaN in v passing through.
inline __m512 clamp01_avx512(__m512 v) {
  return _mm512_max_ps(_mm512_setzero_ps(), _mm512_min_ps(_mm512_set1_ps(1.0f), v));
}

// snap of the generic kernel for a clamped v: trunc(v x levels + 0.5) / levels, from the table.
// Without kNaN the caller knows that no lane of v is NaN.
template <int Levels, bool kNaN>
inline __m512 snap_avx512(__m512 v) {
  const __m512i q = _mm512_cvttps_epi32(_mm512_add_ps(
      _mm512_mul_ps(v, _mm512_set1_ps(static_cast<float>(Levels))), _mm512_set1_ps(0.5f)));
  __m512 s;
  if constexpr (Levels == 31) {
    s = _mm512_permutex2var_ps(_mm512_load_ps(kSnap31.value), q,
                               _mm512_load_ps(kSnap31.value + 16));
  } else {
    const __m512 lo = _mm512_permutex2var_ps(_mm512_load_ps(kSnap63.value), q,
                                             _mm512_load_ps(kSnap63.value + 16));
    const __m512 hi = _mm512_permutex2var_ps(_mm512_load_ps(kSnap63.value + 32), q,
                                             _mm512_load_ps(kSnap63.value + 48));
    s = _mm512_mask_blend_ps(_mm512_test_epi32_mask(q, _mm512_set1_epi32(32)), lo, hi);
  }
  if constexpr (!kNaN) return s;
  return _mm512_mask_blend_ps(_mm512_cmp_ps_mask(v, v, _CMP_UNORD_Q), s, v);
}

// Per pair (j, k) the terms of a split that do not depend on i (see the AVX kernel): the prefix
// sums at j, the sums past k and the one-third and two-thirds parts of the [j, k) sums.
template <int N>
struct PairTerms {
  static constexpr int kCount = SplitPairs<N>::kCount;
  static constexpr int kPadded = (kCount + kLanes - 1) / kLanes * kLanes + kLanes;
  alignas(64) float at_j[4][kPadded];
  alignas(64) float past_k[4][kPadded];
  alignas(64) float third[4][kPadded];       // R, G, B: 1/3 x3; weight: 1/9 w3
  alignas(64) float two_thirds[4][kPadded];  // R, G, B: 2/3 x3; weight: 4/9 w3
  alignas(64) float w3[kPadded];

  // REQUIRES: each row of px holds 16 floats past px[c][N] (read by the 16-wide row copies).
  explicit PairTerms(const float (*px)[N + 1 + kLanes]) {
    static constexpr SplitPairs<N> kPairs{};
    alignas(64) float at_k[4][kPadded];
    // Pairs are j-major; rows are written 16 at a time in rising order, so a write past the end of
    // a row is overwritten by the next row; past the last pair the lanes repeat the last one.
    for (int c = 0; c < 4; ++c) {
      for (int j = 0; j <= N; ++j) {
        const int first = kPairs.first[j], len = N + 1 - j;
        const __m512 vj = _mm512_set1_ps(px[c][j]);
        for (int t = 0; t < len; t += kLanes) {
          _mm512_storeu_ps(at_j[c] + first + t, vj);
          _mm512_storeu_ps(at_k[c] + first + t, _mm512_loadu_ps(px[c] + j + t));
        }
      }
      for (int p = kCount; p < kPadded; ++p) at_j[c][p] = px[c][N], at_k[c][p] = px[c][N];
    }
    const __m512 k13 = _mm512_set1_ps(1.0f / 3.0f), k23 = _mm512_set1_ps(2.0f / 3.0f);
    const __m512 k19 = _mm512_set1_ps(1.0f / 9.0f), k49 = _mm512_set1_ps(4.0f / 9.0f);
    for (int c = 0; c < 4; ++c) {
      const __m512 all = _mm512_set1_ps(px[c][N]);
      const __m512 lo = c < 3 ? k13 : k19, hi = c < 3 ? k23 : k49;
      for (int p = 0; p < kPadded; p += kLanes) {
        const __m512 k = _mm512_load_ps(at_k[c] + p);
        const __m512 x3 = _mm512_sub_ps(k, _mm512_load_ps(at_j[c] + p));
        _mm512_store_ps(past_k[c] + p, _mm512_sub_ps(all, k));
        _mm512_store_ps(third[c] + p, _mm512_mul_ps(lo, x3));
        _mm512_store_ps(two_thirds[c] + p, _mm512_mul_ps(hi, x3));
        if (c == 3) _mm512_store_ps(w3 + p, x3);
      }
    }
  }
};

// One channel of 16 splits, first half: the sums AX and BX of the two endpoints' clusters and the
// numerators of the least-squares endpoints, a = na / det and b = nb / det before clamping.
struct ChannelTerms {
  __m512 ax, bx, na, nb;
};
inline ChannelTerms channel_terms(__m512 x0, __m512 at_j, __m512 third, __m512 past_k,
                                  __m512 two_thirds, __m512 a2, __m512 b2, __m512 ab) {
  const __m512 k13 = _mm512_set1_ps(1.0f / 3.0f), k23 = _mm512_set1_ps(2.0f / 3.0f);
  const __m512 x2 = _mm512_sub_ps(at_j, x0);
  ChannelTerms t;
  t.ax = _mm512_add_ps(_mm512_add_ps(x0, _mm512_mul_ps(k23, x2)), third);
  t.bx = _mm512_add_ps(_mm512_add_ps(past_k, _mm512_mul_ps(k13, x2)), two_thirds);
  t.na = _mm512_sub_ps(_mm512_mul_ps(t.ax, b2), _mm512_mul_ps(t.bx, ab));
  t.nb = _mm512_sub_ps(_mm512_mul_ps(t.bx, a2), _mm512_mul_ps(t.ax, ab));
  return t;
}

// Second half: the snapped endpoints a, b and the channel's error term. Without kNaN every lane
// of inv_det is finite, and so are its products with the finite numerators.
template <int Levels, bool kNaN>
inline __m512 channel_error(const ChannelTerms& t, __m512 a2, __m512 b2, __m512 ab, __m512 inv_det,
                            __m512* a_out, __m512* b_out) {
  const __m512 a = snap_avx512<Levels, kNaN>(clamp01_avx512(_mm512_mul_ps(t.na, inv_det)));
  const __m512 b = snap_avx512<Levels, kNaN>(clamp01_avx512(_mm512_mul_ps(t.nb, inv_det)));
  *a_out = a;
  *b_out = b;
  // a a A2 + b b B2 + 2 a b AB - 2 a AX - 2 b BX, left to right as the generic kernel.
  const __m512 a_2 = _mm512_add_ps(a, a), b_2 = _mm512_add_ps(b, b);
  __m512 e =
      _mm512_add_ps(_mm512_mul_ps(_mm512_mul_ps(a, a), a2), _mm512_mul_ps(_mm512_mul_ps(b, b), b2));
  e = _mm512_add_ps(e, _mm512_mul_ps(_mm512_mul_ps(a_2, b), ab));
  e = _mm512_sub_ps(e, _mm512_mul_ps(a_2, t.ax));
  return _mm512_sub_ps(e, _mm512_mul_ps(b_2, t.bx));
}

// Lanes whose error may still be at or below `best`, from a lower bound that costs half the
// error. For one channel the error is E(a, b) = a a A2 + b b B2 + 2 a b AB - 2 a AX - 2 b BX,
// a quadratic whose least value (when det = A2 B2 - AB AB > 0) is -(AX na + BX nb) / det, so
// every snapped (a, b) scores at least that: summed over the channels, error >= -S / det with
// S = the sum of AX na + BX nb. A lane is dropped only when that bound, less generous allowances
// for the rounding of every float step, still exceeds `best`: then its computed error does too
// and it cannot win. With W the total weight, every sum and endpoint term is at most W in
// magnitude (colours and weights are 0..1 and nonnegative), so single-precision rounding moves
// S by less than 100 u W^3, det by less than 6 u W^2 and the error by less than 350 u W
// (u = 2^-24); the allowances below are 5 to 10 times those. Lanes with det near 0 (or NaN)
// are always kept.
struct Pruning {
  __m512 slack_s, slack_det, slack_err;
  explicit Pruning(float total_weight) {
    const float w = total_weight;
    slack_s = _mm512_set1_ps(w * w * w * 0x1p-15f);
    slack_det = _mm512_set1_ps(w * w * 0x1p-18f);
    slack_err = _mm512_set1_ps(w * 0x1p-12f);
  }
  // REQUIRES: best < FLT_MAX.
  __mmask16 may_win(__m512 s, __m512 det, float best) const {
    const __m512 beta = _mm512_add_ps(_mm512_set1_ps(best), slack_err);
    const __m512 det_low = _mm512_sub_ps(det, slack_det);
    // Dropped: det_low > 0, beta < 0 and S + slack < -beta x det_low.
    const __mmask16 provable = _mm512_cmp_ps_mask(det_low, _mm512_setzero_ps(), _CMP_GT_OQ) &
                               _mm512_cmp_ps_mask(beta, _mm512_setzero_ps(), _CMP_LT_OQ);
    const __m512 rhs = _mm512_mul_ps(_mm512_sub_ps(_mm512_setzero_ps(), beta), det_low);
    const __mmask16 below = _mm512_cmp_ps_mask(_mm512_add_ps(s, slack_s), rhs, _CMP_LT_OQ);
    return static_cast<__mmask16>(~(provable & below));
  }
};

template <int N>
bool cluster_search_avx512(const float weighted[16][4], const ClusterSplitList* list,
                           ClusterFitResult* result) {
  // Prefix sums of R, G, B and the weight; each row has 16 floats of slack for the row copies.
  alignas(64) float px[4][N + 1 + kLanes] = {};
  for (int i = 0; i < N; ++i) {
    for (int c = 0; c < 4; ++c) px[c][i + 1] = px[c][i] + weighted[i][c];
  }
  static constexpr SplitPairs<N> kPairs{};
  constexpr int kCount = SplitPairs<N>::kCount;
  const PairTerms<N> pairs(px);
  const Pruning pruning(px[3][N]);

  const __m512 k29 = _mm512_set1_ps(2.0f / 9.0f);
  const __m512 k19 = _mm512_set1_ps(1.0f / 9.0f), k49 = _mm512_set1_ps(4.0f / 9.0f);
  const __m512 one = _mm512_set1_ps(1.0f);

  SplitWinner best;

  // Row i = N holds only (N, N, N), every point in one cluster, which no list scores.
  for (int i = 0; i < N; ++i) {
    const __m512 w0 = _mm512_set1_ps(px[3][i]);
    const __m512 x0[3] = {_mm512_set1_ps(px[0][i]), _mm512_set1_ps(px[1][i]),
                          _mm512_set1_ps(px[2][i])};
    const uint16_t* rank = list->rank + i * kClusterRankRows * kClusterRankStride;

    for (int p0 = kPairs.first[i]; p0 < kCount; p0 += kLanes) {
      // Weight sums of the four clusters: w0 [0, i), w2 [i, j), w3 [j, k), w1 [k, N).
      const __m512 w2 = _mm512_sub_ps(_mm512_loadu_ps(pairs.at_j[3] + p0), w0);
      const __m512 a2 = _mm512_add_ps(_mm512_add_ps(w0, _mm512_mul_ps(k49, w2)),
                                      _mm512_loadu_ps(pairs.third[3] + p0));
      const __m512 b2 = _mm512_add_ps(
          _mm512_add_ps(_mm512_loadu_ps(pairs.past_k[3] + p0), _mm512_mul_ps(k19, w2)),
          _mm512_loadu_ps(pairs.two_thirds[3] + p0));
      const __m512 ab = _mm512_mul_ps(k29, _mm512_add_ps(w2, _mm512_loadu_ps(pairs.w3 + p0)));
      const __m512 det = _mm512_sub_ps(_mm512_mul_ps(a2, b2), _mm512_mul_ps(ab, ab));
      ChannelTerms terms[3];
      for (int c = 0; c < 3; ++c) {
        terms[c] = channel_terms(x0[c], _mm512_loadu_ps(pairs.at_j[c] + p0),
                                 _mm512_loadu_ps(pairs.third[c] + p0),
                                 _mm512_loadu_ps(pairs.past_k[c] + p0),
                                 _mm512_loadu_ps(pairs.two_thirds[c] + p0), a2, b2, ab);
      }
      uint32_t lanes = p0 + kLanes > kCount ? (1u << (kCount - p0)) - 1u : 0xFFFFu;
      if (best.error < FLT_MAX) {
        __m512 s = _mm512_setzero_ps();
        for (int c = 0; c < 3; ++c) {
          s = _mm512_add_ps(s, _mm512_add_ps(_mm512_mul_ps(terms[c].ax, terms[c].na),
                                             _mm512_mul_ps(terms[c].bx, terms[c].nb)));
        }
        lanes &= pruning.may_win(s, det, best.error);
        if (lanes == 0) continue;
      }
      const __m512 inv_det = _mm512_div_ps(one, det);
      __m512 ea[3], eb[3];
      // Endpoints can be NaN only where 1 / det is infinite or NaN (det 0, tiny or NaN).
      const auto error = [&]<bool kNaN>() {
        __m512 e = channel_error<31, kNaN>(terms[0], a2, b2, ab, inv_det, &ea[0], &eb[0]);
        e = _mm512_add_ps(e,
                          channel_error<63, kNaN>(terms[1], a2, b2, ab, inv_det, &ea[1], &eb[1]));
        return _mm512_add_ps(
            e, channel_error<31, kNaN>(terms[2], a2, b2, ab, inv_det, &ea[2], &eb[2]));
      };
      const __m512 err = _mm512_fpclass_ps_mask(inv_det, 0x99) == 0
                             ? error.template operator()<false>()
                             : error.template operator()<true>();
      // Lanes at or below the best error (NaN lanes never), within the list's pairs.
      lanes &= _mm512_cmp_ps_mask(err, _mm512_set1_ps(best.error), _CMP_LE_OQ);
      if (lanes == 0) continue;
      alignas(64) float errs[kLanes];
      _mm512_store_ps(errs, err);
      best.offer<N>(lanes, p0, errs, rank, [&ea, &eb](int t, float a[3], float b[3]) {
        alignas(64) float lane[kLanes];
        for (int c = 0; c < 3; ++c) {
          _mm512_store_ps(lane, ea[c]);
          a[c] = lane[t];
          _mm512_store_ps(lane, eb[c]);
          b[c] = lane[t];
        }
      });
    }
  }

  return best.finish<N>(list, result);
}

}  // namespace

ClusterSearchFn* const kClusterSearchAvx512[kClusterKernelCount] = {
    cluster_search_avx512<2>,  cluster_search_avx512<3>,  cluster_search_avx512<4>,
    cluster_search_avx512<5>,  cluster_search_avx512<6>,  cluster_search_avx512<7>,
    cluster_search_avx512<8>,  cluster_search_avx512<9>,  cluster_search_avx512<10>,
    cluster_search_avx512<11>, cluster_search_avx512<12>, cluster_search_avx512<13>,
    cluster_search_avx512<14>, cluster_search_avx512<15>, cluster_search_avx512<16>,
};
