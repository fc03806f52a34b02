// Fast/Normal DXT1 kernels: principal-axis endpoint estimate, index matching against the
// four-colour palette, and least-squares refinement of the endpoints for a given index word.
#include "texture/dxt1.h"
#include "texture/dxt1_endpoint_steps.h"

// Sum, minimum and maximum of one 16-byte plane (plain loops the compiler vectorises).
static void plane_stats(const uint8_t v[16], int32_t* sum, int32_t* lo, int32_t* hi) {
  int32_t s = 0, mn = 255, mx = 0;
  for (int i = 0; i < 16; ++i) {
    const int32_t x = v[i];
    s += x;
    mn = x < mn ? x : mn;
    mx = x > mx ? x : mx;
  }
  *sum = s, *lo = mn, *hi = mx;
}

void dxt1_estimate_endpoints(Dxt1WorkArea* work, uint16_t* c0, uint16_t* c1) {
  int32_t mn[3], mx[3];
  plane_stats(work->r, &work->sum[0], &mn[0], &mx[0]);
  plane_stats(work->g, &work->sum[1], &mn[1], &mx[1]);
  plane_stats(work->b, &work->sum[2], &mn[2], &mx[2]);
  for (int c = 0; c < 3; ++c) work->mean[c] = (work->sum[c] + 8) >> 4;

  // Covariance about the means: rr, rg, rb, gg, gb, bb.
  int32_t cov[6] = {0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 16; ++i) {
    const int32_t r = work->r[i] - work->mean[0];
    const int32_t g = work->g[i] - work->mean[1];
    const int32_t b = work->b[i] - work->mean[2];
    cov[0] += r * r, cov[1] += r * g, cov[2] += r * b;
    cov[3] += g * g, cov[4] += g * b, cov[5] += b * b;
  }
  int32_t w[3];
  dxt1_axis_weights(cov, mn, mx, w);
  const int32_t ar = w[0], ag = w[1], ab = w[2];

  int32_t proj[16];
  for (int i = 0; i < 16; ++i) proj[i] = work->r[i] * ar + work->g[i] * ag + work->b[i] * ab;
  // Pixel 0 starts as both ends; a later pixel replaces the minimum when strictly smaller,
  // otherwise the maximum when strictly larger.
  int32_t lo = proj[0], hi = proj[0];
  int lo_i = 0, hi_i = 0;
  for (int i = 1; i < 16; ++i) {
    if (proj[i] < lo) {
      lo = proj[i];
      lo_i = i;
    } else if (proj[i] > hi) {
      hi = proj[i];
      hi_i = i;
    }
  }
  *c0 = pack565(dxt_q5(work->r[hi_i]), dxt_q6(work->g[hi_i]), dxt_q5(work->b[hi_i]));
  *c1 = pack565(dxt_q5(work->r[lo_i]), dxt_q6(work->g[lo_i]), dxt_q5(work->b[lo_i]));
}

uint32_t dxt1_match_indices(const Dxt1WorkArea* work, uint16_t c0, uint16_t c1,
                            const uint8_t expand[96]) {
  int32_t d[3], sp[4];
  dxt1_palette_projections(c0, c1, expand, d, sp);
  const int32_t s0 = sp[0], s1 = sp[1], s2 = sp[2], s3 = sp[3];
  const int32_t a = (s2 + s0) >> 1;
  const int32_t b = (s3 + s2) >> 1;
  const int32_t c = (s3 + s1) >> 1;

  uint32_t idx[16];
  for (int i = 0; i < 16; ++i) {
    const int32_t x = work->r[i] * d[0] + work->g[i] * d[1] + work->b[i] * d[2];
    // 0 nearest colour 0, then 2, 3, and 1 nearest colour 1.
    idx[i] = x >= a ? 0u : x >= b ? 2u : x >= c ? 3u : 1u;
  }
  uint32_t word = 0;
  for (int i = 0; i < 16; ++i) word |= idx[i] << (2 * i);
  return word;
}

void dxt1_refine_endpoints(const Dxt1WorkArea* work, uint16_t* c0, uint16_t* c1, uint32_t indices) {
  // Weight of colour 0 per index (in thirds) and the packed products w*w, (3-w)*(3-w), w*(3-w)
  // in bits 16-23, 8-15 and 0-7; 16 pixels never carry out of a byte (16 x 9 = 144).
  static constexpr uint32_t kProducts[4] = {0x090000, 0x000900, 0x040102, 0x010402};
  int32_t w[16];
  uint32_t products[16];
  for (int i = 0; i < 16; ++i) {
    const uint32_t idx = (indices >> (2 * i)) & 3;
    w[i] = static_cast<int32_t>((0x1203u >> (4 * idx)) & 0xF);  // 3, 0, 2, 1 for indices 0..3
    products[i] = kProducts[idx];
  }
  int32_t a[3] = {0, 0, 0};
  uint32_t packed = 0;
  for (int i = 0; i < 16; ++i) {
    a[0] += w[i] * work->r[i];
    a[1] += w[i] * work->g[i];
    a[2] += w[i] * work->b[i];
    packed += products[i];
  }
  dxt1_solve_endpoints(packed, a, work->sum, c0, c1);
}
