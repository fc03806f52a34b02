// Weighted cluster fit of the DXT1 Slow path: per-count kernels (covariance, ordering along the
// principal axis, split search) with loop bounds fixed at compile time, and the split lists that
// fix the search order.
#include <array>
#include <cfloat>
#include <utility>
#include <vector>

#include "texture/dxt1.h"

namespace {

template <int N>
void covariance_kernel(const float points[][4], const float weights[16], float cov[6]) {
  float total = 0.0f, cr = 0.0f, cg = 0.0f, cb = 0.0f;
  for (int i = 0; i < N; ++i) {
    total += weights[i];
    cr += weights[i] * points[i][0];
    cg += weights[i] * points[i][1];
    cb += weights[i] * points[i][2];
  }
  const float inv = 1.0f / total;
  cr *= inv, cg *= inv, cb *= inv;
  float s[6] = {0, 0, 0, 0, 0, 0};
  for (int i = 0; i < N; ++i) {
    const float r = points[i][0] - cr, g = points[i][1] - cg, b = points[i][2] - cb;
    const float w = weights[i];
    s[0] += w * r * r, s[1] += w * r * g, s[2] += w * r * b;
    s[3] += w * g * g, s[4] += w * g * b, s[5] += w * b * b;
  }
  for (int k = 0; k < 6; ++k) cov[k] = s[k];
}

// Stable insertion sort of the point indices by ascending projection on the axis.
template <int N>
void order_kernel(const float points[][4], const float axis[3], uint8_t order[16]) {
  float proj[N];
  for (int i = 0; i < N; ++i) {
    proj[i] = points[i][0] * axis[0] + points[i][1] * axis[1] + points[i][2] * axis[2];
  }
  for (int i = 0; i < N; ++i) {
    int t = i;
    while (t > 0 && proj[order[t - 1]] > proj[i]) {
      order[t] = order[t - 1];
      --t;
    }
    order[t] = static_cast<uint8_t>(i);
  }
}

// Snap to the 5- or 6-bit grid, rounding half away from zero (v is already clamped to 0..1).
inline float snap(float v, float levels) {
  return static_cast<float>(static_cast<int32_t>(v * levels + 0.5f)) / levels;
}

// Written as a minimum then a maximum so that each maps to one vector instruction; NaN passes
// through both, as before.
inline float clamp01(float v) {
  const float upper = v > 1.0f ? 1.0f : v;
  return upper < 0.0f ? 0.0f : upper;
}

// Lanes scored together: a run of splits (i, j, k), (i, j, k + 1), ... that share i and j.
constexpr int kLanes = 4;

// Scores every split (i, j, k), 0 <= i <= j <= k <= N, row by row: i and j fixed, k running
// over consecutive lanes, so the per-k sums are contiguous prefix sums and the lane loops
// vectorise. The terms that depend only on i and j are computed once per row; every value is
// formed by the same operations in the same order as for a split scored alone. The list decides
// which splits count and their order: a split wins with a strictly smaller error, or with an equal
// error and an earlier list position, which is the first-scored-wins rule of a scan in list
// order.
template <int N>
bool search_kernel(const float weighted[16][4], const ClusterSplitList* list,
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
        alignas(16) float a2[kLanes], b2[kLanes], ab[kLanes], inv_det[kLanes], err[kLanes];
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
        alignas(16) float ea[3][kLanes], eb[3][kLanes];
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

template <int... Ns>
constexpr std::array<ClusterCovarianceFn*, kClusterKernelCount> covariance_table(
    std::integer_sequence<int, Ns...>) {
  return {covariance_kernel<Ns + 2>...};
}
template <int... Ns>
constexpr std::array<ClusterOrderFn*, kClusterKernelCount> order_table(
    std::integer_sequence<int, Ns...>) {
  return {order_kernel<Ns + 2>...};
}
template <int... Ns>
constexpr std::array<ClusterSearchFn*, kClusterKernelCount> search_table(
    std::integer_sequence<int, Ns...>) {
  return {search_kernel<Ns + 2>...};
}
using Counts = std::make_integer_sequence<int, kClusterKernelCount>;

// Split lists for 2..16 points. Two points have a fixed order; from three points on the
// two-cluster splits (i, i, i) come first, then every other split in (i, j, k) order. Splits that
// put all points in one cluster are left out.
struct SplitTables {
  std::vector<uint8_t> lists[kClusterKernelCount];
  std::vector<uint16_t> ranks[kClusterKernelCount];
  SplitTables() {
    build_lists();
    for (size_t n = 0; n < kClusterKernelCount; ++n) {
      ranks[n].assign(kClusterRankRows * kClusterRankRows * kClusterRankStride, kClusterSplitNone);
      for (size_t s = 0; s < lists[n].size() / 3; ++s) {
        const uint8_t* t = &lists[n][3 * s];
        ranks[n][(t[0] * kClusterRankRows + t[1]) * kClusterRankStride + t[2]] =
            static_cast<uint16_t>(s);
      }
    }
  }
  void build_lists() {
    lists[0] = {0, 0, 1, 1, 1, 2, 0, 1, 1, 1, 2, 2, 0, 1, 2, 1, 1, 1};
    for (int n = 3; n <= 16; ++n) {
      auto& l = lists[n - 2];
      const auto u = [](int v) { return static_cast<uint8_t>(v); };
      const auto add = [&l, &u](int i, int j, int k) { l.insert(l.end(), {u(i), u(j), u(k)}); };
      for (int i = 1; i < n; ++i) add(i, i, i);
      for (int i = 0; i <= n; ++i) {
        for (int j = i; j <= n; ++j) {
          for (int k = j; k <= n; ++k) {
            const bool two_cluster = i == j && j == k;
            const bool single = (i == 0 && j == n) || (i == 0 && j == 0 && k == n);
            if (!two_cluster && !single) add(i, j, k);
          }
        }
      }
    }
  }
};

}  // namespace

constexpr std::array<ClusterCovarianceFn*, kClusterKernelCount> kClusterCovarianceGeneric =
    covariance_table(Counts{});
constexpr std::array<ClusterOrderFn*, kClusterKernelCount> kClusterOrderGeneric =
    order_table(Counts{});
constexpr std::array<ClusterSearchFn*, kClusterKernelCount> kClusterSearchGeneric =
    search_table(Counts{});

void cluster_build_split_lists(ClusterSplitList lists[kClusterKernelCount]) {
  static const SplitTables tables;  // built once, read-only afterwards
  for (size_t n = 0; n < kClusterKernelCount; ++n) {
    lists[n].splits = tables.lists[n].data();
    lists[n].count = static_cast<uint32_t>(tables.lists[n].size() / 3);
    lists[n].rank = tables.ranks[n].data();
  }
}

void dxt1_principal_axis(const float cov[6], float axis[3]) {
  float v[3] = {1.0f, 1.0f, 1.0f};
  for (int it = 0; it < 4; ++it) {
    const float r = cov[0] * v[0] + cov[1] * v[1] + cov[2] * v[2];
    const float g = cov[1] * v[0] + cov[3] * v[1] + cov[4] * v[2];
    const float b = cov[2] * v[0] + cov[4] * v[1] + cov[5] * v[2];
    v[0] = r, v[1] = g, v[2] = b;
    float m = r > g ? r : g;
    m = b > m ? b : m;
    if (m == 0.0f) {
      // (1, 1, 1) can be orthogonal to the spread (e.g. two colours differing by +d red and
      // -d green): divide by the largest magnitude instead, and restart from the matrix row of
      // the largest variance when the vector vanished.
      float mag = 0.0f;
      for (float c : v) mag = (c < 0 ? -c : c) > mag ? (c < 0 ? -c : c) : mag;
      if (mag == 0.0f) {
        const int row = cov[0] >= cov[3] && cov[0] >= cov[5] ? 0 : (cov[3] >= cov[5] ? 1 : 2);
        static constexpr int kRow[3][3] = {{0, 1, 2}, {1, 3, 4}, {2, 4, 5}};
        for (int c = 0; c < 3; ++c) v[c] = cov[kRow[row][c]];
        mag = cov[row == 0 ? 0 : row == 1 ? 3 : 5];
        if (mag == 0.0f) break;
      }
      m = mag;
    }
    v[0] /= m, v[1] /= m, v[2] /= m;
  }
  axis[0] = v[0], axis[1] = v[1], axis[2] = v[2];
}
