// Weighted cluster fit: every split is searched, the chosen split is the best one, and the
// principal axis survives spreads that (1, 1, 1) does not see.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "texture/dxt1.h"

namespace {

TEST(ClusterFit, SplitListsCoverEverySplitOnceTwoClusterSplitsFirst) {
  ClusterSplitList lists[kClusterKernelCount];
  cluster_build_split_lists(lists);
  for (int n = 2; n <= 16; ++n) {
    const ClusterSplitList& l = lists[n - 2];
    std::set<std::tuple<int, int, int>> seen;
    for (uint32_t s = 0; s < l.count; ++s) {
      const int i = l.splits[3 * s], j = l.splits[3 * s + 1], k = l.splits[3 * s + 2];
      ASSERT_TRUE(i <= j && j <= k && k <= n) << n;
      EXPECT_FALSE(j == 0 && (k == 0 || k == n)) << "all points in one cluster";
      EXPECT_FALSE(i == n || (i == 0 && j == n)) << "all points in one cluster";
      if (n >= 3 && s < static_cast<uint32_t>(n - 1)) {
        EXPECT_EQ(std::make_tuple(i, j, k), std::make_tuple(int(s) + 1, int(s) + 1, int(s) + 1));
      }
      EXPECT_TRUE(seen.insert({i, j, k}).second) << "split listed twice";
    }
    EXPECT_EQ(l.count, static_cast<uint32_t>((n + 3) * (n + 2) * (n + 1) / 6 - 4)) << n;
  }
}

// Error of a split computed directly from the four clusters (no prefix sums), with the same
// clamping and 5:6:5 snapping the fit applies.
float direct_error(const float pts[16][4], int n, int i, int j, int k, float a_out[3]) {
  float a2 = 0, b2 = 0, ab = 0, ax[3] = {}, bx[3] = {};
  for (int p = 0; p < n; ++p) {
    const float alpha = p < i ? 1.0f : p < j ? 2.0f / 3 : p < k ? 1.0f / 3 : 0.0f;
    const float beta = 1.0f - alpha, w = pts[p][3];
    a2 += alpha * alpha * w, b2 += beta * beta * w, ab += alpha * beta * w;
    for (int c = 0; c < 3; ++c) ax[c] += alpha * pts[p][c], bx[c] += beta * pts[p][c];
  }
  float err = 0;
  const float levels[3] = {31, 63, 31};
  for (int c = 0; c < 3; ++c) {
    const float det = a2 * b2 - ab * ab;
    float a = std::fmin(std::fmax((ax[c] * b2 - bx[c] * ab) / det, 0.0f), 1.0f);
    float b = std::fmin(std::fmax((bx[c] * a2 - ax[c] * ab) / det, 0.0f), 1.0f);
    a = std::floor(a * levels[c] + 0.5f) / levels[c];
    b = std::floor(b * levels[c] + 0.5f) / levels[c];
    a_out[c] = a;
    err += a * a * a2 + b * b * b2 + 2 * a * b * ab - 2 * a * ax[c] - 2 * b * bx[c];
  }
  return err;
}

TEST(ClusterFit, SearchFindsTheBestSplitOfTheList) {
  ClusterSplitList lists[kClusterKernelCount];
  cluster_build_split_lists(lists);
  srand(3);
  for (int trial = 0; trial < 300; ++trial) {
    const int n = 2 + trial % 15;
    float pts[16][4] = {};
    for (int p = 0; p < n; ++p) {
      const float w = std::sqrt(static_cast<float>(1 + rand() % 4));
      for (int c = 0; c < 3; ++c) pts[p][c] = w * static_cast<float>(rand() % 256) / 255.0f;
      pts[p][3] = w;
    }
    ClusterFitResult fit;
    ASSERT_TRUE(kClusterSearchGeneric[n - 2](pts, &lists[n - 2], &fit));
    float best = 1e30f;
    const ClusterSplitList& l = lists[n - 2];
    for (uint32_t s = 0; s < l.count; ++s) {
      float a[3];
      best = std::fmin(
          best, direct_error(pts, n, l.splits[3 * s], l.splits[3 * s + 1], l.splits[3 * s + 2], a));
    }
    EXPECT_NEAR(fit.error, best, 1e-4f * (1.0f + std::fabs(best))) << "trial " << trial;
    for (int c = 0; c < 3; ++c) {
      const float levels = c == 1 ? 63.0f : 31.0f;
      EXPECT_FLOAT_EQ(fit.start[c] * levels, std::round(fit.start[c] * levels));
    }
  }
}

TEST(ClusterFit, PrincipalAxisOfSpreadsOrthogonalToTheStartVector) {
  // Red and green move against each other: the covariance maps (1, 1, 1) to zero.
  const float anti[6] = {0.02f, -0.02f, 0.0f, 0.02f, 0.0f, 0.0f};
  float axis[3];
  dxt1_principal_axis(anti, axis);
  ASSERT_TRUE(std::isfinite(axis[0]) && std::isfinite(axis[1]) && std::isfinite(axis[2]));
  EXPECT_NEAR(axis[0], -axis[1], 1e-6f);
  EXPECT_GT(std::fabs(axis[0]), 0.1f);
  EXPECT_NEAR(axis[2], 0.0f, 1e-6f);
  // A plain spread along (1, 2, 3) keeps its direction, scaled so the largest component is 1.
  const float line[6] = {1, 2, 3, 4, 6, 9};
  dxt1_principal_axis(line, axis);
  EXPECT_NEAR(axis[0], 1.0f / 3, 1e-5f);
  EXPECT_NEAR(axis[1], 2.0f / 3, 1e-5f);
  EXPECT_NEAR(axis[2], 1.0f, 1e-5f);
}

}  // namespace

namespace {

// The search scored one split at a time in list order, from the same prefix sums and with the same
// operations; the first strictly smaller error wins. Returns the winning list position (or
// `count` when none beat the largest float) and its error.
uint32_t list_order_search(const float weighted[16][4], int n, const uint8_t* splits,
                           uint32_t count, float* error) {
  float px[4][17] = {};
  for (int p = 0; p < n; ++p) {
    for (int c = 0; c < 4; ++c) px[c][p + 1] = px[c][p] + weighted[p][c];
  }
  const float k19 = 1.0f / 9.0f, k29 = 2.0f / 9.0f, k49 = 4.0f / 9.0f;
  const float k13 = 1.0f / 3.0f, k23 = 2.0f / 3.0f, levels[3] = {31.0f, 63.0f, 31.0f};
  const auto snap = [](float v, float l) {
    v = v > 1.0f ? 1.0f : v;
    v = v < 0.0f ? 0.0f : v;
    return static_cast<float>(static_cast<int32_t>(v * l + 0.5f)) / l;
  };
  float best = FLT_MAX;
  uint32_t winner = count;
  for (uint32_t s = 0; s < count; ++s) {
    const int i = splits[3 * s], j = splits[3 * s + 1], k = splits[3 * s + 2];
    const float* w = px[3];
    const float w0 = w[i], w2 = w[j] - w[i], w3 = w[k] - w[j], w1 = w[n] - w[k];
    const float a2 = w0 + k49 * w2 + k19 * w3, b2 = w1 + k19 * w2 + k49 * w3;
    const float ab = k29 * (w2 + w3), inv_det = 1.0f / (a2 * b2 - ab * ab);
    float err = 0.0f;
    for (int c = 0; c < 3; ++c) {
      const float* x = px[c];
      const float ax = x[i] + k23 * (x[j] - x[i]) + k13 * (x[k] - x[j]);
      const float bx = x[n] - x[k] + k13 * (x[j] - x[i]) + k23 * (x[k] - x[j]);
      const float a = snap((ax * b2 - bx * ab) * inv_det, levels[c]);
      const float b = snap((bx * a2 - ax * ab) * inv_det, levels[c]);
      err += a * a * a2 + b * b * b2 + 2.0f * a * b * ab - 2.0f * a * ax - 2.0f * b * bx;
    }
    if (err < best) best = err, winner = s;
  }
  *error = best;
  return winner;
}

// The kernels score splits in their own order; the list alone must decide among equal errors.
// Mirror-symmetric and few-level sets make exact ties common; the reversed list must then pick
// the other split of each tie.
TEST(ClusterFit, ListOrderDecidesBetweenEqualErrors) {
  ClusterSplitList lists[kClusterKernelCount];
  cluster_build_split_lists(lists);
  std::mt19937 rng(11);
  int ties_seen = 0;
  for (int trial = 0; trial < 400; ++trial) {
    const int n = 2 + trial % 15;
    float pts[16][4] = {};
    for (int p = 0; p < n; ++p) {
      const float w = std::sqrt(static_cast<float>(trial % 2 ? 1 : 1 + rng() % 4));
      const float v = trial % 3 ? static_cast<float>(rng() % 3) / 2.0f
                                : static_cast<float>(p < n / 2 ? 1 : 3) / 4.0f;
      for (int c = 0; c < 3; ++c) pts[p][c] = v * w;
      pts[p][3] = w;
    }
    const ClusterSplitList& l = lists[n - 2];
    // The same splits in reverse, with their reverse ranks.
    std::vector<uint8_t> reversed(3 * l.count);
    std::vector<uint16_t> rank(kClusterRankRows * kClusterRankRows * kClusterRankStride,
                               kClusterSplitNone);
    for (uint32_t s = 0; s < l.count; ++s) {
      const uint8_t* t = l.splits + 3 * (l.count - 1 - s);
      std::copy(t, t + 3, &reversed[3 * s]);
      rank[(t[0] * kClusterRankRows + t[1]) * kClusterRankStride + t[2]] = static_cast<uint16_t>(s);
    }
    const ClusterSplitList back{reversed.data(), l.count, rank.data()};

    uint32_t winners[2];
    int list_no = 0;
    for (const ClusterSplitList* list : {&l, &back}) {
      float expected_error;
      const uint32_t expected =
          list_order_search(pts, n, list->splits, list->count, &expected_error);
      ClusterFitResult fit;
      ASSERT_EQ(kClusterSearchGeneric[n - 2](pts, list, &fit), expected < list->count);
      ASSERT_LT(expected, list->count) << "trial " << trial;
      EXPECT_EQ(fit.error, expected_error) << "trial " << trial;
      const uint8_t* s = list->splits + 3 * expected;
      for (int t = 0; t < n; ++t) {
        const int index = t < s[0] ? 0 : t < s[1] ? 2 : t < s[2] ? 3 : 1;
        ASSERT_EQ(fit.order_index[t], index) << "trial " << trial << " list " << list_no;
      }
      winners[list_no++] = list == &l ? expected : l.count - 1 - expected;
    }
    ties_seen += winners[0] != winners[1];
  }
  EXPECT_GT(ties_seen, 10) << "the inputs no longer make ties";
}

}  // namespace
