#pragma once
// Split search of the weighted cluster fit as a template on the point count and the lane count,
// shared by the generic kernel file and the vector files. Everything here sits in an unnamed
// namespace: each file that includes it compiles its own private copy with its own instruction
// set, so no copy built for a vector unit can be the one another file links to.
#include <cfloat>
#include <cstdint>

#include "texture/dxtenc_slots.h"

namespace {

// Snap to the 5- or 6-bit grid, rounding half away from zero (v is already clamped to 0..1).
inline float snap(float v, float levels) {
  return static_cast<float>(static_cast<int32_t>(v * levels + 0.5f)) / levels;
}

// Stable insertion sort of the point indices 0..n-1 by ascending projection (a point goes after
// every earlier point of equal projection).
inline void insertion_order(const float* proj, int n, uint8_t order[16]) {
  for (int i = 0; i < n; ++i) {
    int t = i;
    while (t > 0 && proj[order[t - 1]] > proj[i]) {
      order[t] = order[t - 1];
      --t;
    }
    order[t] = static_cast<uint8_t>(i);
  }
}

// A minimum, then a maximum; NaN passes through both.
inline float clamp01(float v) {
  const float upper = v > 1.0f ? 1.0f : v;
  return upper < 0.0f ? 0.0f : upper;
}

// The pairs (j, k), 0 <= j <= k <= N, j-major then k: the splits (i, j, k) of one i are the pairs
// from first[i] on, a contiguous tail.
template <int N>
struct SplitPairs {
  static constexpr int kCount = (N + 1) * (N + 2) / 2;
  uint8_t j[kCount] = {};
  uint8_t k[kCount] = {};
  int first[N + 1] = {};
  constexpr SplitPairs() {
    int p = 0;
    for (int a = 0; a <= N; ++a) {
      first[a] = p;
      for (int b = a; b <= N; ++b, ++p)
        j[p] = static_cast<uint8_t>(a), k[p] = static_cast<uint8_t>(b);
    }
  }
};

// The winner of a split search so far. A split wins with a strictly smaller error, or with an
// equal error and an earlier list position, which is the first-scored-wins rule of a scan in list
// order whatever order the splits come in; NaN errors never win.
struct SplitWinner {
  float error = FLT_MAX;
  uint32_t rank = kClusterSplitNone;  // list position; none while nothing has won
  float a[3] = {0, 0, 0}, b[3] = {0, 0, 0};

  // Offers lane t for each bit t of `lanes`: pair p0 + t of the row whose list positions start at
  // `row_ranks`, error errors[t]. `endpoints(t, a, b)` writes a winning lane's endpoints.
  template <int N, typename Endpoints>
  void offer(uint32_t lanes, int p0, const float* errors, const uint16_t* row_ranks,
             const Endpoints& endpoints) {
    static constexpr SplitPairs<N> kPairs{};
    for (; lanes != 0; lanes &= lanes - 1) {
      const int t = __builtin_ctz(lanes);
      const int p = p0 + t;
      const uint32_t r = row_ranks[kPairs.j[p] * kClusterRankStride + kPairs.k[p]];
      const float e = errors[t];
      if (r == kClusterSplitNone || !(e < FLT_MAX)) continue;
      if (e < error || (e == error && r < rank)) {
        error = e;
        rank = r;
        endpoints(t, a, b);
      }
    }
  }

  // Writes the winning split into the result as per-point palette indices with its endpoints and
  // error. Without a winner the first split (0, 0, 1) stands with both endpoints zero. Returns
  // whether a split won.
  template <int N>
  bool finish(const ClusterSplitList* list, ClusterFitResult* result) const {
    const uint8_t fallback[3] = {0, 0, 1};
    const uint8_t* s = rank < list->count ? list->splits + 3 * rank : fallback;
    for (int t = 0; t < N; ++t) {
      result->order_index[t] = static_cast<uint8_t>(t < s[0] ? 0 : t < s[1] ? 2 : t < s[2] ? 3 : 1);
    }
    for (int c = 0; c < 3; ++c) result->start[c] = a[c], result->end[c] = b[c];
    result->error = error;
    return rank < list->count;
  }
};

// Scores every split (i, j, k), 0 <= i <= j <= k <= N: i fixed, the pairs (j, k) with j >= i
// running over consecutive lanes. The prefix sums at j and at k are laid out per pair once per
// call, so every lane loop reads contiguous memory and vectorises. Every value is formed by the
// same operations in the same order as for a split scored alone. The list decides which splits
// count and their order: a split wins with a strictly smaller error, or with an equal error and an
// earlier list position, which is the first-scored-wins rule of a scan in list order.
template <int N, int kLanes>
bool cluster_search_rows(const float weighted[16][4], const ClusterSplitList* list,
                         ClusterFitResult* result) {
  // Prefix sums of R, G, B and the weight (channel 3).
  float px[4][N + 1];
  for (int c = 0; c < 4; ++c) px[c][0] = 0.0f;
  for (int i = 0; i < N; ++i) {
    for (int c = 0; c < 4; ++c) px[c][i + 1] = px[c][i] + weighted[i][c];
  }

  // The sums at both ends of every pair; the lanes past the last pair repeat it.
  static constexpr SplitPairs<N> kPairs{};
  constexpr int kCount = SplitPairs<N>::kCount, kPadded = kCount + kLanes - 1;
  alignas(32) float at_j[4][kPadded], at_k[4][kPadded];
  for (int p = 0; p < kPadded; ++p) {
    const int q = p < kCount ? p : kCount - 1;
    for (int c = 0; c < 4; ++c) at_j[c][p] = px[c][kPairs.j[q]], at_k[c][p] = px[c][kPairs.k[q]];
  }

  constexpr float k19 = 1.0f / 9.0f, k29 = 2.0f / 9.0f, k49 = 4.0f / 9.0f;
  constexpr float k13 = 1.0f / 3.0f, k23 = 2.0f / 3.0f;
  static constexpr float kLevels[3] = {31.0f, 63.0f, 31.0f};

  SplitWinner best;

  for (int i = 0; i <= N; ++i) {
    const float* wj = at_j[3];
    const float* wk = at_k[3];
    const float w0 = px[3][i], w_all = px[3][N];
    const uint16_t* rank = list->rank + i * kClusterRankRows * kClusterRankStride;

    for (int p0 = kPairs.first[i]; p0 < kCount; p0 += kLanes) {
      alignas(32) float a2[kLanes], b2[kLanes], ab[kLanes], inv_det[kLanes], err[kLanes];
      // The lane loops stay loops (no unrolling) so that the loop vectoriser takes them whole.
#pragma GCC unroll 1
      for (int t = 0; t < kLanes; ++t) {
        const int p = p0 + t;
        const float w2 = wj[p] - w0, w3 = wk[p] - wj[p], w1 = w_all - wk[p];
        a2[t] = w0 + k49 * w2 + k19 * w3;
        b2[t] = w1 + k19 * w2 + k49 * w3;
        ab[t] = k29 * (w2 + w3);
        inv_det[t] = 1.0f / (a2[t] * b2[t] - ab[t] * ab[t]);
        err[t] = 0.0f;
      }
      alignas(32) float ea[3][kLanes], eb[3][kLanes];
      for (int c = 0; c < 3; ++c) {
        const float levels = kLevels[c];
        const float x0 = px[c][i], x_all = px[c][N];
        const float* xj = at_j[c];
        const float* xk = at_k[c];
#pragma GCC unroll 1
        for (int t = 0; t < kLanes; ++t) {
          const int p = p0 + t;
          const float x2 = xj[p] - x0, x3 = xk[p] - xj[p], x1 = x_all - xk[p];
          const float ax = x0 + k23 * x2 + k13 * x3;
          const float bx = x1 + k13 * x2 + k23 * x3;
          const float a = snap(clamp01((ax * b2[t] - bx * ab[t]) * inv_det[t]), levels);
          const float b = snap(clamp01((bx * a2[t] - ax * ab[t]) * inv_det[t]), levels);
          ea[c][t] = a;
          eb[c][t] = b;
          err[t] +=
              a * a * a2[t] + b * b * b2[t] + 2.0f * a * b * ab[t] - 2.0f * a * ax - 2.0f * b * bx;
        }
      }
      // Only a lane at or below the best error can win (NaN lanes never do).
      float lowest = FLT_MAX;
      for (int t = 0; t < kLanes; ++t) lowest = err[t] < lowest ? err[t] : lowest;
      if (!(lowest <= best.error)) continue;
      const uint32_t lanes =
          p0 + kLanes > kCount ? (1u << (kCount - p0)) - 1u : (1u << kLanes) - 1u;
      best.offer<N>(lanes, p0, err, rank, [&ea, &eb](int t, float a[3], float b[3]) {
        for (int c = 0; c < 3; ++c) a[c] = ea[c][t], b[c] = eb[c][t];
      });
    }
  }

  return best.finish<N>(list, result);
}

}  // namespace
