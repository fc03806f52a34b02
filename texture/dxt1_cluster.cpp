// Weighted cluster fit of the DXT1 Slow path: per-count kernels (covariance, ordering along the
// principal axis, split search) with loop bounds fixed at compile time, and the split lists that
// fix the search order.
#include <array>
#include <cfloat>
#include <utility>
#include <vector>

#include "texture/dxt1.h"
#include "texture/dxt1_cluster_rows.h"

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
  insertion_order(proj, N, order);
}

// Four lanes: one SSE2 vector, the baseline of x86-64.
template <int N>
bool search_kernel(const float weighted[16][4], const ClusterSplitList* list,
                   ClusterFitResult* result) {
  return cluster_search_rows<N, 4>(weighted, list, result);
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
  // Built once, read-only afterwards, and never destroyed: frame threads of a render that is
  // still running when the process exits keep reading it during static destruction.
  static const SplitTables& tables = *new SplitTables;
  for (size_t n = 0; n < kClusterKernelCount; ++n) {
    lists[n].splits = tables.lists[n].data();
    lists[n].count = static_cast<uint32_t>(tables.lists[n].size() / 3);
    lists[n].rank = tables.ranks[n].data();
  }
}

// The first product of (1, 1, 1) counts as collapsed when its largest component is below this
// fraction of the largest variance. Row sums of a covariance matrix add up to (1, 1, 1)'s own
// variance, so the product is small only when (1, 1, 1) is nearly orthogonal to the spread. Spreads
// with a real (1, 1, 1) part stay far above: on 1.3 million blocks of natural frames a fraction of
// 0.2 would change 3 blocks and this one none, while the two-colour and ramp blocks of pure hues
// fall below 0.005.
constexpr float kCollapsed = 0.05f;

void dxt1_principal_axis(const float cov[6], float axis[3]) {
  static constexpr int kRow[3][3] = {{0, 1, 2}, {1, 3, 4}, {2, 4, 5}};
  const int widest = cov[0] >= cov[3] && cov[0] >= cov[5] ? 0 : (cov[3] >= cov[5] ? 1 : 2);
  const float widest_variance = cov[kRow[widest][widest]];
  float v[3] = {1.0f, 1.0f, 1.0f};
  for (int it = 0; it < 4; ++it) {
    const float r = cov[0] * v[0] + cov[1] * v[1] + cov[2] * v[2];
    const float g = cov[1] * v[0] + cov[3] * v[1] + cov[4] * v[2];
    const float b = cov[2] * v[0] + cov[4] * v[1] + cov[5] * v[2];
    v[0] = r, v[1] = g, v[2] = b;
    float m = r > g ? r : g;
    m = b > m ? b : m;
    if (it == 0 && m < kCollapsed * widest_variance) {
      // (1, 1, 1) is nearly orthogonal to the spread (two colours or a ramp differing by +d in one
      // channel and -d in another): what is left of the product is noise of the other channels.
      // Start again from the widest channel's axis: its product, that channel's matrix row, has
      // the channel's variance as its largest component and so cannot vanish.
      for (int c = 0; c < 3; ++c) v[c] = cov[kRow[widest][c]];
      m = widest_variance;
    } else if (m == 0.0f) {
      // No positive component: divide by the largest magnitude instead, and restart from the
      // matrix row of the largest variance when the vector vanished.
      float mag = 0.0f;
      for (float c : v) mag = (c < 0 ? -c : c) > mag ? (c < 0 ? -c : c) : mag;
      if (mag == 0.0f) {
        for (int c = 0; c < 3; ++c) v[c] = cov[kRow[widest][c]];
        mag = widest_variance;
        if (mag == 0.0f) break;
      }
      m = mag;
    }
    v[0] /= m, v[1] /= m, v[2] /= m;
  }
  axis[0] = v[0], axis[1] = v[1], axis[2] = v[2];
}
