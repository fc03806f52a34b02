// Weighted cluster fit: every split is searched, the chosen split is the best one, and the
// principal axis survives spreads that (1, 1, 1) does not see.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <tuple>

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
