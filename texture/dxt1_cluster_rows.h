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

// A minimum, then a maximum; NaN passes through both.
inline float clamp01(float v) {
  const float upper = v > 1.0f ? 1.0f : v;
  return upper < 0.0f ? 0.0f : upper;
}

// Scores every split (i, j, k), 0 <= i <= j <= k <= N, row by row: i and j fixed, k running
// over consecutive lanes, so the per-k sums are contiguous prefix sums and the lane loops
// vectorise. The terms that depend only on i and j are computed once per row; every value is
// formed by the same operations in the same order as for a split scored alone. The list decides
// which splits count and their order: a split wins with a strictly smaller error, or with an equal
// error and an earlier list position, which is the first-scored-wins rule of a scan in list
// order.
template <int N, int kLanes>
bool cluster_search_rows(const float weighted[16][4], const ClusterSplitList* list,
                         ClusterFitResult* result) {
  // Prefix sums, padded past N with the total so the last lanes of a row read finite values.
  constexpr int kPadded = N + kLanes;
  float px[3][kPadded], pw[kPadded];
  px[0][0] = px[1][0] = px[2][0] = pw[0] = 0.0f;
  for (int i = 0; i < N; ++i) {
    for (int c = 0; c < 3; ++c) px[c][i + 1] = px[c][i] + weighted[i][c];
    pw[i + 1] = pw[i] + weighted[i][3];
  }
  for (int i = N + 1; i < kPadded; ++i) {
    for (int c = 0; c < 3; ++c) px[c][i] = px[c][N];
    pw[i] = pw[N];
  }

  constexpr float k19 = 1.0f / 9.0f, k29 = 2.0f / 9.0f, k49 = 4.0f / 9.0f;
  constexpr float k13 = 1.0f / 3.0f, k23 = 2.0f / 3.0f;
  static constexpr float kLevels[3] = {31.0f, 63.0f, 31.0f};

  float best_error = FLT_MAX;
  uint32_t best = kClusterSplitNone;
  float best_a[3] = {0, 0, 0}, best_b[3] = {0, 0, 0};

  for (int i = 0; i <= N; ++i) {
    for (int j = i; j <= N; ++j) {
      // Row terms: w0 = pw[i], w2 = pw[j] - pw[i] and x0, x2 per channel.
      const float w0 = pw[i], w2 = pw[j] - pw[i];
      const float a2_row = w0 + k49 * w2, b2_row = k19 * w2;
      float ax_row[3], bx_row[3];
      for (int c = 0; c < 3; ++c) {
        const float x2 = px[c][j] - px[c][i];
        ax_row[c] = px[c][i] + k23 * x2;
        bx_row[c] = k13 * x2;
      }
      const uint16_t* rank = list->rank + (i * kClusterRankRows + j) * kClusterRankStride;

      for (int k0 = j; k0 <= N; k0 += kLanes) {
        alignas(32) float a2[kLanes], b2[kLanes], ab[kLanes], inv_det[kLanes], err[kLanes];
#pragma GCC unroll 1
        for (int t = 0; t < kLanes; ++t) {
          const int k = k0 + t;
          const float w3 = pw[k] - pw[j], w1 = pw[N] - pw[k];
          a2[t] = a2_row + k19 * w3;
          b2[t] = w1 + b2_row + k49 * w3;
          ab[t] = k29 * (w2 + w3);
          inv_det[t] = 1.0f / (a2[t] * b2[t] - ab[t] * ab[t]);
          err[t] = 0.0f;
        }
        alignas(32) float ea[3][kLanes], eb[3][kLanes];
        for (int c = 0; c < 3; ++c) {
          const float levels = kLevels[c];
#pragma GCC unroll 1
          for (int t = 0; t < kLanes; ++t) {
            const int k = k0 + t;
            const float x3 = px[c][k] - px[c][j], x1 = px[c][N] - px[c][k];
            const float ax = ax_row[c] + k13 * x3;
            const float bx = x1 + bx_row[c] + k23 * x3;
            const float a = snap(clamp01((ax * b2[t] - bx * ab[t]) * inv_det[t]), levels);
            const float b = snap(clamp01((bx * a2[t] - ax * ab[t]) * inv_det[t]), levels);
            ea[c][t] = a;
            eb[c][t] = b;
            err[t] += a * a * a2[t] + b * b * b2[t] + 2.0f * a * b * ab[t] - 2.0f * a * ax -
                      2.0f * b * bx;
          }
        }
        // Only a lane at or below the best error can win (NaN lanes never do).
        float lowest = FLT_MAX;
        for (int t = 0; t < kLanes; ++t) lowest = err[t] < lowest ? err[t] : lowest;
        if (!(lowest <= best_error)) continue;
        for (int t = 0; t < kLanes; ++t) {
          const uint32_t r = rank[k0 + t];  // kClusterSplitNone past N and for unlisted splits
          const float e = err[t];
          if (r == kClusterSplitNone || !(e < FLT_MAX)) continue;
          if (e < best_error || (e == best_error && r < best)) {
            best_error = e;
            best = r;
            for (int c = 0; c < 3; ++c) best_a[c] = ea[c][t], best_b[c] = eb[c][t];
          }
        }
      }
    }
  }

  // Without any improvement the first split (0, 0, 1) stands with both endpoints zero.
  const uint8_t fallback[3] = {0, 0, 1};
  const uint8_t* s = best < list->count ? list->splits + 3 * best : fallback;
  for (int t = 0; t < N; ++t) {
    result->order_index[t] = static_cast<uint8_t>(t < s[0] ? 0 : t < s[1] ? 2 : t < s[2] ? 3 : 1);
  }
  for (int c = 0; c < 3; ++c) result->start[c] = best_a[c], result->end[c] = best_b[c];
  result->error = best_error;
  return best < list->count;
}

}  // namespace
