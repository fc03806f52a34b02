// Weighted cluster fit: every split is searched, the chosen split is the best one with ties going
// to the earlier split of the list, and the principal axis survives spreads that (1, 1, 1) does
// not see.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
float direct_error(const float pts[16][4], int n, const uint8_t* split) {
  float a2 = 0, b2 = 0, ab = 0, ax[3] = {}, bx[3] = {};
  for (int p = 0; p < n; ++p) {
    const float alpha = p < split[0] ? 1.0f : p < split[1] ? 2.0f / 3 : p < split[2] ? 1.0f / 3 : 0;
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
    err += a * a * a2 + b * b * b2 + 2 * a * b * ab - 2 * a * ax[c] - 2 * b * bx[c];
  }
  return err;
}

// Random point sets, and mirror-symmetric or few-level sets whose splits tie exactly. The search
// runs on the list and on the same list reversed: both must find the best error, and of tied
// splits the forward list must get the earlier one and the reversed list the later one.
TEST(ClusterFit, SearchFindsTheBestSplitAndListOrderBreaksTies) {
  ClusterSplitList lists[kClusterKernelCount];
  cluster_build_split_lists(lists);
  std::mt19937 rng(11);
  int ties_seen = 0;
  for (int trial = 0; trial < 700; ++trial) {
    const int n = 2 + trial % 15;
    const bool random = trial < 300;
    float pts[16][4] = {};
    for (int p = 0; p < n; ++p) {
      const float w = std::sqrt(static_cast<float>(trial % 2 && !random ? 1 : 1 + rng() % 4));
      const float v = trial % 3 ? static_cast<float>(rng() % 3) / 2.0f
                                : static_cast<float>(p < n / 2 ? 1 : 3) / 4.0f;
      for (int c = 0; c < 3; ++c) pts[p][c] = w * (random ? (rng() % 256) / 255.0f : v);
      pts[p][3] = w;
    }
    const ClusterSplitList& l = lists[n - 2];
    std::vector<uint8_t> reversed(3 * l.count);
    std::vector<uint16_t> rank(kClusterRankRows * kClusterRankRows * kClusterRankStride,
                               kClusterSplitNone);
    float best = 1e30f;
    for (uint32_t s = 0; s < l.count; ++s) {
      const uint8_t* t = l.splits + 3 * (l.count - 1 - s);
      std::copy(t, t + 3, &reversed[3 * s]);
      rank[(t[0] * kClusterRankRows + t[1]) * kClusterRankStride + t[2]] = static_cast<uint16_t>(s);
      best = std::fmin(best, direct_error(pts, n, t));
    }
    const ClusterSplitList back{reversed.data(), l.count, rank.data()};

    uint32_t winners[2];  // positions in the forward list
    ClusterFitResult fit[2];
    for (int which = 0; which < 2; ++which) {
      ASSERT_TRUE(kClusterSearchGeneric[n - 2](pts, which ? &back : &l, &fit[which]));
      EXPECT_NEAR(fit[which].error, best, 1e-4f * (1.0f + std::fabs(best))) << "trial " << trial;
      for (int c = 0; c < 3; ++c) {
        const float levels = c == 1 ? 63.0f : 31.0f;
        EXPECT_FLOAT_EQ(fit[which].start[c] * levels, std::round(fit[which].start[c] * levels));
      }
      // The split from the indices: colour 0, two-thirds, one-third, colour 1, in point order.
      const uint8_t* idx = fit[which].order_index;
      const int i = static_cast<int>(std::count(idx, idx + n, 0));
      const int j = i + static_cast<int>(std::count(idx, idx + n, 2));
      const int k = j + static_cast<int>(std::count(idx, idx + n, 3));
      for (int t = 0; t < n; ++t)
        ASSERT_EQ(idx[t], t < i ? 0 : t < j ? 2 : t < k ? 3 : 1) << "trial " << trial;
      const uint16_t r = rank[(i * kClusterRankRows + j) * kClusterRankStride + k];
      ASSERT_NE(r, kClusterSplitNone) << "trial " << trial;
      winners[which] = l.count - 1 - r;
    }
    EXPECT_EQ(fit[0].error, fit[1].error) << "trial " << trial;
    EXPECT_LE(winners[0], winners[1]) << "trial " << trial;
    ties_seen += winners[0] != winners[1];
  }
  EXPECT_GT(ties_seen, 10) << "the inputs no longer make ties";
}

// The axis, scaled so that its largest component is 1. Spreads with a part along the start vector
// (1, 1, 1) keep their direction. Red against green, or green against blue, is orthogonal to it:
// alone, the first product vanishes; beside a small spread of the third channel of its own, that
// small spread is all the product keeps, and the axis must not settle on it.
TEST(ClusterFit, PrincipalAxisFollowsTheWidestSpread) {
  struct Case {
    float cov[6];  // rr, rg, rb, gg, gb, bb
    float axis[3];
  };
  const Case cases[] = {
      {{1, 2, 3, 4, 6, 9}, {1.0f / 3, 2.0f / 3, 1}},
      {{1, -0.8f, 0, 0.64f, 0, 0.01f}, {1, -0.8f, 0}},
      {{0.02f, -0.02f, 0, 0.02f, 0, 0}, {1, -1, 0}},
      {{0.5f, -0.5f, 0, 0.5f, 0, 0.01f}, {1, -1, 0}},
      {{0.01f, 0, 0, 0.5f, -0.5f, 0.5f}, {0, 1, -1}},
  };
  for (const Case& c : cases) {
    float axis[3];
    dxt1_principal_axis(c.cov, axis);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(axis[k], c.axis[k], 0.01f) << "case " << (&c - cases);
  }
}

}  // namespace
