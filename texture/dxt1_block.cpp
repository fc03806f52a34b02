// DXT1 block entry points at Fast, Normal and Slow quality and the block writers.
// Block layout (8 bytes, little-endian): colour 0, colour 1 (RGB 5:6:5, red in the top bits),
// then 2-bit indices, pixel i in bits 2i..2i+1. With colour 0 > colour 1 the palette is colour 0,
// colour 1, (2 c0 + c1) / 3, (c0 + 2 c1) / 3; the three-colour mode is never chosen on purpose.
#include <cmath>
#include <cstring>

#include "texture/block_row_loop.h"
#include "texture/dxt1.h"

namespace {

void write_block(uint8_t out[8], uint16_t c0, uint16_t c1, uint32_t word) {
  out[0] = static_cast<uint8_t>(c0), out[1] = static_cast<uint8_t>(c0 >> 8);
  out[2] = static_cast<uint8_t>(c1), out[3] = static_cast<uint8_t>(c1 >> 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(word >> (8 * i));
}

uint16_t pack565(const uint8_t q[3]) {
  return static_cast<uint16_t>((q[0] << 11) | (q[1] << 5) | q[2]);
}

// Writes (c0, c1) with per-pixel indices; puts the larger colour first (indices XOR 1) and
// writes a colour alone when both are equal, so the transparent entry is never selected.
void write_ordered(uint8_t out[8], uint16_t c0, uint16_t c1, const uint8_t indices[16]) {
  if (c0 == c1) return write_block(out, c0, 0, 0);
  const uint32_t flip = c0 < c1 ? 1u : 0u;
  uint32_t word = 0;
  for (int i = 0; i < 16; ++i) word |= static_cast<uint32_t>((indices[i] ^ flip) & 3u) << (2 * i);
  if (flip) return write_block(out, c1, c0, word);
  write_block(out, c0, c1, word);
}

// Fast/Normal fit on filled work planes.
void fit_work_area(const DxtEncOps& ops, Dxt1WorkArea& work, uint8_t out[8]) {
  uint16_t e0, e1;
  ops.estimate_endpoints(&work, &e0, &e1);
  uint32_t word = e0 != e1 ? ops.match_indices(&work, e0, e1, kDxtExpand.data()) : 0;

  uint16_t n0 = e0, n1 = e1;
  if ((word ^ (word << 2)) < 4) {
    // Every pixel on one index: the line fit is degenerate, use the block's mean colour.
    dxt1_single_colour_pair(work.mean[0], work.mean[1], work.mean[2], &n0, &n1);
  } else {
    ops.refine_endpoints(&work, &n0, &n1, word);
  }
  if (n0 != e0 || n1 != e1) {
    e0 = n0, e1 = n1;
    if (e0 == e1) return write_block(out, e0, 0, 0);
    word = ops.match_indices(&work, e0, e1, kDxtExpand.data());
  }
  if (word == 0 || e0 == e1) return write_block(out, e0, 0, 0);
  if (e0 < e1) return write_block(out, e1, e0, word ^ 0x55555555u);
  write_block(out, e0, e1, word);
}

// sqrt(1) .. sqrt(16), index = weight.
const float kSqrtWeight[17] = {0.0f,        1.0f,        1.41421354f, 1.73205078f, 2.0f,
                               2.23606801f, 2.44948983f, 2.64575124f, 2.82842708f, 3.0f,
                               3.1622777f,  3.31662488f, 3.46410155f, 3.60555124f, 3.7416575f,
                               3.87298346f, 4.0f};

uint8_t to_byte(float v) {
  const float s = v * 255.0f + 0.5f;
  return s <= 0.0f ? 0 : s >= 255.0f ? 255 : static_cast<uint8_t>(s);
}

void single_colour_fit(const DxtEncOps& ops, const ColourSet& set, uint8_t out[8]) {
  const uint8_t v[3] = {to_byte(set.points[0][0]), to_byte(set.points[0][1]),
                        to_byte(set.points[0][2])};
  const SingleColourFit* fit[3] = {&kSingleColourFit5[v[0]], &kSingleColourFit6[v[1]],
                                   &kSingleColourFit5[v[2]]};
  uint32_t err[2] = {0, 0};
  for (int k = 0; k < 2; ++k) {
    for (int c = 0; c < 3; ++c) {
      const uint32_t e = fit[c]->candidate[k].error;
      err[k] += e * e;
    }
  }
  const int k = err[1] < err[0] ? 1 : 0;
  uint8_t start[3], end[3], indices[16];
  for (int c = 0; c < 3; ++c) {
    start[c] = fit[c]->candidate[k].start;
    end[c] = fit[c]->candidate[k].end;
  }
  std::memset(indices, k == 0 ? 0 : 2, sizeof indices);
  ops.write_single_colour_block(out, start, end, indices);
}

}  // namespace

void dxt1_single_colour_pair(uint32_t r, uint32_t g, uint32_t b, uint16_t* c0, uint16_t* c1) {
  *c0 = static_cast<uint16_t>((kSingleColour5[r].mx << 11) | (kSingleColour6[g].mx << 5) |
                              kSingleColour5[b].mx);
  *c1 = static_cast<uint16_t>((kSingleColour5[r].mn << 11) | (kSingleColour6[g].mn << 5) |
                              kSingleColour5[b].mn);
}

void dxt1_write_solid_block(uint8_t out[8], uint32_t r, uint32_t g, uint32_t b) {
  uint16_t c0, c1;
  dxt1_single_colour_pair(r, g, b, &c0, &c1);
  if (c0 == c1 && (c0 == 0x0000 || c0 == 0xFFFF)) return write_block(out, c0, 0, 0);
  if (c0 >= c1) return write_block(out, c0, c1, 0xAAAAAAAAu);
  write_block(out, c1, c0, 0xFFFFFFFFu);
}

void dxt1_write_fit_block(uint8_t out[8], const float start[3], const float end[3],
                          const uint8_t indices[16]) {
  static constexpr float kLevels[3] = {31.0f, 63.0f, 31.0f};
  uint8_t q0[3], q1[3];
  for (int c = 0; c < 3; ++c) {
    const float s = start[c] * kLevels[c] + 0.5f, e = end[c] * kLevels[c] + 0.5f;
    q0[c] = static_cast<uint8_t>(s <= 0.0f ? 0.0f : s >= kLevels[c] ? kLevels[c] : s);
    q1[c] = static_cast<uint8_t>(e <= 0.0f ? 0.0f : e >= kLevels[c] ? kLevels[c] : e);
  }
  write_ordered(out, pack565(q0), pack565(q1), indices);
}

void dxt1_write_single_colour_block(uint8_t out[8], const uint8_t start[3], const uint8_t end[3],
                                    const uint8_t indices[16]) {
  write_ordered(out, pack565(start), pack565(end), indices);
}

void dxt1_encode_colour_set(const DxtEncOps& ops, const ColourSet& set, uint8_t out[8]) {
  const size_t n = set.count;
  if (n == 0 || n > 16) {
    std::memset(out, 0, 8);
    return;
  }
  if (n == 1) return single_colour_fit(ops, set, out);

  float weights[16];
  for (size_t i = 0; i < n; ++i)
    weights[i] = kSqrtWeight[set.weights[i] <= 16 ? set.weights[i] : 16];
  const size_t kernel = n - 2;
  float cov[6], axis[3];
  ops.cluster_covariance[kernel](set.points, weights, cov);
  dxt1_principal_axis(cov, axis);
  uint8_t order[16];
  ops.cluster_order[kernel](set.points, axis, order);

  alignas(32) float weighted[16][4] = {};
  for (size_t t = 0; t < n; ++t) {
    const float w = weights[order[t]];
    for (int c = 0; c < 3; ++c) weighted[t][c] = set.points[order[t]][c] * w;
    weighted[t][3] = w;
  }
  ClusterFitResult fit;
  ops.cluster_search[kernel](weighted, &ops.cluster_splits[kernel], &fit);

  uint8_t point_index[16];  // palette index of every point
  for (size_t t = 0; t < n; ++t) point_index[order[t]] = fit.order_index[t];
  uint8_t indices[16];
  for (int i = 0; i < 16; ++i) indices[i] = point_index[set.point_index[i]];
  ops.write_fit_block(out, fit.start, fit.end, indices);
}

void dxt1_fast_block(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                     const size_t strides[4]) {
  Dxt1WorkArea work;
  if (ops.fetch_rgb_fast(&work, planes, strides)) {
    return dxt1_write_solid_block(out, work.r[0], work.g[0], work.b[0]);
  }
  fit_work_area(ops, work, out);
}

void dxt1_slow_block(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                     const size_t strides[4]) {
  ColourSet set;
  ops.build_colour_set(planes, strides, &set);
  dxt1_encode_colour_set(ops, set, out);
}

void dxt1_normal_block(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                       const size_t strides[4]) {
  Dxt1WorkArea work;
  const uint32_t spread = ops.fetch_rgb_spread(&work, planes, strides);
  if (spread == 0) return dxt1_write_solid_block(out, work.r[0], work.g[0], work.b[0]);
  if (spread >= 15) return dxt1_slow_block(ops, out, planes, strides);
  fit_work_area(ops, work, out);
}

void dxt1_encode_block_fast(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  dxt1_fast_block(ops, out, planes, strides);
}

void dxt1_encode_block_normal(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                              const size_t strides[4]) {
  dxt1_normal_block(ops, out, planes, strides);
}

void dxt1_encode_block_slow(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  dxt1_slow_block(ops, out, planes, strides);
}

EncodeRowFn* dxt1_encode_row_kernel(uint8_t quality, PixelFormat fmt) {
  return block_row_loop_for<dxt1_fast_block, dxt1_normal_block, dxt1_slow_block, 8>(quality, fmt);
}
