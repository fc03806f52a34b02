// Weighted cluster fit: the principal axis survives spreads that (1, 1, 1) does not see. The split
// search is pinned by the texture digests and held to the generic kernel by the equivalence tests.
#include <gtest/gtest.h>

#include <cmath>

#include "texture/dxt1.h"

namespace {

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
